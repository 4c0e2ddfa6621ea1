// The blend kernels on every path against a reference written from the blending formulas, byte for byte, and
// the choice of path. The SIMD twins at every width, alignment and alpha run are pinned by the golden table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "compose/kernels/BlendKernels.h"

namespace {

using tamblet::kernels::BlendParams;
using tamblet::kernels::KernelPath;
using tamblet::kernels::kFlagClipper;
using tamblet::kernels::kFlagModulate;
using tamblet::kernels::kFlagRate;
using tamblet::kernels::kFlagSimd;
using tamblet::kernels::kFlagSourceAlpha;
using tamblet::kernels::normalKernel;

// ---- reference: the formulas, evaluated as plainly as possible --------------------------------------------

// x >> n on a signed value: division rounded towards minus infinity.
int floorShift(std::int64_t x, int n) { return static_cast<int>(std::floor(static_cast<double>(x) / (1 << n))); }
int saturate(int x) { return std::min(255, x); }
int screen(int d, int s) { return 255 - (255 - d) * (255 - s) / 255; }

int referenceCoverage(unsigned flags, int sourceAlpha, int clipperAlpha, int rate) {
  const bool alpha = flags & kFlagSourceAlpha, clip = flags & kFlagClipper, withRate = flags & kFlagRate;
  if (alpha && clip && withRate) return floorShift(std::int64_t{sourceAlpha} * clipperAlpha * rate, 16);
  if (alpha && clip) return floorShift(sourceAlpha * clipperAlpha, 8);
  if (alpha && withRate) return floorShift(sourceAlpha * rate, 8);
  if (clip && withRate) return floorShift(clipperAlpha * rate, 8);
  if (alpha) return sourceAlpha;
  if (clip) return clipperAlpha;
  return rate;
}

void referenceBlend(int method, unsigned flags, const std::uint8_t* src, std::uint8_t* d, int clipperAlpha,
                    const BlendParams& p) {
  int s[4];
  for (int i = 0; i < 4; ++i) {
    s[i] = src[i];
    if (flags & kFlagModulate) s[i] = saturate(floorShift(s[i] * p.multiply[i], 8) + p.add[i]);
  }
  if ((flags & (kFlagClipper | kFlagRate | kFlagSourceAlpha)) == 0) {
    if (method == 0) d[3] = static_cast<std::uint8_t>(s[3]);
    for (int i = 0; i < 3; ++i) {
      const int values[4] = {s[i], saturate(s[i] + d[i]), floorShift(s[i] * d[i], 8), screen(d[i], s[i])};
      d[i] = static_cast<std::uint8_t>(values[method]);
    }
    return;
  }
  const int a = referenceCoverage(flags, s[3], clipperAlpha, p.rate);
  for (int i = 0; i < 3; ++i) {
    const int dv = d[i];
    const int values[4] = {dv + floorShift((s[i] - dv) * a, 8), saturate(dv + floorShift(s[i] * a, 8)),
                           dv + floorShift((floorShift(s[i] * dv, 8) - dv) * a, 8),
                           dv + floorShift((screen(dv, s[i]) - dv) * a, 8)};
    d[i] = static_cast<std::uint8_t>(values[method]);
  }
}

std::vector<KernelPath> pathsOfThisProcessor() {
  std::vector<KernelPath> paths;
  for (KernelPath path : {KernelPath::kScalar, KernelPath::kSse2, KernelPath::kAvx2}) {
    if (tamblet::kernels::kernelPathSupported(path)) paths.push_back(path);
  }
  return paths;
}

// ---- exhaustive: every (source, destination) byte pair ------------------------------------------------------

TEST(BlendKernels, EveryMethodAndCoverageFormMatchesTheFormulasOverAllBytePairs) {
  constexpr int kPixels = 256 * 256;
  std::vector<std::uint8_t> src(4 * kPixels), dst(4 * kPixels), clip(4 * kPixels);
  std::mt19937 random(7);
  for (int i = 0; i < kPixels; ++i) {
    const int lo = i & 255, hi = i >> 8;
    // B and G see every (source, destination) pair; R and the alphas mix them so coverage varies too.
    const std::uint8_t s[4] = {std::uint8_t(lo), std::uint8_t(hi), std::uint8_t(hi ^ 0x5A), std::uint8_t(lo * 5 + hi * 3)};
    const std::uint8_t d[4] = {std::uint8_t(hi), std::uint8_t(lo), std::uint8_t(random()), std::uint8_t(random())};
    std::memcpy(&src[4 * i], s, 4);
    std::memcpy(&dst[4 * i], d, 4);
    clip[4 * i + 3] = std::uint8_t(lo ^ hi);
  }
  BlendParams identity;
  BlendParams modulated;
  const std::uint8_t multiply[4] = {128, 255, 17, 200}, add[4] = {10, 0, 255, 3};
  std::memcpy(modulated.multiply, multiply, 4);
  std::memcpy(modulated.add, add, 4);
  for (const std::uint8_t rate : {std::uint8_t{255}, std::uint8_t{200}, std::uint8_t{1}, std::uint8_t{0}}) {
    for (BlendParams params : {identity, modulated}) {
      params.rate = rate;
      params.clipper = clip.data();
      params.clipperPitch = 4 * 256;
      for (int method = 0; method < 4; ++method) {
        for (unsigned flags = 0; flags < 32; flags += 2) {
          std::vector<std::uint8_t> expected = dst;
          for (int i = 0; i < kPixels; ++i) {
            referenceBlend(method, flags, &src[4 * i], &expected[4 * i], clip[4 * i + 3], params);
          }
          for (KernelPath path : pathsOfThisProcessor()) {
            std::vector<std::uint8_t> actual = dst;
            normalKernel(path, method, flags | kFlagSimd)(actual.data(), 4 * 256, src.data(), 4 * 256, 256, 256, params);
            const auto firstDifference = std::mismatch(actual.begin(), actual.end(), expected.begin()).first;
            ASSERT_TRUE(firstDifference == actual.end())
                << "pixel " << (firstDifference - actual.begin()) / 4 << " method " << method << " flags " << flags
                << " rate " << int{rate} << " path " << tamblet::kernels::kernelPathName(path);
          }
        }
      }
    }
  }
}

TEST(BlendKernelPaths, ForcingAPathSwapsTheTwinsAndOutOfRangeKeysHaveNoKernel) {
  using namespace tamblet::kernels;
  const KernelPath original = activeKernelPath();
  ASSERT_TRUE(forceKernelPath(KernelPath::kScalar));
  EXPECT_EQ(normalKernel(2, kFlagSimd | kFlagRate), normalKernel(KernelPath::kScalar, 2, kFlagRate));
  ASSERT_TRUE(forceKernelPath(KernelPath::kSse2));
  EXPECT_EQ(normalKernel(2, kFlagSimd | kFlagRate), normalKernel(KernelPath::kSse2, 2, kFlagSimd | kFlagRate));
  EXPECT_NE(normalKernel(2, kFlagSimd | kFlagRate), normalKernel(KernelPath::kScalar, 2, kFlagRate));
  EXPECT_EQ(forceKernelPath(KernelPath::kAvx2), kernelPathSupported(KernelPath::kAvx2));
  for (const int method : {-1, 4, 7}) EXPECT_EQ(normalKernel(method, 0), nullptr);
  EXPECT_EQ(normalKernel(0, 32), nullptr);
  // Empty rectangles draw nothing.
  std::uint8_t pixel[4] = {1, 2, 3, 4};
  const std::uint8_t source[4] = {9, 9, 9, 9};
  for (unsigned flags = 0; flags < 32; ++flags) {
    normalKernel(0, flags)(pixel, 4, source, 4, 0, 1, BlendParams{});
    normalKernel(0, flags)(pixel, 4, source, 4, 5, 0, BlendParams{});
  }
  EXPECT_EQ(pixel[0] + pixel[1] + pixel[2] + pixel[3], 10);
  forceKernelPath(original);
}

}  // namespace
