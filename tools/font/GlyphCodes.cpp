#include "tools/font/GlyphCodes.h"

#include <iconv.h>

#include <stdexcept>

namespace tamblet::font {
namespace {

constexpr std::uint32_t kSingleByteCount = 95;   // 0x20–0x7E
constexpr std::uint32_t kTwoByteStart = 158;     // after the katakana 0xA1–0xDF
constexpr std::uint32_t kTrailsPerLead = 188;    // 0x40–0x7E and 0x80–0xFC
constexpr std::uint32_t kLowLeadCount = 0x9F - 0x81 + 1;

}  // namespace

std::uint32_t codeOfGlyphIndex(std::uint32_t index) {
  if (index < kSingleByteCount) return 0x20 + index;
  if (index < kTwoByteStart) return index + 0x42;
  const std::uint32_t row = (index - kTwoByteStart) / kTrailsPerLead;
  const std::uint32_t column = (index - kTwoByteStart) % kTrailsPerLead;
  const std::uint32_t lead = row < kLowLeadCount ? 0x81 + row : 0xE0 + (row - kLowLeadCount);
  const std::uint32_t trail = column < 63 ? 0x40 + column : 0x80 + (column - 63);
  return lead << 8 | trail;
}

Cp932Decoder::Cp932Decoder() : handle_(iconv_open("UTF-32LE", "CP932")) {
  if (handle_ == reinterpret_cast<void*>(-1)) throw std::runtime_error("iconv cannot convert from CP932");
}

Cp932Decoder::~Cp932Decoder() { iconv_close(static_cast<iconv_t>(handle_)); }

std::optional<char32_t> Cp932Decoder::codePoint(std::uint32_t code) {
  char input[2];
  std::size_t inputLeft = 0;
  if (code > 0xFF) input[inputLeft++] = static_cast<char>(code >> 8);
  input[inputLeft++] = static_cast<char>(code & 0xFF);
  unsigned char output[8];
  char* in = input;
  char* out = reinterpret_cast<char*>(output);
  std::size_t outputLeft = sizeof output;
  auto* handle = static_cast<iconv_t>(handle_);
  iconv(handle, nullptr, nullptr, nullptr, nullptr);  // a fresh state for every character
  const std::size_t converted = iconv(handle, &in, &inputLeft, &out, &outputLeft);
  if (converted == static_cast<std::size_t>(-1) || inputLeft != 0 || sizeof output - outputLeft != 4)
    return std::nullopt;
  return static_cast<char32_t>(output[0] | output[1] << 8 | output[2] << 16 | static_cast<char32_t>(output[3]) << 24);
}

}  // namespace tamblet::font
