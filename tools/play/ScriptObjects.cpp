#include "tools/play/ScriptObjects.h"

#include <lua.hpp>

#include <bit>
#include <cmath>
#include <limits>

#include "host/VM.h"

namespace tamblet::play {
namespace {

constexpr int kMaxDimensions = 8;
constexpr std::int64_t kMaxElements = std::int64_t{1} << 24;

bool isInt32(lua_State* L, int index, std::int32_t* value) {
  if (!lua_isinteger(L, index)) return false;
  const lua_Integer number = lua_tointeger(L, index);
  if (number < std::numeric_limits<std::int32_t>::min() || number > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  *value = static_cast<std::int32_t>(number);
  return true;
}

// Dimension counts from the first element of each level.
bool arrayShape(lua_State* L, int index, std::vector<std::int32_t>* counts, std::string* problem) {
  lua_pushvalue(L, index);
  std::int64_t total = 1;
  bool ok = true;
  for (;;) {
    const lua_Unsigned length = lua_rawlen(L, -1);
    if (length > static_cast<lua_Unsigned>(kMaxElements) || counts->size() == kMaxDimensions) {
      *problem = "the array is too large or has more than 8 dimensions";
      ok = false;
      break;
    }
    counts->push_back(static_cast<std::int32_t>(length));
    total *= static_cast<std::int64_t>(length);
    if (total > kMaxElements) {
      *problem = "the array has more than 16777216 elements";
      ok = false;
      break;
    }
    if (length == 0) break;
    lua_rawgeti(L, -1, 1);
    if (lua_type(L, -1) != LUA_TTABLE) {
      lua_pop(L, 1);
      break;
    }
    lua_remove(L, -2);
  }
  lua_pop(L, 1);
  return ok;
}

// Collects the elements in row order, checking that every level has its dimension's length.
bool collect(lua_State* L, int index, const std::vector<std::int32_t>& counts, std::size_t level,
             std::vector<lua_Number>* values, bool* anyFraction, std::string* problem) {
  const lua_Unsigned length = lua_rawlen(L, index);
  if (length != static_cast<lua_Unsigned>(counts[level])) {
    *problem = "the nested tables of the array differ in length";
    return false;
  }
  for (lua_Integer i = 1; i <= static_cast<lua_Integer>(length); ++i) {
    lua_rawgeti(L, index, i);
    bool ok = true;
    if (level + 1 < counts.size()) {
      ok = lua_type(L, -1) == LUA_TTABLE && collect(L, lua_gettop(L), counts, level + 1, values, anyFraction, problem);
      if (!ok && problem->empty()) *problem = "an element of the array is not a table like the first";
    } else if (lua_type(L, -1) != LUA_TNUMBER) {
      *problem = "an element of the array is not a number";
      ok = false;
    } else {
      const lua_Number value = lua_tonumber(L, -1);
      if (!std::isfinite(value) || std::floor(value) != value) *anyFraction = true;
      values->push_back(value);
    }
    lua_pop(L, 1);
    if (!ok) return false;
  }
  return true;
}

// Builds the table for the elements of one level, starting at element `first`.
void pushLevel(lua_State* L, refhost::VMArray& array, std::size_t level, std::size_t* next) {
  const auto& counts = array.dimensionCounts();
  const auto& values = array.values();
  lua_createtable(L, counts[level], 0);
  for (std::int32_t i = 1; i <= counts[level]; ++i) {
    if (level + 1 < counts.size()) {
      pushLevel(L, array, level + 1, next);
    } else {
      const std::int32_t word = *next < values.size() ? values[*next] : 0;
      ++*next;
      if (array.GetElementType() == kVMTypeInt) {
        lua_pushinteger(L, word);
      } else {
        lua_pushnumber(L, std::bit_cast<float>(word));
      }
    }
    lua_rawseti(L, -2, i);
  }
}

}  // namespace

std::unique_ptr<refhost::VMArray> arrayFromTable(lua_State* L, int index, std::string* problem) {
  index = lua_absindex(L, index);
  std::vector<std::int32_t> counts;
  if (!arrayShape(L, index, &counts, problem)) return nullptr;
  std::vector<lua_Number> values;
  bool anyFraction = false;
  if (!collect(L, index, counts, 0, &values, &anyFraction, problem)) return nullptr;
  if (!anyFraction) {
    for (lua_Number value : values) {
      if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        *problem = "an element of the array is out of the 32-bit range";
        return nullptr;
      }
    }
  }
  auto array = std::make_unique<refhost::VMArray>(anyFraction ? kScriptTypeFloat : kVMTypeInt, counts);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::int32_t word = anyFraction ? std::bit_cast<std::int32_t>(static_cast<float>(values[i]))
                                          : static_cast<std::int32_t>(values[i]);
    array->SetElement(static_cast<std::int32_t>(i), &word);
  }
  return array;
}

