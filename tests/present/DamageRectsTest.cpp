// The damage set: what it keeps for a table of adds (cut to the screen, merged on overlap, the whole screen above
// half of it), and its bound under a hundred thousand tiny adds. That the rectangles cover every change and never
// overlap is checked frame by frame in DirtyRegionsTest.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "present/DamageRects.h"

namespace tamblet {
namespace {

struct Add {
  std::int32_t x, y, width, height;
};

struct DamageCase {
  const char* name;
  std::vector<Add> adds;
  bool full;
  std::vector<PixelRect> rects;  // sorted by (y, x) when not full
};

const DamageCase kCases[] = {
    {"NothingAdded", {}, false, {}},
    {"EmptyAndNegativeSizesAddNothing",
     {{10, 10, 0, 5}, {10, 10, -3, 5}, {10, 10, 5, -1}, {5, 5, INT_MIN, 4}},
     false,
     {}},
    {"OffTheScreenAddsNothing", {{-50, -50, 10, 10}, {100, 0, 10, 10}, {0, 100, 5, 5}, {-5, 20, 5, 5}}, false, {}},
    {"ExtremesAreCutToTheScreen",
     {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {INT_MAX, 0, INT_MAX, 10}, {-10, 5, INT_MAX, 2}},
     false,
     {{0, 5, 100, 2}}},
    {"OverlapsMerge", {{0, 0, 10, 10}, {5, 5, 10, 10}}, false, {{0, 0, 15, 15}}},
    {"AGrownRectangleSwallowsFurtherOnes", {{0, 0, 10, 10}, {20, 0, 10, 10}, {8, 0, 14, 5}}, false, {{0, 0, 30, 10}}},
    {"TouchingRectanglesStayApart", {{0, 0, 10, 10}, {10, 0, 10, 10}}, false, {{0, 0, 10, 10}, {10, 0, 10, 10}}},
    {"HalfTheScreenIsStillPieces", {{0, 0, 100, 50}}, false, {{0, 0, 100, 50}}},
    {"AboveHalfTheScreenIsTheScreen", {{0, 0, 100, 50}, {0, 99, 1, 1}}, true, {{0, 0, 100, 100}}},
};

class DamageRectsTable : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamageRectsTable, KeepsWhatWasAdded) {
  const DamageCase& test = GetParam();
  DamageRects damage;
  damage.reset(100, 100);
  EXPECT_TRUE(damage.full());
  damage.clear();
  for (const Add& add : test.adds) damage.add(add.x, add.y, add.width, add.height);
  EXPECT_EQ(damage.full(), test.full);
  std::vector<PixelRect> rects(damage.rects().begin(), damage.rects().end());
  std::sort(rects.begin(), rects.end(),
            [](const PixelRect& a, const PixelRect& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  EXPECT_EQ(rects, test.rects);
  EXPECT_EQ(damage.clean(), test.rects.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, DamageRectsTable, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<DamageCase>& tested) { return tested.param.name; });

// A hundred thousand tiny changes in one frame: the set never holds more than its bound and ends as the screen.
TEST(DamageRectsProperty, AHundredThousandTinyChangesStayBounded) {
  DamageRects damage;
  damage.reset(1280, 720);
  damage.clear();
  std::mt19937 random(7);
  for (int i = 0; i < 100000; ++i) {
    damage.add(static_cast<int>(random() % 1280), static_cast<int>(random() % 720), 1, 1);
    ASSERT_LE(damage.rects().size(), DamageRects::kMaxRects);
  }
  EXPECT_TRUE(damage.full());
  ASSERT_EQ(damage.rects().size(), 1u);
  EXPECT_EQ(damage.rects()[0], (PixelRect{0, 0, 1280, 720}));
}

}  // namespace
}  // namespace tamblet
