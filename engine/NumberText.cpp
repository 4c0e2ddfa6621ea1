#include "engine/NumberText.h"

#include <cstring>
#include <new>

#include "report/FixedTexts.h"

namespace tamblet {
namespace {

// Writes characters front to back into a text sized in advance.
class CharacterWriter {
 public:
  CharacterWriter(std::string& text, CharacterWidth style) : out_(text.data()), style_(style) {}

  void digit(unsigned d) { put(static_cast<char>('0' + d), fixedText(FixedText::kFullWidthDigits) + 2 * d); }
  void minus() { put('-', fixedText(FixedText::kFullWidthMinus)); }
  void spaces(std::int64_t count) { repeat(count, ' ', fixedText(FixedText::kFullWidthSpace)); }
  void zeros(std::int64_t count) { repeat(count, '0', fixedText(FixedText::kFullWidthDigits)); }

 private:
  void put(char half, const char* full) {
    if (style_ == CharacterWidth::kHalf) {
      *out_++ = half;
    } else {
      std::memcpy(out_, full, 2);
      out_ += 2;
    }
  }
  void repeat(std::int64_t count, char half, const char* full) {
    for (std::int64_t i = 0; i < count; ++i) put(half, full);
  }

  char* out_;
  CharacterWidth style_;
};

}  // namespace

std::optional<std::string> formatPaddedInteger(std::int32_t value, std::int32_t width, bool zeroPadding,
                                               CharacterWidth style) noexcept {
  const bool negative = value < 0;
  // The magnitude as an unsigned 32-bit value, so the most negative int keeps all its digits.
  std::uint32_t magnitude = negative ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
  unsigned digits[10];
  int digitCount = 0;
  do {
    digits[digitCount++] = magnitude % 10;
    magnitude /= 10;
  } while (magnitude != 0);

  // Lengths in characters, in 64 bits so that no width can overflow them.
  const std::int64_t wanted = width;
  const bool minusBeforePadding = negative && (!zeroPadding || digitCount >= wanted);
  const std::int64_t unpadded = digitCount + (minusBeforePadding ? 1 : 0);
  const std::int64_t padding = (width != -1 && unpadded < wanted) ? wanted - unpadded : 0;
  const std::int64_t bytesPerCharacter = style == CharacterWidth::kHalf ? 1 : 2;
  const std::int64_t bytes = (unpadded + padding) * bytesPerCharacter;
  if (bytes > static_cast<std::int64_t>(kMaxNumberTextBytes)) return std::nullopt;

  try {
    std::string text(static_cast<std::size_t>(bytes), '\0');
    CharacterWriter writer(text, style);
    if (zeroPadding) {
      // The minus sign leads; when it was not placed before the padding it takes the padding's
      // first character, the one that brings the text to its full width.
      if (negative) writer.minus();
      writer.zeros(minusBeforePadding ? padding : padding - (negative ? 1 : 0));
    } else {
      writer.spaces(padding);
      if (negative) writer.minus();
    }
    for (int i = digitCount - 1; i >= 0; --i) writer.digit(digits[i]);
    return text;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace tamblet
