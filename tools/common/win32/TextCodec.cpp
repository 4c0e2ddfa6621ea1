#include "tools/common/TextCodec.h"

#include <windows.h>

namespace tamblet::tools {
namespace {

constexpr UINT kShiftJis = 932;
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// UTF-16 of `bytes` in code page `codePage`; none when any sequence is invalid there.
std::optional<std::wstring> toWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

// UTF-8 of UTF-16 text that came from a successful conversion (so always convertible).
std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

// Characters that the JIS tables and the Linux build's converter write with a code of code page
// 932 whose Windows table holds a look-alike instead: each is written as that look-alike, so both
// builds take the same texts (a wave dash typed on either system is 0x8160).
wchar_t windowsLookAlike(wchar_t c) {
  switch (c) {
    case 0x00A5: return L'\\';   // YEN SIGN, 0x5C
    case 0x203E: return L'~';     // OVERLINE, 0x7E
    case 0x2014: return 0x2015;   // EM DASH, 0x815C
    case 0x301C: return 0xFF5E;   // WAVE DASH, 0x8160
    case 0x2016: return 0x2225;   // DOUBLE VERTICAL LINE, 0x8161
    case 0x2212: return 0xFF0D;   // MINUS SIGN, 0x817C
    case 0x00A2: return 0xFFE0;   // CENT SIGN, 0x8191
    case 0x00A3: return 0xFFE1;   // POUND SIGN, 0x8192
    case 0x00AC: return 0xFFE2;   // NOT SIGN, 0x81CA
    default: return c;
  }
}

// Single bytes that Windows maps to private or control characters but that code page 932 leaves
// undefined, as the Linux build's converter does.
bool undefinedSingleByte(BYTE byte) { return byte == 0x80 || byte == 0xA0 || byte >= 0xFD; }

}  // namespace

// Through UTF-16: nothing is written when the UTF-8 is invalid or a character has no exact code
// in code page 932 (no best-fit substitutes, no default character).
std::optional<std::string> utf8ToSjis(std::string_view utf8) {
  std::optional<std::wstring> wide = toWide(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  for (wchar_t& c : *wide) c = windowsLookAlike(c);
  if (wide->empty()) return std::string();
  const int size = static_cast<int>(wide->size());
  BOOL usedDefault = FALSE;
  const int length =
      WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide->data(), size, nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, wide->data(), size, out.data(), length, nullptr, &usedDefault);
  return out;
}

// One character at a time (one byte, or a lead byte and its trail byte), so an invalid sequence
// becomes U+FFFD and conversion goes on at the next byte.
std::string sjisToUtf8(std::string_view sjis) {
  std::string out;
  std::size_t at = 0;
  while (at < sjis.size()) {
    const auto lead = static_cast<BYTE>(sjis[at]);
    const bool leadByte = IsDBCSLeadByteEx(kShiftJis, lead);
    const std::size_t length = leadByte && at + 1 < sjis.size() ? 2 : 1;
    const std::optional<std::wstring> wide =
        (leadByte && length == 1) || undefinedSingleByte(lead) ? std::nullopt : toWide(kShiftJis, sjis.substr(at, length));
    if (wide) {
      out += toUtf8(*wide);
      at += length;
    } else {
      out += kReplacement;
      ++at;
    }
  }
  return out;
}

}  // namespace tamblet::tools
