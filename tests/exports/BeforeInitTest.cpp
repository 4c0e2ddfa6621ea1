// Before Init every export answers its failure value without touching anything, while the
// switches already hold their start values.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "EngineLibrary.h"
#include "host/EngineObjects.h"

namespace {

using tamblet::InterfaceId;
using Int = std::int32_t;

// The engine and sprite exports answer false, 0, their absent-sprite default or null, and create nothing.
TEST(BeforeInit, EngineAndSpriteExportsAnswerWithoutAnEngine) {
  tamblet::testing::EngineLibrary library;
  auto* getInterface = library.find<tamblet::IInterface*(const InterfaceId*)>("GetInterface");
  for (const InterfaceId* id : {&tamblet::kIID_IVelmErrorMessage, &tamblet::kIID_IDrawD3DPluginManager,
                                &tamblet::kIID_IKOVFileManager, static_cast<const InterfaceId*>(nullptr)})
    EXPECT_EQ(getInterface(id), nullptr);
  for (const char* name : {"GetScreenWidth", "GetScreenHeight", "SP_Count", "SP_GetMaxZ", "SP_DeleteAll"})
    EXPECT_EQ(library.find<Int()>(name)(), 0) << name;
  for (const char* name : {"SP_CreateCustom", "SP_Delete", "SP_Suspend", "SP_Resume", "SP_IsUsing", "SP_ExistAlpha",
                           "SP_GetPosX", "SP_GetPosY", "SP_GetZ", "SP_GetWidth", "SP_GetHeight", "SP_GetBlendRate",
                           "SP_GetBrightness", "SP_GetDrawMethod", "SP_GetShow", "SP_IsSuspend", "SP_GetUnuseNum"})
    EXPECT_EQ(library.find<Int(Int)>(name)(1), 0) << name;
  EXPECT_EQ(library.find<Int(Int)>("Sprite_GetTextureFilterType")(1), 1);
  EXPECT_EQ(library.find<Int(Int)>("SP_GetAlphaClipperSpriteNumber")(1), -1);
  for (const char* name :
       {"SP_SetX", "SP_SetY", "SP_SetZ", "SP_SetBlendRate", "SP_SetBrightness", "SP_SetShow", "SP_SetDrawMethod",
        "SP_SetSpriteTransformMode", "Sprite_SetTextureFilerType", "SP_SetAlphaClipperSpriteNumber", "SP_CreateCopy"}) {
    EXPECT_EQ(library.find<Int(Int, Int)>(name)(1, 1), 0) << name;
    EXPECT_EQ(library.find<Int(Int, Int)>(name)(0, -1), 0) << name;  // no report either: nothing to report to
  }
  for (const char* name : {"SP_SetPos", "SP_CreatePixelOnly", "SP_IsPtIn", "SP_IsPtInRect"})
    EXPECT_EQ(library.find<Int(Int, Int, Int)>(name)(1, 4, 4), 0) << name;
  EXPECT_EQ(library.find<Int(Int, Int, Int)>("SP_GetAMapValue")(1, 0, 0), -1);
  EXPECT_EQ(library.find<Int(Int, Int, Int, Int, Int, Int, Int)>("SP_Create")(1, 4, 4, 0, 0, 0, 255), 0);
  EXPECT_EQ(library.find<Int(void*)>("SP_Enum")(nullptr), 0);
  for (const char* name : {"Sprite_GetWritableSurface", "Sprite_GetConstSurface", "Debug_GetSpriteSurface"})
    EXPECT_EQ(library.find<void*(Int)>(name)(1), nullptr) << name;
  EXPECT_EQ(library.find<Int(Int, void*)>("Sprite_SetSurface")(1, nullptr), 0);
  Int value = 7;
  Int* list = &value;
  EXPECT_EQ(library.find<Int(Int**, Int*)>("Debug_GetSpriteNumberList")(&list, &value), 0);
  EXPECT_EQ(library.find<Int(Int, Int*, Int*, Int*, Int*)>("SP_GetSurfaceArea")(1, &value, &value, &value, &value), 0);
  EXPECT_EQ(value, 7);
}

// Host-service exports answer 0 or nothing and leave their outputs alone.
TEST(BeforeInit, UtilityExportsAnswerWithoutAnEngine) {
  tamblet::testing::EngineLibrary library;
  for (const char* name : {"Key_ClearFlag", "Key_ClearFlagNoCtrl", "Timer_Get", "GAME_MSG_GetNumof",
                           "SYSTEM_IsResetOnce", "Debug_GetCurrentAllocatedMemorySize", "Debug_GetMaxAllocatedMemorySize"})
    EXPECT_EQ(library.find<Int()>(name)(), 0) << name;
  for (const char* name : {"Key_ClearFlagOne", "Key_IsDown", "KEY_GetState"})
    EXPECT_EQ(library.find<Int(Int)>(name)(1), 0) << name;
  Int a = 7, b = 7, c = 7;
  EXPECT_EQ(library.find<Int(Int*, Int*)>("Mouse_GetPos")(&a, &b), 0);
  library.find<void()>("Mouse_ClearWheel")();
  library.find<void(Int*, Int*)>("Mouse_GetWheel")(&a, &b);
  EXPECT_EQ(library.find<Int(Int*, Int*, Int*)>("Debug_GetVideoMemoryInfo")(&a, &b, &c), 0);
  library.find<void()>("Debug_Pause")();
  EXPECT_TRUE(a == 7 && b == 7 && c == 7);

  // The switches hold their start values and can be set at any time (low byte only).
  const std::pair<const char*, Int> switches[] = {
      {"ConfigOverFrameRateSleep", 1}, {"ConfigSleepByInactiveWindow", 0}, {"ReadMessageSkipping", 0},
      {"ConfigFrameSkipWhileMessageSkip", 1}, {"InvalidateFrameSkipWhileMessageSkip", 0}};
  for (const auto& [name, start] : switches) {
    auto* get = library.find<Int()>((std::string("SYSTEM_Get") + name).c_str());
    auto* set = library.find<void(Int)>((std::string("SYSTEM_Set") + name).c_str());
    ASSERT_TRUE(get && set) << name;
    EXPECT_EQ(get(), start) << name;
    set(0x100);
    const Int afterHighByteOnly = get();
    set(0x1FF);
    EXPECT_EQ((std::pair{afterHighByteOnly, get()}), (std::pair{0, 1})) << name;
    set(start);
  }
}

}  // namespace
