// Dilate grows masks span by span; this pins it byte for byte to the plain disc-per-pixel OR it
// replaced, over seeded random masks, radii and work areas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/CSurface8bpp.h"

namespace tamblet {
namespace {

TEST(DilateSpans, SameBytesAsTheDiscPerPixel) {
  std::mt19937 random(20261207);
  const float radii[] = {0.0f, 0.1f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 2.3f, 3.0f, 3.7f, 5.0f};
  for (int round = 0; round < 132; ++round) {
    const float radius = radii[round % std::size(radii)];
    const int k = int(std::ceil(radius)), c = 4 * k, n = 2 * c + 1;
    const int width = 1 + int(random() % 12), height = 1 + int(random() % 12), density = 1 + int(random() % 4);
    CSurface8bpp source, fast, slow;
    ASSERT_TRUE(source.Create(4 * width, 4 * height));
    for (int y = 0; y < 4 * height; ++y)  // sparse dots up to nearly solid blocks
      for (int x = 0; x < 4 * width; ++x)
        *source.GetPixelAddress(x, y) = int(random() % 8) < 2 * density - 1 ? std::uint8_t(1 + random() % 255) : 0;
    if (round % 2) {  // or strokes: rectangles whose rows repeat
      std::memset(source.GetPixelAddress(0, 0), 0, std::size_t(source.GetPitch()) * source.GetHeight());
      for (int stroke = 0; stroke < density; ++stroke) {
        const int x0 = int(random() % (4 * width)), y0 = int(random() % (4 * height));
        const int x1 = x0 + int(random() % (4 * width - x0)), y1 = y0 + int(random() % (4 * height - y0));
        for (int y = y0; y <= y1; ++y) std::memset(source.GetPixelAddress(x0, y), 1 + stroke, std::size_t(x1 - x0 + 1));
      }
    }
    for (CSurface8bpp* target : {&fast, &slow}) {  // a larger plane whose bytes past the work area must stay
      ASSERT_TRUE(target->Create(4 * (width + 2 * k) + 7, 4 * (height + 2 * k) + 3));
      std::memset(target->GetPixelAddress(0, 0), 0x21, std::size_t(target->GetPitch()) * target->GetHeight());
      ASSERT_TRUE(target->PrepareEdge(width, height, k));
    }
    ASSERT_TRUE(fast.Dilate(&source, radius));
    ASSERT_TRUE(slow.buildKernel(radius));  // the former algorithm: the whole kernel ORed at every set pixel
    for (int y = 0; y < 4 * height; ++y)
      for (int x = 0; x < 4 * width; ++x)
        for (int i = 0; *source.GetPixelAddress(x, y) && i < n; ++i)
          for (int j = 0; j < n; ++j) *slow.GetPixelAddress(x + j, y + i) |= slow.kernel()[i * n + j];
    const std::size_t bytes = std::size_t(fast.GetPitch()) * fast.GetHeight();
    ASSERT_EQ(std::memcmp(fast.GetPixelAddress(0, 0), slow.GetPixelAddress(0, 0), bytes), 0) << radius;
  }
}

}  // namespace
}  // namespace tamblet
