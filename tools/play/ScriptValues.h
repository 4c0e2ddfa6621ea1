// Reading script values for the engine's argument kinds: 32-bit integers from Lua numbers and
// interface ids from their text. Each reader names what is wrong instead of guessing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "host/InterfaceId.h"

struct lua_State;

namespace tamblet::play {

// The value at `index` as a signed 32-bit integer. Accepts integers and floats with an exact
// integral value in range; otherwise none, with `problem` saying why ("got nil", "got 1.5",
// "out of the 32-bit range", ...).
std::optional<std::int32_t> readInt32(lua_State* L, int index, const char** problem);

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (hexadecimal, either case) in the byte layout hosts
// pass: the first three fields little-endian, then eight bytes in order.
std::optional<InterfaceId> parseInterfaceId(std::string_view text);

}  // namespace tamblet::play
