// Golden checksums of the kernel tables: every (method, flags) blend kernel and every transform variant, run over
// seeded random pixels on every kernel path the processor has. One stored CRC-32 per table pins the bytes, and
// every path must give it, so a change of one byte on any path fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "compose/kernels/BlendKernels.h"
#include "compose/kernels/TransformKernels.h"
#include "tests/support/Checksum.h"

namespace {

namespace k = tamblet::kernels;
using tamblet::testing::Checksum;

constexpr std::uint32_t kNormalTableCrc = 0x6f18a8f9u;
constexpr std::uint32_t kTransformTableCrc = 0x3bcbf868u;

std::vector<std::uint8_t> randomBytes(std::mt19937& random, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return bytes;
}

k::BlendParams randomParams(std::mt19937& random) {
  k::BlendParams params;
  for (int i = 0; i < 4; ++i) {
    params.multiply[i] = static_cast<std::uint8_t>(random());
    params.add[i] = static_cast<std::uint8_t>(random() % 3 == 0 ? random() : 0);
  }
  params.rate = static_cast<std::uint8_t>(random());
  return params;
}

// Runs of transparent, opaque and random alpha along each row, as sprites have: the SIMD kernels skip or copy
// whole vectors of them.
void spriteAlpha(std::mt19937& random, std::vector<std::uint8_t>& rows, std::ptrdiff_t pitch, int width) {
  for (std::size_t start = 0; start + static_cast<std::size_t>(4 * width) <= rows.size(); start += pitch) {
    for (int x = 0; x < width;) {
      const int run = 1 + static_cast<int>(random() % 12), kind = static_cast<int>(random() % 3);
      for (const int end = std::min(width, x + run); x < end; ++x)
        if (kind < 2) rows[start + 4 * static_cast<std::size_t>(x) + 3] = kind == 0 ? 0 : 255;
    }
  }
}

// Every blend kernel over widths around the vector lengths, with odd pitches (so rows start at every alignment)
// and sprite-like alpha in the source and the clipper: one CRC over all outputs, the gaps between rows included.
std::uint32_t normalTableCrc(k::KernelPath path) {
  constexpr int kWidths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 14, 15, 16, 17, 31, 33, 64, 67};
  constexpr int kHeight = 3;
  Checksum crc;
  for (unsigned key = 0; key < k::kNormalKeyCount; ++key) {
    std::mt19937 random(key);
    for (const int width : kWidths) {
      const std::ptrdiff_t pitch = 4 * width + 5;
      std::vector<std::uint8_t> dst = randomBytes(random, static_cast<std::size_t>(pitch) * kHeight);
      std::vector<std::uint8_t> src = randomBytes(random, dst.size()), clipper = randomBytes(random, dst.size());
      spriteAlpha(random, src, pitch, width);
      spriteAlpha(random, clipper, pitch, width);
      k::BlendParams params = randomParams(random);
      params.clipper = clipper.data(), params.clipperPitch = pitch;
      k::normalKernel(path, static_cast<int>(key / k::kFlagCount), key % k::kFlagCount)(dst.data(), pitch, src.data(),
                                                                                        pitch, width, kHeight, params);
      crc.add(dst.data(), dst.size());
    }
  }
  return crc.value();
}

// Corners of each geometry class: an axis-aligned rectangle, a turned quad, and both with depths that differ.
k::TransformQuad quadFor(unsigned key, std::mt19937& random) {
  const bool general = key & k::kTransformGeneral, perspective = key & k::kTransformPerspective;
  const auto jitter = [&] { return general ? static_cast<float>(random() % 9) - 4.0f : 0.0f; };
  const float left = -3.0f + static_cast<float>(random() % 6), top = -2.0f + static_cast<float>(random() % 6);
  const float right = 30.0f + static_cast<float>(random() % 12), bottom = 24.0f + static_cast<float>(random() % 12);
  k::TransformQuad quad;
  const float x[4] = {left, right, left, right}, y[4] = {top, top, bottom, bottom};
  for (int i = 0; i < 4; ++i) {
    auto& corner = quad.corners[i];
    corner.x = x[i] + jitter() + 0.25f, corner.y = y[i] + jitter() + 0.5f;
    corner.z = perspective ? 0.1f * static_cast<float>(i) : 0.0f;
    corner.w = perspective ? 1.0f + 0.5f * static_cast<float>(i) : 1.0f;
    corner.u = (i & 1) ? 19.5f : 0.0f, corner.v = (i & 2) ? 15.5f : 0.0f;
  }
  return quad;
}

std::uint32_t transformTableCrc() {
  constexpr int kWidth = 48, kHeight = 40, kSourceWidth = 20, kSourceHeight = 16;
  Checksum crc;
  for (unsigned key = 0; key < k::kTransformKeyCount; ++key) {
    std::mt19937 random(1000 + key);
    for (int round = 0; round < 3; ++round) {
      const std::ptrdiff_t pitch = 4 * kWidth + 8, sourcePitch = 4 * kSourceWidth + 4;
      std::vector<std::uint8_t> dst = randomBytes(random, static_cast<std::size_t>(pitch) * kHeight);
      std::vector<std::uint8_t> src = randomBytes(random, static_cast<std::size_t>(sourcePitch) * kSourceHeight);
      const k::TransformQuad quad = quadFor(key, random);
      const k::BlendParams params = randomParams(random);
      k::transformKernel(key)({dst.data(), pitch, kWidth, kHeight},
                              {src.data(), sourcePitch, kSourceWidth, kSourceHeight}, quad, params);
      crc.add(dst.data(), dst.size());
    }
  }
  return crc.value();
}

class KernelGolden : public ::testing::TestWithParam<k::KernelPath> {
 protected:
  void SetUp() override {
    if (!k::kernelPathSupported(GetParam())) GTEST_SKIP() << "the processor lacks this path";
    ASSERT_TRUE(k::forceKernelPath(GetParam()));
  }
  void TearDown() override { k::forceKernelPath(initial_); }

 private:
  k::KernelPath initial_ = k::activeKernelPath();
};

TEST_P(KernelGolden, EveryKernelOfEachTableGivesTheStoredBytes) {
  EXPECT_EQ(normalTableCrc(GetParam()), kNormalTableCrc)
      << std::hex << "blend table CRC 0x" << normalTableCrc(GetParam());
  EXPECT_EQ(transformTableCrc(), kTransformTableCrc) << std::hex << "transform table CRC 0x" << transformTableCrc();
}

std::string pathName(const ::testing::TestParamInfo<k::KernelPath>& path) {
  return k::kernelPathName(path.param);
}

INSTANTIATE_TEST_SUITE_P(Paths, KernelGolden,
                         ::testing::Values(k::KernelPath::kScalar, k::KernelPath::kSse2, k::KernelPath::kAvx2),
                         pathName);

}  // namespace
