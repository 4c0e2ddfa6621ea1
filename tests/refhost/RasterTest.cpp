#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "host/Modules.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::ISurface;
using tamblet::testing::callSlot;

// A rectangle as scripts may pass it, hostile ones included.
struct Box {
  std::int32_t x, y, width, height;
};

// clang-format off
const Box kBoxes[] = {{0, 0, 6, 5}, {-2, -1, 4, 3}, {3, 2, 100, 100}, {5, 4, 1, 1}, {6, 0, 2, 2}, {0, 5, 2, 2},
                      {-3, 0, 2, 5}, {1, 1, 0, 3}, {1, 1, -4, 3}, {INT32_MIN, 0, INT32_MAX, 5},
                      {INT32_MIN, INT32_MIN, -1, -1}, {0, 0, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX, INT32_MAX, 1},
                      {-1, -1, INT32_MAX, 3}, {2, INT32_MIN + 1, 2, INT32_MAX}};
// clang-format on

bool inside(std::int64_t x, std::int64_t y, const Box& box) {
  return x >= box.x && y >= box.y && x < std::int64_t{box.x} + box.width && y < std::int64_t{box.y} + box.height;
}

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

  ISurface* make(std::int32_t width, std::int32_t height, PixelStore::Planes planes, std::int32_t bpp = 32) {
    SurfaceFactory& factory = host().surfaceFactory();
    ISurface* surface = planes == PixelStore::Planes::PixelsAndAlpha ? factory.Create(width, height, bpp)
                        : planes == PixelStore::Planes::PixelsOnly   ? factory.CreatePixelOnly(width, height, bpp)
                                                                     : factory.CreateAMapOnly(width, height);
    surfaces_.push_back(surface);
    return surface;
  }

  // Every byte of the surface (pixel plane, then alpha plane) set from the random source.
  void scramble(ISurface* surface) {
    for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
      for (std::int32_t x = 0; x < surface->GetWidth(); ++x) {
        if (std::uint8_t* pixel = surface->GetPixelAddress(x, y)) {
          for (std::int32_t i = 0; i < surface->GetBpp() / 8; ++i) pixel[i] = static_cast<std::uint8_t>(random_());
        }
        if (std::uint8_t* alpha = surface->GetAMapAddress(x, y)) *alpha = static_cast<std::uint8_t>(random_());
      }
    }
  }

  tamblet::IGraph3* raster_ = nullptr;
  std::vector<ISurface*> surfaces_;
  std::mt19937 random_{12345};
};

std::uint32_t pixel(ISurface* surface, std::int32_t x, std::int32_t y) {
  std::uint32_t value;
  std::memcpy(&value, surface->GetPixelAddress(x, y), 4);
  return value;
}

std::vector<std::uint32_t> pixels(ISurface* surface) {
  std::vector<std::uint32_t> all;
  for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
    for (std::int32_t x = 0; x < surface->GetWidth(); ++x) all.push_back(pixel(surface, x, y));
  }
  return all;
}

std::vector<std::uint8_t> plane(ISurface* surface) {
  std::vector<std::uint8_t> all;
  for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
    for (std::int32_t x = 0; x < surface->GetWidth(); ++x) all.push_back(*surface->GetAMapAddress(x, y));
  }
  return all;
}

TEST_F(RasterTest, FillColorWritesBlueGreenRedInsideTheClippedRectangleOnly) {
  ISurface* surface = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  for (const Box& box : kBoxes) {
    scramble(surface);
    std::vector<std::uint32_t> expected = pixels(surface);
    for (std::int32_t y = 0; y < 5; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        std::uint32_t& value = expected[static_cast<std::size_t>(y * 6 + x)];
        if (inside(x, y, box)) value = (value & 0xFF000000u) | 0x00AB2233u;  // red 0x1AB keeps its low byte
      }
    }
    EXPECT_TRUE(callSlot<bool>(raster_, 3, surface, box.x, box.y, box.width, box.height, 0x1AB, 0x22, 0x33, 0));
    EXPECT_EQ(pixels(surface), expected) << box.x << "," << box.y << "," << box.width << "," << box.height;
  }
  EXPECT_FALSE(raster_->FillColor(nullptr, 0, 0, 1, 1, 0, 0, 0, 0));
  EXPECT_FALSE(raster_->FillColor(make(2, 2, PixelStore::Planes::AlphaOnly), 0, 0, 1, 1, 0, 0, 0, 0));
}

