// Before Init every export answers its failure value without touching anything; Error falls
// back to the debugger output (stderr here).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "EngineLibrary.h"
#include "host/EngineObjects.h"

namespace {

using tamblet::IInterface;
using tamblet::InterfaceId;
using tamblet::IString;

class FixedString final : public IString {
 public:
  explicit FixedString(const char* text) : text_(text) {}
  const char* GetText() override { return text_; }
  void SetText(const char*) override {}

 private:
  const char* text_;
};

// Captures what is written to stderr while `action` runs.
template <class Action>
std::string captureStderr(Action action) {
  std::fflush(stderr);
  FILE* capture = std::tmpfile();
  const int saved = dup(2);
  dup2(fileno(capture), 2);
  action();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::string text;
  std::rewind(capture);
  for (int c; (c = std::fgetc(capture)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(capture);
  return text;
}

TEST(BeforeInit, ExportsAnswerTheirFailureValues) {
  tamblet::testing::EngineLibrary library;
  auto* getInterface = library.find<IInterface*(const InterfaceId*)>("GetInterface");
  auto* width = library.find<std::int32_t()>("GetScreenWidth");
  auto* height = library.find<std::int32_t()>("GetScreenHeight");
  ASSERT_TRUE(getInterface && width && height);

  EXPECT_EQ(getInterface(&tamblet::kIID_IVelmErrorMessage), nullptr);
  EXPECT_EQ(getInterface(&tamblet::kIID_IDrawD3DPluginManager), nullptr);
  EXPECT_EQ(getInterface(&tamblet::kIID_IKOVFileManager), nullptr);
  EXPECT_EQ(getInterface(nullptr), nullptr);
  EXPECT_EQ(width(), 0);
  EXPECT_EQ(height(), 0);
}

// Every sprite export answers false, 0, its absent-sprite default or null, and creates nothing.
TEST(BeforeInit, SpriteExportsAnswerWithoutAnEngine) {
  tamblet::testing::EngineLibrary library;
  using OneInt = std::int32_t(std::int32_t);
  using TwoInts = std::int32_t(std::int32_t, std::int32_t);
  using ThreeInts = std::int32_t(std::int32_t, std::int32_t, std::int32_t);
  for (const char* name : {"SP_CreateCustom", "SP_Delete", "SP_Suspend", "SP_Resume", "SP_IsUsing", "SP_ExistAlpha",
                           "SP_GetPosX", "SP_GetPosY", "SP_GetZ", "SP_GetWidth", "SP_GetHeight", "SP_GetBlendRate",
                           "SP_GetBrightness", "SP_GetDrawMethod", "SP_GetShow", "SP_IsSuspend", "SP_GetUnuseNum"}) {
    EXPECT_EQ(library.find<OneInt>(name)(1), 0) << name;
  }
  EXPECT_EQ(library.find<OneInt>("Sprite_GetTextureFilterType")(1), 1);
  EXPECT_EQ(library.find<OneInt>("SP_GetAlphaClipperSpriteNumber")(1), -1);
  for (const char* name : {"SP_SetX", "SP_SetY", "SP_SetZ", "SP_SetBlendRate", "SP_SetBrightness", "SP_SetShow",
                           "SP_SetDrawMethod", "SP_SetSpriteTransformMode", "Sprite_SetTextureFilerType",
                           "SP_SetAlphaClipperSpriteNumber", "SP_CreateCopy"}) {
    EXPECT_EQ(library.find<TwoInts>(name)(1, 1), 0) << name;
    EXPECT_EQ(library.find<TwoInts>(name)(0, -1), 0) << name;  // no report either: nothing to report to
  }
  for (const char* name : {"SP_SetPos", "SP_CreatePixelOnly", "SP_IsPtIn", "SP_IsPtInRect"}) {
    EXPECT_EQ(library.find<ThreeInts>(name)(1, 4, 4), 0) << name;
  }
  EXPECT_EQ(library.find<ThreeInts>("SP_GetAMapValue")(1, 0, 0), -1);
  EXPECT_EQ(library.find<std::int32_t(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                      std::int32_t, std::int32_t)>("SP_Create")(1, 4, 4, 0, 0, 0, 255), 0);
  EXPECT_EQ(library.find<std::int32_t()>("SP_Count")(), 0);
  EXPECT_EQ(library.find<std::int32_t()>("SP_GetMaxZ")(), 0);
  EXPECT_EQ(library.find<std::int32_t()>("SP_DeleteAll")(), 0);
  EXPECT_EQ(library.find<std::int32_t(void*)>("SP_Enum")(nullptr), 0);
  EXPECT_EQ(library.find<void*(std::int32_t)>("Sprite_GetWritableSurface")(1), nullptr);
  EXPECT_EQ(library.find<void*(std::int32_t)>("Sprite_GetConstSurface")(1), nullptr);
  EXPECT_EQ(library.find<void*(std::int32_t)>("Debug_GetSpriteSurface")(1), nullptr);
  EXPECT_EQ(library.find<std::int32_t(std::int32_t, void*)>("Sprite_SetSurface")(1, nullptr), 0);
  std::int32_t value = 7;
  std::int32_t* list = &value;
  EXPECT_EQ(library.find<std::int32_t(std::int32_t**, std::int32_t*)>("Debug_GetSpriteNumberList")(&list, &value), 0);
  EXPECT_EQ(library.find<std::int32_t(std::int32_t, std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*)>(
                "SP_GetSurfaceArea")(1, &value, &value, &value, &value),
            0);
  EXPECT_EQ(value, 7);
}

TEST(BeforeInit, ErrorGoesToTheDebuggerOutputLiterally) {
  tamblet::testing::EngineLibrary library;
  auto* error = library.find<void(IString*)>("Error");
  ASSERT_NE(error, nullptr);

  FixedString percent("100%");
  EXPECT_EQ(captureStderr([&] { error(&percent); }), "100%\n");
  EXPECT_EQ(captureStderr([&] { error(nullptr); }), "\n");
  FixedString nullText(nullptr);
  EXPECT_EQ(captureStderr([&] { error(&nullText); }), "\n");
}

// A script string that keeps what it is given.
class RecordingString final : public IString {
 public:
  explicit RecordingString(std::string text) : text_(std::move(text)) {}
  const char* GetText() override { return text_.c_str(); }
  void SetText(const char* text) override { text_ = text ? text : ""; }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Host-service exports answer false, 0 or nothing and leave their outputs alone (the two key
// exports write no debugger line either); the text utilities, the date and the switches work.
TEST(BeforeInit, UtilityExportsAnswerWithoutAnEngine) {
  tamblet::testing::EngineLibrary library;
  using NoArgs = std::int32_t();
  using OneInt = std::int32_t(std::int32_t);
  for (const char* name : {"Key_ClearFlag", "Key_ClearFlagNoCtrl", "Timer_Get", "GAME_MSG_GetNumof",
                           "SYSTEM_IsResetOnce", "Debug_GetCurrentAllocatedMemorySize",
                           "Debug_GetMaxAllocatedMemorySize"}) {
    EXPECT_EQ(captureStderr([&] { EXPECT_EQ(library.find<NoArgs>(name)(), 0) << name; }), "") << name;
  }
  for (const char* name : {"Key_ClearFlagOne", "Key_IsDown", "KEY_GetState"}) {
    EXPECT_EQ(captureStderr([&] { EXPECT_EQ(library.find<OneInt>(name)(1), 0) << name; }), "") << name;
  }
  std::int32_t a = 7, b = 7, c = 7;
  EXPECT_EQ(library.find<std::int32_t(std::int32_t*, std::int32_t*)>("Mouse_GetPos")(&a, &b), 0);
  library.find<void()>("Mouse_ClearWheel")();
  library.find<void(std::int32_t*, std::int32_t*)>("Mouse_GetWheel")(&a, &b);
  EXPECT_EQ(library.find<std::int32_t(std::int32_t*, std::int32_t*, std::int32_t*)>("Debug_GetVideoMemoryInfo")(
                &a, &b, &c),
            0);
  library.find<void()>("Debug_Pause")();
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 7);
  EXPECT_EQ(c, 7);
  RecordingString untouched("keep");
  library.find<void(std::int32_t, IString*)>("GAME_MSG_Get")(0, &untouched);
  library.find<void(IString*, std::int32_t)>("Debug_GetFuncStack")(&untouched, -1);
  EXPECT_EQ(untouched.text(), "keep");

  RecordingString number("");
  library.find<void(IString*, std::int32_t, std::int32_t, std::int32_t)>("IntToHankaku")(&number, -42, 5, 1);
  EXPECT_EQ(number.text(), "-0042");
  library.find<void(IString*, std::int32_t, std::int32_t, std::int32_t)>("IntToZenkaku")(&number, 7, -1, 0);
  EXPECT_EQ(number.text(), "\x82\x56");
  RecordingString source("ab");
  EXPECT_EQ(library.find<std::int32_t(IString*, IString*)>("StringPopFront")(&number, &source), 1);
  EXPECT_EQ(number.text(), "a");
  EXPECT_EQ(source.text(), "b");
  std::int32_t year = 0, month = 0, day = 0, weekday = -1;
  library.find<void(std::int32_t*, std::int32_t*, std::int32_t*, std::int32_t*)>("System_GetDate")(&year, &month,
                                                                                                   &day, &weekday);
  EXPECT_GE(year, 2024);
  EXPECT_TRUE(month >= 1 && month <= 12 && day >= 1 && day <= 31 && weekday >= 0 && weekday <= 6);

  // The switches hold their start values and can be set at any time (low byte only).
  const std::pair<const char*, std::int32_t> switches[] = {{"ConfigOverFrameRateSleep", 1},
                                                           {"ConfigSleepByInactiveWindow", 0},
                                                           {"ReadMessageSkipping", 0},
                                                           {"ConfigFrameSkipWhileMessageSkip", 1},
                                                           {"InvalidateFrameSkipWhileMessageSkip", 0}};
  for (const auto& [name, start] : switches) {
    auto* get = library.find<NoArgs>((std::string("SYSTEM_Get") + name).c_str());
    auto* set = library.find<void(std::int32_t)>((std::string("SYSTEM_Set") + name).c_str());
    ASSERT_TRUE(get && set) << name;
    EXPECT_EQ(get(), start) << name;
    set(0x100);
    EXPECT_EQ(get(), 0) << name;
    set(0x1FF);
    EXPECT_EQ(get(), 1) << name;
    set(start);
  }
}

}  // namespace