void arrayToTable(lua_State* L, int index, refhost::VMArray& array) {
  index = lua_absindex(L, index);
  const auto& counts = array.dimensionCounts();
  std::size_t next = 0;
  pushLevel(L, array, 0, &next);
  const int fresh = lua_gettop(L);
  const lua_Integer newLength = counts.empty() ? 0 : counts[0];
  const auto oldLength = static_cast<lua_Integer>(lua_rawlen(L, index));
  for (lua_Integer i = 1; i <= newLength; ++i) {
    lua_rawgeti(L, fresh, i);
    lua_rawseti(L, index, i);
  }
  for (lua_Integer i = oldLength; i > newLength; --i) {
    lua_pushnil(L);
    lua_rawseti(L, index, i);
  }
  lua_pop(L, 1);
}

std::unique_ptr<refhost::VMStruct> structFromTable(lua_State* L, int index, std::string* problem) {
  index = lua_absindex(L, index);
  const lua_Unsigned length = lua_rawlen(L, index);
  if (length > 4096) {
    *problem = "the structure has more than 4096 members";
    return nullptr;
  }
  std::vector<refhost::VMStruct::Member> members;
  for (lua_Integer i = 1; i <= static_cast<lua_Integer>(length); ++i) {
    lua_rawgeti(L, index, i);
    refhost::VMStruct::Member member;
    std::int32_t value = 0;
    if (lua_type(L, -1) == LUA_TNUMBER && lua_isinteger(L, -1)) {
      if (!isInt32(L, -1, &value)) *problem = "a member of the structure is out of the 32-bit range";
      member = {kVMTypeInt, {value}};
    } else if (lua_type(L, -1) == LUA_TNUMBER) {
      member = {kScriptTypeFloat, {std::bit_cast<std::int32_t>(static_cast<float>(lua_tonumber(L, -1)))}};
    } else if (lua_type(L, -1) == LUA_TTABLE) {
      const lua_Unsigned words = lua_rawlen(L, -1);
      if (words == 0 || words > 64) *problem = "a nested member of the structure must hold 1 to 64 integers";
      member.type = kScriptTypeStruct;
      member.words.clear();
      for (lua_Integer w = 1; problem->empty() && w <= static_cast<lua_Integer>(words); ++w) {
        lua_rawgeti(L, -1, w);
        if (!isInt32(L, -1, &value)) *problem = "a nested member of the structure holds a value that is not a 32-bit integer";
        member.words.push_back(value);
        lua_pop(L, 1);
      }
    } else {
      *problem = "a member of the structure is not a number or a table";
    }
    lua_pop(L, 1);
    if (!problem->empty()) return nullptr;
    members.push_back(std::move(member));
  }
  return std::make_unique<refhost::VMStruct>(std::move(members));
}

void structToTable(lua_State* L, int index, refhost::VMStruct& structure) {
  index = lua_absindex(L, index);
  auto& object = structure;
  const std::int32_t count = object.GetMemberCount();
  for (std::int32_t m = 0; m < count; ++m) {
    const std::int32_t type = object.GetMemberType(m);
    if (type == kScriptTypeStruct) {
      lua_rawgeti(L, index, m + 1);
      if (lua_type(L, -1) == LUA_TTABLE) {
        const auto words = static_cast<lua_Integer>(lua_rawlen(L, -1));
        for (lua_Integer w = 0; w < words; ++w) {
          lua_pushinteger(L, structure.word(m, static_cast<std::size_t>(w)));
          lua_rawseti(L, -2, w + 1);
        }
      }
      lua_pop(L, 1);
      continue;
    }
    if (type == kScriptTypeFloat) {
      lua_pushnumber(L, structure.floatMember(m));
    } else {
      lua_pushinteger(L, structure.word(m));
    }
    lua_rawseti(L, index, m + 1);
  }
}

}  // namespace tamblet::play
