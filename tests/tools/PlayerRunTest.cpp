// Whole runs of tamblet-play against the real engine, checked by the text they print: the failure
// reports (a missing game, script errors, broken archives, a CG in no source, bytes the decoder
// refuses, failed calls shown three times then counted, --strict), the Lua bridge's values through
// the real exports (results then outputs, Shift-JIS both ways, tables written back, surfaces holding
// their own reference, engine errors as Lua errors, the script's call stack), the player table, and
// memory figures that are never the engine's unsampled zero; the Direct3D view through the host's
// device. The demo's frames are pinned apart.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/PlayerFiles.h"
#include "tools/pack/PackCommands.h"
#include "tools/play/ExportTable.h"

namespace {

namespace fs = std::filesystem;
using namespace tamblet::testing;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

enum class Archive { kNone, kJunk, kJunkPacked, kWithPicture };

struct PlayerCase {
  const char* name;
  Archive archive;
  Bytes (*picture)();  // CG 2 of the archive, beside a sound 8 × 6 CG 1
  const char* script;  // null: no main.lua
  const char* flags;
  int code;
  const char* says;       // lines the run prints, in this order and next to each other
  const char* neverSays;  // text the run must not print, or null
  int answeredFalse;      // "answered false" lines shown
};

constexpr char kMissing[] = "SP_SetCG(1, 77)\n";
constexpr char kSecond[] = "SP_SetCG(1, 2)\n";

// The bridge through the real exports: results first, then outputs in argument order.
constexpr char kValues[] = R"(player.mouse(3, 4, 1); player.key(65); player.wheel(2, -1); player.frame()
player.log('input', Mouse_GetPos()); player.log('wheel', Mouse_GetWheel())
player.log('keys', Key_IsDown(1), Key_IsDown(2), Key_IsDown(65))
player.log('pop', StringPopFront('あいう')); player.log('hankaku', IntToHankaku(-42, 5, true))
player.log('zenkaku', IntToZenkaku(7, 0, false))
SP_SetPos(7, 1, 2); SP_SetShow(5, 0); SP_SetShow(7, 256)  -- any non-zero is true
local t = {9, 9, 9, 9, 9}
player.log('enum', SP_Enum(t), #t, table.concat(t, ','), math.type(t[1]))
local ok, list, count = Debug_GetSpriteNumberList()
player.log('list', ok, count, table.concat(list, ','), SP_GetShow(5), SP_GetShow(7))
local m = {0, 0, 0, 0, 0, 0, 0, 0.25}  -- seven metrics, then a float member the engine leaves alone
player.log('metrics', CG_GetMetrics(1, m), table.concat(m, ','), math.type(m[8]))
player.log('fps', math.type(FPS_Get()), select('#', SP_SetPos(1, 1, 2)))
)";

constexpr char kSurfaces[] = R"(SP_Create(3, 4, 2, 1, 2, 3, 255)
local s = Sprite_GetConstSurface(3)
SP_Delete(3); collectgarbage(); collectgarbage()
player.log('surface', s, Sprite_GetConstSurface(3), Sprite_SetSurface(4, s), SP_GetWidth(4))
player.log('interface', GetInterface('8DD68071-8719-4989-81DB-C2D638027B2F'),
           GetInterface('00000000-0000-0000-0000-000000000000'))
function inner() return Debug_GetFuncStack(3) end
function outer() local s = inner() return s end
player.log('stack', outer())
player.log('first', pcall(SP_SetPos, -1, 0, 0))
player.log('again', pcall(SP_SetPos, 1, 0, 0))
)";

