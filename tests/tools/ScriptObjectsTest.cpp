// Lua tables as script arrays and structures: shapes, element types, exact words, and the
// tables after the engine changed the objects.
#include <gtest/gtest.h>

#include <lua.hpp>

#include <bit>

#include "tools/play/ScriptObjects.h"

namespace tamblet::play {
namespace {

class ScriptObjectsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    L_ = luaL_newstate();
    luaL_openlibs(L_);
  }
  void TearDown() override { lua_close(L_); }
  void push(const char* expression) {
    ASSERT_EQ(luaL_dostring(L_, (std::string("return ") + expression).c_str()), LUA_OK);
  }
  std::string evalOnTable(const char* function) {
    // Applies a Lua function to the table on top of the stack and returns its text.
    lua_pushvalue(L_, -1);
    lua_setglobal(L_, "t");
    EXPECT_EQ(luaL_dostring(L_, (std::string("return ") + function).c_str()), LUA_OK);
    std::string text = lua_tostring(L_, -1);
    lua_pop(L_, 1);
    return text;
  }
  lua_State* L_;
};

TEST_F(ScriptObjectsTest, ArraysKeepShapeTypeAndWords) {
  std::string problem;
  push("{{1, 2, 3}, {4, 5, 6}}");
  auto grid = arrayFromTable(L_, -1, &problem);
  ASSERT_TRUE(grid) << problem;
  EXPECT_EQ(grid->GetElementType(), kVMTypeInt);
  EXPECT_EQ(grid->dimensionCounts(), (std::vector<std::int32_t>{2, 3}));
  EXPECT_EQ(grid->values(), (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
  const std::int32_t seven = 7;
  grid->SetElement(4, &seven);
  arrayToTable(L_, -1, *grid);
  EXPECT_EQ(evalOnTable("t[2][2] .. ',' .. #t .. ',' .. #t[1]"), "7,2,3");
  lua_pop(L_, 1);

  push("{0.5, 2, -1.25}");
  auto floats = arrayFromTable(L_, -1, &problem);
  ASSERT_TRUE(floats);
  EXPECT_EQ(floats->GetElementType(), kScriptTypeFloat);
  EXPECT_EQ(floats->values(), (std::vector<std::int32_t>{std::bit_cast<std::int32_t>(0.5f),
                                                        std::bit_cast<std::int32_t>(2.0f),
                                                        std::bit_cast<std::int32_t>(-1.25f)}));
  const std::int32_t counts[] = {1};
  floats->Resize(counts, 1);  // shrinking removes the elements beyond the new length
  arrayToTable(L_, -1, *floats);
  EXPECT_EQ(evalOnTable("#t .. ',' .. t[1]"), "1,0.5");
  lua_pop(L_, 1);

  push("{}");
  auto empty = arrayFromTable(L_, -1, &problem);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->GetElementCount(), 0);
  lua_pop(L_, 1);

  push("{1, {2}}");
  EXPECT_EQ(arrayFromTable(L_, -1, &problem), nullptr);
  EXPECT_EQ(problem, "an element of the array is not a number");
}

TEST_F(ScriptObjectsTest, StructuresHoldIntFloatAndNestedMembers) {
  std::string problem;
  push("{3, 16, {255, 128, 0, 255}, 1.0, 0.5, {0, 0, 0, 255}}");
  auto style = structFromTable(L_, -1, &problem);
  ASSERT_TRUE(style) << problem;
  EXPECT_EQ(style->GetMemberCount(), 6);
  for (const auto& [member, type] : {std::pair{0, kVMTypeInt}, {2, kScriptTypeStruct}, {3, kScriptTypeFloat}})
    EXPECT_EQ(style->GetMemberType(member), type) << member;
  EXPECT_EQ(style->word(2, 1), 128);
  EXPECT_EQ(style->floatMember(4), 0.5f);
  const std::int32_t colour[4] = {1, 2, 3, 4};
  const float weight = 2.5f;
  const std::int32_t size = -9;
  style->SetMember(2, colour);
  style->SetMember(3, &weight);
  style->SetMember(1, &size);
  structToTable(L_, -1, *style);
  EXPECT_EQ(evalOnTable("t[2] .. ',' .. t[3][1] .. t[3][4] .. ',' .. t[4] .. ',' .. math.type(t[1])"), "-9,14,2.5,integer");
  lua_pop(L_, 1);

  push("{1, {}}");
  EXPECT_EQ(structFromTable(L_, -1, &problem), nullptr);
  lua_pop(L_, 1);
  problem.clear();
  push("{1 << 33}");
  EXPECT_EQ(structFromTable(L_, -1, &problem), nullptr);
  EXPECT_EQ(problem, "a member of the structure is out of the 32-bit range");
}

}  // namespace
}  // namespace tamblet::play
