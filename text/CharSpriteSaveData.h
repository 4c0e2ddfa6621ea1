// The saved form of the character sprites: a one-dimensional script int array holding the tag
// 67, 83, 77, 0, 0 ("CSM" and two zeros), the slot count, then per slot 0 (empty) or 1 and the
// character sprite's record. Saved games keep this layout, so it never changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/VM.h"
#include "text/CharSprite.h"

namespace tamblet {

// Longest text a loaded record keeps; further bytes are dropped. Only the first character is
// ever shown, so this bounds what a damaged or hostile save can make the library hold per sprite.
inline constexpr std::size_t kMaxLoadedTextBytes = 4096;

// The start of a saved set: the tag and the slot count.
std::vector<std::int32_t> charSpriteSaveHeader(std::int32_t slotCount);

// Appends the record of one character sprite: each text byte as a signed int up to the first
// zero byte, then 0; type, size, colour r g b a, the bit patterns of bold and edge weight, edge
// colour r g b a, x, y, z, alpha rate, show as 1 or 0, sprite number.
void appendCharSpriteRecord(std::vector<std::int32_t>& values, const CharSpriteState& state);

// Sizes `array` to one dimension of exactly the values and stores them; false when the array is
// null or refuses the size or a value.
bool writeIntArray(IVMArray* array, const std::vector<std::int32_t>& values);

// True for the arrays sprite-number lists and saves are read from: one dimension of ints.
bool isIntList(IVMArray& array);

// Reads a saved array slot by slot, straight from the array's elements (nothing is copied, so
// no element count an array reports can make it allocate).
class CharSpriteSaveReader {
 public:
  // A reader past the tag and slot count, or nothing when the array is not a saved set: null, not
  // a one-dimensional int array, empty, an element without an address, fewer than six values, a
  // wrong tag, or a negative slot count.
  static std::optional<CharSpriteSaveReader> open(IVMArray* array);

  std::int32_t slotCount() const { return slotCount_; }

  enum class Slot { kEmpty, kCharSprite, kTruncated };
  // The next slot; for kCharSprite `state` holds the record. kTruncated when the values end at
  // the slot's marker or inside its record.
  Slot next(CharSpriteState& state);

 private:
  CharSpriteSaveReader(IVMArray& array, std::int32_t count) : array_(&array), count_(count) {}
  bool read(std::int32_t& value);

  IVMArray* array_;
  std::int32_t count_;
  std::int32_t position_ = 0;
  std::int32_t slotCount_ = 0;
};

}  // namespace tamblet