const PlayerCase kCases[] = {
    {"NoScript", Archive::kNone, nullptr, nullptr, "", 2, "has no main.lua\n", nullptr, 0},
    {"ScriptError", Archive::kNone, nullptr, "local x = 1\nSP_SetCG(nil, 1)\n", "", 1,
     "main.lua:2: bad argument #1 to 'SP_SetCG' (int expected, got nil)\nstack traceback", "frames in", 0},
    {"JunkArchive", Archive::kJunk, nullptr, kMissing, "", 0, "CG.kov\" cannot be opened: Not a zip archive\n", nullptr,
     0},
    {"JunkPackedArchive", Archive::kJunkPacked, nullptr, kMissing, "", 0,
     "CG.zep\" cannot be opened: Not a zip archive\n", nullptr, 0},
    {"StrictStopsOnStartUp", Archive::kJunk, nullptr, kMissing, "--strict", 1,
     "tamblet-play: --strict: the game stops on start-up problems\n", "frames in", 0},
    // Queries answering false are normal answers, not failures.
    {"NoSource", Archive::kNone, nullptr, "SP_IsUsing(9); CG_IsExist(77); Key_IsDown(9)\nSP_SetCG(1, 77)\n", "--debug",
     0, "tamblet-play: SP_SetCG(1, 77) answered false: CG 77 is in no source\n", nullptr, 1},
    {"Truncated", Archive::kWithPicture, truncatedPng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: truncated\n", nullptr, 1},
    {"Corrupt", Archive::kWithPicture, corruptPng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: IHDR: CRC error\n", nullptr, 1},
    {"TooLarge", Archive::kWithPicture, hugePng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: too large: 60000 × 60000\n",
     nullptr, 1},
    {"Empty", Archive::kWithPicture, [] { return Bytes(); }, kSecond, "--debug", 0, "CG.kov\" is empty (0 bytes)\n",
     nullptr, 1},
    {"ShownThreeTimesThenCountedAndSummarised", Archive::kNone, nullptr, "for i = 1, 5 do SP_SetCG(1, 77) end\n",
     "--debug", 0,
     "tamblet-play: further problems with SP_SetCG are counted, not shown\n"
     "tamblet-play: 0 frames in",
     nullptr, 3},
    {"SummarisedAtTheEnd", Archive::kNone, nullptr, "for i = 1, 5 do SP_SetCG(1, 77) end\n", "--debug", 0,
     "tamblet-play: problems in 5 export calls (SP_SetCG 5)\n", nullptr, 3},
    {"CountedWithoutDebug", Archive::kNone, nullptr, kMissing, "", 0,
     "tamblet-play: problems in 1 export call (SP_SetCG 1); run with --debug to see them\n", nullptr, 0},
    {"StrictFailsTheScript", Archive::kNone, nullptr, kMissing, "--strict", 1,
     "main.lua:1: SP_SetCG(1, 77) answered false: CG 77 is in no source\n", "frames in", 1},
    {"NoSummaryAfterAScriptError", Archive::kNone, nullptr, "player.frame()\nplayer.frame()\nerror('boom')\n", "", 1,
     "tamblet-play: script error in frame 3 (2 frames finished):\nmain.lua:3: boom\n", "frames in", 0},
    // The frame budget unwinds the endless loop; player.frame answers true until then.
    {"PlayerTable", Archive::kNone, nullptr,
     "player.log('size', player.width, player.height, player.headless, player.frames())\n"
     "while true do assert(player.frame()) end\n",
     "--size 32x24", 0, "[game] size 32 24 true 0\ntamblet-play: 4 frames in", nullptr, 0},
    {"PlayerArgument", Archive::kNone, nullptr, "player.mouse(1.5, 0)\n", "", 1,
     "main.lua:1: bad argument #1 to 'player.mouse' (int expected, got a number with a fraction", nullptr, 0},
    // An engine error is the script's error, its fixed text in UTF-8.
    {"EngineError", Archive::kNone, nullptr, "player.trans_frame(0.5)\n", "", 1,
     "main.lua:1: engine error in TRANS_Update:\nトランジションの更新に失敗しました\nstack traceback", nullptr, 0},
    {"BridgeValues", Archive::kWithPicture, nullptr, kValues, "", 0,
     "[game] input true 3 4\n[game] wheel 2 -1\n[game] keys true false true\n[game] pop 2 あ いう\n"
     "[game] hankaku -0042\n[game] zenkaku ７\n[game] enum 2 5 5,7,9,9,9 integer\n"
     "[game] list true 2 5,7 false true\n[game] metrics true 8,6,32,32,0,1,0,0.25 float\n[game] fps float 1\n",
     nullptr, 0},
    {"BridgeSurfacesStackAndErrors", Archive::kNone, nullptr, kSurfaces, "", 0,
     "[game] surface surface 4x2 nil true 4\n[game] interface true false\n[game] stack inner←outer←main chunk←\n"
     "[game] first false engine error in SP_SetPos:\nSP_SetPos\nnSP=-1\nx=0\ny=0\n[game] again true true\n",
     nullptr, 0},
};

class PlayerRunTest : public ::testing::TestWithParam<PlayerCase> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tamblet_play_run_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "game");
    fs::create_directories(root_ / "pictures");
  }
  void TearDown() override { fs::remove_all(root_); }

  void makeArchive(const PlayerCase& run) {
    const fs::path archive = root_ / "game" / "CG.kov";
    if (run.archive == Archive::kJunk) writeBytes(archive, Bytes(3000, 0x5A));
    if (run.archive == Archive::kJunkPacked) writeBytes(root_ / "game" / "CG.zep", Bytes(3000, 0x5A));
    if (run.archive != Archive::kWithPicture) return;
    writeBytes(root_ / "pictures" / "CG1.png", goodPng());
    if (run.picture) writeBytes(root_ / "pictures" / "CG2.png", run.picture());
    tamblet::pack::PackOptions force;
    force.force = true;
    std::ostringstream ignored;
    ASSERT_EQ(tamblet::pack::buildArchive((root_ / "pictures").string(), archive.string(), force, ignored, ignored), 0);
  }

  fs::path root_;
};

