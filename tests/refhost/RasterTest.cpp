#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
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

// Every pixel (or alpha-plane byte) in row order, passed through `change` when one is given.
using Change = std::function<std::uint32_t(std::int32_t x, std::int32_t y, std::uint32_t value)>;
std::vector<std::uint32_t> values(ISurface* surface, bool alphaPlane = false, const Change& change = nullptr) {
  std::vector<std::uint32_t> all;
  for (std::int32_t y = 0; y < surface->GetHeight(); ++y) {
    for (std::int32_t x = 0; x < surface->GetWidth(); ++x) {
      const std::uint32_t value = alphaPlane ? *surface->GetAMapAddress(x, y) : pixel(surface, x, y);
      all.push_back(change ? change(x, y, value) : value);
    }
  }
  return all;
}

TEST_F(RasterTest, FillsWriteTheClippedRectangleOnly) {
  ISurface* colour = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* mask = make(6, 5, PixelStore::Planes::AlphaOnly);
  for (const Box& box : kBoxes) {
    SCOPED_TRACE(::testing::Message() << box.x << "," << box.y << "," << box.width << "," << box.height);
    scramble(colour);
    // Blue, green, red; red 0x1AB keeps its low byte.
    auto expected = values(colour, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
      return inside(x, y, box) ? (value & 0xFF000000u) | 0x00AB2233u : value;
    });
    EXPECT_TRUE(callSlot<bool>(raster_, 3, colour, box.x, box.y, box.width, box.height, 0x1AB, 0x22, 0x33, 0));
    EXPECT_EQ(values(colour), expected);

    // Alpha lands in byte 3, or in the alpha plane.
    scramble(mask);
    expected = values(colour, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
      return inside(x, y, box) ? (value & 0x00FFFFFFu) | 0x80000000u : value;
    });
    auto expectedMask = values(mask, true, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
      return inside(x, y, box) ? 0x80u : value;
    });
    EXPECT_TRUE(callSlot<bool>(raster_, 4, colour, box.x, box.y, box.width, box.height, 0x180));
    EXPECT_TRUE(callSlot<bool>(raster_, 4, mask, box.x, box.y, box.width, box.height, 0x180));
    EXPECT_EQ(values(colour), expected);
    EXPECT_EQ(values(mask, true), expectedMask);
  }
  EXPECT_FALSE(raster_->FillColor(nullptr, 0, 0, 1, 1, 0, 0, 0, 0));
  EXPECT_FALSE(raster_->FillColor(mask, 0, 0, 1, 1, 0, 0, 0, 0));
  ISurface* pixelOnly = make(3, 3, PixelStore::Planes::PixelsOnly);
  EXPECT_FALSE(raster_->FillAlpha(pixelOnly, 0, 0, 3, 3, 255));
  EXPECT_EQ(values(pixelOnly), std::vector<std::uint32_t>(9, 0u));
  EXPECT_FALSE(raster_->FillAlpha(nullptr, 0, 0, 3, 3, 255));
}

TEST_F(RasterTest, CopyMovesAllFourBytesClippedToBothSurfaces) {
  ISurface* destination = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* source = make(4, 7, PixelStore::Planes::PixelsAndAlpha);
  for (const Box& box : kBoxes) {
    for (auto [sx, sy] : {std::pair{0, 0}, {1, 2}, {-2, 3}, {3, -4}, {INT32_MIN, 0}}) {
      scramble(destination);
      scramble(source);
      const auto expected = values(destination, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
        const std::int64_t fromX = std::int64_t{x} - box.x + sx, fromY = std::int64_t{y} - box.y + sy;
        if (!inside(x, y, box) || fromX < 0 || fromY < 0 || fromX >= 4 || fromY >= 7) return value;
        return pixel(source, static_cast<std::int32_t>(fromX), static_cast<std::int32_t>(fromY));
      });
      EXPECT_TRUE(callSlot<bool>(raster_, 77, destination, box.x, box.y, source, sx, sy, box.width, box.height));
      ASSERT_EQ(values(destination), expected) << box.x << "," << box.y << " from " << sx << "," << sy;
    }
  }
  EXPECT_FALSE(raster_->Copy(nullptr, 0, 0, source, 0, 0, 1, 1));
  EXPECT_FALSE(raster_->Copy(destination, 0, 0, nullptr, 0, 0, 1, 1));
  EXPECT_FALSE(raster_->Copy(destination, 0, 0, make(2, 2, PixelStore::Planes::PixelsOnly, 8), 0, 0, 1, 1));

  // Within one surface every row is read before it is overwritten.
  ISurface* surface = make(4, 6, PixelStore::Planes::PixelsAndAlpha);
  for (auto [dx, dy] : {std::pair{1, 2}, std::pair{-1, -2}, std::pair{2, 0}}) {
    scramble(surface);
    const std::vector<std::uint32_t> before = values(surface);
    const auto expected = values(surface, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
      const std::int32_t fromX = x - dx, fromY = y - dy;
      return fromX >= 0 && fromY >= 0 && fromX < 4 && fromY < 6 ? before[static_cast<std::size_t>(fromY * 4 + fromX)]
                                                                : value;
    });
    EXPECT_TRUE(raster_->Copy(surface, dx, dy, surface, 0, 0, 4, 6));
    EXPECT_EQ(values(surface), expected) << dx << "," << dy;
  }
}

