#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "sprite/PixelQueries.h"
#include "sprite/SpriteTable.h"
#include "tests/sprite/FakeHost.h"

namespace tamblet {
namespace {

using testing::FakeSurface;
using testing::Planes;

// A sprite at (100, 50) with a 20 × 10 surface of the given kind, held only by the sprite.
class PixelQueriesTest : public ::testing::Test {
 protected:
  PixelQueriesTest() { record.x = 100, record.y = 50; }
  FakeSurface* attach(Planes planes, std::int32_t bpp = 32) {
    auto* surface = new FakeSurface(20, 10, planes, bpp);
    record.setSurface(surface);
    surface->Release();
    return surface;
  }
  // (r, g, b) of pixelValue, or (-7, -7, -7) untouched when it fails.
  std::tuple<int, int, int> rgb(std::int32_t x, std::int32_t y) {
    std::int32_t r = -7, g = -7, b = -7;
    const bool read = pixelValue(&record, x, y, r, g, b);
    EXPECT_EQ(read, r != -7) << x << "," << y;
    return {r, g, b};
  }
  SpriteRecord record{1, nullptr, nullptr};
};

TEST_F(PixelQueriesTest, RectangleEdgesAndAlphaDecideHits) {
  EXPECT_FALSE(isPointIn(nullptr, 0, 0));
  EXPECT_FALSE(isPointInRect(nullptr, 0, 0));
  EXPECT_FALSE(isPointInRect(&record, 100, 50)) << "no surface";

  FakeSurface* surface = attach(Planes::kPixelsAndAlpha);
  surface->setPixel(0, 0, 0x01000000u);   // alpha 1
  surface->setPixel(19, 9, 0xFF000000u);  // opaque
  surface->setPixel(5, 5, 0x00FFFFFFu);   // white but fully transparent
  // (x, y, in the rectangle, a hit)
  const std::tuple<int, int, bool, bool> cases[] = {{100, 50, true, true},  {119, 59, true, true},
                                                    {105, 55, true, false}, {120, 50, false, false},
                                                    {100, 60, false, false}, {99, 50, false, false},
                                                    {100, 49, false, false}, {INT_MIN, INT_MIN, false, false},
                                                    {INT_MAX, INT_MAX, false, false}};
  for (const auto& [x, y, inRect, hit] : cases) {
    EXPECT_EQ(isPointInRect(&record, x, y), inRect) << x << "," << y;
    EXPECT_EQ(isPointIn(&record, x, y), hit) << x << "," << y;
  }
  // Show flag, blend rate and surface area play no part; extreme positions neither overflow nor wrap.
  record.show = false, record.blendRate = 0, record.surfaceArea = {5, 5, 2, 2};
  EXPECT_TRUE(isPointIn(&record, 119, 59));
  record.x = INT_MAX - 5, record.y = INT_MAX;
  EXPECT_TRUE(isPointIn(&record, INT_MAX - 5, INT_MAX)) << "pixel (0, 0), alpha 1";
  EXPECT_TRUE(isPointInRect(&record, INT_MAX, INT_MAX));
  EXPECT_FALSE(isPointInRect(&record, INT_MIN, INT_MAX));
  record.x = record.y = INT_MIN;
  EXPECT_TRUE(isPointIn(&record, INT_MIN, INT_MIN));
  EXPECT_FALSE(isPointInRect(&record, INT_MAX, INT_MIN));
}

TEST_F(PixelQueriesTest, PixelAndAlphaReadsStayInsideTheSurface) {
  std::int32_t r = -7, g = -7, b = -7;
  EXPECT_EQ(aMapValue(nullptr, 0, 0), -1);
  EXPECT_FALSE(pixelValue(nullptr, 0, 0, r, g, b));
  EXPECT_EQ(rgb(0, 0), std::make_tuple(-7, -7, -7));

  FakeSurface* surface = attach(Planes::kPixelsAndAlpha);
  surface->setPixel(19, 9, 0x80112233u);
  surface->setPixel(0, 0, 0x00FEDCBAu);
  EXPECT_EQ(aMapValue(&record, 19, 9), 0x80);
  EXPECT_EQ(aMapValue(&record, 0, 0), 0);
  EXPECT_EQ(rgb(19, 9), std::make_tuple(0x11, 0x22, 0x33));
  EXPECT_EQ(rgb(0, 0), std::make_tuple(0xFE, 0xDC, 0xBA));
  // Surface pixels, not screen pixels: the bounds are the surface's own.
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {20, 0}, {0, 10}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}}) {
    EXPECT_EQ(aMapValue(&record, x, y), -1) << x << "," << y;
    EXPECT_EQ(rgb(x, y), std::make_tuple(-7, -7, -7));
  }
}

TEST_F(PixelQueriesTest, SurfacesWithoutReadableAlphaOrPixels) {
  // Pixels without alpha map: every point of the rectangle hits; there is no alpha to read.
  attach(Planes::kPixelsOnly)->setPixel(3, 4, 0x00102030u);
  EXPECT_TRUE(isPointIn(&record, 103, 54));
  EXPECT_EQ(aMapValue(&record, 3, 4), -1);
  EXPECT_EQ(rgb(3, 4), std::make_tuple(0x10, 0x20, 0x30));

  // Alpha map without pixel plane; then an 8-bit surface claiming an alpha map, whose byte 3 of
  // the last pixel would lie outside the buffer: both answer as if there were nothing to read.
  for (const auto& [planes, bpp] : {std::pair{Planes::kAlphaOnly, 32}, {Planes::kPixelsAndAlpha, 8}}) {
    attach(planes, bpp);
    EXPECT_TRUE(isPointInRect(&record, 119, 59));
    EXPECT_FALSE(isPointIn(&record, 119, 59));
    EXPECT_EQ(aMapValue(&record, 19, 9), -1);
    EXPECT_EQ(rgb(19, 9), std::make_tuple(-7, -7, -7));
  }
}

}  // namespace
}  // namespace tamblet
