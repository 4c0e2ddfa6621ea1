// What the player and pack tool tests share: whole runs of tamblet-play, and the pictures authors
// meet: a sound PNG written by the tools' own PNG writer and its broken kinds (cut short, empty,
// damaged, with a forged huge size).
#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/Portable.h"
#include "tools/common/PngFile.h"

namespace tamblet::testing {

using Bytes = std::vector<std::uint8_t>;

struct RunResult {
  int code;
  std::string output;
};

#ifndef _WIN32
// Runs tamblet-play quietly over the reference host's modules: its exit code and everything it printed.
inline RunResult play(const std::string& arguments) {
  const std::string command =
      std::string(TAMBLET_PLAY_BINARY) + " --quiet --modules " + TAMBLET_MODULES_DIR + " " + arguments + " 2>&1";
  RunResult result{-1, {}};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, read);
  const int status = pclose(pipe);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}
#endif

inline void writeBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// 8 × 6 red pixels.
inline Bytes goodPng() {
  const auto path = std::filesystem::temp_directory_path() / ("tamblet_good_" + std::to_string(processId()) + ".png");
  std::vector<std::uint8_t> red;
  for (int i = 0; i < 8 * 6; ++i) red.insert(red.end(), {0xFF, 0, 0});
  tools::writePngPixels(path.string(), 8, 6, 3, red.data(), nullptr);
  Bytes bytes;
  {  // closed before the removal, which Windows refuses for an open file
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::filesystem::remove(path);
  return bytes;
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
// The header claims 60000 × 60000 (0xEA60), with its checksum made right again.
inline Bytes hugePng() {
  Bytes bytes = goodPng();
  for (std::size_t side : {16u, 20u}) bytes[side + 2] = 0xEA, bytes[side + 3] = 0x60;
  const uLong crc = crc32(0, bytes.data() + 12, 17);
  for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

}  // namespace tamblet::testing
