#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "host/Kernel.h"
#include "host/VM.h"
#include "tests/refhost/HostFixture.h"
#include "tests/support/VTable.h"

namespace refhost::testing {
namespace {

using tamblet::testing::callSlot;

struct FakeEngineObject final : tamblet::IInterface {
  std::int32_t count = 1;
  std::int32_t TAMBLET_HOSTCALL AddRef() override { return ++count; }
  std::int32_t TAMBLET_HOSTCALL Release() override { return --count; }
};

using KernelTest = HostFixture;

TEST_F(KernelTest, EveryServiceIsAnsweredAndEachCanBeWithheld) {
  const std::vector<tamblet::InterfaceId> ids = {
      tamblet::kIID_ISetCallback, tamblet::kIID_IMainSurface,     tamblet::kIID_IInputDevice2,
      tamblet::kIID_ITimer,       tamblet::kIID_IMouseWheel,      tamblet::kIID_IWinMsg,
      tamblet::kIID_IMsgBox,      tamblet::kIID_IShutdown,        tamblet::kIID_IVM,
      tamblet::kIID_IHostWindow,  tamblet::kIID_IKeyState,        tamblet::kIID_IResetState,
      tamblet::kIID_IGameInfo,    tamblet::kIID_IVideoMemoryInfo, tamblet::kIID_IGamePath,
      tamblet::kIID_IDebugMode,   tamblet::kIID_IFrameNotice};
  Kernel& kernel = host().kernel();
  auto ask = [&](const tamblet::InterfaceId& id) {
    void* service = callSlot<void*>(static_cast<tamblet::IHostKernel*>(&kernel), 0, &id);
    // The two services the library releases come with a reference: give it back.
    if (service && (id == tamblet::kIID_IKeyState || id == tamblet::kIID_IVideoMemoryInfo)) {
      static_cast<tamblet::IInterface*>(service)->Release();
    }
    return service;
  };
  for (const auto& id : ids) {
    ASSERT_NE(ask(id), nullptr);
    kernel.withhold(id);
    for (const auto& other : ids) EXPECT_EQ(ask(other) == nullptr, other == id);
    kernel.restore(id);
    EXPECT_NE(ask(id), nullptr);
  }
  const auto unknown = tamblet::makeInterfaceId("00000000-0000-0000-0000-000000000001");
  EXPECT_EQ(kernel.GetService(&unknown), nullptr);
  EXPECT_EQ(kernel.GetService(nullptr), nullptr);
  EXPECT_EQ(kernel.keyState().references(), 1);
  EXPECT_EQ(kernel.videoMemory().references(), 1);
}

TEST_F(KernelTest, CountedServicesCarryAReferenceForTheCaller) {
  Kernel& kernel = host().kernel();
  auto* keys = static_cast<tamblet::IKeyState*>(kernel.GetService(&tamblet::kIID_IKeyState));
  auto* video = static_cast<tamblet::IVideoMemoryInfo*>(kernel.GetService(&tamblet::kIID_IVideoMemoryInfo));
  auto* main = static_cast<tamblet::IMainSurface*>(kernel.GetService(&tamblet::kIID_IMainSurface));
  EXPECT_EQ(kernel.keyState().references(), 2);
  EXPECT_EQ(kernel.videoMemory().references(), 2);
  EXPECT_EQ(kernel.mainSurface().references(), 1);  // the main surface is lent
  kernel.keyState().setKeyDown(0x41, true);
  kernel.videoMemory().setMemory(100, 200);
  EXPECT_TRUE(callSlot<bool>(keys, 2, 0x41));
  EXPECT_FALSE(callSlot<bool>(keys, 2, 0x42));
  EXPECT_EQ(callSlot<std::uint32_t>(video, 2), 100u);
  EXPECT_EQ(callSlot<std::uint32_t>(video, 3), 200u);
  EXPECT_EQ(callSlot<std::int32_t>(main, 0), 2);
  EXPECT_EQ(callSlot<std::int32_t>(main, 1), 1);
  EXPECT_EQ(keys->Release(), 1);
  EXPECT_EQ(video->Release(), 1);
}

TEST_F(KernelTest, InputTimerAndWheelFollowTheTest) {
  Kernel& kernel = host().kernel();
  auto* input = static_cast<tamblet::IInputDevice2*>(kernel.GetService(&tamblet::kIID_IInputDevice2));
  kernel.input().setKeyDown(17, true);
  kernel.input().setKeyDown(32, true);
  EXPECT_TRUE(callSlot<bool>(input, 1, 17));
  EXPECT_FALSE(callSlot<bool>(input, 1, 18));
  EXPECT_TRUE(kernel.input().keyFlag(32));
  EXPECT_TRUE(callSlot<bool>(input, 4, 32));  // clear one flag
  EXPECT_FALSE(kernel.input().keyFlag(32));
  EXPECT_TRUE(kernel.input().keyFlag(17));
  EXPECT_FALSE(callSlot<bool>(input, 4, 256));
  callSlot<void>(input, 0);  // clear all flags; keys stay down
  EXPECT_FALSE(kernel.input().keyFlag(17));
  EXPECT_TRUE(kernel.input().IsKeyDown(17));
  EXPECT_EQ(kernel.input().clearAllCalls(), 1);

  std::int32_t x = -1, y = -1;
  kernel.input().setMousePosition(12, 34);
  EXPECT_TRUE(callSlot<bool>(input, 2, &x, &y));
  EXPECT_EQ(std::pair(x, y), std::pair(12, 34));
  kernel.input().setMousePositionUnknown();
  EXPECT_FALSE(callSlot<bool>(input, 2, &x, &y));

  auto* wheel = static_cast<tamblet::IMouseWheel*>(kernel.GetService(&tamblet::kIID_IMouseWheel));
  kernel.input().setWheelCounts(3, -2);
  EXPECT_EQ(callSlot<std::int32_t>(wheel, 1), 3);
  EXPECT_EQ(callSlot<std::int32_t>(wheel, 2), -2);
  callSlot<void>(wheel, 0);
  EXPECT_EQ(wheel->GetFirstCount(), 0);
  EXPECT_EQ(kernel.input().wheelClears(), 1);

  auto* timer = static_cast<tamblet::ITimer*>(kernel.GetService(&tamblet::kIID_ITimer));
  kernel.timer().setTime(0xFFFFFFF0u);
  kernel.timer().advance(0x20);
  EXPECT_EQ(callSlot<std::uint32_t>(timer, 1), 0x10u);  // wraps
}

TEST_F(KernelTest, GameWindowAndFrameServicesAnswerWhatWasSet) {
  Kernel& kernel = host().kernel();
  auto* info = static_cast<tamblet::IGameInfo*>(kernel.GetService(&tamblet::kIID_IGameInfo));
  auto* path = static_cast<tamblet::IGamePath*>(kernel.GetService(&tamblet::kIID_IGamePath));
  auto* debug = static_cast<tamblet::IDebugMode*>(kernel.GetService(&tamblet::kIID_IDebugMode));
  auto* reset = static_cast<tamblet::IResetState*>(kernel.GetService(&tamblet::kIID_IResetState));
  for (const bool set : {false, true}) {
    if (set) {
      kernel.game().setGameName("\x83\x51\x81\x5B\x83\x80.exe");  // Shift-JIS bytes kept as they are
      kernel.game().setPathPrefix("C:\\g\\");
      kernel.game().setDebugMode(true);
      kernel.game().setResetOnce(true);
    }
    EXPECT_STREQ(callSlot<const char*>(info, 5), set ? "\x83\x51\x81\x5B\x83\x80.exe" : "game.exe");
    EXPECT_STREQ(callSlot<const char*>(path, 0), set ? "C:\\g\\" : "");
    EXPECT_EQ(callSlot<bool>(debug, 0), set);
    EXPECT_EQ(callSlot<bool>(reset, 1), set);
  }

  auto* window = static_cast<tamblet::IHostWindow*>(kernel.GetService(&tamblet::kIID_IHostWindow));
  EXPECT_NE(callSlot<void*>(window, 0), nullptr);
  auto* notice = static_cast<tamblet::IFrameNotice*>(kernel.GetService(&tamblet::kIID_IFrameNotice));
  EXPECT_TRUE(callSlot<bool>(notice, 0));
  kernel.window().setFrameNoticeResult(false);
  EXPECT_FALSE(callSlot<bool>(notice, 0));
  EXPECT_EQ(kernel.window().framesNoticed(), 2);
}

TEST_F(KernelTest, TheEngineObjectIsKeptAndReleasedOnceAtShutdown) {
  FakeEngineObject engine, other;
  {
    std::optional<Host> scoped;  // a second host may not live beside the fixture's
    EXPECT_THROW(scoped.emplace(), std::logic_error);
  }
  auto* callback = static_cast<tamblet::ISetCallback*>(host().kernel().GetService(&tamblet::kIID_ISetCallback));
  callSlot<void>(callback, 0, static_cast<tamblet::IInterface*>(&engine));
  callSlot<void>(callback, 0, static_cast<tamblet::IInterface*>(&engine));  // the same object: kept once
  EXPECT_EQ(engine.count, 1);
  EXPECT_EQ(host().kernel().callback().engineObject(), &engine);
  callSlot<void>(callback, 0, static_cast<tamblet::IInterface*>(&other));  // replacing releases the first
  EXPECT_EQ(engine.count, 0);
  EXPECT_EQ(host().kernel().callback().releaseEngineObject(), 0);
  EXPECT_EQ(other.count, 0);
  EXPECT_EQ(host().kernel().callback().releaseEngineObject(), -1);

  callSlot<void>(callback, 0, static_cast<tamblet::IInterface*>(&engine));
  engine.count = 1;
  shutDownHost();  // shutting the host down releases what it kept
  EXPECT_EQ(engine.count, 0);
}

}  // namespace
}  // namespace refhost::testing
