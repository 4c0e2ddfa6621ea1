// The old picture of a transition is the frame that was on screen: a sprite clipped by an alpha
// clipper stays clipped in the back scene, even after the live scene has lost both sprites.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/Exports.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

class BackSceneClipper : public testing::EngineFixture {
 protected:
  std::size_t offset(int x, int y) { return static_cast<std::size_t>(y * host().mainSurface().GetPitch() + 4 * x); }
  std::vector<std::uint8_t> screen() {
    refhost::MainSurface& surface = host().mainSurface();
    const std::uint8_t* bytes = surface.GetPixelAddress(0, 0);
    return {bytes, bytes + static_cast<std::size_t>(surface.GetPitch()) * surface.GetHeight()};
  }
};

TEST_F(BackSceneClipper, ClippedSpriteStaysClippedThroughACrossfade) {
  ASSERT_EQ(SP_Create(1, 640, 480, 0, 0, 200, 255), 1);  // full-screen blue, clipped to sprite 2's square
  ASSERT_EQ(SP_Create(2, 50, 40, 0, 0, 0, 255), 1);      // the clipper: opaque, hidden, at (100, 60)
  ASSERT_EQ(SP_SetPos(2, 100, 60), 1);
  ASSERT_EQ(SP_SetShow(2, 0), 1);
  ASSERT_EQ(SP_SetAlphaClipperSpriteNumber(1, 2), 1);
  ASSERT_EQ(Update(), 1);
  const std::vector<std::uint8_t> onScreen = screen();
  struct Probe {
    int x, y;
    bool blue;
  };
  constexpr Probe kProbes[] = {{10, 10, false}, {99, 80, false},  {100, 60, true},
                               {149, 99, true}, {150, 80, false}, {120, 100, false}};
  for (const Probe& probe : kProbes) {
    EXPECT_EQ(onScreen[offset(probe.x, probe.y)] != 0, probe.blue) << probe.x << "," << probe.y;
  }

  ASSERT_EQ(SP_DeleteAll(), 1);  // the new picture: black
  ASSERT_EQ(TRANS_Begin(1), 1);  // crossfade
  ASSERT_EQ(TRANS_Update(0.0f), 1);
  EXPECT_TRUE(screen() == onScreen) << "the old picture is the frame that was on screen";
  ASSERT_EQ(TRANS_End(), 1);
  EXPECT_EQ(screen()[offset(120, 80)], 0);
}

}  // namespace
}  // namespace tamblet
