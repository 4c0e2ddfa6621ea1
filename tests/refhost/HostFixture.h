// What the reference host's tests share: a fresh host per test whose objects must all be gone when it
// shuts down, surface pixels, scratch folders, and zip files written with libzip directly, so archives
// can be made that the pack tool would never write.
#pragma once

#include <zip.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Surface.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"

namespace refhost::testing {

class HostFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    host_.emplace();
  }

  void TearDown() override {
    host_.reset();
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_) << "objects of the reference host outlived it";
  }

  Host& host() { return *host_; }
  void shutDownHost() { host_.reset(); }

  // Asks a module's entry point, as the library does.
  static void* create(const char* module, const tamblet::InterfaceId& id) { return Host::moduleInterface(module, &id); }

 private:
  std::int64_t liveBefore_ = 0;
  std::optional<Host> host_;
};

using Bytes = std::vector<std::uint8_t>;

// The pixel at (x, y) of a 32-bit surface as 0xAARRGGBB.
inline std::uint32_t pixelAt(tamblet::ISurface& surface, int x, int y) {
  const std::uint8_t* at = surface.GetPixelAddress(x, y);
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// Expects a 32-bit surface of the given pixels (row by row, 0xAARRGGBB) and alpha-map presence.
inline void expectPixels(tamblet::ISurface* surface, int width, int height, const std::vector<std::uint32_t>& pixels,
                         bool alphaMap) {
  ASSERT_NE(surface, nullptr);
  ASSERT_EQ(surface->GetWidth(), width);
  ASSERT_EQ(surface->GetHeight(), height);
  EXPECT_EQ(surface->GetBpp(), 32);
  EXPECT_TRUE(surface->HasPixel());
  EXPECT_EQ(surface->HasAMap(), alphaMap);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(pixelAt(*surface, x, y), pixels[static_cast<std::size_t>(y * width + x)]) << "at " << x << ", " << y;
    }
  }
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamblet-archive-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Bytes that do not repeat (so stored and deflated data differ everywhere), from a seed.
inline Bytes patternBytes(std::size_t size, std::uint32_t seed) {
  Bytes bytes(size);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
  return bytes;
}

inline Bytes textBytes(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

inline void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct ZipEntry {
  std::string name;
  Bytes bytes;
  bool stored = true;
};

// Writes (or, with `append`, adds to) a zip file holding exactly these entries.
inline void writeZip(const std::string& path, const std::vector<ZipEntry>& entries, bool append = false) {
  zip_t* archive = zip_open(path.c_str(), append ? 0 : ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (!archive) throw std::runtime_error("zip_open failed");
  for (const ZipEntry& entry : entries) {
    zip_source_t* source = zip_source_buffer(archive, entry.bytes.data(), entry.bytes.size(), 0);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) throw std::runtime_error("zip_file_add failed");
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), entry.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                             0);
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip_close failed");
}

// The bytes of one entry as libzip reads them, and its compression method.
inline std::pair<Bytes, int> readZipEntry(const std::string& path, const std::string& name) {
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
  zip_stat_t stat;
  std::pair<Bytes, int> entry{{}, -1};
  if (archive && zip_stat(archive, name.c_str(), 0, &stat) == 0) {
    entry = {Bytes(stat.size), stat.comp_method};
    if (zip_file_t* file = zip_fopen(archive, name.c_str(), 0)) {
      zip_fread(file, entry.first.data(), entry.first.size());
      zip_fclose(file);
    }
  }
  if (archive) zip_discard(archive);
  return entry;
}

// Offsets of the records with this signature (PK\1\2 central directory, PK\5\6 its end).
inline std::vector<std::size_t> zipRecords(const Bytes& zip, std::uint8_t kind) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i + 22 <= zip.size(); ++i)
    if (zip[i] == 'P' && zip[i + 1] == 'K' && zip[i + 2] == kind && zip[i + 3] == kind + 1) found.push_back(i);
  return found;
}

inline void putWord(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace refhost::testing
