#include "sprite/DrawOrder.h"

#include <algorithm>
#include <climits>
#include <exception>

namespace tamblet {

namespace {

// Two signed 32-bit values as one unsigned 64-bit key that orders like the pair.
std::uint64_t pairKey(std::int32_t high, std::int32_t low) {
  return (std::uint64_t{static_cast<std::uint32_t>(high) ^ 0x80000000u} << 32) |
         (static_cast<std::uint32_t>(low) ^ 0x80000000u);
}

// Back to front. The sprite number is the last key: numbers are unique within a table, so the
// order is total and any sort gives the one result a stable sort of the ascending walk would.
bool drawnBefore(const SpriteRecord* a, const SpriteRecord* b) {
  const std::uint64_t zyA = pairKey(a->z, a->y), zyB = pairKey(b->z, b->y);
  if (zyA != zyB) return zyA < zyB;
  return pairKey(a->x, a->number) < pairKey(b->x, b->number);
}

}  // namespace

bool buildDrawList(const SpriteTable& table, std::vector<SpriteRecord*>& list) {
  list.clear();
  try {
    list.reserve(table.size());
  } catch (const std::exception&) {
    return false;
  }
  for (const auto& record : table.records()) {
    if (record->show && record->blendRate > 0) list.push_back(record.get());
  }
  std::sort(list.begin(), list.end(), drawnBefore);
  return true;
}

std::int32_t maxZ(const SpriteTable& table) {
  const auto records = table.records();
  if (records.empty()) return 0;
  std::int32_t highest = INT_MIN;
  for (const auto& record : records) highest = std::max(highest, record->z);
  return highest;
}

std::int32_t unusedNumber(const SpriteTable& table, std::int32_t start) {
  const auto numbers = table.numbers();
  auto entry = std::lower_bound(numbers.begin(), numbers.end(), start);
  if (entry == numbers.end() || *entry != start) return start;
  // Unsigned steps: the candidate after INT_MAX is INT_MIN instead of an overflow. The walk ends
  // there, since no entry follows INT_MAX in ascending order.
  auto next = [](std::int32_t value) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) + 1u); };
  std::int32_t candidate = next(start);
  for (++entry; entry != numbers.end() && *entry == candidate; ++entry) candidate = next(candidate);
  return candidate;
}

std::int32_t spriteCount(const SpriteTable& table) {
  return static_cast<std::int32_t>(std::min<std::size_t>(table.size(), INT_MAX));
}

}  // namespace tamblet
