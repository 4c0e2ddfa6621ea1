// The export table: every export the library lists is described, each exactly once, with the
// kinds scripts rely on; and the compiled callers pass arguments the way the C signature wants,
// including floats beyond the registers and integers mixed with floats.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "tools/play/ExportTable.h"

namespace tamblet::play {
namespace {

TEST(ExportTableTest, DescribesEveryLibraryExportOnceWithItsKinds) {
  const auto table = exportTable();
  EXPECT_EQ(table.size(), 138u);
  std::set<std::string> names;
  for (const ExportSignature& signature : table) {
    EXPECT_TRUE(names.insert(std::string(signature.name)).second) << signature.name;
    EXPECT_NE(signature.invoke, nullptr);
  }
  // Every name of the library's export list is in the table.
  std::ifstream map(TAMBLET_EXPORTS_MAP);
  ASSERT_TRUE(map);
  const std::regex symbol(R"(^\s*([A-Za-z_][A-Za-z_0-9]*);\s*$)");
  int listed = 0;
  for (std::string line; std::getline(map, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, symbol)) continue;
    ++listed;
    EXPECT_NE(findExport(match[1].str()), nullptr) << match[1].str();
  }
  EXPECT_GT(listed, 50);

  // The library's own spelling, and the signatures whose shapes are easy to get wrong.
  ASSERT_NE(findExport("Sprite_SetTextureFilerType"), nullptr);
  EXPECT_EQ(findExport("Sprite_SetTextureFilterType"), nullptr);
  EXPECT_EQ(describe(*findExport("StringPopFront")), "StringPopFront(string out, string in/out) -> int");
  EXPECT_EQ(describe(*findExport("Debug_GetSpriteNumberList")), "Debug_GetSpriteNumberList(int*&, int&) -> bool");
  EXPECT_EQ(describe(*findExport("Debug_GetFuncStack")), "Debug_GetFuncStack(string out, int) -> none");
  EXPECT_EQ(describe(*findExport("FPS_Get")), "FPS_Get() -> float");
  EXPECT_EQ(describe(*findExport("Init")), "Init(IHostKernel, int) -> bool");
  EXPECT_EQ(describe(*findExport("CharSprite_SetChar")), "CharSprite_SetChar(int, string, IVMStruct) -> none");
  EXPECT_EQ(findExport("SP_SetSpriteTransformPos")->args.size(), 25u);
  EXPECT_EQ(findExport("CharSprite_SetCharDirect")->args.size(), 12u);
  EXPECT_FALSE(takesScriptValue(ArgKind::kIntOut));
  EXPECT_TRUE(takesScriptValue(ArgKind::kStringInOut));
  EXPECT_TRUE(returnsToScript(ArgKind::kStringInOut));
}

float received[24];
std::int32_t receivedSprite;

std::int32_t takesTwentyFourFloats(std::int32_t sprite, float a0, float a1, float a2, float a3, float a4, float a5,
                                   float a6, float a7, float a8, float a9, float a10, float a11, float a12, float a13,
                                   float a14, float a15, float a16, float a17, float a18, float a19, float a20,
                                   float a21, float a22, float a23) {
  receivedSprite = sprite;
  const float all[24] = {a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11,
                         a12, a13, a14, a15, a16, a17, a18, a19, a20, a21, a22, a23};
  std::copy(all, all + 24, received);
  return 77;
}

std::int32_t mixed[10];
float mixedFloats[2];
const char* mixedText;

void takesMixed(std::int32_t handle, const char* text, std::int32_t type, std::int32_t size, std::int32_t r,
                std::int32_t g, std::int32_t b, float bold, float edge, std::int32_t er, std::int32_t eg,
                std::int32_t eb) {
  const std::int32_t ints[] = {handle, type, size, r, g, b, er, eg, eb};
  std::copy(ints, ints + 9, mixed);
  mixedText = text;
  mixedFloats[0] = bold;
  mixedFloats[1] = edge;
}

TEST(ExportTableTest, CallersPassEveryArgumentWhereTheSignatureExpectsIt) {
  ArgSlot slots[25];
  slots[0].i = -5;
  for (int i = 0; i < 24; ++i) slots[i + 1].f = 0.5f + static_cast<float>(i);
  const ExportSignature& transform = *findExport("SP_SetSpriteTransformPos");
  EXPECT_EQ(transform.invoke(reinterpret_cast<void*>(&takesTwentyFourFloats), slots).i, 77);
  EXPECT_EQ(receivedSprite, -5);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(received[i], 0.5f + static_cast<float>(i)) << i;

  const char* text = "x";
  ArgSlot direct[12];
  direct[0].i = 1;
  direct[1].p = const_cast<char*>(text);
  for (int i = 2; i < 7; ++i) direct[i].i = i * 10;
  direct[7].f = 1.25f;
  direct[8].f = -2.5f;
  direct[9].i = INT32_MIN;
  direct[10].i = INT32_MAX;
  direct[11].i = 99;
  findExport("CharSprite_SetCharDirect")->invoke(reinterpret_cast<void*>(&takesMixed), direct);
  const std::int32_t expected[] = {1, 20, 30, 40, 50, 60, INT32_MIN, INT32_MAX, 99};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(mixed[i], expected[i]) << i;
  EXPECT_EQ(mixedText, text);
  EXPECT_EQ(mixedFloats[0], 1.25f);
  EXPECT_EQ(mixedFloats[1], -2.5f);
}

}  // namespace
}  // namespace tamblet::play
