// What the sprite-store tests share: a reference Direct3D device, a sprite table whose sprites get
// reference-host surfaces filled with a seeded pattern, and the device's reference counts checked
// back to their start when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

#include "host/Ref.h"
#include "present/SpriteStore.h"
#include "refhost/ReferenceDevice.h"
#include "refhost/Surface.h"
#include "sprite/SpriteTable.h"

namespace tamblet::testing {

using Planes = refhost::PixelStore::Planes;

// A reference-host surface (one reference for the caller) whose pixel bytes and alpha plane are a
// pattern drawn from `seed`.
inline Ref<ISurface> patternSurface(std::int32_t width, std::int32_t height, Planes planes, std::uint32_t seed) {
  Ref<ISurface> surface =
      Ref<ISurface>::adopt(refhost::Surface::create(width, height, planes == Planes::AlphaOnly ? 8 : 32, planes));
  std::mt19937 random(seed);
  for (std::int32_t y = 0; y < height; ++y) {
    if (std::uint8_t* row = surface->GetPixelAddress(0, y))
      for (std::int32_t i = 0; i < width * 4; ++i) row[i] = static_cast<std::uint8_t>(random());
    if (std::uint8_t* alpha = surface->GetAMapAddress(0, y))
      for (std::int32_t x = 0; x < width; ++x) alpha[x] = static_cast<std::uint8_t>(random());
  }
  return surface;
}

class StoreScene : public ::testing::Test {
 protected:
  void SetUp() override { deviceReferences_ = device->referenceCount(); }
  void TearDown() override {
    store.clear();
    table.removeAll();
    EXPECT_EQ(device->liveResources(), 0) << "a texture or vertex buffer was not released";
    EXPECT_EQ(device->referenceCount(), deviceReferences_);
  }

  // The sprite under `number` with a pattern surface of the given size (made when absent).
  SpriteRecord& sprite(std::int32_t number, std::int32_t width, std::int32_t height,
                       Planes planes = Planes::PixelsAndAlpha) {
    SpriteRecord* record = table.findOrCreate(number);
    record->setSurface(patternSurface(width, height, planes, static_cast<std::uint32_t>(number)).get());
    return *record;
  }

  std::vector<SpriteVertex> vertices() {
    std::vector<SpriteVertex> out(store.drawList().size() * 4);
    void* data = nullptr;
    IDirect3DVertexBuffer9* buffer = store.vertexBuffer().buffer();
    if (out.empty() || !buffer || buffer->Lock(0, 0, &data, 0) != 0) return {};
    std::memcpy(out.data(), data, out.size() * sizeof(SpriteVertex));
    buffer->Unlock();
    return out;
  }

  Ref<refhost::ReferenceDevice> device = Ref<refhost::ReferenceDevice>::adopt(new refhost::ReferenceDevice(320, 240));
  SpriteTable table;
  SpriteStore store;

 private:
  std::int32_t deviceReferences_ = 0;
};

}  // namespace tamblet::testing
