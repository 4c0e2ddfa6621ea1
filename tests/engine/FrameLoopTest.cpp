// Update's frame decisions and pacing over a simulated clock, the FPS figure, the fill rate, the
// view settings and software transitions with their reports.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"
#include "platform/TextEncoding.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

class FrameLoop : public testing::EngineFixture {
 protected:
  refhost::Timer& timer() { return host().kernel().timer(); }
  std::size_t blits() { return host().mainSurface().blits().size(); }
  const std::uint8_t* screenPixel(int x, int y) { return host().mainSurface().GetPixelAddress(x, y); }
  void advanceAndUpdate(int frames, std::uint32_t milliseconds) {
    for (int i = 0; i < frames; ++i) {
      timer().advance(milliseconds);
      Update();
    }
  }

  // Runs `frames` drawn frames inside one window, the last one at 3000 ms, and answers the sleeps
  // of that last frame.
  std::vector<std::uint32_t> runWindow(int frames) {
    engine().pacing.framesInWindow = 0;
    engine().pacing.windowStartTime = timer().GetTime();
    const std::uint32_t start = timer().GetTime();
    for (int i = 1; i < frames; ++i) EXPECT_EQ(Update(), 1);
    timer().setTime(start + 3000);
    clock.sleeps.clear();
    EXPECT_EQ(Update(), 1);
    return clock.sleeps;
  }
};

TEST_F(FrameLoop, TheAdaptiveSleepFollowsTheRateOfEachThreeSecondWindow) {
  EXPECT_EQ(runWindow(300), (std::vector<std::uint32_t>{1, 1}));  // 100 fps: one more millisecond
  EXPECT_EQ(engine().pacing.adaptiveSleep, 1u);
  EXPECT_EQ(engine().pacing.framesInWindow, 0);
  runWindow(270);  // 90 fps: no change
  EXPECT_EQ(engine().pacing.adaptiveSleep, 1u);
  runWindow(179);  // 59 fps: one less
  EXPECT_EQ(engine().pacing.adaptiveSleep, 0u);
  runWindow(179);  // never below 0
  EXPECT_EQ(engine().pacing.adaptiveSleep, 0u);

  // Inside a window every drawn frame sleeps the adaptive sleep, then 1 ms.
  engine().pacing.adaptiveSleep = 3;
  clock.sleeps.clear();
  EXPECT_EQ(Update(), 1);
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{3, 1}));

  // A timer that wraps around 2^32 keeps the window arithmetic right.
  timer().setTime(0xFFFFFF00u);
  engine().pacing.adaptiveSleep = 0;
  runWindow(300);
  EXPECT_EQ(engine().pacing.adaptiveSleep, 1u);
}

TEST_F(FrameLoop, MessageSkipDrawsOneFrameInTenAndRestartsTheWindow) {
  SYSTEM_SetReadMessageSkipping(1);
  const std::size_t before = blits();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 9; ++i) {
      clock.sleeps.clear();
      timer().advance(5);
      EXPECT_EQ(Update(), 1);
      EXPECT_TRUE(clock.sleeps.empty());  // skipped frames never sleep
      EXPECT_EQ(engine().pacing.framesInWindow, 0);
      EXPECT_EQ(engine().pacing.windowStartTime, timer().GetTime());
    }
    EXPECT_EQ(blits(), before + round);
    EXPECT_EQ(Update(), 1);
    EXPECT_EQ(blits(), before + round + 1);
  }
  // The control key skips too, unless skipping is suppressed.
  SYSTEM_SetReadMessageSkipping(0);
  host().kernel().keyState().setKeyDown(17, true);
  EXPECT_EQ(Update(), 1);
  EXPECT_EQ(blits(), before + 2);
  SYSTEM_SetInvalidateFrameSkipWhileMessageSkip(1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Update(), 1);
  EXPECT_EQ(blits(), before + 5);
}

