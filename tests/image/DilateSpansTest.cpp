// Dilate grows masks span by span; this pins it byte for byte to the plain disc-per-pixel OR it
// replaced, over seeded random masks, radii and work areas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "image/CSurface8bpp.h"

namespace tamblet {
namespace {

// The disc OR of every set source pixel, written out directly (the former algorithm).
void referenceDilate(CSurface8bpp& target, CSurface8bpp& source, float radius) {
  const int c = 4 * static_cast<int>(std::ceil(radius)), n = 2 * c + 1;
  const int columns = std::min(target.workWidth() - 2 * c, source.GetWidth());
  const int rows = std::min(target.workHeight() - 2 * c, source.GetHeight());
  const std::vector<std::uint8_t>& kernel = target.kernel();
  for (int y = 0; y < rows; ++y)
    for (int x = 0; x < columns; ++x) {
      if (!*source.GetPixelAddress(x, y)) continue;
      for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) *target.GetPixelAddress(x + j, y + i) |= kernel[i * n + j];
    }
}

std::vector<std::uint8_t> plane(CSurface8bpp& surface) {
  const std::uint8_t* base = surface.GetPixelAddress(0, 0);
  return {base, base + std::size_t(surface.GetPitch()) * surface.GetHeight()};
}

TEST(DilateSpans, SameBytesAsTheDiscPerPixel) {
  std::mt19937 random(20261207);
  const float radii[] = {0.0f, 0.1f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 2.3f, 3.0f, 3.7f, 5.0f};
  for (int round = 0; round < 60; ++round) {
    const float radius = radii[round % std::size(radii)];
    const int k = static_cast<int>(std::ceil(radius));
    const int width = 1 + int(random() % 12), height = 1 + int(random() % 12);
    const int density = 1 + int(random() % 4);  // sparse dots up to solid blocks
    CSurface8bpp source, fast, slow;
    ASSERT_TRUE(source.Create(4 * width, 4 * height));
    for (int y = 0; y < 4 * height; ++y)
      for (int x = 0; x < 4 * width; ++x)
        *source.GetPixelAddress(x, y) = int(random() % 8) < 2 * density - 1 ? std::uint8_t(1 + random() % 255) : 0;
    for (CSurface8bpp* target : {&fast, &slow}) {
      ASSERT_TRUE(target->Create(4 * (width + 2 * k) + 7, 4 * (height + 2 * k) + 3));
      std::memset(target->GetPixelAddress(0, 0), 0x21, std::size_t(target->GetPitch()) * target->GetHeight());
      ASSERT_TRUE(target->PrepareEdge(width, height, k));
    }
    ASSERT_TRUE(fast.Dilate(&source, radius));
    ASSERT_TRUE(slow.buildKernel(radius));
    referenceDilate(slow, source, radius);
    ASSERT_EQ(plane(fast), plane(slow)) << "round " << round << ", radius " << radius;
  }
}

}  // namespace
}  // namespace tamblet
