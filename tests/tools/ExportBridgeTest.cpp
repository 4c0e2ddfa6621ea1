// The Lua bridge: results and outputs in order, strings converted at the boundary, tables
// written back, surface values holding their own reference, engine errors becoming Lua errors,
// and every hostile argument refused with the export's name before the engine is reached.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lua.hpp>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "refhost/ScriptVM.h"
#include "tools/play/EngineLibrary.h"
#include "tools/play/ExportBridge.h"

namespace tamblet::play {
namespace {

struct FakeKernel final : IHostKernel {
  void* GetService(const InterfaceId*) override { return nullptr; }
};

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override { open(TAMBLET_TEST_ENGINE); }
  void TearDown() override {
    if (L_) lua_close(L_);
  }
  void open(const char* path) {
    if (L_) lua_close(L_);
    bridge_.reset();
    std::string why;
    library_ = EngineLibrary::open(path, &why);
    ASSERT_TRUE(library_) << why;
    bridge_ = std::make_unique<ExportBridge>(*library_, &vm_, &kernel_);
    L_ = luaL_newstate();
    luaL_openlibs(L_);
    bridge_->install(L_);
  }
  // Runs `code`; the empty text on success, else the error message.
  std::string run(const std::string& code) {
    if (luaL_dostring(L_, code.c_str()) == LUA_OK) return {};
    std::string message = lua_tostring(L_, -1) ? lua_tostring(L_, -1) : "?";
    lua_pop(L_, 1);
    return message;
  }
  // The value of a Lua expression, as tostring gives it.
  std::string eval(const std::string& expression) {
    const std::string failure = run("result = tostring(" + expression + ")");
    if (!failure.empty()) return "error: " + failure;
    lua_getglobal(L_, "result");
    std::string value = lua_tostring(L_, -1);
    lua_pop(L_, 1);
    return value;
  }
  // Runs each piece of code, then expects each expression to read as given.
  void expectValues(const std::string& code, std::initializer_list<std::pair<const char*, const char*>> values) {
    EXPECT_EQ(run(code), "") << code;
    for (const auto& [expression, value] : values) EXPECT_EQ(eval(expression), value) << expression;
  }
  template <class Function>
  Function* fake(const char* name) {
    void* handle = dlopen(TAMBLET_TEST_ENGINE, RTLD_NOW | RTLD_NOLOAD);
    void* address = handle ? dlsym(handle, name) : nullptr;
    if (handle) dlclose(handle);
    return reinterpret_cast<Function*>(address);
  }

