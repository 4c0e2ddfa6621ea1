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

// A visible record with its sort keys: back to front is ascending (z, y), then ascending (x, sprite number). The
// sprite number is the last key: numbers are unique within a table, so the order is total and any sort gives the one
// result a stable sort of the ascending walk would. The keys are read from each record once, not at every
// comparison.
struct Keyed {
  std::uint64_t zy;
  std::uint64_t xn;
  SpriteRecord* record;
};

bool drawnBefore(const Keyed& a, const Keyed& b) {
  return a.zy != b.zy ? a.zy < b.zy : a.xn < b.xn;
}

}  // namespace

bool buildDrawList(const SpriteTable& table, std::vector<SpriteRecord*>& list) {
  // Kept from call to call on each thread, like the caller's list: no allocation once large enough.
  thread_local std::vector<Keyed> keyed;
  list.clear();
  keyed.clear();
  try {
    list.reserve(table.size());
    keyed.reserve(table.size());
  } catch (const std::exception&) {
    return false;
  }
  for (const auto& record : table.records()) {
    if (record->show && record->blendRate > 0) {
      keyed.push_back({pairKey(record->z, record->y), pairKey(record->x, record->number), record.get()});
    }
  }
  std::sort(keyed.begin(), keyed.end(), drawnBefore);
  for (const Keyed& entry : keyed) list.push_back(entry.record);
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
