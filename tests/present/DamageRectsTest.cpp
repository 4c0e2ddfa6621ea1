// The damage set: what it keeps for a table of adds (cut to the screen, merged on overlap, the whole screen above
// half of it), and over seeded random adds that its rectangles stay disjoint, inside the screen, within the bound
// and cover every pixel added.
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

// Seeded random adds: small and large, partly off the screen. After every add the set is a valid damage of
// everything added so far.
TEST(DamageRectsProperty, DisjointInsideBoundedAndCovering) {
  constexpr int kWidth = 320, kHeight = 200;
  std::mt19937 random(20261207);
  for (int round = 0; round < 60; ++round) {
    DamageRects damage;
    damage.reset(kWidth, kHeight);
    damage.clear();
    std::vector<bool> added(kWidth * kHeight, false);
    const int adds = 1 + static_cast<int>(random() % 120);
    for (int i = 0; i < adds && !damage.full(); ++i) {
      const int side = random() % 4 == 0 ? 80 : 12;
      const int x = static_cast<int>(random() % (kWidth + 40)) - 20,
                y = static_cast<int>(random() % (kHeight + 40)) - 20;
      const int w = static_cast<int>(random() % side), h = static_cast<int>(random() % side);
      damage.add(x, y, w, h);
      for (int py = std::max(y, 0); py < std::min(y + h, kHeight); ++py) {
        for (int px = std::max(x, 0); px < std::min(x + w, kWidth); ++px) added[py * kWidth + px] = true;
      }
      if (damage.full()) break;
      const auto rects = damage.rects();
      ASSERT_LE(rects.size(), DamageRects::kMaxRects);
      std::vector<int> cover(kWidth * kHeight, 0);
      for (const PixelRect& rect : rects) {
        ASSERT_FALSE(rect.empty());
        ASSERT_TRUE(rect.x >= 0 && rect.y >= 0 && rect.right() <= kWidth && rect.bottom() <= kHeight);
        for (int py = rect.y; py < rect.bottom(); ++py) {
          for (int px = rect.x; px < rect.right(); ++px) ++cover[py * kWidth + px];
        }
      }
      for (int p = 0; p < kWidth * kHeight; ++p) {
        ASSERT_LE(cover[p], 1) << "rectangles overlap, round " << round;
        ASSERT_TRUE(!added[p] || cover[p] == 1) << "pixel " << p % kWidth << "," << p / kWidth << " lost";
      }
    }
  }
}

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