TEST_F(FrameLoop, EachDrawnFrameComposesBlitsAndKeepsTheBackScene) {
  ASSERT_EQ(SP_Create(1, 4, 4, 255, 0, 0, 255), 1);
  host().mainSurface().clearBlits();
  ASSERT_EQ(Update(), 1);
  ASSERT_EQ(blits(), 1u);
  const auto blit = host().mainSurface().blits()[0];
  EXPECT_TRUE(blit.x == 0 && blit.y == 0 && blit.width == 640 && blit.height == 480);
  EXPECT_EQ(screenPixel(0, 0)[2], 254);  // 255 over black through an alpha of 255
  EXPECT_EQ(screenPixel(4, 0)[2], 0);
  EXPECT_EQ(host().drawPlugins().advances(), 1);
  SpriteTableBlock& sprites = engine().core()->sprites;
  EXPECT_NE(sprites.backScene.find(1), nullptr);
  // 640 x 480 pixels of clearing fill plus 16 blended, 4 bytes each, in KiB.
  EXPECT_EQ(Debug_GetFillRate(), (640 * 480 + 16) * 4 / 1024);

  EXPECT_EQ(KeepPreviousView_SetMode(0), 1);
  EXPECT_EQ(KeepPreviousView_GetMode(), 0);
  EXPECT_EQ(sprites.backScene.size(), 0u);
  ASSERT_EQ(Update(), 1);
  EXPECT_EQ(sprites.backScene.size(), 0u);
}

TEST_F(FrameLoop, FpsAndViewModes) {
  advanceAndUpdate(49, 20);
  EXPECT_EQ(FPS_Get(), 0.0f);  // 980 ms: no figure yet
  advanceAndUpdate(1, 20);
  EXPECT_FLOAT_EQ(FPS_Get(), 50.0f);  // 50 frames in 1000 ms
  advanceAndUpdate(3, 500);
  EXPECT_FLOAT_EQ(FPS_Get(), 2.0f);  // the next window: 2 frames in 1000 ms
  EXPECT_EQ(FPS_GetShow(), 0);
  FPS_SetShow(0x201);  // only the low byte counts
  EXPECT_EQ(FPS_GetShow(), 1);

  EXPECT_EQ(VIEW_GetMode(), 0);
  EXPECT_EQ(VIEW_SetMode(0), 1);
  EXPECT_EQ(VIEW_SetMode(7), 0);  // no such mode
  EXPECT_EQ(VIEW_GetMode(), 0);
}

TEST_F(FrameLoop, SoftwareTransitionsBlendFromTheBackSceneAndReportFailures) {
  ASSERT_EQ(SP_Create(1, 640, 480, 0, 0, 0, 255), 1);  // old picture: black
  ASSERT_EQ(Update(), 1);
  ASSERT_EQ(SP_Create(1, 640, 480, 0, 0, 200, 255), 1);  // new picture: blue 199 after the blend

  EXPECT_EQ(TRANS_Begin(999), 0);
  EXPECT_EQ(TRANS_Update(0.5f), 0);
  EXPECT_EQ(TRANS_End(), 0);
  EXPECT_EQ(takeErrors(), (std::vector<std::string>{platform::utf8ToSjis("トランジション999番の開始に失敗しました"),
                                                    platform::utf8ToSjis("トランジションの更新に失敗しました"),
                                                    platform::utf8ToSjis("トランジションの終了に失敗しました")}));

  ASSERT_EQ(TRANS_Begin(1), 1);  // crossfade
  const int framesBefore = engine().pacing.framesInWindow;
  ASSERT_EQ(TRANS_Update(0.0f), 1);
  EXPECT_EQ(screenPixel(10, 10)[0], 0);
  ASSERT_EQ(TRANS_Update(1.0f), 1);
  EXPECT_EQ(screenPixel(10, 10)[0], 199);
  EXPECT_EQ(engine().pacing.framesInWindow, framesBefore + 2);
  ASSERT_EQ(TRANS_End(), 1);
  EXPECT_EQ(screenPixel(10, 10)[0], 199);  // a normal frame was presented
  EXPECT_TRUE(takeErrors().empty());
}

}  // namespace
}  // namespace tamblet