TEST_F(RasterTest, FillAlphaWritesByteThreeOrTheAlphaPlane) {
  ISurface* colour = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* mask = make(6, 5, PixelStore::Planes::AlphaOnly);
  for (const Box& box : kBoxes) {
    scramble(colour);
    scramble(mask);
    std::vector<std::uint32_t> expectedColour = pixels(colour);
    std::vector<std::uint8_t> expectedMask = plane(mask);
    for (std::int32_t y = 0; y < 5; ++y) {
      for (std::int32_t x = 0; x < 6; ++x) {
        if (!inside(x, y, box)) continue;
        auto index = static_cast<std::size_t>(y * 6 + x);
        expectedColour[index] = (expectedColour[index] & 0x00FFFFFFu) | 0x80000000u;
        expectedMask[index] = 0x80;
      }
    }
    EXPECT_TRUE(callSlot<bool>(raster_, 4, colour, box.x, box.y, box.width, box.height, 0x180));
    EXPECT_TRUE(callSlot<bool>(raster_, 4, mask, box.x, box.y, box.width, box.height, 0x180));
    EXPECT_EQ(pixels(colour), expectedColour);
    EXPECT_EQ(plane(mask), expectedMask);
  }
  ISurface* pixelOnly = make(3, 3, PixelStore::Planes::PixelsOnly);
  EXPECT_FALSE(raster_->FillAlpha(pixelOnly, 0, 0, 3, 3, 255));
  EXPECT_EQ(pixels(pixelOnly), std::vector<std::uint32_t>(9, 0u));
  EXPECT_FALSE(raster_->FillAlpha(nullptr, 0, 0, 3, 3, 255));
}

TEST_F(RasterTest, CopyMovesAllFourBytesClippedToBothSurfaces) {
  ISurface* destination = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* source = make(4, 7, PixelStore::Planes::PixelsAndAlpha);
  const std::pair<std::int32_t, std::int32_t> sourceOrigins[] = {{0, 0}, {1, 2}, {-2, 3}, {3, -4}, {INT32_MIN, 0}};
  for (const Box& box : kBoxes) {
    for (auto [sx, sy] : sourceOrigins) {
      scramble(destination);
      scramble(source);
      std::vector<std::uint32_t> expected = pixels(destination);
      for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
          const std::int64_t fromX = std::int64_t{x} - box.x + sx, fromY = std::int64_t{y} - box.y + sy;
          if (inside(x, y, box) && fromX >= 0 && fromY >= 0 && fromX < 4 && fromY < 7) {
            expected[static_cast<std::size_t>(y * 6 + x)] =
                pixel(source, static_cast<std::int32_t>(fromX), static_cast<std::int32_t>(fromY));
          }
        }
      }
      EXPECT_TRUE(callSlot<bool>(raster_, 77, destination, box.x, box.y, source, sx, sy, box.width, box.height));
      ASSERT_EQ(pixels(destination), expected) << box.x << "," << box.y << " from " << sx << "," << sy;
    }
  }
  EXPECT_FALSE(raster_->Copy(nullptr, 0, 0, source, 0, 0, 1, 1));
  EXPECT_FALSE(raster_->Copy(destination, 0, 0, nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(raster_->Copy(destination, 0, 0, make(2, 2, PixelStore::Planes::PixelsOnly, 8), 0, 0, 1, 1));
}

TEST_F(RasterTest, CopyWithinOneSurfaceReadsEveryRowBeforeOverwritingIt) {
  ISurface* surface = make(4, 6, PixelStore::Planes::PixelsAndAlpha);
  for (auto [dx, dy] : {std::pair{1, 2}, std::pair{-1, -2}, std::pair{2, 0}}) {
    scramble(surface);
    const std::vector<std::uint32_t> before = pixels(surface);
    std::vector<std::uint32_t> expected = before;
    for (std::int32_t y = 0; y < 6; ++y) {
      for (std::int32_t x = 0; x < 4; ++x) {
        const std::int32_t fromX = x - dx, fromY = y - dy;
        if (fromX >= 0 && fromY >= 0 && fromX < 4 && fromY < 6) {
          expected[static_cast<std::size_t>(y * 4 + x)] = before[static_cast<std::size_t>(fromY * 4 + fromX)];
        }
      }
    }
    EXPECT_TRUE(raster_->Copy(surface, dx, dy, surface, 0, 0, 4, 6));
    EXPECT_EQ(pixels(surface), expected) << dx << "," << dy;
  }
}

TEST_F(RasterTest, CopyBetweenKindsCarriesAlphaOnly) {
  ISurface* colour = make(3, 2, PixelStore::Planes::PixelsAndAlpha);
  ISurface* mask = make(3, 2, PixelStore::Planes::AlphaOnly);
  ISurface* otherMask = make(3, 2, PixelStore::Planes::AlphaOnly);
  ISurface* opaque = make(3, 2, PixelStore::Planes::PixelsOnly);
  scramble(colour);
  scramble(mask);
  const std::vector<std::uint32_t> colourBefore = pixels(colour);

  EXPECT_TRUE(raster_->Copy(colour, 0, 0, mask, 0, 0, 3, 2));  // the plane lands in byte 3
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(pixels(colour)[i], (colourBefore[i] & 0x00FFFFFFu) | std::uint32_t{plane(mask)[i]} << 24);
  }
  EXPECT_TRUE(raster_->Copy(otherMask, 1, 0, colour, 0, 0, 3, 2));  // byte 3 lands in the plane
  EXPECT_EQ(plane(otherMask),
            (std::vector<std::uint8_t>{0, plane(mask)[0], plane(mask)[1], 0, plane(mask)[3], plane(mask)[4]}));
  EXPECT_TRUE(raster_->Copy(otherMask, 0, 0, mask, 0, 0, 3, 2));
  EXPECT_EQ(plane(otherMask), plane(mask));

  scramble(opaque);
  EXPECT_TRUE(raster_->Copy(colour, 0, 0, opaque, 0, 0, 3, 2));  // a source without alpha map is opaque
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(pixels(colour)[i], pixels(opaque)[i] | 0xFF000000u);
  EXPECT_FALSE(raster_->Copy(opaque, 0, 0, mask, 0, 0, 3, 2));  // nothing in common
}

