#include "tools/play/PlayerApi.h"

#include <lua.hpp>

#include "refhost/SceneWipe.h"
#include "tools/play/ExportBridge.h"
#include "tools/play/ScriptValues.h"

namespace tamblet::play {
namespace {

char stopToken;

struct ApiContext {
  ExportBridge* bridge;
  refhost::Host* host;
  PlayerControl* control;
};

ApiContext& context(lua_State* L) { return *static_cast<ApiContext*>(lua_touserdata(L, lua_upvalueindex(1))); }

[[noreturn]] void stop(lua_State* L) {
  lua_pushlightuserdata(L, &stopToken);
  lua_error(L);
  __builtin_unreachable();
}

std::int32_t checkInt32(lua_State* L, int index, const char* function) {
  const char* problem = "";
  const auto value = readInt32(L, index, &problem);
  if (!value) luaL_error(L, "bad argument #%d to 'player.%s' (int expected, %s)", index, function, problem);
  return *value;
}

// Pushes the engine's error texts as a message and answers true when there were any.
bool pushEngineErrors(lua_State* L, ExportBridge& bridge, const char* during) {
  const std::string errors = bridge.takeEngineErrors();
  if (errors.empty()) return false;
  luaL_where(L, 1);
  lua_pushfstring(L, "engine error in %s:\n%s", during, errors.c_str());
  lua_concat(L, 2);
  return true;
}

// One frame with the engine's frame call `name` (Update, or TRANS_Update with a rate).
int runFrame(lua_State* L, const char* name, const ArgSlot* rate) {
  ApiContext& api = context(L);
  if (!api.control->beginFrame()) stop(L);
  const auto result = rate ? api.bridge->callDirect(name, std::span<const ArgSlot>(rate, 1)) : api.bridge->callDirect(name);
  if (!result) return luaL_error(L, "%s is not available in this engine library", name);
  if (pushEngineErrors(L, *api.bridge, name)) return lua_error(L);
  if (!api.control->finishFrame()) stop(L);
  lua_pushboolean(L, result->i != 0);
  return 1;
}

int playerFrame(lua_State* L) { return runFrame(L, "Update", nullptr); }

int playerTransFrame(lua_State* L) {
  if (lua_type(L, 1) != LUA_TNUMBER) return luaL_error(L, "bad argument #1 to 'player.trans_frame' (float expected)");
  ArgSlot rate;
  rate.f = static_cast<float>(lua_tonumber(L, 1));
  return runFrame(L, "TRANS_Update", &rate);
}

int playerMouse(lua_State* L) {
  ApiContext& api = context(L);
  const std::int32_t x = checkInt32(L, 1, "mouse");
  const std::int32_t y = checkInt32(L, 2, "mouse");
  const std::int32_t buttons = lua_isnoneornil(L, 3) ? 0 : checkInt32(L, 3, "mouse");
  if (!api.host) return 0;
  api.host->kernel().input().setMousePosition(x, y);
  setHostKey(*api.host, 1, (buttons & 1) != 0);
  setHostKey(*api.host, 2, (buttons & 2) != 0);
  setHostKey(*api.host, 4, (buttons & 4) != 0);
  return 0;
}

int playerKey(lua_State* L) {
  ApiContext& api = context(L);
  const std::int32_t key = checkInt32(L, 1, "key");
  const bool down = lua_isnoneornil(L, 2) ? true : lua_toboolean(L, 2) != 0;
  if (key < 0 || key > 255) return luaL_error(L, "bad argument #1 to 'player.key' (key code 0-255 expected)");
  if (api.host) setHostKey(*api.host, key, down);
  return 0;
}

int playerWheel(lua_State* L) {
  ApiContext& api = context(L);
  const std::int32_t first = checkInt32(L, 1, "wheel");
  const std::int32_t second = lua_isnoneornil(L, 2) ? 0 : checkInt32(L, 2, "wheel");
  if (api.host) api.host->kernel().input().setWheelCounts(first, second);
  return 0;
}

int playerLog(lua_State* L) {
  ApiContext& api = context(L);
  const int count = lua_gettop(L);
  luaL_Buffer buffer;
  luaL_buffinit(L, &buffer);
  for (int i = 1; i <= count; ++i) {
    if (i > 1) luaL_addchar(&buffer, ' ');
    luaL_tolstring(L, i, nullptr);
    luaL_addvalue(&buffer);
  }
  luaL_pushresult(&buffer);
  api.control->log(lua_tostring(L, -1));
  return 0;
}

// Registers a grey picture (a surface value, e.g. Sprite_GetConstSurface of a sprite showing a
// CG) as the rule image of transition `number` (100 and up); nil removes it.
int playerRuleImage(lua_State* L) {
  const std::int32_t number = checkInt32(L, 1, "rule_image");
  ISurface* surface = nullptr;
  if (!lua_isnoneornil(L, 2)) {
    surface = surfaceArgument(L, 2);
    if (!surface) return luaL_error(L, "bad argument #2 to 'player.rule_image' (surface expected)");
  }
  lua_pushboolean(L, refhost::SceneWipe::setRuleImage(number, surface));
  return 1;
}

int playerFrames(lua_State* L) {
  lua_pushinteger(L, context(L).control->framesDone());
  return 1;
}

}  // namespace

void installPlayerApi(lua_State* L, ExportBridge& bridge, refhost::Host* host, PlayerControl& control) {
  auto* api = static_cast<ApiContext*>(lua_newuserdatauv(L, sizeof(ApiContext), 0));
  *api = {&bridge, host, &control};
  const int contextIndex = lua_gettop(L);
  static const luaL_Reg functions[] = {
      {"frame", playerFrame}, {"trans_frame", playerTransFrame}, {"mouse", playerMouse}, {"key", playerKey},
      {"wheel", playerWheel}, {"log", playerLog},                {"frames", playerFrames}, {"rule_image", playerRuleImage},
      {nullptr, nullptr},
  };
  lua_newtable(L);
  lua_pushvalue(L, contextIndex);
  luaL_setfuncs(L, functions, 1);
  lua_pushboolean(L, control.headless());
  lua_setfield(L, -2, "headless");
  const std::int32_t width = host ? host->mainSurface().GetWidth() : 0;
  const std::int32_t height = host ? host->mainSurface().GetHeight() : 0;
  lua_pushinteger(L, width);
  lua_setfield(L, -2, "width");
  lua_pushinteger(L, height);
  lua_setfield(L, -2, "height");
  lua_setglobal(L, "player");
  lua_pop(L, 1);  // the context stays alive as the functions' upvalue
}

bool isStopSignal(lua_State* L, int index) {
  return lua_type(L, index) == LUA_TLIGHTUSERDATA && lua_touserdata(L, index) == &stopToken;
}

void setHostKey(refhost::Host& host, std::int32_t virtualKey, bool down) {
  host.kernel().input().setKeyDown(virtualKey, down);
  host.kernel().keyState().setKeyDown(virtualKey, down);
}

}  // namespace tamblet::play
