// The geometry every text path shares: the box one character occupies, the pixel amounts of bold
// and edge, and the limits that keep derived sizes inside 32 bits and the glyph surface bounded.
// Glyph masks are drawn kSupersample times larger and averaged back down (shift kAverageShift).
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace tamblet {

inline constexpr std::int32_t kSupersample = 4;
inline constexpr std::int32_t kAverageShift = 4;
inline constexpr std::int32_t kLibraryTypeBase = 0x100;  // types from here on name library faces
// Largest text size drawn: the supersampled glyph plane of a full-width character then stays
// within 64 MiB, like the mask surfaces.
inline constexpr std::int32_t kMaxTextSize = 2000;

// A byte that starts a two-byte character, as the character box reads it (unsigned byte).
inline bool isBoxLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0; }

struct CharacterBox {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// The system-face box of a text at a size: size × size for a two-byte first character, half
// width ((size + 1) / 2, without overflow) otherwise, 0 × 0 for the empty text or a size below 1.
inline CharacterBox systemFaceBox(std::string_view text, std::int32_t size) {
  if (text.empty() || size < 1) return {};  // a negative size would give a negative width
  const bool fullWidth = isBoxLeadByte(static_cast<unsigned char>(text.front()));
  const auto half = static_cast<std::int32_t>((static_cast<std::int64_t>(size) + 1) / 2);
  return {fullWidth ? size : half, size};
}

// ⌈weight⌉ as pixels: NaN and negatives give 0, the conversion saturates, then at most `limit`.
inline std::int32_t pixelAmount(float weight, std::int32_t limit = std::numeric_limits<std::int32_t>::max()) {
  if (!(weight > 0.0f)) return 0;
  const double up = std::ceil(static_cast<double>(weight));
  const std::int32_t amount =
      up >= static_cast<double>(limit) ? limit : static_cast<std::int32_t>(up);
  return amount < 0 ? 0 : amount;
}

// Bold b, edge e and margin m = max(b, e) of a style at a size (both limited by the size).
struct PixelAmounts {
  std::int32_t bold = 0;
  std::int32_t edge = 0;
  std::int32_t margin = 0;
};

inline PixelAmounts characterAmounts(float boldWeight, float edgeWeight, std::int32_t size) {
  PixelAmounts amounts{pixelAmount(boldWeight, size), pixelAmount(edgeWeight, size), 0};
  amounts.margin = amounts.bold > amounts.edge ? amounts.bold : amounts.edge;
  return amounts;
}

// A size a character can be drawn at: at least 1 and no more than kMaxTextSize.
inline bool usableTextSize(std::int32_t size) { return size >= 1 && size <= kMaxTextSize; }

}  // namespace tamblet
