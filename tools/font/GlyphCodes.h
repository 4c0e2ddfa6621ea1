// Which character each glyph record of a size stands for: the glyph index runs over the printable
// single-byte codes, the half-width katakana and the two-byte codes with lead bytes 0x81–0x9F and
// 0xE0–0xEF. The builder walks the indices and turns each back into its CP932 code.
#pragma once

#include <cstdint>
#include <optional>

namespace tamblet::font {

inline constexpr std::uint32_t kGlyphIndexCount = 8994;

// The CP932 code (lead byte high for two-byte codes) of a glyph index below kGlyphIndexCount.
std::uint32_t codeOfGlyphIndex(std::uint32_t index);

// Converts CP932 codes to Unicode code points with iconv.
class Cp932Decoder {
 public:
  Cp932Decoder();  // throws std::runtime_error when iconv has no CP932
  ~Cp932Decoder();
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  // The code point of one character code, or nothing when CP932 does not assign it.
  std::optional<char32_t> codePoint(std::uint32_t code);

 private:
  void* handle_;
};

}  // namespace tamblet::font
