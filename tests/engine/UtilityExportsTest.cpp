// The input, time and text exports and the pacing switches and diagnostics over a bound engine
// and the reference host: number formatting byte for byte, first-character removal, the mouse
// button rule of the key state, debugger lines without an input device, the call-stack text,
// video memory figures and the restart of the pacing window.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/Exports.h"
#include "engine/NumberText.h"
#include "platform/Clock.h"
#include "refhost/VMString.h"
#include "tests/engine/EngineFixture.h"

namespace tamblet {
namespace {

using Ints = std::vector<std::int32_t>;
using Strings = std::vector<std::string>;

class UtilityExports : public testing::EngineFixture {
 protected:
  refhost::Input& input() { return host().kernel().input(); }

  // What an export writes into a string that held "unchanged".
  template <class Export, class... Args>
  static std::string written(Export exported, Args... args) {
    refhost::VMString out("unchanged");
    exported(&out, args...);
    return out.bytes();
  }
  static std::string hankaku(std::int32_t value, std::int32_t width, std::int32_t zero) {
    return written(IntToHankaku, value, width, zero);
  }
  static std::string zenkaku(std::int32_t value, std::int32_t width, std::int32_t zero) {
    return written(IntToZenkaku, value, width, zero);
  }
  static std::string funcStack(std::int32_t depth) { return written(Debug_GetFuncStack, depth); }
};

// Full-width forms: digits 0x82 0x4F.., minus 0x81 0x7C, space 0x81 0x40.
const std::string kZero = "\x82\x4F", kTwo = "\x82\x51", kFour = "\x82\x53", kMinus = "\x81\x7C", kSpace = "\x81\x40";

TEST_F(UtilityExports, NumbersArePaddedAsTheTablesSay) {
  // Only the low byte of the zero-padding switch counts: 0x100 pads with spaces.
  EXPECT_EQ(
      (Strings{hankaku(42, -1, 0), hankaku(42, 5, 0), hankaku(42, 5, 1), hankaku(-42, 5, 0), hankaku(-42, 5, 1),
               hankaku(-42, 2, 1), hankaku(12345, 3, 1), hankaku(-5, 2, 1), hankaku(-5, 3, 1), hankaku(42, 5, 0x100),
               hankaku(INT_MIN, -1, 0), hankaku(INT_MIN, 12, 1), hankaku(INT_MIN, 13, 0), hankaku(INT_MAX, 1, 1)}),
      (Strings{"42", "   42", "00042", "  -42", "-0042", "-42", "12345", "-5", "-05", "   42", "-2147483648",
               "-02147483648", "  -2147483648", "2147483647"}));

  EXPECT_EQ((Strings{zenkaku(0, 3, 1), zenkaku(-42, 5, 1), zenkaku(-42, 5, 0), zenkaku(-42, 2, 1), zenkaku(42, -1, 0)}),
            (Strings{kZero + kZero + kZero, kMinus + kZero + kZero + kFour + kTwo,
                     kSpace + kSpace + kMinus + kFour + kTwo, kMinus + kFour + kTwo, kFour + kTwo}));
  EXPECT_EQ(zenkaku(INT_MIN, -1, 0),
            "\x81\x7C\x82\x51\x82\x50\x82\x53\x82\x56\x82\x53\x82\x57\x82\x52\x82\x55\x82\x53\x82\x57");

  // A large width is built in full; one beyond what the library allocates leaves out as it was.
  EXPECT_EQ(hankaku(1, 1000, 1), std::string(999, '0') + "1");
  for (std::int32_t width : {INT_MAX, INT_MAX - 1}) {
    EXPECT_EQ(hankaku(1, width, 1) + hankaku(-1, width, 0), "unchangedunchanged");
    EXPECT_EQ(zenkaku(1, width, 0) + zenkaku(-1, width, 1), "unchangedunchanged");
  }
  IntToHankaku(nullptr, 1, 5, 1);  // no string: nothing happens

  // The limit itself is built; one character more is refused.
  const auto limit = static_cast<std::int32_t>(kMaxNumberTextBytes / 2);
  std::optional<std::string> longest = formatPaddedInteger(-3, limit, true, CharacterWidth::kFull);
  ASSERT_TRUE(longest.has_value());
  EXPECT_EQ(longest->size(), kMaxNumberTextBytes);
  EXPECT_EQ(longest->substr(0, 4), kMinus + kZero);
  EXPECT_EQ(longest->substr(longest->size() - 2), "\x82\x52");
  EXPECT_FALSE(formatPaddedInteger(-3, limit + 1, true, CharacterWidth::kFull).has_value());
}

TEST_F(UtilityExports, StringPopFrontTakesOneCharacterWithoutReadingPastTheText) {
  refhost::VMString out("old");
  refhost::VMString source("\x82\xA0\x95\x5C\x82\xA4");  // three double-byte characters, one with a 0x5C trail
  auto pop = [&](refhost::VMString* from) {
    const std::int32_t taken = StringPopFront(&out, from);
    return std::to_string(taken) + ":" + out.bytes() + "|" + (from ? from->bytes() : "");
  };
  EXPECT_EQ(pop(&source), "2:\x82\xA0|\x95\x5C\x82\xA4");
  EXPECT_EQ(pop(&source), "2:\x95\x5C|\x82\xA4");
  refhost::VMString letter("A");
  EXPECT_EQ(pop(&letter), "1:A|");

  // A lead byte that ends the text is taken alone, as a double-byte character.
  refhost::VMString truncated("A\xE0");
  EXPECT_EQ(pop(&truncated), "1:A|\xE0");
  EXPECT_EQ(pop(&truncated), "2:\xE0|");
  EXPECT_EQ(pop(&truncated), "0:|");
  out.SetText("x");
  EXPECT_EQ(pop(nullptr), "0:|");
  refhost::VMString kept("ab");
  EXPECT_EQ(StringPopFront(nullptr, &kept), 0);
  EXPECT_EQ(kept.bytes(), "ab");
}

TEST_F(UtilityExports, KeysAndTheMouseButtonRule) {
  refhost::KeyState& keys = host().kernel().keyState();
  keys.setKeyDown(1, true);
  keys.setKeyDown(65, true);
  input().setMousePosition(10, 20);
  EXPECT_EQ((Ints{KEY_GetState(1), KEY_GetState(65), KEY_GetState(2)}), (Ints{1, 1, 0}));
  input().setMousePositionUnknown();
  EXPECT_EQ(KEY_GetState(1), 0);  // a button without a cursor position is not down
  EXPECT_EQ(KEY_GetState(65), 1);
  keys.setKeyDown(4, true);
  EXPECT_EQ(KEY_GetState(4), 0);

  input().setKeyDown(32, true);
  EXPECT_EQ((Ints{Key_IsDown(32), Key_IsDown(33)}), (Ints{1, 0}));

  for (std::int32_t key : {0, 17, 65, 255}) input().setKeyFlag(key, true);
  EXPECT_EQ(Key_ClearFlagNoCtrl(), 1);
  EXPECT_TRUE(input().keyFlag(17));
  EXPECT_FALSE(input().keyFlag(0) || input().keyFlag(65) || input().keyFlag(255));
  EXPECT_EQ(Key_ClearFlagOne(17), 1);
  EXPECT_FALSE(input().keyFlag(17));
  EXPECT_EQ(Key_ClearFlagOne(300), 0);  // the host's answer for a code it does not know
  EXPECT_EQ(Key_ClearFlag(), 1);
  EXPECT_EQ(input().clearAllCalls(), 1);

  // Without the key state nothing is down.
  engine().binding.keyState.reset();
  EXPECT_EQ(KEY_GetState(65), 0);
}

TEST_F(UtilityExports, WithoutAnInputDeviceTheKeyExportsWriteTheirDebuggerLines) {
  testing::CapturingMessageSink sink;
  host().kernel().keyState().setKeyDown(65, true);
  host().kernel().keyState().setKeyDown(1, true);
  engine().binding.inputDevice = nullptr;

  EXPECT_EQ(Key_ClearFlagOne(5), 0);
  EXPECT_EQ(Key_ClearFlagNoCtrl(), 0);
  const std::string line =
      "\x81\xAC"
      "ERROR\x81\xAC m_pIInputDevice2=NULL \x81\x97 CVELM::Key_ClearFlag";
  EXPECT_EQ(sink.debugLines, (std::vector<std::string>{line + "One\n", line + "NoCtrl\n"}));

  std::int32_t x = 3, y = 4;
  EXPECT_EQ((Ints{Key_ClearFlag(), Key_IsDown(65), Mouse_GetPos(&x, &y), x, y, KEY_GetState(65), KEY_GetState(1)}),
            (Ints{0, 0, 0, 3, 4, 1, 0}));
  EXPECT_EQ(sink.debugLines.size(), 2u);
  EXPECT_TRUE(takeErrors().empty());

  // After teardown even the key exports answer silently, and Error writes its text literally as a debugger line.
  engine().teardown();
  EXPECT_EQ(Key_ClearFlagOne(5) + Key_ClearFlagNoCtrl() + Key_ClearFlag() + Timer_Get(), 0);
  EXPECT_EQ(sink.debugLines.size(), 2u);
  refhost::VMString percent("100%");
  Error(&percent);
  Error(nullptr);
  EXPECT_EQ(sink.debugLines, (std::vector<std::string>{line + "One\n", line + "NoCtrl\n", "100%\n", "\n"}));
}

TEST_F(UtilityExports, MouseTimerDateAndTime) {
  std::int32_t a = 0, b = 0, c = 0, d = 0;
  input().setMousePosition(-12, 34);
  EXPECT_EQ(Mouse_GetPos(&a, &b), 1);
  EXPECT_TRUE(a == -12 && b == 34);
  input().setMousePositionUnknown();
  EXPECT_EQ(Mouse_GetPos(&a, &b), 0);
  EXPECT_EQ(Mouse_GetPos(nullptr, &b), 0);

  input().setWheelCounts(3, -2);
  Mouse_GetWheel(&a, &b);
  EXPECT_TRUE(a == 3 && b == -2);
  Mouse_ClearWheel();
  EXPECT_EQ(input().wheelClears(), 1);
  Mouse_GetWheel(&a, &b);
  EXPECT_TRUE(a == 0 && b == 0);

  host().kernel().timer().setTime(0xFFFFFFF0u);
  EXPECT_EQ(Timer_Get(), -16);  // the wrapping clock's bits, as an int

  System_GetDate(&a, &b, &c, &d);
  EXPECT_EQ(std::vector<int>({a, b, c, d}), std::vector<int>({2031, 12, 31, 3}));
  System_GetTime(&a, &b, &c, &d);
  EXPECT_EQ(std::vector<int>({a, b, c, d}), std::vector<int>({23, 59, 58, 999}));
  a = 1;
  System_GetTime(&a, &b, &c, nullptr);
  EXPECT_EQ(a, 1);

  engine().binding.timer = nullptr;
  EXPECT_EQ(Timer_Get(), 0);
}

class NullMessages final : public IVMGameMsg {
 public:
  std::int32_t GetCount() override { return 1; }
  const char* GetMessage(std::int32_t) override { return nullptr; }
};

TEST_F(UtilityExports, GameMessages) {
  host().vm().setGameMessages({"first", "\x82\xA0\x82\xA2"});
  refhost::VMString out("old");
  EXPECT_EQ(GAME_MSG_GetNumof(), 2);
  GAME_MSG_Get(1, &out);
  EXPECT_EQ(out.bytes(), "\x82\xA0\x82\xA2");
  GAME_MSG_Get(0, nullptr);

  NullMessages nullMessages;
  engine().binding.gameMessages = &nullMessages;
  GAME_MSG_Get(0, &out);
  EXPECT_EQ(out.bytes(), "\x82\xA0\x82\xA2");

  engine().binding.gameMessages = nullptr;
  EXPECT_EQ(GAME_MSG_GetNumof(), 0);
  GAME_MSG_Get(0, &out);
  EXPECT_EQ(out.bytes(), "\x82\xA0\x82\xA2");
}

class NullNames final : public IVMNameTable {
 public:
  const char* GetName(std::int32_t) override { return nullptr; }
};

TEST_F(UtilityExports, FunctionStackNamesFramesToTheDepth) {
  refhost::CallStack& stack = host().vm().callStack();
  const char* names[] = {"main", "\x83\x65\x83\x58\x83\x67", "sub"};
  for (int i = 0; i < 3; ++i) {
    stack.setName(i, names[i]);
    stack.setFunctionNameIndex(10 + i, i);
  }
  stack.setFrames({10, 11, 12});
  const std::string arrow = "\x81\xA9";

  EXPECT_EQ(funcStack(0), "main" + arrow);
  EXPECT_EQ(funcStack(1), "main" + arrow + "\x83\x65\x83\x58\x83\x67" + arrow);
  const std::string all = "main" + arrow + "\x83\x65\x83\x58\x83\x67" + arrow + "sub" + arrow;
  for (std::int32_t depth : {-1, INT_MIN, 2, 9, INT_MAX}) EXPECT_EQ(funcStack(depth), all) << depth;

  // Frames without a function and functions without a name are left out.
  stack.setFrames({-1, 10, 99, 12});
  EXPECT_EQ(funcStack(-1), "main" + arrow + "sub" + arrow);
  EXPECT_EQ(funcStack(0), "");
  stack.setFrames({});
  EXPECT_EQ(funcStack(-1), "");

  NullNames nullNames;
  engine().binding.vmNameTable = &nullNames;
  EXPECT_EQ(funcStack(-1), "");
  engine().binding.vmNameTable = nullptr;
  EXPECT_EQ(funcStack(-1), "");
  Debug_GetFuncStack(nullptr, 0);
}

TEST_F(UtilityExports, VideoMemoryResetFlagAndPause) {
  CVELM& engine = CVELM::instance();
  engine.diagnostics.peakVideoMemoryUsed = 0;
  refhost::VideoMemoryInfo& video = host().kernel().videoMemory();
  std::int32_t total = -1, used = -1, peak = -1;

  // Free and total memory, then the answer with total, used and peak; more free than total counts nothing as used.
  const std::vector<int> cases[] = {{0, 1000, 0, -1, -1, -1},
                                    {300, 0, 0, -1, -1, -1},
                                    {300, 1000, 1, 1000, 700, 700},
                                    {800, 1000, 1, 1000, 200, 700},
                                    {1200, 1000, 1, 1000, 0, 700}};
  for (const std::vector<int>& c : cases) {
    video.setMemory(c[0], c[1]);
    const int answer = Debug_GetVideoMemoryInfo(&total, &used, &peak);
    EXPECT_EQ((std::vector<int>{answer, total, used, peak}), std::vector<int>(c.begin() + 2, c.end())) << c[0];
  }
  EXPECT_EQ(Debug_GetVideoMemoryInfo(&total, nullptr, &peak), 0);
  engine.binding.videoMemory.reset();
  EXPECT_EQ(Debug_GetVideoMemoryInfo(&total, &used, &peak), 0);

  host().kernel().game().setResetOnce(true);
  EXPECT_EQ(SYSTEM_IsResetOnce(), 1);
  engine.binding.resetState = nullptr;
  EXPECT_EQ(SYSTEM_IsResetOnce(), 0);

  Debug_Pause();
  EXPECT_EQ(host().vm().pauses(), 1);
  engine.binding.vmDebugger = nullptr;
  Debug_Pause();
  EXPECT_EQ(host().vm().pauses(), 1);
  engine.diagnostics.peakVideoMemoryUsed = 0;
}

TEST_F(UtilityExports, TurningTheFrameRateSleepOnRestartsThePacingWindow) {
  CVELM& engine = CVELM::instance();
  refhost::Timer& timer = host().kernel().timer();
  ASSERT_EQ(SYSTEM_GetConfigOverFrameRateSleep(), 1);

  // Already on: no restart.
  engine.pacing.framesInWindow = 55;
  engine.pacing.windowStartTime = 1;
  timer.setTime(5000);
  SYSTEM_SetConfigOverFrameRateSleep(1);
  EXPECT_TRUE(engine.pacing.framesInWindow == 55 && engine.pacing.windowStartTime == 1u);

  // Off keeps the window; off to on restarts it at the timer's time.
  SYSTEM_SetConfigOverFrameRateSleep(0);
  EXPECT_EQ(SYSTEM_GetConfigOverFrameRateSleep(), 0);
  EXPECT_EQ(engine.pacing.framesInWindow, 55);
  SYSTEM_SetConfigOverFrameRateSleep(0x201);
  EXPECT_EQ(SYSTEM_GetConfigOverFrameRateSleep(), 1);
  EXPECT_TRUE(engine.pacing.framesInWindow == 0 && engine.pacing.windowStartTime == 5000u);

  // Without a timer the window starts at the system tick count.
  clock.ticks = 123456;
  engine.binding.timer = nullptr;
  SYSTEM_SetConfigOverFrameRateSleep(0);
  engine.pacing.framesInWindow = 9;
  SYSTEM_SetConfigOverFrameRateSleep(1);
  EXPECT_TRUE(engine.pacing.framesInWindow == 0 && engine.pacing.windowStartTime == 123456u);
}

}  // namespace
}  // namespace tamblet
