// Pictures for the pack and player diagnostics tests: a sound PNG made here byte by byte, and the
// broken kinds authors meet (cut short, empty, damaged, with a forged huge size).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tamblet::testing {

using Bytes = std::vector<std::uint8_t>;

inline void putWord(Bytes& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void putChunk(Bytes& out, const char* type, const Bytes& data) {
  putWord(out, static_cast<std::uint32_t>(data.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  putWord(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

// An 8-bit RGB PNG of `width` × `height` red pixels whose header claims `headerWidth` × `headerHeight`.
inline Bytes redPng(std::uint32_t width, std::uint32_t height, std::uint32_t headerWidth, std::uint32_t headerHeight) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  putWord(header, headerWidth);
  putWord(header, headerHeight);
  header.insert(header.end(), {8, 2, 0, 0, 0});
  putChunk(out, "IHDR", header);
  Bytes rows;
  for (std::uint32_t y = 0; y < height; ++y) {
    rows.push_back(0);
    for (std::uint32_t x = 0; x < width; ++x) rows.insert(rows.end(), {0xFF, 0, 0});
  }
  uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
  Bytes packed(packedSize);
  compress(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()));
  packed.resize(packedSize);
  putChunk(out, "IDAT", packed);
  putChunk(out, "IEND", {});
  return out;
}

inline Bytes goodPng() {
  return redPng(8, 6, 8, 6);
}
inline Bytes truncatedPng() {
  Bytes bytes = goodPng();
  bytes.resize(bytes.size() - 20);
  return bytes;
}
inline Bytes corruptPng() {
  Bytes bytes = goodPng();
  bytes[30] ^= 0xFF;  // the header chunk's checksum, which no longer matches its bytes
  return bytes;
}
inline Bytes hugePng() {
  return redPng(1, 1, 60000, 60000);
}

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tamblet::testing
