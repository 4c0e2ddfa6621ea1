// Before Init every export answers its failure value without touching anything; Error falls
// back to the debugger output (stderr here).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

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

}  // namespace
