// The sprite store on the reference device: vertices and texels exactly, the upload cases, the vertex
// buffer's growth, uploads only on a new surface, and the failures: each reported once, the store going
// on, a later rebuild retrying. The draw order shows in Direct3DParityTest's scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "report/FixedTexts.h"
#include "tests/engine/EngineFixture.h"
#include "tests/present/StoreScene.h"

namespace tamblet::testing {
namespace {

class SpriteStoreTest : public StoreScene {
 protected:
  // The texels of a record's texture, row by row (texture width words per row).
  std::vector<std::uint32_t> texels(const Direct3DSpriteRecord& record) {
    const SpriteTexture& t = record.texture;
    std::vector<std::uint32_t> out(static_cast<std::size_t>(t.textureWidth) * t.textureHeight);
    D3DLOCKED_RECT locked{};
    if (!t.texture || t.texture->LockRect(0, &locked, nullptr, 0) != 0) return {};
    for (std::int32_t y = 0; y < t.textureHeight; ++y)
      std::memcpy(&out[std::size_t(y) * t.textureWidth], static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch,
                  std::size_t(t.textureWidth) * 4);
    t.texture->UnlockRect(0);
    return out;
  }
  std::int64_t countCalls(const std::string& name) {
    return std::count_if(device->calls().begin(), device->calls().end(),
                         [&](const std::string& line) { return line.find(name + "(") != std::string::npos; });
  }
  CapturingMessageSink messages;
};

TEST_F(SpriteStoreTest, QuadAndTexelsOfA100By30Sprite) {
  SpriteRecord& s = sprite(1, 100, 30);
  s.x = 10, s.y = 20, s.blendRate = 128;
  std::fill(s.multiplyColor, s.multiplyColor + 3, 200);
  ASSERT_TRUE(store.rebuild(device.get(), table));
  const Direct3DSpriteRecord& record = *store.records()[0];
  EXPECT_EQ(record.texture.textureWidth, 128);
  EXPECT_EQ(record.texture.textureHeight, 32);

  const std::vector<SpriteVertex> v = vertices();
  ASSERT_EQ(v.size(), 4u);
  const SpriteVertex expected[4] = {{9.5f, 19.5f, 0.5f, 1.0f, 0x80C8C8C8, 0.0f, 0.0f},
                                    {109.5f, 19.5f, 0.5f, 1.0f, 0x80C8C8C8, 0.78125f, 0.0f},
                                    {9.5f, 49.5f, 0.5f, 1.0f, 0x80C8C8C8, 0.0f, 0.9375f},
                                    {109.5f, 49.5f, 0.5f, 1.0f, 0x80C8C8C8, 0.78125f, 0.9375f}};
  EXPECT_EQ(std::memcmp(v.data(), expected, sizeof expected), 0);

  // Inside the surface the bytes as they are; the last column and row repeated beyond it.
  const std::vector<std::uint32_t> t = texels(record);
  ASSERT_EQ(t.size(), 128u * 32u);
  for (std::int32_t y = 0; y < 32; ++y) {
    const std::uint8_t* row = s.surface->GetPixelAddress(0, std::min(y, 29));
    for (std::int32_t x = 0; x < 128; ++x) {
      std::uint32_t pixel;
      std::memcpy(&pixel, row + std::min(x, 99) * 4, 4);
      ASSERT_EQ(t[static_cast<std::size_t>(y) * 128 + x], pixel) << x << ", " << y;
    }
  }
}

// Pixels and alpha as they are; pixels only opaque; alpha only as opaque grey; the last column repeated.
TEST_F(SpriteStoreTest, UploadCases) {
  for (Planes planes : {Planes::PixelsAndAlpha, Planes::PixelsOnly, Planes::AlphaOnly}) {
    SpriteRecord& s = sprite(1, 3, 2, planes);
    ASSERT_TRUE(store.rebuild(device.get(), table));
    const std::vector<std::uint32_t> t = texels(*store.records()[0]);
    ASSERT_EQ(t.size(), 4u * 2u);
    for (std::int32_t i = 0; i < 8; ++i) {
      const std::int32_t x = std::min(i % 4, 2), y = i / 4;
      std::uint32_t word = 0xFF000000u;
      if (planes == Planes::AlphaOnly)
        word |= *s.surface->GetAMapAddress(x, y) * 0x010101u;
      else
        std::memcpy(&word, s.surface->GetPixelAddress(x, y), 4), word |= planes == Planes::PixelsOnly ? 0xFF000000u : 0;
      EXPECT_EQ(t[static_cast<std::size_t>(i)], word) << int(planes) << ": " << i;
    }
  }
}

// Surface areas (a zero size is the whole surface) and transform corners: positions, rhw and texture
// coordinates of the four vertices.
TEST_F(SpriteStoreTest, AreasAndTransformCorners) {
  const struct {
    SurfaceArea area;
    float x1, y1, u0, v0, u1, v1;  // the quad from (-0.5, -0.5) to (x1, y1) and its texture coordinates
  } cases[] = {{{0, 0, 0, 0}, 99.5f, 29.5f, 0, 0, 0.78125f, 0.9375f},
               {{4, 2, 0, 5}, -0.5f, 4.5f, 0.03125f, 0.0625f, 0.03125f, 0.21875f},
               {{8, 4, 64, 16}, 63.5f, 15.5f, 0.0625f, 0.125f, 0.5625f, 0.625f}};
  SpriteRecord& s = sprite(1, 100, 30);
  for (const auto& c : cases) {
    s.surfaceArea = c.area;
    ASSERT_TRUE(store.rebuild(device.get(), table));
    const std::vector<SpriteVertex> v = vertices();
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_EQ(v[i].x, i % 2 ? c.x1 : -0.5f) << i;
      EXPECT_EQ(v[i].y, i / 2 ? c.y1 : -0.5f) << i;
      EXPECT_EQ(v[i].u, i % 2 ? c.u1 : c.u0) << i;
      EXPECT_EQ(v[i].v, i / 2 ? c.v1 : c.v0) << i;
    }
  }
  // Transformed: corner i's x, y, z, w and u, v in source pixels.
  s.transformMode = 1;
  for (int i = 0; i < 4; ++i) {
    s.transformPositions[i] = {10.0f * i, 20.0f + i, 0.25f * i, 2.0f + 2.0f * i};
    s.transformTexCoords[i] = {32.0f * i, 8.0f * i};
  }
  ASSERT_TRUE(store.rebuild(device.get(), table));
  const std::vector<SpriteVertex> v = vertices();
  for (int i = 0; i < 4; ++i) {
    const SpriteVertex expected{10.0f * i - 0.5f, 19.5f + i, 0.25f * i, 1.0f / (2.0f + 2.0f * i),
                                0xFFFFFFFF,       0.25f * i, 0.25f * i};
    EXPECT_EQ(std::memcmp(&v[i], &expected, sizeof expected), 0) << i;
  }
}

// Uploads only for a new surface object; a suspended and resumed sprite is uploaded again; the
// buffer grows to 4 vertices a record and never shrinks. Device loss keeps every size: the reset
// uploads every texture again, and a missing vertex buffer is made again at its old capacity.
TEST_F(SpriteStoreTest, UploadsOnlyNewSurfacesTheBufferNeverShrinksAndResetsUploadAgain) {
  for (std::int32_t n = 1; n <= 10; ++n) sprite(n, 5, 5);
  ASSERT_TRUE(store.rebuild(device.get(), table));
  EXPECT_EQ(store.vertexBuffer().capacity(), 40);
  device->setRecording(true);
  table.find(3)->x = 50;  // properties only
  ASSERT_TRUE(store.rebuild(device.get(), table));
  EXPECT_EQ(countCalls("LockRect"), 0);
  sprite(4, 5, 5);  // another surface of the same size: the texture is kept, only uploaded
  table.find(6)->suspended = true;
  ASSERT_TRUE(store.rebuild(device.get(), table));
  table.find(6)->suspended = false;
  for (std::int32_t n = 7; n <= 10; ++n) table.remove(n);
  ASSERT_TRUE(store.rebuild(device.get(), table));
  EXPECT_EQ(countCalls("CreateTexture"), 1);  // sprite 6's new record
  EXPECT_EQ(countCalls("LockRect"), 2);       // sprites 4 and 6
  EXPECT_EQ(countCalls("CreateVertexBuffer"), 0);
  EXPECT_EQ(store.vertexBuffer().capacity(), 40);
  EXPECT_EQ(store.records().size(), 6u);

  store.releaseDeviceResources();
  EXPECT_EQ(device->liveResources(), 0);
  device->clearCalls();
  ASSERT_TRUE(store.recreateDeviceResources(device.get()));
  EXPECT_EQ(countCalls("LockRect"), 6);
  EXPECT_EQ(device->calls().back(), "CreateVertexBuffer(1120, 520, 324, 0)");
  for (std::int32_t n = 3; n <= 6; ++n) table.remove(n);
  store.releaseDeviceResources();
  ASSERT_TRUE(store.rebuild(device.get(), table));  // 2 records, the buffer made at 40 vertices
  EXPECT_EQ(store.vertexBuffer().capacity(), 40);
}

// The 1024 warning once with the surface size, a 2048 × 16 texture, the white texture's failure reported
// once (the next rebuild fails quietly, the one after makes it), and a CreateTexture failure of a sprite:
// reported once, the sprite kept without a texture (not drawn), the next rebuild retrying.
TEST_F(SpriteStoreTest, LargeSurfaceWarningAndTextureFailures) {
  sprite(1, 1025, 10);
  device->failCall("CreateTexture", 1);  // the white texture comes first
  device->failCall("CreateTexture", 3);
  for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(store.rebuild(device.get(), table));
  EXPECT_NE(store.whiteTexture(), nullptr);
  std::string white = fixedText(FixedText::kD3DTextureCreateFailed), large = fixedText(FixedText::kLargeTextureWarning);
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[0].text, white.replace(white.find("%d x %d"), 7, "32 x 32"));
  EXPECT_EQ(messages.boxes[1].text, large.replace(large.find("%d x %d"), 7, "1025 x 10"));
  EXPECT_EQ(store.records()[0]->texture.textureWidth, 2048);
  EXPECT_EQ(store.records()[0]->texture.textureHeight, 16);
  messages.boxes.clear();

  sprite(2, 40, 40);
  device->failCall("CreateTexture", 1);
  device->failCall("CreateTexture", 2);
  for (int frame = 0; frame < 2; ++frame) ASSERT_TRUE(store.rebuild(device.get(), table));
  std::vector<std::string> texts;
  for (const CapturedMessageBox& box : messages.boxes) texts.push_back(box.text);
  EXPECT_EQ(texts,
            (std::vector<std::string>{
                std::string(fixedText(FixedText::kD3DTextureCreateFailed))
                    .replace(std::string(fixedText(FixedText::kD3DTextureCreateFailed)).find("%d x %d"), 7, "64 x 64"),
                fixedText(FixedText::kD3DSpriteTextureFailed), fixedText(FixedText::kD3DSpriteCreateFailed)}));
  EXPECT_FALSE(store.records()[1]->drawable());
  ASSERT_TRUE(store.rebuild(device.get(), table));
  EXPECT_TRUE(store.records()[1]->drawable());
  EXPECT_EQ(store.records()[1]->texture.textureWidth, 64);
}

}  // namespace
}  // namespace tamblet::testing
