#include "tools/play/ScriptValues.h"

#include <lua.hpp>

#include <cmath>
#include <limits>

namespace tamblet::play {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool readHex(std::string_view text, std::size_t first, std::size_t count, std::uint32_t* value) {
  *value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = hexValue(text[first + i]);
    if (digit < 0) return false;
    *value = *value * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}

}  // namespace

std::optional<std::int32_t> readInt32(lua_State* L, int index, const char** problem) {
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  const int type = lua_type(L, index);
  if (type != LUA_TNUMBER) {
    *problem = type == LUA_TNONE || type == LUA_TNIL ? "got nil"
               : type == LUA_TBOOLEAN                ? "got a boolean"
               : type == LUA_TSTRING                 ? "got a string"
               : type == LUA_TTABLE                  ? "got a table"
                                                     : "got a value that is not a number";
    return std::nullopt;
  }
  if (lua_isinteger(L, index)) {
    const lua_Integer value = lua_tointeger(L, index);
    if (value < kMin || value > kMax) {
      *problem = "out of the 32-bit range";
      return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
  }
  const lua_Number value = lua_tonumber(L, index);
  if (!std::isfinite(value) || std::floor(value) != value) {
    *problem = "got a number with a fraction (or not finite)";
    return std::nullopt;
  }
  if (value < static_cast<lua_Number>(kMin) || value > static_cast<lua_Number>(kMax)) {
    *problem = "out of the 32-bit range";
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

std::optional<InterfaceId> parseInterfaceId(std::string_view text) {
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    return std::nullopt;
  }
  std::uint32_t first = 0, second = 0, third = 0;
  if (!readHex(text, 0, 8, &first) || !readHex(text, 9, 4, &second) || !readHex(text, 14, 4, &third)) {
    return std::nullopt;
  }
  InterfaceId id;
  for (int i = 0; i < 4; ++i) id.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(first >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(second >> (8 * i));
  for (int i = 0; i < 2; ++i) id.bytes[static_cast<std::size_t>(6 + i)] = static_cast<std::uint8_t>(third >> (8 * i));
  const std::size_t tailStarts[8] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (std::size_t i = 0; i < 8; ++i) {
    std::uint32_t byte = 0;
    if (!readHex(text, tailStarts[i], 2, &byte)) return std::nullopt;
    id.bytes[8 + i] = static_cast<std::uint8_t>(byte);
  }
  return id;
}

}  // namespace tamblet::play
