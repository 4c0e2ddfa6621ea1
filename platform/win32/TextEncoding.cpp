#include "platform/TextEncoding.h"

#include <windows.h>

#include <new>

namespace tamblet::platform {
namespace {

constexpr UINT kShiftJis = 932;

// Bytes that start no character of the code page even though the system maps them to private-use
// characters (0x80, 0xA0, 0xFD-0xFF); they are kept as bytes, as every other byte that does not
// convert.
bool isUnassignedSjisByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

// UTF-16 of `bytes` in `codePage`, or false when any of them does not convert.
bool toWide(UINT codePage, const char* bytes, int count, std::wstring& wide) {
  int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, nullptr, 0);
  if (length <= 0) return false;
  wide.resize(static_cast<std::size_t>(length));
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, count, wide.data(), length) == length;
}

// `wide` appended to `out` in `codePage`, or false (out unchanged) when a character has no exact
// form there: no best-fit substitutes, no default character.
bool appendNarrow(UINT codePage, const std::wstring& wide, std::string& out) {
  const int count = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL* usedDefaultOut = codePage == CP_UTF8 ? nullptr : &usedDefault;
  int length = WideCharToMultiByte(codePage, flags, wide.data(), count, nullptr, 0, nullptr, usedDefaultOut);
  if (length <= 0 || usedDefault) return false;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(length));
  if (WideCharToMultiByte(codePage, flags, wide.data(), count, out.data() + start, length, nullptr,
                          usedDefaultOut) != length) {
    out.resize(start);
    return false;
  }
  return true;
}

// The text converted from one code page to the other as a whole, when every character converts.
bool convertWhole(UINT from, UINT to, std::string_view input, std::string& out) {
  std::wstring wide;
  return toWide(from, input.data(), static_cast<int>(input.size()), wide) && appendNarrow(to, wide, out);
}

// Length of the UTF-8 sequence starting with `lead` (1-4), or 0 for a byte that starts none.
std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// Converts `input` from one code page to the other. A character that does not convert (or is cut
// short at the end) leaves its first byte as it is, and the conversion resumes at the byte after
// it. `characterLength` gives the length of the character a byte starts, 0 for a byte that starts
// none; the whole text is converted in one call when no byte is refused outright.
template <class CharacterLength>
std::string convertKeepingBytes(UINT from, UINT to, std::string_view input, CharacterLength characterLength) {
  std::string result;
  if (input.empty() || input.size() > 0x7FFFFFFF) return std::string(input);
  bool wholeAtOnce = true;
  for (char byte : input) {
    // A NUL would end the text for the system calls.
    if (byte == '\0' || characterLength(static_cast<unsigned char>(byte)) == 0) wholeAtOnce = false;
  }
  if (wholeAtOnce && convertWhole(from, to, input, result)) return result;

  result.clear();
  result.reserve(input.size() + input.size() / 2);
  std::wstring wide;
  std::size_t i = 0;
  while (i < input.size()) {
    std::size_t length = input[i] == '\0' ? 0 : characterLength(static_cast<unsigned char>(input[i]));
    if (length > 0 && i + length <= input.size() &&
        toWide(from, input.data() + i, static_cast<int>(length), wide) && appendNarrow(to, wide, result)) {
      i += length;
    } else {
      result.push_back(input[i]);
      ++i;
    }
  }
  return result;
}

}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
  try {
    return convertKeepingBytes(kShiftJis, CP_UTF8, sjis, [](unsigned char byte) -> std::size_t {
      if (isUnassignedSjisByte(byte)) return 0;
      return isSjisLeadByte(byte) ? 2 : 1;
    });
  } catch (const std::bad_alloc&) {
    return {};
  }
}

std::string utf8ToSjis(std::string_view utf8) {
  try {
    return convertKeepingBytes(CP_UTF8, kShiftJis, utf8, utf8SequenceLength);
  } catch (const std::bad_alloc&) {
    return {};
  }
}

}  // namespace tamblet::platform
