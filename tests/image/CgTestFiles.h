// Helpers of the CG tests: a temporary game folder that becomes the current directory (loose CG
// files resolve against it), image files made from known pixels (a hand-written 32-bit BMP, PNG
// through the reference encoder), and CG archives written with the reference pack code.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/Ref.h"
#include "host/Surface.h"
#include "refhost/CgArchiveWriter.h"
#include "refhost/ImageEncoder.h"
#include "tests/support/Portable.h"

namespace tamblet::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder made the current directory; the old one is restored and the folder removed.
class GameFolder {
 public:
  GameFolder() : previous_(std::filesystem::current_path()), path_(makeScratchFolder("tamblet-cg")) {
    std::filesystem::current_path(path_);
  }
  ~GameFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  GameFolder(const GameFolder&) = delete;

  // Writes a file at a path relative to the folder (forward slashes), making its folders.
  void write(const std::string& relative, const Bytes& bytes) const {
    const std::filesystem::path target = path_ / relative;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void remove(const std::string& relative) const { std::filesystem::remove(path_ / relative); }
  std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// A pixel value of the test images: B, G, R from the position and a seed, A as given.
inline std::uint32_t testPixel(int x, int y, int seed, std::uint8_t alpha) {
  const auto b = static_cast<std::uint8_t>(x * 7 + seed), g = static_cast<std::uint8_t>(y * 13 + seed * 3),
             r = static_cast<std::uint8_t>(x + y + seed * 5);
  return b | (g << 8) | (r << 16) | (std::uint32_t{alpha} << 24);
}

// A 32-bit bottom-up BMP (BI_RGB) of width × height test pixels with the given alpha.
inline Bytes bmpFile(int width, int height, int seed, std::uint8_t alpha) {
  const auto imageSize = static_cast<std::uint32_t>(width * height * 4);
  Bytes file(54 + imageSize, 0);
  auto put = [&](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  const std::uint32_t header[][3] = {{0, 'B' | 'M' << 8, 2}, {2, 54 + imageSize, 4}, {10, 54, 4}, {14, 40, 4},
                                     {18, std::uint32_t(width), 4}, {22, std::uint32_t(height), 4}, {26, 1, 2},
                                     {28, 32, 2}, {34, imageSize, 4}};
  for (const auto& [at, value, bytes] : header) put(at, value, int(bytes));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      put(54 + (static_cast<std::size_t>(height - 1 - y) * width + x) * 4, testPixel(x, y, seed, alpha), 4);
  return file;
}

// A PNG file of width × height test pixels (with alpha when `withAlpha`), made by the reference encoder.
inline Bytes pngFile(ISurfaceFactory& factory, int width, int height, int seed, bool withAlpha,
                     std::uint8_t alpha = 255) {
  Ref<ISurface> surface =
      Ref<ISurface>::adopt(withAlpha ? factory.Create(width, height, 32) : factory.CreatePixelOnly(width, height, 32));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t value = testPixel(x, y, seed, alpha);
      std::memcpy(surface->GetPixelAddress(x, y), &value, 4);
    }
  Ref<refhost::ImageEncoder> encoder = Ref<refhost::ImageEncoder>::adopt(new refhost::ImageEncoder());
  Ref<IMemory> block = Ref<IMemory>::adopt(encoder->Encode(surface.get(), 0));
  if (!block) throw std::runtime_error("encoding failed");
  return Bytes(block->GetBuffer(), block->GetBuffer() + block->GetSize());
}

// Packs the files (CG number → bytes, extension) into a CG archive at `path`.
struct ArchiveEntry {
  std::int32_t cg;
  std::string extension;
  Bytes bytes;
};
inline void writeArchive(const GameFolder& folder, const std::string& path, const std::vector<ArchiveEntry>& entries) {
  std::vector<refhost::CgSourceFile> files;
  for (const ArchiveEntry& entry : entries) {
    const std::string source = "packsrc/" + std::to_string(entry.cg) + "." + entry.extension;
    folder.write(source, entry.bytes);
    files.push_back({entry.cg, folder / source, entry.extension, entry.bytes.size()});
  }
  std::string error;
  if (!refhost::writeCgArchive(files, path, error)) throw std::runtime_error("packing failed: " + error);
}

// The pixel at (x, y) of a surface as a B, G, R, A word.
inline std::uint32_t pixelAt(ISurface* surface, int x, int y) {
  const std::uint8_t* p = surface->GetPixelAddress(x, y);
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}

}  // namespace tamblet::testing
