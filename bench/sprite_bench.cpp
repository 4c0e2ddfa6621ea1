// The sprite model's per-frame and per-call costs: building and sorting the draw list of a large
// scene (target under 1 ms for 10,000 sprites) and sprite lookups by number (target under 50 ns).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <vector>

#include "sprite/DrawOrder.h"
#include "sprite/SpriteTable.h"

namespace {

using tamblet::SpriteRecord;
using tamblet::SpriteTable;

constexpr int kSprites = 10'000;
constexpr int kLookups = 1'000'000;

// 10,000 sprites under numbers scattered over [1, 100000], with random (z, y, x).
std::vector<std::int32_t> fillTable(SpriteTable& table) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::int32_t> number(1, 100'000), z(-50, 50), position(-200, 1500);
  std::vector<std::int32_t> used;
  while (table.size() < kSprites) {
    const std::int32_t n = number(random);
    if (table.find(n)) continue;
    SpriteRecord* record = table.findOrCreate(n);
    record->z = z(random);
    record->y = position(random);
    record->x = position(random);
    used.push_back(n);
  }
  return used;
}

// 1,000,000 numbers drawn from those in use.
std::vector<std::int32_t> lookupKeys(const std::vector<std::int32_t>& used) {
  std::mt19937 random(777);
  std::uniform_int_distribution<std::size_t> pick(0, used.size() - 1);
  std::vector<std::int32_t> keys(kLookups);
  for (auto& key : keys) key = used[pick(random)];
  return keys;
}

void BM_BuildDrawList(benchmark::State& state) {
  SpriteTable table;
  fillTable(table);
  std::vector<SpriteRecord*> list;
  for (auto _ : state) {
    tamblet::buildDrawList(table, list);
    benchmark::DoNotOptimize(list.data());
  }
  state.SetItemsProcessed(state.iterations() * kSprites);
}
BENCHMARK(BM_BuildDrawList)->Unit(benchmark::kMicrosecond);

void BM_Find(benchmark::State& state) {
  SpriteTable table;
  const auto keys = lookupKeys(fillTable(table));
  for (auto _ : state) {
    for (std::int32_t key : keys) benchmark::DoNotOptimize(table.find(key));
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_Find)->Unit(benchmark::kMillisecond);

void BM_FindOrCreate(benchmark::State& state) {
  SpriteTable table;
  const auto keys = lookupKeys(fillTable(table));
  for (auto _ : state) {
    for (std::int32_t key : keys) benchmark::DoNotOptimize(table.findOrCreate(key));
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_FindOrCreate)->Unit(benchmark::kMillisecond);

// The same lookups in an ordered node map, for comparison with the table's sorted vectors.
void BM_FindInNodeMap(benchmark::State& state) {
  SpriteTable table;
  const auto keys = lookupKeys(fillTable(table));
  std::map<std::int32_t, std::unique_ptr<int>> map;
  for (std::int32_t number : table.numbers()) map.emplace(number, std::make_unique<int>(number));
  for (auto _ : state) {
    for (std::int32_t key : keys) benchmark::DoNotOptimize(map.find(key));
  }
  state.SetItemsProcessed(state.iterations() * kLookups);
}
BENCHMARK(BM_FindInNodeMap)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
