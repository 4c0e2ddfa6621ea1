// Lua tables as the script VM's array and structure objects, and back. Arrays: a table of
// numbers is a one-dimensional array, a table of equally long tables adds a dimension (up to 8);
// integral elements make an int array, any fraction makes a float array. Structures: each
// member is an integer (int), a float-typed number (float, so write 1.0, not 1) or a table of
// integers (a nested structure laid out inline, such as a colour r, g, b, a).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "refhost/VMArray.h"
#include "refhost/VMStruct.h"

struct lua_State;

namespace tamblet::play {

// Type codes of the player's VM; the engine itself knows only int (10).
inline constexpr std::int32_t kScriptTypeFloat = 13;
inline constexpr std::int32_t kScriptTypeStruct = 15;

// The array for the table at `index`; null with the reason in `problem`.
std::unique_ptr<refhost::VMArray> arrayFromTable(lua_State* L, int index, std::string* problem);
// Writes the array's elements (after the call, with whatever dimensions it now has) into the
// table at `index`, removing elements beyond the new length.
void arrayToTable(lua_State* L, int index, refhost::VMArray& array);

std::unique_ptr<refhost::VMStruct> structFromTable(lua_State* L, int index, std::string* problem);
// Writes every member back into the table at `index` (nested members into their tables).
void structToTable(lua_State* L, int index, refhost::VMStruct& structure);

}  // namespace tamblet::play
