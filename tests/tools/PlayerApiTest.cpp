// The script's player table: frames go through the engine's frame calls and the session, the
// end of the run unwinds the script as a stop signal, and scripted input reaches the host.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <lua.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "refhost/Host.h"
#include "tools/play/EngineLibrary.h"
#include "tools/play/ExportBridge.h"
#include "tools/play/PlayerApi.h"
#include "tools/play/Window.h"

namespace tamblet::play {
namespace {

class RecordingControl final : public PlayerControl {
 public:
  bool beginFrame() override { return ++begun <= budget; }
  bool finishFrame() override { return ++finished, true; }
  std::int32_t framesDone() const override { return finished; }
  bool headless() const override { return true; }
  void log(const std::string& text) override { logged.push_back(text); }

  int budget = 3;
  int begun = 0;
  int finished = 0;
  std::vector<std::string> logged;
};

TEST(PlayerApiTest, FramesInputAndTheEndOfTheRun) {
  refhost::Host host(64, 48);
  std::string why;
  auto library = EngineLibrary::open(TAMBLET_TEST_ENGINE, &why);
  ASSERT_TRUE(library) << why;
  ExportBridge bridge(*library, &host.vm(), &host.kernel());
  RecordingControl control;
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  bridge.install(L);
  installPlayerApi(L, bridge, &host, control);

  ASSERT_EQ(luaL_dostring(L, "a = player.frame(); b = player.trans_frame(0.75); c = player.trans_frame(0.25)"), LUA_OK);
  // The fourth frame is beyond the budget: the script unwinds with the stop signal.
  EXPECT_NE(luaL_dostring(L, "player.frame(); reached = true"), LUA_OK);
  EXPECT_TRUE(isStopSignal(L, -1));
  lua_pop(L, 1);
  control.budget = 10;
  ASSERT_EQ(luaL_dostring(L, "result = tostring(a) .. tostring(b) .. tostring(c) .. player.frames() .. player.width .. 'x' .. player.height"), LUA_OK);
  lua_getglobal(L, "result");
  EXPECT_STREQ(lua_tostring(L, -1), "truetruefalse364x48");
  lua_pop(L, 1);
  EXPECT_EQ(control.finished, 3);

  ASSERT_EQ(luaL_dostring(L, "player.mouse(3, 4, 5); player.key(65); player.wheel(2, -1); player.log('hi', 1, nil)"), LUA_OK);
  refhost::Input& input = host.kernel().input();
  std::int32_t x = 0, y = 0;
  EXPECT_TRUE(input.GetMousePos(&x, &y));
  EXPECT_EQ(std::pair(x, y), std::pair(3, 4));
  EXPECT_TRUE(input.IsKeyDown(1));  // the mouse buttons of the mask 5
  EXPECT_FALSE(input.IsKeyDown(2));
  EXPECT_TRUE(host.kernel().keyState().IsKeyDown(4));
  EXPECT_TRUE(input.IsKeyDown(65));
  EXPECT_TRUE(input.keyFlag(65));
  EXPECT_EQ(std::pair(input.GetFirstCount(), input.GetSecondCount()), std::pair(2, -1));
  EXPECT_EQ(control.logged, (std::vector<std::string>{"hi 1 nil"}));
  EXPECT_NE(luaL_dostring(L, "player.key(256)"), LUA_OK);
  lua_pop(L, 1);
  EXPECT_NE(luaL_dostring(L, "player.mouse(1.5, 0)"), LUA_OK);
  EXPECT_NE(std::string(lua_tostring(L, -1)).find("bad argument #1 to 'player.mouse'"), std::string::npos);
  lua_close(L);

  EXPECT_EQ(virtualKeyOf('a'), 0x41);
  EXPECT_EQ(virtualKeyOf('0' + 7), 0x37);
  EXPECT_EQ(virtualKeyOf(-12345), -1);
}

}  // namespace
}  // namespace tamblet::play
