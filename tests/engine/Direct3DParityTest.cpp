// The same seeded random scenes drawn by the software view (mode 0) and by the Direct3D view on
// the reference device (mode 1): per draw method, the largest difference of any channel of any
// pixel stays within a small documented bound. The two paths round differently: the software
// kernels work in 8-bit integer steps, the device in floating point with one rounding at the end,
// and the vertex colour's modulation is one more rounding step on the software side.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "tests/engine/EngineFixture.h"

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
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(screenWidth) * screenHeight);
    for (std::int32_t y = 0; y < screenHeight; ++y)
      std::memcpy(&pixels[static_cast<std::size_t>(y) * screenWidth], host().mainSurface().GetPixelAddress(0, y),
                  static_cast<std::size_t>(screenWidth) * 4);
    return pixels;
  }

  // An opaque background, then sprites of one draw method with random pixels (with and without
  // alpha), positions, blend rates and multiply colours.
  void randomScene(std::mt19937& random, std::int32_t method) {
    const auto in = [&](std::uint32_t below) { return static_cast<std::int32_t>(random() % below); };
    const auto fill = [&](std::int32_t number) {
      ISurface* surface = Sprite_GetWritableSurface(number);
      for (std::int32_t y = 0; y < surface->GetHeight(); ++y)
        for (std::int32_t i = 0; i < surface->GetWidth() * 4; ++i)
          surface->GetPixelAddress(0, y)[i] = static_cast<std::uint8_t>(random());
    };
    SP_DeleteAll();
    SP_CreatePixelOnly(1, screenWidth, screenHeight), fill(1);
    for (std::int32_t n = 2; n <= 6; ++n) {
      const std::int32_t width = 1 + in(60), height = 1 + in(40);
      in(2) ? SP_Create(n, width, height, 0, 0, 0, 255) : SP_CreatePixelOnly(n, width, height);
      fill(n);
      SP_SetPos(n, in(80) - 10, in(50) - 10);
      SP_SetBlendRate(n, in(3) ? in(256) : 255);
      if (in(2)) SP_SetMultipleColor(n, in(256), in(256), in(256));
      SP_SetDrawMethod(n, method);
    }
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
      randomScene(random, method);
      const std::vector<std::uint32_t> software = frame(0), direct3D = frame(1);
      for (std::size_t i = 0; i < software.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
          worst = std::max(worst, std::abs(int(software[i] >> shift & 0xFF) - int(direct3D[i] >> shift & 0xFF)));
    }
    EXPECT_LE(worst, kBound[method]) << "draw method " << method;
  }
  EXPECT_TRUE(takeErrors().empty());
}

}  // namespace
}  // namespace tamblet::testing
