// Conversions between the engine's Shift-JIS (CP932) texts and UTF-8, for the console, the file
// system and script front ends. Bytes that do not convert are kept as they are.
#pragma once

#include <string>
#include <string_view>

namespace tamblet::platform {

std::string sjisToUtf8(std::string_view sjis);
std::string utf8ToSjis(std::string_view utf8);

// True when the byte starts a two-byte Shift-JIS character (0x81-0x9F, 0xE0-0xFC).
constexpr bool isSjisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace tamblet::platform
