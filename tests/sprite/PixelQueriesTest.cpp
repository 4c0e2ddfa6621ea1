#include <gtest/gtest.h>

#include <climits>

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
  FakeSurface* attach(Planes planes, std::int32_t bpp = 32) {
    auto* surface = new FakeSurface(20, 10, planes, bpp);
    record.setSurface(surface);
    surface->Release();
    return surface;
  }
  SpriteRecord record{1, nullptr, nullptr};

  void SetUp() override {
    record.x = 100;
    record.y = 50;
  }
};

TEST_F(PixelQueriesTest, RectangleEdgesAndAlphaDecideHits) {
  EXPECT_FALSE(isPointIn(nullptr, 0, 0));
  EXPECT_FALSE(isPointInRect(nullptr, 0, 0));
  EXPECT_FALSE(isPointInRect(&record, 100, 50)) << "no surface";

  FakeSurface* surface = attach(Planes::kPixelsAndAlpha);
  surface->setPixel(0, 0, 0x01000000u);   // alpha 1
  surface->setPixel(19, 9, 0xFF000000u);  // opaque
  surface->setPixel(5, 5, 0x00FFFFFFu);   // white but fully transparent
  EXPECT_TRUE(isPointInRect(&record, 100, 50));
  EXPECT_TRUE(isPointInRect(&record, 119, 59));
  EXPECT_FALSE(isPointInRect(&record, 120, 50));
  EXPECT_FALSE(isPointInRect(&record, 100, 60));
  EXPECT_FALSE(isPointInRect(&record, 99, 50));
  EXPECT_FALSE(isPointInRect(&record, 100, 49));

  EXPECT_TRUE(isPointIn(&record, 100, 50));
  EXPECT_TRUE(isPointIn(&record, 119, 59));
  EXPECT_FALSE(isPointIn(&record, 105, 55));
  EXPECT_TRUE(isPointInRect(&record, 105, 55));
  EXPECT_FALSE(isPointIn(&record, 120, 50));

  // Show flag, blend rate and surface area play no part.
  record.show = false;
  record.blendRate = 0;
  record.surfaceArea = {5, 5, 2, 2};
  EXPECT_TRUE(isPointIn(&record, 119, 59));

  // Extreme coordinates neither overflow nor wrap into the rectangle.
  EXPECT_FALSE(isPointInRect(&record, INT_MIN, INT_MIN));
  EXPECT_FALSE(isPointInRect(&record, INT_MAX, INT_MAX));
  record.x = INT_MAX - 5;
  record.y = INT_MAX;
  EXPECT_TRUE(isPointInRect(&record, INT_MAX, INT_MAX));
  EXPECT_TRUE(isPointIn(&record, INT_MAX - 5, INT_MAX)) << "pixel (0, 0), alpha 1";
  EXPECT_FALSE(isPointInRect(&record, INT_MIN, INT_MAX));
  record.x = INT_MIN;
  record.y = INT_MIN;
  EXPECT_TRUE(isPointIn(&record, INT_MIN, INT_MIN));
  EXPECT_FALSE(isPointInRect(&record, INT_MAX, INT_MIN));
}

TEST_F(PixelQueriesTest, PixelAndAlphaReadsStayInsideTheSurface) {
  std::int32_t r = -7, g = -7, b = -7;
  EXPECT_EQ(aMapValue(nullptr, 0, 0), -1);
  EXPECT_FALSE(pixelValue(nullptr, 0, 0, r, g, b));
  EXPECT_FALSE(pixelValue(&record, 0, 0, r, g, b));

  FakeSurface* surface = attach(Planes::kPixelsAndAlpha);
  surface->setPixel(19, 9, 0x80112233u);  // A 0x80, R 0x11, G 0x22, B 0x33
  surface->setPixel(0, 0, 0x00FEDCBAu);
  EXPECT_EQ(aMapValue(&record, 19, 9), 0x80);
  EXPECT_EQ(aMapValue(&record, 0, 0), 0);
  ASSERT_TRUE(pixelValue(&record, 19, 9, r, g, b));
  EXPECT_EQ(r, 0x11);
  EXPECT_EQ(g, 0x22);
  EXPECT_EQ(b, 0x33);
  ASSERT_TRUE(pixelValue(&record, 0, 0, r, g, b));
  EXPECT_EQ(r, 0xFE);
  EXPECT_EQ(g, 0xDC);
  EXPECT_EQ(b, 0xBA);

  // Surface pixels, not screen pixels: the bounds are the surface's own.
  r = g = b = -7;
  for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {20, 0}, {0, 10}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}}) {
    EXPECT_EQ(aMapValue(&record, x, y), -1) << x << "," << y;
    EXPECT_FALSE(pixelValue(&record, x, y, r, g, b));
  }
  EXPECT_EQ(r, -7);
  EXPECT_EQ(g, -7);
  EXPECT_EQ(b, -7);
}

TEST_F(PixelQueriesTest, SurfacesWithoutReadableAlphaOrPixels) {
  std::int32_t r = -7, g = -7, b = -7;

  // Pixels without alpha map: every point of the rectangle hits; there is no alpha to read.
  FakeSurface* pixelsOnly = attach(Planes::kPixelsOnly);
  pixelsOnly->setPixel(3, 4, 0x00102030u);
  EXPECT_TRUE(isPointIn(&record, 103, 54));
  EXPECT_EQ(aMapValue(&record, 3, 4), -1);
  ASSERT_TRUE(pixelValue(&record, 3, 4, r, g, b));
  EXPECT_EQ(r, 0x10);

  // Alpha map without pixel plane: no pixel address, so nothing is read.
  attach(Planes::kAlphaOnly);
  r = g = b = -7;
  EXPECT_TRUE(isPointInRect(&record, 110, 55));
  EXPECT_FALSE(isPointIn(&record, 110, 55));
  EXPECT_EQ(aMapValue(&record, 10, 5), -1);
  EXPECT_FALSE(pixelValue(&record, 10, 5, r, g, b));

  // An 8-bit surface that claims an alpha map: reading byte 3 of the last pixel would leave the
  // buffer, so these answer as if there were nothing to read.
  attach(Planes::kPixelsAndAlpha, 8);
  EXPECT_TRUE(isPointInRect(&record, 119, 59));
  EXPECT_FALSE(isPointIn(&record, 119, 59));
  EXPECT_EQ(aMapValue(&record, 19, 9), -1);
  EXPECT_FALSE(pixelValue(&record, 19, 9, r, g, b));
  EXPECT_EQ(r, -7);
}

}  // namespace
}  // namespace tamblet
