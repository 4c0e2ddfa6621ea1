// Fuzzes loading saved character sprites from a script int array. The input's first byte picks
// the array's shape (bit 0: the saved-set tag 67, 83, 77, 0, 0 comes first, so most runs reach
// the records; bit 1: a wrong element type; bit 2: two dimensions); the 4-byte little-endian words
// after it are the elements. Loading must never crash or hold more than the input gave it, and
// whatever it loaded must save, load back and save again to the very same values.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "refhost/VMArray.h"
#include "text/CharSpriteManager.h"

namespace {

using tamblet::CharSpriteCommands;
using tamblet::CharSpriteManager;

// A script array of these values (the reference host's, bounds-checked as the VM is).
refhost::VMArray arrayOf(const std::vector<std::int32_t>& values, std::int32_t type = tamblet::kVMTypeInt,
                         std::int32_t dimensions = 1) {
  std::vector<std::int32_t> counts(static_cast<std::size_t>(dimensions), 1);
  counts[0] = static_cast<std::int32_t>(values.size());
  refhost::VMArray array(type, counts);
  for (std::size_t i = 0; i < values.size(); ++i) array.SetElement(static_cast<std::int32_t>(i), &values[i]);
  return array;
}

// A sprite layer that hands out rising sprite numbers and otherwise does nothing.
struct NullCommands final : CharSpriteCommands {
  std::int32_t next = 0;
  std::int32_t unusedSpriteNumber(std::int32_t lowest) override { return lowest + (next++ & 4095); }
  void setTextStyle(const tamblet::TextStyle&) override {}
  bool setTextSprite(std::int32_t, std::string_view) override { return true; }
  void setPos(std::int32_t, std::int32_t, std::int32_t) override {}
  void setZ(std::int32_t, std::int32_t) override {}
  void setBlendRate(std::int32_t, std::int32_t) override {}
  void setShow(std::int32_t, bool) override {}
  void deleteSprite(std::int32_t) override {}
};

std::vector<std::int32_t> saved(const CharSpriteManager& manager) {
  refhost::VMArray array;
  if (!manager.save(&array)) std::abort();
  return array.values();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t shape = data[0];
  std::vector<std::int32_t> words;
  if (shape & 1) words = {67, 83, 77, 0, 0};
  for (std::size_t at = 1; at + 4 <= size; at += 4) {
    std::int32_t word;
    std::memcpy(&word, data + at, sizeof word);
    words.push_back(word);
  }
  refhost::VMArray input = arrayOf(words, shape & 2 ? 11 : tamblet::kVMTypeInt, shape & 4 ? 2 : 1);

  NullCommands commands;
  CharSpriteManager manager(commands);
  manager.setCharDirect(manager.createHandle(), "\x82\xa0", 0, 16, 255, 255, 255, 1.5f, 2.0f, 0, 0, 0);
  const std::vector<std::int32_t> before = saved(manager);
  const bool loaded = manager.load(&input);

  const std::vector<std::int32_t> first = saved(manager);
  if (first.size() > std::max(words.size(), before.size())) std::abort();  // more than the input held
  if (loaded && first.size() > words.size()) std::abort();

  CharSpriteManager again(commands);
  refhost::VMArray firstArray = arrayOf(first);
  if (!again.load(&firstArray)) std::abort();  // every saved set loads
  if (saved(again) != first) std::abort();     // and saves to the same values

  manager.rebuild();
  if (saved(manager).size() != first.size()) std::abort();  // drawing anew keeps every slot and text
  manager.clear();
  again.clear();
  return 0;
}
