// The character-sprite manager's own cost of typing a message line: 40 handles, each given its
// character, style and position, against a sprite layer that only counts the commands (the
// drawing behind them is measured with the text sprites). Also saving and loading such a line.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "refhost/VMArray.h"
#include "text/CharSpriteManager.h"

namespace {

using tamblet::CharSpriteManager;

constexpr int kLineLength = 40;

struct CountingCommands final : tamblet::CharSpriteCommands {
  std::int64_t commands = 0;
  std::int32_t next = 0;
  std::int32_t unusedSpriteNumber(std::int32_t lowest) override {
    ++commands;
    return lowest + next++;
  }
  void setTextStyle(const tamblet::TextStyle&) override { ++commands; }
  bool setTextSprite(std::int32_t, std::string_view text) override {
    commands += static_cast<std::int64_t>(text.size());
    return true;
  }
  void setPos(std::int32_t, std::int32_t, std::int32_t) override { ++commands; }
  void setZ(std::int32_t, std::int32_t) override { ++commands; }
  void setBlendRate(std::int32_t, std::int32_t) override { ++commands; }
  void setShow(std::int32_t, bool) override { ++commands; }
  void deleteSprite(std::int32_t) override { ++commands; }
};

// 40 full-width characters (hiragana from 0x82 0x9F on), NUL-terminated each.
std::vector<std::string> lineOfText(int offset) {
  std::vector<std::string> line;
  for (int i = 0; i < kLineLength; ++i) line.push_back({'\x82', static_cast<char>(0x9F + (i + offset) % 80)});
  return line;
}

void typeLine(CharSpriteManager& manager, const std::vector<std::string>& line) {
  for (int i = 0; i < kLineLength; ++i) {
    const std::int32_t handle = manager.createHandle();
    manager.setPos(handle, 24 * i, 600);
    manager.setCharDirect(handle, line[static_cast<std::size_t>(i)].c_str(), 0, 24, 255, 255, 255, 0.0f, 2.0f, 0, 0,
                          0);
  }
}

// A new line each time: handles made, characters set and placed, then all cleared.
void BM_TypeLine(benchmark::State& state) {
  CountingCommands commands;
  CharSpriteManager manager(commands);
  const std::vector<std::string> line = lineOfText(0);
  for (auto _ : state) {
    typeLine(manager, line);
    manager.clear();
  }
  benchmark::DoNotOptimize(commands.commands);
  state.SetItemsProcessed(state.iterations() * kLineLength);
}
BENCHMARK(BM_TypeLine)->Unit(benchmark::kMicrosecond);

// The same 40 handles given the characters of two lines in turn (every call redraws).
void BM_RetypeLine(benchmark::State& state) {
  CountingCommands commands;
  CharSpriteManager manager(commands);
  const std::vector<std::string> lines[2] = {lineOfText(0), lineOfText(1)};
  typeLine(manager, lines[0]);
  int which = 0;
  for (auto _ : state) {
    which ^= 1;
    for (int i = 0; i < kLineLength; ++i) {
      manager.setCharDirect(i, lines[which][static_cast<std::size_t>(i)].c_str(), 0, 24, 255, 255, 255, 0.0f, 2.0f, 0,
                            0, 0);
    }
  }
  benchmark::DoNotOptimize(commands.commands);
  state.SetItemsProcessed(state.iterations() * kLineLength);
}
BENCHMARK(BM_RetypeLine)->Unit(benchmark::kMicrosecond);

// Saving a typed line into a script array and loading it back.
void BM_SaveAndLoadLine(benchmark::State& state) {
  CountingCommands commands;
  CharSpriteManager manager(commands);
  typeLine(manager, lineOfText(0));
  CharSpriteManager loaded(commands);
  refhost::VMArray array;
  for (auto _ : state) {
    if (!manager.save(&array) || !loaded.load(&array)) state.SkipWithError("save or load failed");
  }
  state.SetItemsProcessed(state.iterations() * kLineLength);
}
BENCHMARK(BM_SaveAndLoadLine)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
