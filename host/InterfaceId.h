// A 16-byte interface id in the byte layout hosts pass: the first field as a little-endian
// 32-bit word, two little-endian 16-bit words, then eight bytes in order. Ids are written in
// code as their 8-4-4-4-12 text and converted at compile time; a malformed text does not compile.
#pragma once

#include <array>
#include <cstdint>

namespace tamblet {

struct InterfaceId {
  std::array<std::uint8_t, 16> bytes{};

  friend constexpr bool operator==(const InterfaceId&, const InterfaceId&) = default;
};

namespace detail {

consteval std::uint32_t hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
  throw "interface id: not a hexadecimal digit";  // reached only at compile time: a compile error
}

consteval std::uint32_t hexField(const char* text, int first, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value * 16 + hexDigit(text[first + i]);
  return value;
}

}  // namespace detail

// Builds an id from "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (exactly 36 characters).
consteval InterfaceId makeInterfaceId(const char (&text)[37]) {
  if (text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-' || text[36] != '\0')
    throw "interface id: expected the 8-4-4-4-12 form";
  InterfaceId id;
  const std::uint32_t first = detail::hexField(text, 0, 8);
  const std::uint32_t second = detail::hexField(text, 9, 4);
  const std::uint32_t third = detail::hexField(text, 14, 4);
  for (int i = 0; i < 4; ++i) id.bytes[i] = static_cast<std::uint8_t>(first >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[4 + i] = static_cast<std::uint8_t>(second >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[6 + i] = static_cast<std::uint8_t>(third >> (8 * i));
  const int tailStarts[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (int i = 0; i < 8; ++i) id.bytes[8 + i] = static_cast<std::uint8_t>(detail::hexField(text, tailStarts[i], 2));
  return id;
}

}  // namespace tamblet
