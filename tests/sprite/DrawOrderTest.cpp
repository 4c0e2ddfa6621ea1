#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <tuple>

#include "sprite/DrawOrder.h"

namespace tamblet {
namespace {

std::vector<std::int32_t> numbersOf(const std::vector<SpriteRecord*>& list) {
  std::vector<std::int32_t> numbers;
  for (const SpriteRecord* record : list) numbers.push_back(record->number);
  return numbers;
}

SpriteRecord* place(SpriteTable& table, std::int32_t number, std::int32_t z, std::int32_t y, std::int32_t x) {
  SpriteRecord* record = table.findOrCreate(number);
  record->z = z;
  record->y = y;
  record->x = x;
  return record;
}

TEST(DrawOrderTest, SortsBySignedZThenYThenXAndLeavesOutInvisibleRecords) {
  SpriteTable table;
  place(table, 1, 1, 100, 0);  // A: lower on the screen, drawn over B
  place(table, 2, 1, 50, 0);   // B
  place(table, 3, -5, 0, 0);   // negative z goes furthest back
  place(table, 4, 1, 50, -1);  // left of B at equal z and y
  place(table, 5, INT_MIN, INT_MAX, 0);
  place(table, 6, INT_MAX, INT_MIN, INT_MIN);
  place(table, 7, 0, 0, 0)->blendRate = 0;
  place(table, 8, 0, 0, 0)->blendRate = -4;
  place(table, 9, 0, 0, 0)->show = false;
  place(table, 10, 0, 0, 0)->suspended = true;  // suspended and custom records are still drawn
  place(table, 11, 0, 0, 0)->custom = true;

  std::vector<SpriteRecord*> list;
  ASSERT_TRUE(buildDrawList(table, list));
  EXPECT_EQ(numbersOf(list), (std::vector<std::int32_t>{5, 3, 10, 11, 4, 2, 1, 6}));

  EXPECT_EQ(maxZ(table), INT_MAX);
  table.remove(6);
  EXPECT_EQ(maxZ(table), 1);
  for (const auto& record : table.records()) record->show = false;
  EXPECT_EQ(maxZ(table), 1) << "hidden records count";
  ASSERT_TRUE(buildDrawList(table, list));
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(spriteCount(table), 10);
}

TEST(DrawOrderTest, EqualKeysKeepAscendingNumberAtEverySizeAndTheListIsReused) {
  // Numbers inserted in a scrambled order, keys drawn from a tiny range: many runs of equal
  // (z, y, x) far longer than 32 records.
  SpriteTable table;
  std::mt19937 random(7);
  std::vector<std::int32_t> numbers(3000);
  for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<std::int32_t>(i * 37 % 7919) - 2000;
  std::shuffle(numbers.begin(), numbers.end(), random);
  for (std::int32_t number : numbers) {
    const int key = static_cast<int>(random() % 4);
    place(table, number, key & 1, -(key >> 1), 0);
  }

  std::vector<SpriteRecord*> list;
  ASSERT_TRUE(buildDrawList(table, list));
  ASSERT_EQ(list.size(), numbers.size());
  for (std::size_t i = 1; i < list.size(); ++i) {
    const SpriteRecord& a = *list[i - 1];
    const SpriteRecord& b = *list[i];
    ASSERT_LT(std::tie(a.z, a.y, a.x, a.number), std::tie(b.z, b.y, b.x, b.number)) << "at " << i;
  }

  auto* const storage = list.data();
  table.find(numbers[0])->z = -100;
  ASSERT_TRUE(buildDrawList(table, list));
  EXPECT_EQ(list.data(), storage) << "a reused list must not reallocate";
  EXPECT_EQ(list.front()->number, numbers[0]);
}

TEST(DrawOrderTest, UnusedNumberFollowsTheRunOfUsedNumbers) {
  SpriteTable table;
  EXPECT_EQ(unusedNumber(table, 7), 7);
  EXPECT_EQ(maxZ(table), 0);
  EXPECT_EQ(spriteCount(table), 0);

  for (std::int32_t number : {1, 2, 3, 5}) table.findOrCreate(number);
  EXPECT_EQ(unusedNumber(table, 1), 4);
  EXPECT_EQ(unusedNumber(table, 4), 4);
  EXPECT_EQ(unusedNumber(table, 5), 6);
  EXPECT_EQ(unusedNumber(table, 0), 0);
  EXPECT_EQ(unusedNumber(table, INT_MIN), INT_MIN);

  for (std::int32_t number : {-3, -2, -1, 0}) table.findOrCreate(number);
  EXPECT_EQ(unusedNumber(table, -3), 4);

  // Past INT_MAX the count wraps to INT_MIN, used or not.
  table.findOrCreate(INT_MAX - 1);
  table.findOrCreate(INT_MAX);
  EXPECT_EQ(unusedNumber(table, INT_MAX), INT_MIN);
  EXPECT_EQ(unusedNumber(table, INT_MAX - 1), INT_MIN);
  table.findOrCreate(INT_MIN);
  EXPECT_EQ(unusedNumber(table, INT_MAX), INT_MIN);
  EXPECT_EQ(unusedNumber(table, INT_MIN), INT_MIN + 1);
}

}  // namespace
}  // namespace tamblet
