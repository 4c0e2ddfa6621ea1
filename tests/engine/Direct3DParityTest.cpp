// The same seeded random scenes drawn by the software view (mode 0) and by the Direct3D view on
// the reference device (mode 1): per draw method, the largest difference of any channel of any
// pixel stays within a small documented bound. The two paths round differently: the software
// kernels work in 8-bit integer steps, the device in floating point with one rounding at the end,
// and the vertex colour's modulation is one more rounding step on the software side.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "tests/engine/EngineFixture.h"
#include "tests/engine/RandomSpriteScene.h"

namespace tamblet::testing {
namespace {

class Direct3DParity : public EngineFixture {
 protected:
  void SetUp() override {
    screenWidth = 96, screenHeight = 64;
    EngineFixture::SetUp();
  }

  std::vector<std::uint32_t> frame(std::int32_t mode) {
    EXPECT_EQ(VIEW_SetMode(mode), 1);
    EXPECT_EQ(Update(), 1);
    return framePixels(host().mainSurface());
  }
};

TEST_F(Direct3DParity, RandomScenesPerDrawMethod) {
  // Largest channel difference allowed per draw method (normal, additive, multiply, screen): up to
  // three roundings apart (the multiply colour, the blend rate, the blend itself), and additive and
  // screen sums carry one more.
  constexpr int kBound[4] = {4, 5, 4, 5};
  std::mt19937 random(20261207);
  for (std::int32_t method = 0; method < 4; ++method) {
    int worst = 0;
    for (int scene = 0; scene < 6; ++scene) {
      paintRandomSpriteScene(random, method, screenWidth, screenHeight);
      const std::vector<std::uint32_t> software = frame(0), direct3D = frame(1);
      worst = std::max(worst, largestChannelDifference(software, direct3D));
    }
    EXPECT_LE(worst, kBound[method]) << "draw method " << method;
  }
  EXPECT_TRUE(takeErrors().empty());
}

}  // namespace
}  // namespace tamblet::testing
