// What the reference host's tests share: a fresh host per test whose objects must all be gone when it
// shuts down, surface pixels, scratch folders, zip files written with libzip directly, so archives can
// be made that the pack tool would never write, and a fresh reference Direct3D device with quads in the
// engine's vertex layout.
#pragma once

#include <zip.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/Surface.h"
#include "refhost/D3DConstants.h"
#include "refhost/Host.h"
#include "refhost/Ledger.h"
#include "refhost/ReferenceDevice.h"
#include "tests/support/Portable.h"

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
  TempFolder() : path_(tamblet::testing::makeScratchFolder("tamblet-archive")) {}
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

struct Vertex {
  float x, y, z, rhw;
  std::uint32_t diffuse;
  float u, v;
};

// The reference Direct3D device's tests: vertices in the engine's layout (FVF 0x144), quads in
// triangle-strip order, and a fresh device per test whose objects must all be gone when it is released.

// A quad from (x0, y0) to (x1, y1) with texture coordinates from (u0, v0) to (u1, v1), in strip order.
inline std::vector<Vertex> quad(float x0, float y0, float x1, float y1, std::uint32_t diffuse = 0xFFFFFFFFu,
                                float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1) {
  return {{x0, y0, 0.5f, 1, diffuse, u0, v0},
          {x1, y0, 0.5f, 1, diffuse, u1, v0},
          {x0, y1, 0.5f, 1, diffuse, u0, v1},
          {x1, y1, 0.5f, 1, diffuse, u1, v1}};
}

class DeviceFixture : public ::testing::Test {
 protected:
  explicit DeviceFixture(std::int32_t width = 8, std::int32_t height = 8) : width_(width), height_(height) {}

  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    device_ = new ReferenceDevice(width_, height_);
  }

  void TearDown() override {
    for (tamblet::IDirect3DTexture9* texture : textures_) texture->Release();
    textures_.clear();
    EXPECT_EQ(device_->liveResources(), 0);
    EXPECT_EQ(device_->referenceCount(), 1);
    EXPECT_EQ(device_->Release(), 0u);
    EXPECT_EQ(Ledger::liveObjects(), liveBefore_) << "objects of the reference device outlived it";
  }

  ReferenceDevice& device() { return *device_; }

  // A managed width × height texture holding `texels` row by row (0xAARRGGBB), released at the end.
  tamblet::IDirect3DTexture9* texture(std::int32_t width, std::int32_t height,
                                      const std::vector<std::uint32_t>& texels) {
    tamblet::IDirect3DTexture9* made = nullptr;
    EXPECT_EQ(
        device_->CreateTexture(width, height, 1, 0, tamblet::D3DFMT_A8R8G8B8, tamblet::D3DPOOL_MANAGED, &made, nullptr),
        tamblet::D3D_OK);
    if (!made) return nullptr;
    tamblet::D3DLOCKED_RECT locked{};
    EXPECT_EQ(made->LockRect(0, &locked, nullptr, 0), tamblet::D3D_OK);
    auto* rows = static_cast<std::uint8_t*>(locked.pBits);
    for (std::int32_t y = 0; y < height; ++y) std::memcpy(rows + y * locked.Pitch, &texels[y * width], 4 * width);
    EXPECT_EQ(made->UnlockRect(0), tamblet::D3D_OK);
    textures_.push_back(made);
    return made;
  }

  // Draws `vertices` (FVF 0x144) as one strip or list inside a scene.
  tamblet::HRESULT draw(const std::vector<Vertex>& vertices,
                        tamblet::D3DPRIMITIVETYPE type = tamblet::D3DPT_TRIANGLESTRIP) {
    const auto primitives =
        static_cast<tamblet::UINT>(type == tamblet::D3DPT_TRIANGLELIST ? vertices.size() / 3 : vertices.size() - 2);
    EXPECT_EQ(device_->BeginScene(), tamblet::D3D_OK);
    EXPECT_EQ(device_->SetFVF(0x144), tamblet::D3D_OK);
    const tamblet::HRESULT result = device_->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(Vertex));
    EXPECT_EQ(device_->EndScene(), tamblet::D3D_OK);
    return result;
  }

  // Stage 0 passes the diffuse colour and alpha straight through; blending and culling off.
  void drawDiffuseOnly() {
    device_->SetRenderState(tamblet::D3DRS_CULLMODE, tamblet::D3DCULL_NONE);
    device_->SetTextureStageState(0, tamblet::D3DTSS_COLOROP, tamblet::D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, tamblet::D3DTSS_COLORARG1, tamblet::D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, tamblet::D3DTSS_ALPHAOP, tamblet::D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, tamblet::D3DTSS_ALPHAARG1, tamblet::D3DTA_DIFFUSE);
  }

  std::uint32_t pixel(std::int32_t x, std::int32_t y) const {
    return device_->backBuffer()[y * (device_->backBufferPitch() / 4) + x];
  }

  // The back buffer's rows as text: '#' where the pixel is not `background`.
  std::vector<std::string> coverage(std::uint32_t background = 0) const {
    std::vector<std::string> rows;
    for (std::int32_t y = 0; y < device_->height(); ++y) {
      std::string& row = rows.emplace_back();
      for (std::int32_t x = 0; x < device_->width(); ++x) row += pixel(x, y) == background ? '.' : '#';
    }
    return rows;
  }

 private:
  std::int32_t width_, height_;
  std::int64_t liveBefore_ = 0;
  ReferenceDevice* device_ = nullptr;
  std::vector<tamblet::IDirect3DTexture9*> textures_;
};

}  // namespace refhost::testing