  refhost::ScriptVM vm_;
  FakeKernel kernel_;
  std::unique_ptr<EngineLibrary> library_;
  std::unique_ptr<ExportBridge> bridge_;
  lua_State* L_ = nullptr;
};

// Results first, then outputs in argument order; strings converted both ways; tables written back.
TEST_F(BridgeTest, ResultsOutputsStringsAndTablesComeBackInOrder) {
  expectValues("ok, x, y = Mouse_GetPos(); n, first, rest = StringPopFront('あいう')",
               {{"ok and x == 7 and y == -8", "true"}, {"n .. '|' .. first .. '|' .. rest", "2|あ|いう"}});
  expectValues("ok, list, count = Debug_GetSpriteNumberList()",
               {{"ok and #list == 2 and list[1] == 4 and list[2] == 5 and count == 2", "true"},
                {"IntToHankaku(-42, 5, true)", "-42|5|1"},
                {"IntToHankaku(-42, 5, 0)", "-42|5|0"},
                // A lone lead byte at the end comes back as U+FFFD instead of failing.
                {"CharSprite_GetChar(0)", "あ\xEF\xBF\xBD"},
                {"FPS_Get()", "59.5"},
                // bool arguments reach the engine as 1 or 0, whatever their low byte.
                {"SP_SetShow(1, 256)", "true"},
                {"SP_SetShow(1, false)", "false"},
                {"SP_SetPos(-3, 1, 2)", "true"},
                {"select('#', SP_SetPos(1, 1, 2))", "1"}});
  expectValues("t = {9, 9, 9, 9, 9}; kind = SP_Enum(t); m = {0, 0, 1.5, {1, 2}}; ok = CG_GetMetrics(3, m)",
               {{"kind .. ':' .. #t .. ':' .. table.concat(t, ',')", "10:3:5,6,7"},
                {"m[1] .. ',' .. m[2] .. ',' .. m[3] .. ',' .. m[4][1] .. ',' .. m[4][2]", "30,31,1.5,1,2"},
                {"math.type(m[1])", "integer"}});
}

TEST_F(BridgeTest, TheLuaCallStackIsShownToTheVmForFuncStack) {
  expectValues(
      "function inner() return Debug_GetFuncStack(3) end\n"
      "function outer() local s = inner() return s end\n"
      "text = outer()",
      {{"text", "stack"}});
  refhost::CallStack& stack = vm_.callStack();
  ASSERT_EQ(stack.GetFrameCount(), 3);
  for (const auto& [frame, name] : {std::pair{0, "inner"}, {1, "outer"}, {2, "main chunk"}})
    EXPECT_STREQ(stack.GetName(stack.GetFunctionNameIndex(stack.GetFrameFunction(frame))), name);
}

TEST_F(BridgeTest, SurfaceValuesHoldAReferenceUntilCollected) {
  auto* references = fake<std::int32_t()>("FakeEngine_References");
  ASSERT_NE(references, nullptr);
  const std::int32_t before = references();
  EXPECT_EQ(run("s = Sprite_GetConstSurface(1)"), "");
  EXPECT_EQ(references(), before + 1);
  expectValues("", {{"s", "surface 3x2"},
                    {"Sprite_GetConstSurface(2)", "nil"},
                    {"Sprite_SetSurface(1, s)", "true"},
                    {"Sprite_SetSurface(1, nil)", "false"}});
  EXPECT_NE(run("Sprite_SetSurface(1, {})").find("bad argument #2 to 'Sprite_SetSurface'"), std::string::npos);
  EXPECT_EQ(run("s = nil; collectgarbage(); collectgarbage()"), "");
  EXPECT_EQ(references(), before);
  // An object handed out by GetInterface is released at once; the script learns it existed.
  expectValues("", {{"GetInterface('8DD68071-8719-4989-81DB-C2D638027B2F')", "true"},
                    {"GetInterface('00000000-0000-0000-0000-000000000000')", "false"}});
  EXPECT_EQ(references(), before);
}

TEST_F(BridgeTest, InitGetsTheHostKernelAndEngineErrorsStopTheCall) {
  EXPECT_EQ(eval("Init(64)"), "true");
  EXPECT_EQ(fake<void*()>("FakeEngine_LastKernel")(), static_cast<IHostKernel*>(&kernel_));
  EXPECT_EQ(eval("Init(1)"), "false");
  vm_.RaiseError("\x83\x65\x83\x58\x83\x67\n");  // テスト, raised while the engine ran
  const std::string message = run("SP_SetPos(1, 2, 3)");
  EXPECT_NE(message.find("engine error in SP_SetPos:\nテスト"), std::string::npos) << message;
  EXPECT_EQ(run("SP_SetPos(1, 2, 3)"), "");  // reported once
  EXPECT_NE(run("SP_SetCG(1, 2)").find("SP_SetCG is not available in this engine library"), std::string::npos);
}

TEST_F(BridgeTest, HostileArgumentsAreRefusedNamingExportAndArgument) {
  const struct {
    const char* code;
    const char* message;
  } cases[] = {
      {"SP_SetPos(nil, 0, 0)", "bad argument #1 to 'SP_SetPos' (int expected, got nil)"},
      {"SP_SetPos(1.5, 0, 0)", "bad argument #1 to 'SP_SetPos' (int expected, got a number with a fraction"},
      {"SP_SetPos(0, 2^31, 0)", "bad argument #2 to 'SP_SetPos' (int expected, out of the 32-bit range)"},
      {"SP_SetPos(0, 0, -2147483649)", "bad argument #3 to 'SP_SetPos' (int expected, out of the 32-bit range)"},
      {"SP_SetPos(0, 0, 0/0)", "bad argument #3 to 'SP_SetPos' (int expected, got a number with a fraction"},
      {"SP_SetPos(0, '1', 0)", "bad argument #2 to 'SP_SetPos' (int expected, got a string)"},
      {"SP_SetPos(0, 0, 0, 0)", "SP_SetPos takes 3 argument(s), got 4"},
      {"SP_SetShow(1, 'yes')", "bad argument #2 to 'SP_SetShow' (bool expected, got a string)"},
      {"TRANS_Update('x')", "bad argument #1 to 'TRANS_Update' (float expected, got a string)"},
      {"StringPopFront(nil)", "bad argument #1 to 'StringPopFront' (string in/out expected, got nil)"},
      {"StringPopFront('\\xff')", "bad argument #1 to 'StringPopFront' (string in/out expected, got a text that is not UTF-8"},
      {"SP_Enum(5)", "bad argument #1 to 'SP_Enum' (IVMArray expected, got a number)"},
      {"SP_Enum({1, {2}})", "bad argument #1 to 'SP_Enum' (IVMArray expected, an element of the array is not a number)"},
      {"SP_Enum({{1, 2}, {3}})", "bad argument #1 to 'SP_Enum' (IVMArray expected, the nested tables of the array differ"},
      {"SP_Enum({2^40})", "bad argument #1 to 'SP_Enum' (IVMArray expected, an element of the array is out of the 32-bit"},
      {"CG_GetMetrics(1, {'x'})", "bad argument #2 to 'CG_GetMetrics' (IVMStruct expected, a member of the structure is not"},
      {"GetInterface('nope')", "bad argument #1 to 'GetInterface' (interface id expected, got a text not in the 8-4-4-4-12"},
  };
  for (const auto& test : cases) {
    const std::string message = run(test.code);
    EXPECT_NE(message.find(test.message), std::string::npos) << test.code << " gave: " << message;
  }
  EXPECT_EQ(fake<std::int32_t()>("FakeEngine_Updates")(), 0);  // nothing reached the engine
}

// Every export of the real library with one hostile value at each script argument: a Lua error
// naming the export and the argument, never a call into the engine.
TEST_F(BridgeTest, EveryExportOfTheRealLibraryRefusesHostileValues) {
  open(TAMBLET_ENGINE_LIBRARY);
  // A valid value and the hostile ones for each kind of script argument; the rest take strings.
  using Values = std::pair<std::string, std::vector<std::string>>;
  const std::map<ArgKind, Values> byKind = {
      {ArgKind::kInt, {"1", {"nil", "0.25", "2^31", "-2^31-1", "math.huge", "'7'", "{}"}}},
      {ArgKind::kBool, {"true", {"nil", "0.5", "'x'", "2^40"}}},
      {ArgKind::kFloat, {"0.5", {"nil", "'x'", "{}", "true"}}},
      {ArgKind::kArray, {"{}", {"nil", "5", "{'x'}", "{{1},{1,2}}"}}},
      {ArgKind::kStruct, {"{}", {"nil", "'x'", "{'x'}", "{{}}"}}},
      {ArgKind::kSurface, {"nil", {"5", "{}", "'x'"}}},
      {ArgKind::kInterfaceId, {"'00000000-0000-0000-0000-000000000000'", {"nil", "'x'", "5"}}}};
  const Values text = {"'a'", {"nil", "5", "{}", "'\\xc3'"}};
  int checked = 0;
  for (const ExportSignature& signature : exportTable()) {
    std::vector<const Values*> kinds;
    for (ArgKind kind : signature.args) {
      if (takesScriptValue(kind)) kinds.push_back(byKind.count(kind) ? &byKind.at(kind) : &text);
    }
    const std::string name(signature.name);
    for (std::size_t at = 0; at < kinds.size(); ++at) {
      for (const std::string& bad : kinds[at]->second) {
        std::string call = name + "(";
        for (std::size_t i = 0; i < kinds.size(); ++i) call += (i ? ", " : "") + (i == at ? bad : kinds[i]->first);
        const std::string message = run(call + ")");
        const std::string expected = library_->has(signature)
                                         ? "bad argument #" + std::to_string(at + 1) + " to '" + name + "'"
                                         : name + " is not available in this engine library";
        EXPECT_NE(message.find(expected), std::string::npos) << call << ") gave: " << message;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 1000);
}

}  // namespace
}  // namespace tamblet::play