TEST_F(RasterTest, BlendColorMovesEachChannelTowardsTheColourByTheSourceAlpha) {
  ISurface* destination = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* colourSource = make(5, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* maskSource = make(5, 5, PixelStore::Planes::AlphaOnly);
  for (ISurface* source : {colourSource, maskSource}) {
    for (const Box& box : kBoxes) {
      scramble(destination);
      scramble(source);
      std::vector<std::uint32_t> expected = pixels(destination);
      const std::int32_t colour[3] = {0x33, 0xC0, 0x0F};  // b, g, r
      for (std::int32_t y = 0; y < 5; ++y) {
        for (std::int32_t x = 0; x < 6; ++x) {
          const std::int64_t fromX = std::int64_t{x} - box.x + 1, fromY = std::int64_t{y} - box.y;
          if (!inside(x, y, box) || fromX < 0 || fromY < 0 || fromX >= 5 || fromY >= 5) continue;
          const auto fx = static_cast<std::int32_t>(fromX), fy = static_cast<std::int32_t>(fromY);
          const int alpha = source == maskSource ? *source->GetAMapAddress(fx, fy) : pixel(source, fx, fy) >> 24;
          std::uint32_t& value = expected[static_cast<std::size_t>(y * 6 + x)];
          std::uint32_t blended = value & 0xFF000000u;
          for (int c = 0; c < 3; ++c) {
            const int d = static_cast<int>((value >> (8 * c)) & 0xFF);
            blended |= static_cast<std::uint32_t>(d + (((colour[c] - d) * alpha) >> 8)) << (8 * c);
          }
          value = blended;
        }
      }
      EXPECT_TRUE(callSlot<bool>(raster_, 5, destination, box.x, box.y, source, 1, 0, box.width, box.height, 0x10F,
                                 0xC0, 0x33));
      ASSERT_EQ(pixels(destination), expected) << box.x << "," << box.y << "," << box.width << "," << box.height;
    }
  }
  // Exact values: full alpha stops one short of white; none leaves the pixel.
  ISurface* one = make(2, 1, PixelStore::Planes::PixelsAndAlpha);
  ISurface* alpha = make(2, 1, PixelStore::Planes::AlphaOnly);
  alpha->GetAMapAddress(0, 0)[0] = 255;
  EXPECT_TRUE(raster_->BlendColor(one, 0, 0, alpha, 0, 0, 2, 1, 255, 255, 255));
  EXPECT_EQ(pixel(one, 0, 0), 0x00FEFEFEu);
  EXPECT_EQ(pixel(one, 1, 0), 0u);
  EXPECT_FALSE(raster_->BlendColor(one, 0, 0, make(2, 1, PixelStore::Planes::PixelsOnly), 0, 0, 2, 1, 1, 1, 1));
  EXPECT_FALSE(raster_->BlendColor(nullptr, 0, 0, alpha, 0, 0, 2, 1, 1, 1, 1));
}

TEST_F(RasterTest, InitializeAnswersAsConfigured) {
  EXPECT_TRUE(callSlot<bool>(raster_, 2));
  host().raster().setInitializeResult(false);
  EXPECT_FALSE(callSlot<bool>(raster_, 2));
  EXPECT_EQ(host().raster().initializeCalls(), 2);
}

}  // namespace
}  // namespace refhost::testing
