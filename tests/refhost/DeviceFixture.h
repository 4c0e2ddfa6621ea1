// What the reference Direct3D device's tests share: a fresh device per test whose objects must all be
// gone when it is released, vertices in the engine's layout (FVF 0x144), quads in triangle-strip order,
// textures filled from words, and the back buffer read pixel by pixel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/D3DConstants.h"
#include "refhost/Ledger.h"
#include "refhost/ReferenceDevice.h"

namespace refhost::testing {

struct Vertex {
  float x, y, z, rhw;
  std::uint32_t diffuse;
  float u, v;
};

// A quad from (x0, y0) to (x1, y1) with texture coordinates from (u0, v0) to (u1, v1), in strip order.
inline std::vector<Vertex> quad(float x0, float y0, float x1, float y1, std::uint32_t diffuse = 0xFFFFFFFFu, float u0 = 0,
                                float v0 = 0, float u1 = 1, float v1 = 1) {
  return {{x0, y0, 0.5f, 1, diffuse, u0, v0}, {x1, y0, 0.5f, 1, diffuse, u1, v0}, {x0, y1, 0.5f, 1, diffuse, u0, v1},
          {x1, y1, 0.5f, 1, diffuse, u1, v1}};
}

class DeviceFixture : public ::testing::Test {
 protected:
  explicit DeviceFixture(std::int32_t width = 8, std::int32_t height = 8, bool depth = true)
      : width_(width), height_(height), depth_(depth) {}

  void SetUp() override {
    liveBefore_ = Ledger::liveObjects();
    device_ = new ReferenceDevice(width_, height_, depth_);
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
  tamblet::IDirect3DTexture9* texture(std::int32_t width, std::int32_t height, const std::vector<std::uint32_t>& texels) {
    tamblet::IDirect3DTexture9* made = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, 0, tamblet::D3DFMT_A8R8G8B8, tamblet::D3DPOOL_MANAGED, &made, nullptr),
              tamblet::D3D_OK);
    if (!made) return nullptr;
    tamblet::D3DLOCKED_RECT locked{};
    EXPECT_EQ(made->LockRect(0, &locked, nullptr, 0), tamblet::D3D_OK);
    for (std::int32_t y = 0; y < height; ++y)
      for (std::int32_t x = 0; x < width; ++x)
        static_cast<std::uint32_t*>(locked.pBits)[y * (locked.Pitch / 4) + x] = texels[static_cast<std::size_t>(y * width + x)];
    EXPECT_EQ(made->UnlockRect(0), tamblet::D3D_OK);
    textures_.push_back(made);
    return made;
  }

  // Draws `vertices` (FVF 0x144) as one strip or list inside a scene.
  tamblet::HRESULT draw(const std::vector<Vertex>& vertices, tamblet::D3DPRIMITIVETYPE type = tamblet::D3DPT_TRIANGLESTRIP) {
    const auto primitives = static_cast<tamblet::UINT>(type == tamblet::D3DPT_TRIANGLELIST ? vertices.size() / 3 : vertices.size() - 2);
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

  void clear(std::uint32_t colour) {
    ASSERT_EQ(device_->Clear(0, nullptr, tamblet::D3DCLEAR_TARGET, colour, 1.0f, 0), tamblet::D3D_OK);
  }

 private:
  std::int32_t width_, height_;
  bool depth_;
  std::int64_t liveBefore_ = 0;
  ReferenceDevice* device_ = nullptr;
  std::vector<tamblet::IDirect3DTexture9*> textures_;
};

}  // namespace refhost::testing