TEST_P(PlayerRunTest, SaysWhatHappenedInExactLines) {
  const PlayerCase& run = GetParam();
  makeArchive(run);
  if (run.script) std::ofstream(root_ / "game" / "main.lua") << run.script;
  const RunResult result =
      play((root_ / "game").string() + " --frames 4 --out " + (root_ / "out").string() + " " + run.flags);
  EXPECT_EQ(result.code, run.code) << result.output;
  EXPECT_NE(result.output.find(run.says), std::string::npos) << result.output;
  if (run.neverSays) {
    EXPECT_EQ(result.output.find(run.neverSays), std::string::npos) << result.output;
  }
  // Without debug mode the engine never samples memory; the summary shows real figures anyway.
  EXPECT_EQ(result.output.find(", memory 0 MiB"), std::string::npos) << result.output;
  EXPECT_EQ(occurrences(result.output, "answered false"), static_cast<std::size_t>(run.answeredFalse)) << result.output;
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerRunTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<PlayerCase>& tested) { return tested.param.name; });

// Every export with one hostile value at each script argument, in one run without Init: a Lua error
// naming the export and the argument, never a call into the engine.
TEST(PlayerBridgeTest, EveryExportRefusesHostileValuesNamingExportAndArgument) {
  using tamblet::play::ArgKind;
  using Values = std::pair<std::string, std::vector<std::string>>;  // a valid value and the hostile ones
  const std::map<ArgKind, Values> byKind = {
      {ArgKind::kInt, {"1", {"nil", "0.25", "2^31", "-2^31-1", "0/0", "'7'", "{}"}}},
      {ArgKind::kBool, {"true", {"nil", "0.5", "'x'", "2^40"}}},
      {ArgKind::kFloat, {"0.5", {"nil", "'x'", "{}", "true"}}},
      {ArgKind::kArray, {"{}", {"nil", "5", "{'x'}", "{{1},{1,2}}", "{2^40}"}}},
      {ArgKind::kStruct, {"{}", {"nil", "'x'", "{'x'}", "{{}}", "{1 << 33}"}}},
      {ArgKind::kSurface, {"nil", {"5", "{}", "'x'"}}},
      {ArgKind::kInterfaceId, {"'00000000-0000-0000-0000-000000000000'", {"nil", "'x'", "5"}}}};
  const Values text = {"'a'", {"nil", "5", "{}", "'\\xc3'", "'\\xf0\\x9f\\x98\\x80'"}};  // not UTF-8; no Shift-JIS
  std::string script =
      "local checked = 0\n"
      "local function check(code, expected)\n"
      "  local ok, message = pcall(load(code))\n"
      "  if ok or not message:find(expected, 1, true) then player.log('WRONG', code, message) end\n"
      "  checked = checked + 1\n"
      "end\n";
  int cases = 0;
  for (const auto& signature : tamblet::play::exportTable()) {
    std::vector<const Values*> kinds;
    for (ArgKind kind : signature.args) {
      if (takesScriptValue(kind)) kinds.push_back(byKind.count(kind) ? &byKind.at(kind) : &text);
    }
    const std::string name(signature.name);
    for (std::size_t at = 0; at < kinds.size(); ++at) {
      for (const std::string& bad : kinds[at]->second) {
        std::string call = name + "(";
        for (std::size_t i = 0; i < kinds.size(); ++i) call += (i ? ", " : "") + (i == at ? bad : kinds[i]->first);
        script += "check([[" + call + ")]], [[bad argument #" + std::to_string(at + 1) + " to '" + name + "']])\n";
        ++cases;
      }
    }
    if (!kinds.empty()) {
      std::string extra = name + "(" + kinds[0]->first;
      for (std::size_t i = 0; i < kinds.size(); ++i) extra += ", " + kinds[i]->first;
      script += "check([[" + extra + ")]], [[" + name + " takes " + std::to_string(kinds.size()) + " argument(s)]])\n";
      ++cases;
    }
  }
  script += "player.log('checked', checked)\n";
  const fs::path game = fs::temp_directory_path() / ("tamblet_play_hostile_" + std::to_string(::getpid()));
  fs::create_directories(game);
  std::ofstream(game / "main.lua") << script;
  const RunResult result = play(game.string() + " --no-init --frames 1 --out " + (game / "out").string());
  fs::remove_all(game);
  EXPECT_EQ(result.code, 0) << result.output;
  EXPECT_GT(cases, 1000);
  EXPECT_NE(result.output.find("[game] checked " + std::to_string(cases) + "\n"), std::string::npos)
      << result.output.substr(0, 4000);
  EXPECT_EQ(result.output.find("WRONG"), std::string::npos) << result.output.substr(0, 4000);
}

// --view d3d starts the game in the Direct3D view and its frames come from the host's device (the
// pixels of both views are pinned by the demo's checksums and the engine's parity scenes).
TEST(PlayerViewTest, DirectThreeDViewRunsTheGameThroughTheHostsDevice) {
  const fs::path root = fs::temp_directory_path() / ("tamblet_play_view_" + std::to_string(::getpid()));
  fs::create_directories(root / "game");
  std::ofstream(root / "game" / "main.lua") << "player.log('view', VIEW_GetMode())\n"
                                               "SP_Create(1, 20, 10, 200, 40, 30, 255)\nSP_SetShow(1, true)\n"
                                               "while true do assert(player.frame()) end\n";
  const std::string arguments = (root / "game").string() + " --size 32x24 --frames 3 --out " + (root / "out").string();
  const RunResult direct = play(arguments + " --view d3d");
  fs::remove_all(root);
  EXPECT_EQ(direct.code, 0) << direct.output;
  EXPECT_NE(direct.output.find("[game] view 1\n"), std::string::npos) << direct.output;
  EXPECT_NE(direct.output.find("Direct3D view: 3 frames presented"), std::string::npos) << direct.output;
}

}  // namespace