TEST_F(RasterTest, CopyBetweenKindsCarriesAlphaOnly) {
  ISurface* colour = make(3, 2, PixelStore::Planes::PixelsAndAlpha);
  ISurface* mask = make(3, 2, PixelStore::Planes::AlphaOnly);
  ISurface* otherMask = make(3, 2, PixelStore::Planes::AlphaOnly);
  ISurface* opaque = make(3, 2, PixelStore::Planes::PixelsOnly);
  scramble(colour);
  scramble(mask);
  scramble(opaque);
  const std::vector<std::uint32_t> alpha = values(mask, true);
  auto expected = values(colour, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
    return (value & 0x00FFFFFFu) | alpha[static_cast<std::size_t>(y * 3 + x)] << 24;
  });
  EXPECT_TRUE(raster_->Copy(colour, 0, 0, mask, 0, 0, 3, 2));  // the plane lands in byte 3
  EXPECT_EQ(values(colour), expected);
  EXPECT_TRUE(raster_->Copy(otherMask, 1, 0, colour, 0, 0, 3, 2));  // byte 3 lands in the plane
  EXPECT_EQ(values(otherMask, true), (std::vector<std::uint32_t>{0, alpha[0], alpha[1], 0, alpha[3], alpha[4]}));
  EXPECT_TRUE(raster_->Copy(otherMask, 0, 0, mask, 0, 0, 3, 2));
  EXPECT_EQ(values(otherMask, true), alpha);

  expected = values(opaque, false, [](std::int32_t, std::int32_t, std::uint32_t value) { return value | 0xFF000000u; });
  EXPECT_TRUE(raster_->Copy(colour, 0, 0, opaque, 0, 0, 3, 2));  // a source without alpha map is opaque
  EXPECT_EQ(values(colour), expected);
  EXPECT_FALSE(raster_->Copy(opaque, 0, 0, mask, 0, 0, 3, 2));  // nothing in common
}

TEST_F(RasterTest, BlendColorMovesEachChannelTowardsTheColourByTheSourceAlpha) {
  ISurface* destination = make(6, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* colourSource = make(5, 5, PixelStore::Planes::PixelsAndAlpha);
  ISurface* maskSource = make(5, 5, PixelStore::Planes::AlphaOnly);
  const int colour[3] = {0x33, 0xC0, 0x0F};  // b, g, r
  for (ISurface* source : {colourSource, maskSource}) {
    for (const Box& box : kBoxes) {
      scramble(destination);
      scramble(source);
      const auto expected = values(destination, false, [&](std::int32_t x, std::int32_t y, std::uint32_t value) {
        const std::int64_t fromX = std::int64_t{x} - box.x + 1, fromY = std::int64_t{y} - box.y;
        if (!inside(x, y, box) || fromX < 0 || fromY < 0 || fromX >= 5 || fromY >= 5) return value;
        const auto fx = static_cast<std::int32_t>(fromX), fy = static_cast<std::int32_t>(fromY);
        const int alpha = source == maskSource ? *source->GetAMapAddress(fx, fy) : pixel(source, fx, fy) >> 24;
        std::uint32_t blended = value & 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          const int d = static_cast<int>((value >> (8 * c)) & 0xFF);
          const int exact = (2 * (d * (255 - alpha) + colour[c] * alpha) + 255) / 510;  // nearest
          blended |= static_cast<std::uint32_t>(exact) << (8 * c);
        }
        return blended;
      });
      EXPECT_TRUE(callSlot<bool>(raster_, 5, destination, box.x, box.y, source, 1, 0, box.width, box.height, 0x10F,
                                 0xC0, 0x33));
      ASSERT_EQ(values(destination), expected) << box.x << "," << box.y << "," << box.width << "," << box.height;
    }
  }
  // Exact values: full alpha reaches the colour; half alpha rounds to nearest; none leaves the pixel.
  ISurface* one = make(3, 1, PixelStore::Planes::PixelsAndAlpha);
  ISurface* alpha = make(3, 1, PixelStore::Planes::AlphaOnly);
  alpha->GetAMapAddress(0, 0)[0] = 255;
  alpha->GetAMapAddress(1, 0)[0] = 128;  // 255 × 128 / 255 = 128; 1 × 128 / 255 = 0.502 → 1
  EXPECT_TRUE(raster_->BlendColor(one, 0, 0, alpha, 0, 0, 3, 1, 255, 1, 255));
  EXPECT_EQ(values(one), (std::vector<std::uint32_t>{0x00FF01FFu, 0x00800180u, 0u}));
  EXPECT_FALSE(raster_->BlendColor(one, 0, 0, make(2, 1, PixelStore::Planes::PixelsOnly), 0, 0, 2, 1, 1, 1, 1));
  EXPECT_FALSE(raster_->BlendColor(nullptr, 0, 0, alpha, 0, 0, 2, 1, 1, 1, 1));

  EXPECT_TRUE(callSlot<bool>(raster_, 2));  // Initialize answers as configured
  host().raster().setInitializeResult(false);
  EXPECT_FALSE(callSlot<bool>(raster_, 2));
  EXPECT_EQ(host().raster().initializeCalls(), 2);
}

}  // namespace
}  // namespace refhost::testing
