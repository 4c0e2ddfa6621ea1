// Character sprites and their manager against a recording sprite layer: handles, what is drawn
// and when, placement forwarding, and the saved integer layout with loading of damaged arrays.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "refhost/VMArray.h"
#include "refhost/VMString.h"
#include "refhost/VMStruct.h"
#include "text/CharSpriteManager.h"

namespace tamblet {
namespace {

std::string hex(std::string_view bytes) {
  std::string out;
  for (unsigned char byte : bytes) out += {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
  return out;
}

// Records every command as one line; sprite numbers in use are those drawn, placed or not deleted.
struct RecordingCommands final : CharSpriteCommands {
  std::vector<std::string> calls;
  std::set<std::int32_t> live;

  // One line: the command's name and its numbers; the sprite (if any) counts as in use.
  template <class... Numbers>
  void log(const char* name, std::int32_t sprite, Numbers... numbers) {
    if (sprite != -1) live.insert(sprite);
    std::string line = name;
    ((line += " " + std::to_string(numbers)), ...);
    calls.push_back(line);
  }
  std::vector<std::string> only(std::string_view prefix) const {
    std::vector<std::string> out;
    for (const auto& call : calls) if (call.starts_with(prefix)) out.push_back(call);
    return out;
  }
  std::int32_t unusedSpriteNumber(std::int32_t lowest) override {
    log("unused", -1, lowest);
    while (live.count(lowest)) ++lowest;
    return lowest;
  }
  void setTextStyle(const TextStyle& s) override {
    char line[128];
    std::snprintf(line, sizeof line, "style %d %d %d,%d,%d,%d %g %g %d,%d,%d,%d", s.type, s.size, s.color.r, s.color.g,
                  s.color.b, s.color.a, s.boldWeight, s.edgeWeight, s.edgeColor.r, s.edgeColor.g, s.edgeColor.b,
                  s.edgeColor.a);
    calls.push_back(line);
  }
  bool setTextSprite(std::int32_t n, std::string_view text) override {
    log("text", n, n);
    calls.back() += " " + hex(text);
    return true;
  }
  void setPos(std::int32_t n, std::int32_t x, std::int32_t y) override { log("pos", n, n, x, y); }
  void setZ(std::int32_t n, std::int32_t z) override { log("z", n, n, z); }
  void setBlendRate(std::int32_t n, std::int32_t r) override { log("rate", n, n, r); }
  void setShow(std::int32_t n, bool show) override { log("show", n, n, int(show)); }
  void deleteSprite(std::int32_t n) override {
    log("delete", -1, n);
    live.erase(n);
  }
};

struct CharSpriteTest : ::testing::Test {
  RecordingCommands commands;
  CharSpriteManager manager{commands};

  void draw(std::int32_t handle, const char* text, float bold = 0.0f) {
    manager.setCharDirect(handle, text, 0, 16, 255, 255, 255, bold, 0.0f, 0, 0, 0);
  }
  std::vector<std::int32_t> saved() {
    refhost::VMArray array;
    EXPECT_TRUE(manager.save(&array));
    EXPECT_EQ(array.dimensionCounts(), std::vector<std::int32_t>{array.GetElementCount()});
    return array.values();
  }
  bool load(const std::vector<std::int32_t>& values, std::int32_t type = kVMTypeInt, std::int32_t rows = 1) {
    refhost::VMArray array(type, rows == 1 ? std::vector<std::int32_t>{std::int32_t(values.size())}
                                           : std::vector<std::int32_t>{rows, std::int32_t(values.size()) / rows});
    for (std::size_t i = 0; i < values.size(); ++i) array.SetElement(std::int32_t(i), &values[i]);
    return manager.load(&array);
  }
  std::string text(std::int32_t handle) {
    refhost::VMString out("unchanged");
    manager.getChar(handle, &out);
    return out.bytes();
  }
};

// An empty slot, "A" bold 1.5 placed at (10, 20) depth 3 rate 200 hidden, and two bytes 0x82 0xA0.
const std::vector<std::int32_t> kGolden{
    67, 83, 77, 0, 0, 3, 0,                                                                           // tag, slots, empty
    1, 65, 0, 0, 16, 255, 255, 255, 255, 0x3FC00000, 0, 0, 0, 0, 255, 10, 20, 3, 200, 0, 2000,       // 7..27
    1, -126, -96, 0, 0, 16, 255, 255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 1, 2001};          // 28..49

struct SavedCharSpriteTest : CharSpriteTest {
  void SetUp() override {
    for (int i = 0; i < 3; ++i) manager.createHandle();
    manager.releaseHandle(0);
    draw(1, "A", 1.5f);
    manager.setPos(1, 10, 20);
    manager.setZ(1, 3);
    manager.setAlphaRate(1, 200);
    manager.setShow(1, false);
    draw(2, "\x82\xa0");
    commands.calls.clear();
  }
};

TEST_F(CharSpriteTest, HandlesReuseTheFirstEmptySlotAndBadOnesDoNothing) {
  for (int expected : {0, 1, 2}) EXPECT_EQ(manager.createHandle(), expected);
  EXPECT_TRUE(manager.releaseHandle(1));
  for (int bad : {1, 3, -1}) {
    EXPECT_FALSE(manager.releaseHandle(bad));
    draw(bad, "A");
    manager.setPos(bad, 1, 1);
    manager.release(bad);
    EXPECT_EQ(text(bad), "unchanged");
    EXPECT_EQ(manager.getAlphaRate(bad), 0);
  }
  EXPECT_TRUE(commands.calls.empty());
  EXPECT_EQ(manager.createHandle(), 1);
  EXPECT_EQ(manager.createHandle(), 3);
}

TEST_F(CharSpriteTest, ShowsTheFirstCharacterAndKeepsTheWholeText) {
  const struct { const char* text; const char* shown; } cases[] = {
      {"", ""},         {"A", "41"},       {"AB", "41"},       {"\x82\xa0\x82\xa2", "82a0"}, {"\x81", "81"},
      {"\x80\x41", "80"}, {"\xa0\x41", "a0"}, {"\xe0\x40", "e040"}, {"\xff\x41", "ff41"},       {"\x9f\x40", "9f40"}};
  for (const auto& c : cases) {
    const std::int32_t handle = manager.createHandle();
    manager.setCharDirect(handle, c.text, 1, 20, 0, 0, 0, 0.0f, 0.0f, 0, 0, 0);
    EXPECT_EQ(commands.only("text").back(), "text " + std::to_string(2000 + handle) + " " + c.shown) << hex(c.text);
    EXPECT_EQ(text(handle), c.text);
  }
}

TEST_F(CharSpriteTest, DrawsOnlyWhenTextOrStyleChanges) {
  const std::int32_t handle = manager.createHandle();
  const struct { const char* text; float bold; std::size_t draws; } steps[] = {
      {"A", 0.0f, 1}, {"A", 0.0f, 1}, {"A", 1.5f, 2}, {"A", -0.0f, 3}, {"A", 0.0f, 3}, {"B", 0.0f, 4}};
  for (const auto& step : steps) {
    draw(handle, step.text, step.bold);
    EXPECT_EQ(commands.only("text").size(), step.draws) << step.text << " " << step.bold;
  }
  EXPECT_EQ(commands.only("unused"), std::vector<std::string>{"unused 2000"});
}

TEST_F(CharSpriteTest, PlacementIsStoredUntilDrawnThenForwardedInOrder) {
  const std::int32_t handle = manager.createHandle();
  manager.setPos(handle, 5, 6);
  manager.setZ(handle, 7);
  manager.setAlphaRate(handle, 128);
  manager.setShow(handle, false);
  EXPECT_TRUE(commands.calls.empty());
  manager.setCharDirect(handle, "A", 1, 24, 0x110, 0x20, -1, 1.5f, 2.0f, 1, 2, 3);
  for (int y : {6, 9}) manager.setPos(handle, 5, y);  // the first is no change
  manager.setAlphaRate(handle, 128);
  manager.release(handle);
  const std::vector<std::string> expected{
      "unused 2000", "style 1 24 16,32,255,255 1.5 2 1,2,3,255", "text 2000 41", "pos 2000 5 6", "z 2000 7",
      "rate 2000 128", "show 2000 0", "pos 2000 5 9", "delete 2000"};
  EXPECT_EQ(commands.calls, expected);
  EXPECT_EQ(text(handle), "");
}

TEST_F(CharSpriteTest, StyleStructureGivesTheStyleAndNullsDoNothing) {
  const std::int32_t handle = manager.createHandle();
  std::vector<refhost::VMStruct::Member> members{
      {kVMTypeInt, {1}}, {kVMTypeInt, {24}}, {0, {0x110, 0x20, 0x30, 7}}, {0, {0x40000000}}, {0, {0}}, {0, {4, 5, 6, 9}}};
  refhost::VMStruct style(members);
  std::vector<refhost::VMStruct::Member> intColour = members;
  intColour[5] = {kVMTypeInt, {4}};  // one int where four are read
  refhost::VMStruct intColourStyle(intColour);
  members.pop_back();
  refhost::VMStruct shortStyle(members);
  manager.setChar(handle, "A", nullptr);
  manager.setChar(handle, "A", &shortStyle);
  manager.setChar(handle, "A", &intColourStyle);
  manager.setCharDirect(handle, nullptr, 1, 24, 0, 0, 0, 0.0f, 0.0f, 0, 0, 0);
  EXPECT_TRUE(commands.calls.empty());
  manager.setChar(handle, "A", &style);
  EXPECT_EQ(commands.only("style"), std::vector<std::string>{"style 1 24 16,32,48,255 2 0 4,5,6,255"});
}

TEST_F(SavedCharSpriteTest, SavesTheIntegerLayoutAndLoadsItBackWithoutDrawing) {
  EXPECT_EQ(saved(), kGolden);
  RecordingCommands other;
  CharSpriteManager loaded(other);
  refhost::VMArray array;
  ASSERT_TRUE(manager.save(&array));
  ASSERT_TRUE(loaded.load(&array));
  EXPECT_TRUE(other.calls.empty());
  refhost::VMArray again;
  ASSERT_TRUE(loaded.save(&again));
  EXPECT_EQ(again.values(), kGolden);
  loaded.setZ(1, 9);  // the loaded sprite number stands until a rebuild
  EXPECT_EQ(other.calls, std::vector<std::string>{"z 2000 9"});
}

TEST_F(SavedCharSpriteTest, RebuildDrawsFreshSpritesAndDeletesNone) {
  ASSERT_TRUE(load(kGolden));
  EXPECT_EQ(commands.only("delete"), (std::vector<std::string>{"delete 2000", "delete 2001"}));
  commands.live = {2000};  // a sprite the saving session left under a saved number
  manager.rebuild();
  manager.rebuild();  // without a load: the sprites made just before are left as they are
  EXPECT_EQ(commands.only("unused"), std::vector<std::string>(4, "unused 2000"));
  EXPECT_EQ(commands.only("text"), (std::vector<std::string>{"text 2001 41", "text 2002 82a0", "text 2003 41",
                                                             "text 2004 82a0"}));
  EXPECT_EQ(commands.only("delete").size(), 2u);
  EXPECT_EQ(commands.only("pos 2003"), (std::vector<std::string>{"pos 2003 0 0", "pos 2003 10 20"}));
}

TEST_F(SavedCharSpriteTest, DamagedHeadersAreRefusedAndKeepTheSprites) {
  const struct { std::vector<std::int32_t> values; std::int32_t type, rows; } cases[] = {
      {{67, 83, 78, 0, 0, 0}, kVMTypeInt, 1}, {{67, 83, 77, 0, 0}, kVMTypeInt, 1}, {{67, 83, 77, 0, 0, -1}, kVMTypeInt, 1},
      {{}, kVMTypeInt, 1}, {{67, 83, 77, 0, 0, 0}, 11, 1}, {{67, 83, 77, 0, 0, 0}, kVMTypeInt, 2}};
  for (const auto& c : cases) EXPECT_FALSE(load(c.values, c.type, c.rows)) << c.values.size();
  struct Holey final : IVMArray {  // a good tag, then an element without an address; takes no values
    std::int32_t tag[5] = {67, 83, 77, 0, 0};
    std::int32_t TAMBLET_HOSTCALL GetElementType() override { return kVMTypeInt; }
    void TAMBLET_HOSTCALL UnusedSlot1() override {}
    std::int32_t TAMBLET_HOSTCALL GetElementCount() override { return 6; }
    std::int32_t TAMBLET_HOSTCALL GetDimensionCount() override { return 1; }
    void* TAMBLET_HOSTCALL GetElementAddress(std::int32_t i) override { return i < 5 ? &tag[i] : nullptr; }
    bool TAMBLET_HOSTCALL SetElement(std::int32_t, const void*) override { return false; }
    bool TAMBLET_HOSTCALL Resize(const std::int32_t*, std::int32_t) override { return true; }
  } holey;
  EXPECT_FALSE(manager.load(&holey) || manager.save(&holey) || manager.save(nullptr) || manager.load(nullptr));
  EXPECT_TRUE(commands.calls.empty());
  EXPECT_EQ(saved(), kGolden);
}

// A cut at 28 keeps one empty slot and "A": the save then starts 67, 83, 77, 0, 0, 2, 0, 1, 65, 0.
TEST_F(SavedCharSpriteTest, TruncatedArraysKeepTheSlotsReadBeforeTheCut) {
  const struct { std::size_t cut, slots, keptValues; } cases[] = {
      {6, 0, 6}, {7, 1, 7}, {9, 1, 7}, {27, 1, 7}, {28, 2, 28}, {49, 2, 28}, {50, 3, 50}};
  for (const auto& c : cases) {
    EXPECT_EQ(load({kGolden.begin(), kGolden.begin() + std::ptrdiff_t(c.cut)}), c.cut == kGolden.size()) << c.cut;
    std::vector<std::int32_t> expected(kGolden.begin(), kGolden.begin() + std::ptrdiff_t(c.keptValues));
    expected[5] = std::int32_t(c.slots);
    EXPECT_EQ(saved(), expected) << c.cut;
  }
}

TEST_F(CharSpriteTest, LoadedTextStopsAtTheFirstZeroByteAndAt4096Bytes) {
  const struct { std::vector<std::int32_t> bytes; std::string text; } cases[] = {
      {{0x41, 0x100, 0x42}, "A"}, {{-126, 0x1A0}, "\x82\xa0"}, {std::vector<std::int32_t>(5000, 0x41), std::string(4096, 'A')}};
  for (const auto& c : cases) {
    std::vector<std::int32_t> values{67, 83, 77, 0, 0, 1, 7};
    values.insert(values.end(), c.bytes.begin(), c.bytes.end());
    values.resize(values.size() + 19, 0);
    ASSERT_TRUE(load(values));
    EXPECT_EQ(text(0), c.text);
  }
}

}  // namespace
}  // namespace tamblet
