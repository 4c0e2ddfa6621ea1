// The export table: every export the library lists is described once, with whole one-line texts
// for the guide, which holds exactly the generated reference; and the compiled callers pass
// arguments the way the C signature wants, floats beyond the registers and mixed with integers.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tools/play/ExportReference.h"
#include "tools/play/ExportTable.h"

namespace tamblet::play {
namespace {

TEST(ExportTableTest, DescribesEveryLibraryExportOnceAndTheGuideHoldsItsReference) {
  std::set<std::string> names;
  for (const ExportSignature& signature : exportTable()) {
    EXPECT_TRUE(names.insert(std::string(signature.name)).second) << signature.name;
    bool passesValues = false;
    for (ArgKind kind : signature.args) passesValues |= takesScriptValue(kind) && kind != ArgKind::kHostKernel;
    // Units are given exactly for the exports the script passes values to; every text is one table cell.
    EXPECT_EQ(!signature.doc.arguments.empty(), passesValues) << signature.name;
    EXPECT_FALSE(signature.doc.meaning.empty() || signature.doc.failure.empty()) << signature.name;
    for (std::string_view text : {signature.doc.meaning, signature.doc.arguments, signature.doc.failure})
      EXPECT_EQ(text.find_first_of("\n|"), std::string_view::npos) << signature.name;
  }
  std::ifstream map(TAMBLET_EXPORTS_MAP);
  ASSERT_TRUE(map);
  const std::regex symbol(R"(^\s*([A-Za-z_][A-Za-z_0-9]*);\s*$)");
  std::size_t listed = 0;
  for (std::string line; std::getline(map, line);) {
    std::smatch match;
    if (!std::regex_match(line, match, symbol)) continue;
    ++listed;
    EXPECT_NE(findExport(match[1].str()), nullptr) << match[1].str();
  }
  EXPECT_EQ(listed, exportTable().size());
  // The library's own spelling, and the shapes that are easy to get wrong.
  EXPECT_EQ(findExport("Sprite_SetTextureFilterType"), nullptr);
  EXPECT_EQ(describe(*findExport("StringPopFront")), "StringPopFront(string out, string in/out) -> int");
  EXPECT_EQ(describe(*findExport("Debug_GetSpriteNumberList")), "Debug_GetSpriteNumberList(int*&, int&) -> bool");
  EXPECT_EQ(describe(*findExport("Init")), "Init(IHostKernel, int) -> bool");

  // The guide's copy is the table that follows its "## Export reference" heading.
  std::ifstream guide(TAMBLET_GUIDE);
  ASSERT_TRUE(guide);
  std::string line, copied;
  while (std::getline(guide, line) && line != "## Export reference") {}
  while (std::getline(guide, line) && line.rfind('|', 0) != 0) {}
  for (; guide && line.rfind('|', 0) == 0; std::getline(guide, line)) copied += line + "\n";
  EXPECT_EQ(copied, exportReferenceMarkdown()) << "refresh the guide's copy with: tamblet-play --list-exports --markdown";
}

float received[24];
std::int32_t receivedInts[10];
const char* receivedText;

std::int32_t takesTwentyFourFloats(std::int32_t sprite, float a0, float a1, float a2, float a3, float a4, float a5,
                                   float a6, float a7, float a8, float a9, float a10, float a11, float a12, float a13,
                                   float a14, float a15, float a16, float a17, float a18, float a19, float a20,
                                   float a21, float a22, float a23) {
  const float all[24] = {a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11,
                         a12, a13, a14, a15, a16, a17, a18, a19, a20, a21, a22, a23};
  std::copy(all, all + 24, received);
  return sprite * 2;
}

void takesMixed(std::int32_t handle, const char* text, std::int32_t type, std::int32_t size, std::int32_t r,
                std::int32_t g, std::int32_t b, float bold, float edge, std::int32_t er, std::int32_t eg,
                std::int32_t eb) {
  const std::int32_t ints[] = {handle, type, size, r, g, b, er, eg, eb};
  std::copy(ints, ints + 9, receivedInts);
  receivedText = text;
  received[0] = bold;
  received[1] = edge;
}

TEST(ExportTableTest, CallersPassEveryArgumentWhereTheSignatureExpectsIt) {
  ArgSlot slots[25];
  slots[0].i = -5;
  for (int i = 0; i < 24; ++i) slots[i + 1].f = 0.5f + static_cast<float>(i);
  EXPECT_EQ(findExport("SP_SetSpriteTransformPos")->invoke(reinterpret_cast<void*>(&takesTwentyFourFloats), slots).i,
            -10);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(received[i], 0.5f + static_cast<float>(i)) << i;

  const char* text = "x";
  ArgSlot direct[12];
  const std::int32_t ints[] = {1, 20, 30, 40, 50, 60, INT32_MIN, INT32_MAX, 99};
  for (int i = 0, at = 0; i < 12; ++i) {
    if (i == 1) direct[i].p = const_cast<char*>(text);
    else if (i == 7 || i == 8) direct[i].f = i == 7 ? 1.25f : -2.5f;
    else direct[i].i = ints[at++];
  }
  findExport("CharSprite_SetCharDirect")->invoke(reinterpret_cast<void*>(&takesMixed), direct);
  EXPECT_EQ(std::vector<std::int32_t>(receivedInts, receivedInts + 9), std::vector<std::int32_t>(ints, ints + 9));
  EXPECT_EQ(receivedText, text);
  EXPECT_EQ(std::pair(received[0], received[1]), std::pair(1.25f, -2.5f));
}

}  // namespace
}  // namespace tamblet::play
