// The reference host's raster operations over hostile rectangles: fills, copies (within a surface, between
// surfaces and between kinds) and colour blends over seeded surfaces, one checksum for the table, and the
// surfaces they refuse. The rectangle rules themselves are pinned through the sprite exports.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <vector>

#include "host/Modules.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/Checksum.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::ISurface;
using tamblet::testing::callSlot;
using Planes = PixelStore::Planes;

struct Box {
  std::int32_t x, y, width, height;
};
// clang-format off
const Box kBoxes[] = {{0, 0, 6, 5}, {-2, -1, 4, 3}, {3, 2, 100, 100}, {5, 4, 1, 1}, {6, 0, 2, 2}, {0, 5, 2, 2},
                      {-3, 0, 2, 5}, {1, 1, 0, 3}, {1, 1, -4, 3}, {INT32_MIN, 0, INT32_MAX, 5},
                      {INT32_MIN, INT32_MIN, -1, -1}, {0, 0, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX, INT32_MAX, 1},
                      {-1, -1, INT32_MAX, 3}, {2, INT32_MIN + 1, 2, INT32_MAX}};
// clang-format on

class RasterTest : public HostFixture {
 protected:
  void SetUp() override {
    HostFixture::SetUp();
    raster_ = static_cast<tamblet::IGraph3*>(create(tamblet::kModuleRasterLib, tamblet::kIID_IGraph3));
  }
  void TearDown() override {
    for (ISurface* surface : surfaces_) surface->Release();
    raster_->Release();
    HostFixture::TearDown();
  }
  ISurface* make(std::int32_t width, std::int32_t height, Planes planes) {
    SurfaceFactory& factory = host().surfaceFactory();
    surfaces_.push_back(planes == Planes::PixelsAndAlpha ? factory.Create(width, height, 32)
                        : planes == Planes::PixelsOnly   ? factory.CreatePixelOnly(width, height, 32)
                                                         : factory.CreateAMapOnly(width, height));
    return surfaces_.back();
  }
  // Every byte of the surfaces, both planes, from the seeded source.
  void scramble(std::initializer_list<ISurface*> surfaces) {
    for (ISurface* surface : surfaces)
      for (std::int32_t y = 0; y < surface->GetHeight(); ++y)
        for (std::int32_t x = 0; x < surface->GetWidth(); ++x) {
          if (std::uint8_t* p = surface->GetPixelAddress(x, y))
            for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(random_());
          if (std::uint8_t* a = surface->GetAMapAddress(x, y)) *a = static_cast<std::uint8_t>(random_());
        }
  }

  tamblet::IGraph3* raster_ = nullptr;
  std::vector<ISurface*> surfaces_;
  std::mt19937 random_{12345};
};

TEST_F(RasterTest, EveryOperationOverHostileRectanglesGivesTheStoredBytes) {
  ISurface* colour = make(6, 5, Planes::PixelsAndAlpha);
  ISurface* mask = make(6, 5, Planes::AlphaOnly);
  ISurface* source = make(4, 7, Planes::PixelsAndAlpha);
  ISurface* sourceMask = make(5, 5, Planes::AlphaOnly);
  ISurface* opaque = make(3, 2, Planes::PixelsOnly);
  tamblet::testing::Checksum fills, copies, blends;
  for (const Box& b : kBoxes) {
    scramble({colour, mask});
    // Red 0x1AB keeps its low byte; alpha 0x180 lands in byte 3 or in the plane.
    EXPECT_TRUE(callSlot<bool>(raster_, 3, colour, b.x, b.y, b.width, b.height, 0x1AB, 0x22, 0x33, 0));
    fills.addSurface(colour);
    EXPECT_TRUE(callSlot<bool>(raster_, 4, colour, b.x, b.y, b.width, b.height, 0x180));
    EXPECT_TRUE(raster_->FillAlpha(mask, b.x, b.y, b.width, b.height, 0x180));
    fills.addSurface(colour).addSurface(mask);

    for (auto [sx, sy] : {std::pair{0, 0}, {1, 2}, {-2, 3}, {3, -4}, {INT32_MIN, 0}}) {
      scramble({colour, source});
      EXPECT_TRUE(callSlot<bool>(raster_, 77, colour, b.x, b.y, source, sx, sy, b.width, b.height));
      EXPECT_TRUE(raster_->Copy(colour, b.x, b.y, colour, sx, sy, b.width, b.height));  // overlapping
      copies.addSurface(colour);
    }
    // Between kinds only alpha travels; a source without alpha map counts as opaque.
    scramble({colour, mask, opaque});
    EXPECT_TRUE(raster_->Copy(colour, b.x, b.y, mask, 0, 0, b.width, b.height));
    EXPECT_TRUE(raster_->Copy(mask, b.x, b.y, colour, 1, 0, b.width, b.height));
    EXPECT_TRUE(raster_->Copy(colour, b.x, b.y, opaque, 0, 0, b.width, b.height));
    copies.addSurface(colour).addSurface(mask);

    for (ISurface* from : {source, sourceMask}) {
      scramble({colour, from});
      EXPECT_TRUE(callSlot<bool>(raster_, 5, colour, b.x, b.y, from, 1, 0, b.width, b.height, 0x10F, 0xC0, 0x33));
      blends.addSurface(colour);
    }
  }
  EXPECT_EQ(fills.value(), 0x01971F79u);
  EXPECT_EQ(copies.value(), 0x5F6BA2B2u);
  EXPECT_EQ(blends.value(), 0x6D65FE6Eu);

  // Full alpha reaches the colour exactly; surfaces without the planes an operation needs are refused.
  ISurface* one = make(2, 1, Planes::PixelsAndAlpha);
  ISurface* alpha = make(2, 1, Planes::AlphaOnly);
  alpha->GetAMapAddress(0, 0)[0] = 255;
  EXPECT_TRUE(raster_->BlendColor(one, 0, 0, alpha, 0, 0, 2, 1, 255, 255, 255));
  EXPECT_EQ(tamblet::testing::Checksum().addSurface(one).value(),
            tamblet::testing::Checksum().addValue(std::uint64_t{0x00FFFFFFu}).value());
  EXPECT_FALSE(raster_->BlendColor(one, 0, 0, opaque, 0, 0, 2, 1, 1, 1, 1));
  EXPECT_FALSE(raster_->BlendColor(nullptr, 0, 0, alpha, 0, 0, 2, 1, 1, 1, 1));
  EXPECT_FALSE(raster_->FillColor(nullptr, 0, 0, 1, 1, 0, 0, 0, 0));
  EXPECT_FALSE(raster_->FillColor(mask, 0, 0, 1, 1, 0, 0, 0, 0));
  EXPECT_FALSE(raster_->FillAlpha(opaque, 0, 0, 3, 3, 255));
  EXPECT_FALSE(raster_->FillAlpha(nullptr, 0, 0, 3, 3, 255));
  EXPECT_FALSE(raster_->Copy(opaque, 0, 0, mask, 0, 0, 3, 2));  // nothing in common

  EXPECT_TRUE(callSlot<bool>(raster_, 2));  // Initialize answers as configured
  host().raster().setInitializeResult(false);
  EXPECT_FALSE(callSlot<bool>(raster_, 2));
  EXPECT_EQ(host().raster().initializeCalls(), 2);
}

}  // namespace
}  // namespace refhost::testing
