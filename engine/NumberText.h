// Integers as decimal texts padded on the left to a width, in half-width characters ("0"-"9",
// "-", " ") or full-width Shift-JIS ones (two bytes each), as the script's number formatting
// exports hand them out. The text is built in one allocation of its final size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tamblet {

enum class CharacterWidth { kHalf, kFull };

// Longest text the formatting builds. A width asking for more is refused rather than allocated:
// no script needs megabytes of padding, and a hostile width (up to 2^31 characters) must not
// cost gigabytes.
inline constexpr std::size_t kMaxNumberTextBytes = std::size_t{1} << 24;

// `value` in decimal, at least one digit. Without zero padding: a minus sign before the digits
// when negative, then spaces in front up to `width` characters. With zero padding: zeros in front
// up to `width` characters with the minus sign first; a text already `width` long or longer just
// gets the minus sign. A width of -1 (or any width not above the length) adds no padding.
// Nothing when the text would exceed kMaxNumberTextBytes or memory runs out.
std::optional<std::string> formatPaddedInteger(std::int32_t value, std::int32_t width, bool zeroPadding,
                                               CharacterWidth style) noexcept;

}  // namespace tamblet
