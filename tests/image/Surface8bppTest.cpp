// The 8-bit mask surface: its slots, plane geometry, work area, disc kernel and dilation.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "image/CSurface8bpp.h"
#include "tests/support/VTable.h"

namespace tamblet {
namespace {

using testing::callSlot;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// A source whose rows are exactly `width` bytes in a block of exactly width × height, so any
// read past its plane is caught by AddressSanitizer.
struct TightSurface final : ISurface {
  TightSurface(int w, int h, int depth = 8) : width(w), height(h), bpp(depth), bytes(std::size_t(w) * h) {}
  ~TightSurface() = default;
  std::int32_t AddRef() override { return 1; }
  std::int32_t Release() override { return 0; }
  std::uint8_t* GetPixelAddress(std::int32_t x, std::int32_t y) override { return &bytes[y * width + x]; }
  std::uint8_t* GetAMapAddress(std::int32_t, std::int32_t) override { return nullptr; }
  std::int32_t GetWidth() override { return width; }
  std::int32_t GetHeight() override { return height; }
  std::int32_t GetBpp() override { return bpp; }
  std::int32_t GetPitch() override { return width; }
  std::int32_t GetAMapPitch() override { return 0; }
  bool HasPixel() override { return true; }
  bool HasAMap() override { return false; }
  int width, height, bpp;
  std::vector<std::uint8_t> bytes;
};

int at(CSurface8bpp& surface, int x, int y) {
  return *surface.GetPixelAddress(x, y);
}

TEST(CSurface8bpp, SlotsPitchAndCreation) {
  CSurface8bpp surface;
  EXPECT_EQ(callSlot<std::uint8_t*>(&surface, 2, 0, 0), nullptr);
  ASSERT_TRUE(surface.Create(10, 3));
  std::uint8_t* base = callSlot<std::uint8_t*>(&surface, 2, 0, 0);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(base) % 8, 0u);
  EXPECT_EQ(callSlot<std::uint8_t*>(&surface, 2, 3, 2), base + 2 * 16 + 3);
  EXPECT_EQ(callSlot<std::uint8_t*>(&surface, 3, 0, 0), nullptr);
  const int answers[] = {10, 3, 8, 16, 0};  // slots 4-8: width, height, bpp, pitch, alpha pitch
  for (int slot = 4; slot <= 8; ++slot) EXPECT_EQ(callSlot<std::int32_t>(&surface, slot), answers[slot - 4]);
  EXPECT_TRUE(callSlot<bool>(&surface, 9));
  EXPECT_FALSE(callSlot<bool>(&surface, 10));
  EXPECT_EQ(callSlot<std::int32_t>(&surface, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(&surface, 1), 1);
  EXPECT_TRUE(surface.HasPixel());
  EXPECT_EQ(callSlot<std::int32_t>(&surface, 1), 0);  // emptied, not freed: a member of its owner
  EXPECT_EQ(surface.GetPixelAddress(0, 0), nullptr);
  EXPECT_EQ(surface.GetWidth() | surface.GetHeight() | surface.GetPitch(), 0);

  for (auto [width, pitch] : {std::pair{1, 16}, {16, 16}, {17, 32}, {33, 48}}) {
    ASSERT_TRUE(surface.Create(width, 2));
    EXPECT_EQ(surface.GetPitch(), pitch);
  }
  EXPECT_FALSE(surface.Create(0, 5));
  EXPECT_EQ(surface.GetWidth() | surface.GetHeight() | surface.GetPitch(), 0);
  EXPECT_FALSE(surface.Create(INT_MAX, INT_MAX));
  EXPECT_FALSE(surface.Create(INT_MIN, 1));
  EXPECT_FALSE(surface.Create(8192, 8192));  // 64 MiB plus the spare bytes
}

TEST(CSurface8bpp, PrepareEdgeKeepsLargerStorageAndClearsOnlyTheWorkArea) {
  CSurface8bpp surface;
  ASSERT_TRUE(surface.PrepareEdge(10, 8, 2));
  EXPECT_EQ(surface.workWidth() * 1000 + surface.workHeight(), 56048);
  std::uint8_t* base = surface.GetPixelAddress(0, 0);
  std::memset(base, 0x5A, 64 * 48);
  ASSERT_TRUE(surface.PrepareEdge(3, 2, 1));  // 20 × 16 inside the kept 56 × 48 plane
  EXPECT_EQ(surface.GetPixelAddress(0, 0), base);
  EXPECT_EQ(surface.GetWidth(), 56);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_EQ(base[y * 64 + x], (x < 20 && y < 16) ? 0 : 0x5A);
  EXPECT_FALSE(surface.PrepareEdge(-3, 2, 1));
  EXPECT_FALSE(surface.PrepareEdge(INT_MAX, 1, INT_MAX));
  EXPECT_FALSE(surface.PrepareEdge(INT_MIN, INT_MIN, INT_MIN));
  EXPECT_FALSE(surface.PrepareEdge(1 << 20, 1 << 20, 0));
  EXPECT_EQ(surface.workWidth(), 20);
}

void expectDisc(const std::vector<std::uint8_t>& kernel, int n, int reachSquared) {
  ASSERT_EQ(kernel.size(), std::size_t(n * n));
  for (int i = 0, c = n / 2; i < n; ++i)
    for (int j = 0; j < n; ++j)
      EXPECT_EQ(kernel[i * n + j], (i - c) * (i - c) + (j - c) * (j - c) <= reachSquared ? 255 : 0);
}

TEST(CSurface8bpp, KernelIsADiscAtScale) {
  CSurface8bpp surface;
  ASSERT_TRUE(surface.buildKernel(1.0f));
  expectDisc(surface.kernel(), 9, 16);  // corners 0, (0, 4) at distance exactly 4 set
  const std::uint8_t* kept = surface.kernel().data();
  ASSERT_TRUE(surface.buildKernel(0.5f));  // same 9 × 9, rebuilt in place
  EXPECT_EQ(surface.kernel().data(), kept);
  expectDisc(surface.kernel(), 9, 4);
  ASSERT_TRUE(surface.buildKernel(1.25f));
  expectDisc(surface.kernel(), 17, 25);
  for (float bad : {-0.5f, kNaN, std::numeric_limits<float>::infinity(), 1024.5f, 1e9f})
    EXPECT_FALSE(surface.buildKernel(bad));
}

// Dilate grows masks span by span: byte for byte the plain disc-per-pixel OR it replaced, over seeded random
// masks (sparse dots to nearly solid, or strokes whose rows repeat), radii and work areas, inside a larger plane
// whose bytes past the work area must stay. The tight source puts every byte past its plane outside the buffer.
TEST(CSurface8bpp, DilateGivesTheDiscPerPixelBytes) {
  std::mt19937 random(20261207);
  const float radii[] = {0.0f, 0.1f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 2.3f, 3.0f, 3.7f, 5.0f};
  for (int round = 0; round < 132; ++round) {
    const float radius = radii[round % std::size(radii)];
    const int k = int(std::ceil(radius)), c = 4 * k, n = 2 * c + 1;
    const int width = 1 + int(random() % 12), height = 1 + int(random() % 12), density = 1 + int(random() % 4);
    TightSurface source(4 * width, 4 * height);
    for (auto& byte : source.bytes) byte = int(random() % 8) < 2 * density - 1 ? std::uint8_t(1 + random() % 255) : 0;
    if (round % 2) {
      std::fill(source.bytes.begin(), source.bytes.end(), 0);
      for (int stroke = 0; stroke < density; ++stroke) {
        const int x0 = int(random() % (4 * width)), y0 = int(random() % (4 * height));
        const int x1 = x0 + int(random() % (4 * width - x0)), y1 = y0 + int(random() % (4 * height - y0));
        for (int y = y0; y <= y1; ++y) std::memset(source.GetPixelAddress(x0, y), 1 + stroke, std::size_t(x1 - x0 + 1));
      }
    }
    CSurface8bpp fast, slow;
    for (CSurface8bpp* target : {&fast, &slow}) {
      ASSERT_TRUE(target->Create(4 * (width + 2 * k) + 7, 4 * (height + 2 * k) + 3));
      std::memset(target->GetPixelAddress(0, 0), 0x21, std::size_t(target->GetPitch()) * target->GetHeight());
      ASSERT_TRUE(target->PrepareEdge(width, height, k));
    }
    ASSERT_TRUE(fast.Dilate(&source, radius));
    ASSERT_TRUE(slow.buildKernel(radius));
    for (int y = 0; y < 4 * height; ++y)
      for (int x = 0; x < 4 * width; ++x)
        for (int i = 0; *source.GetPixelAddress(x, y) && i < n; ++i)
          for (int j = 0; j < n; ++j) *slow.GetPixelAddress(x + j, y + i) |= slow.kernel()[i * n + j];
    const std::size_t bytes = std::size_t(fast.GetPitch()) * fast.GetHeight();
    ASSERT_EQ(std::memcmp(fast.GetPixelAddress(0, 0), slow.GetPixelAddress(0, 0), bytes), 0) << radius;
  }
  CSurface8bpp surface;
  ASSERT_TRUE(surface.PrepareEdge(3, 2, 1));
  TightSurface small(2, 1);  // smaller than the mask: read only within its own plane
  small.bytes[1] = 9;
  ASSERT_TRUE(surface.Dilate(&small, 1.0f));
  EXPECT_EQ(at(surface, 5, 0) * 1000 + at(surface, 4, 0), 255000);
}

TEST(CSurface8bpp, DilateRefusesWhatItCannotDoSafely) {
  CSurface8bpp surface, emptySource;
  TightSurface source(8, 8), colour(8, 8, 32);
  source.bytes[0] = 255;
  EXPECT_TRUE(surface.Dilate(&source, 1.0f));  // no work area yet: nothing to grow
  ASSERT_TRUE(surface.PrepareEdge(2, 2, 1));   // 16 × 16
  EXPECT_FALSE(surface.Dilate(nullptr, 1.0f));
  EXPECT_FALSE(surface.Dilate(&colour, 1.0f));
  EXPECT_FALSE(surface.Dilate(&emptySource, 1.0f));
  for (float bad : {kNaN, -1.0f, 5000.0f}) EXPECT_FALSE(surface.Dilate(&source, bad));
  EXPECT_TRUE(surface.Dilate(&source, 2.0f));  // a 17 × 17 kernel exceeds the area: nothing written
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) ASSERT_EQ(at(surface, x, y), 0);
  ASSERT_TRUE(surface.Create(4, 4));  // the plane shrank below the recorded work area
  EXPECT_FALSE(surface.Dilate(&source, 1.0f));
  ASSERT_TRUE(surface.PrepareEdge(2, 2, 1));
  surface.Release();  // count 1 → 0: storage emptied
  EXPECT_FALSE(surface.Dilate(&source, 1.0f));
}

}  // namespace
}  // namespace tamblet
