// What tamblet-play says when a picture does not show, checked by text on whole runs against the
// real engine: a broken archive at start-up, a CG in no source, bytes the decoder refuses, failed
// calls shown three times then counted, --strict failing the script, the end of a run after a
// script error, and memory figures that are never the engine's unsampled zero. Also the rule of
// which export answers count as failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tests/tools/PlayerFiles.h"
#include "tools/pack/PackCommands.h"
#include "tools/play/FailureRule.h"

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
  Bytes (*picture)();  // CG 2 of the archive, beside a sound CG 1
  const char* script;
  const char* flags;
  int code;
  const char* says;       // a line (or its end) the run prints
  const char* neverSays;  // text the run must not print, or null
  int answeredFalse;      // "answered false" lines shown
};

constexpr char kMissing[] = "SP_SetCG(1, 77)\n";
constexpr char kSecond[] = "SP_SetCG(1, 2)\n";

const PlayerCase kCases[] = {
    {"JunkArchive", Archive::kJunk, nullptr, kMissing, "", 0, "CG.kov\" cannot be opened: Not a zip archive\n", nullptr,
     0},
    {"JunkPackedArchive", Archive::kJunkPacked, nullptr, kMissing, "", 0,
     "CG.zep\" cannot be opened: Not a zip archive\n", nullptr, 0},
    {"StrictStopsOnStartUp", Archive::kJunk, nullptr, kMissing, "--strict", 1,
     "tamblet-play: --strict: the game stops on start-up problems\n", "frames in", 0},
    {"NoSource", Archive::kNone, nullptr, kMissing, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 77) answered false: CG 77 is in no source\n", nullptr, 1},
    {"Truncated", Archive::kWithPicture, truncatedPng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: truncated\n", nullptr, 1},
    {"Corrupt", Archive::kWithPicture, corruptPng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: IHDR: CRC error\n", nullptr, 1},
    {"TooLarge", Archive::kWithPicture, hugePng, kSecond, "--debug", 0,
     "tamblet-play: SP_SetCG(1, 2) answered false: image refused by the decoder: PNG: too large: 60000 × 60000\n",
     nullptr, 1},
    {"Empty", Archive::kWithPicture, [] { return Bytes(); }, kSecond, "--debug", 0, "CG.kov\" is empty (0 bytes)\n",
     nullptr, 1},
    {"ShownThreeTimesThenCounted", Archive::kNone, nullptr, "for i = 1, 5 do SP_SetCG(1, 77) end\n", "--debug", 0,
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
};

class PlayerDiagnosticsTest : public ::testing::TestWithParam<PlayerCase> {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tamblet_play_diagnostics_" + std::to_string(::getpid()));
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

TEST_P(PlayerDiagnosticsTest, SaysWhatWentWrongInOneLine) {
  const PlayerCase& run = GetParam();
  makeArchive(run);
  std::ofstream(root_ / "game" / "main.lua") << run.script;
  const RunResult result =
      play((root_ / "game").string() + " --frames 4 --out " + (root_ / "out").string() + " " + run.flags);
  EXPECT_EQ(result.code, run.code) << result.output;
  EXPECT_NE(result.output.find(run.says), std::string::npos) << result.output;
  if (run.neverSays) {
    EXPECT_EQ(result.output.find(run.neverSays), std::string::npos) << result.output;
  }
  EXPECT_EQ(occurrences(result.output, "answered false"), static_cast<std::size_t>(run.answeredFalse)) << result.output;
}

std::string caseName(const ::testing::TestParamInfo<PlayerCase>& tested) {
  return tested.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, PlayerDiagnosticsTest, ::testing::ValuesIn(kCases), caseName);

// Without debug mode the engine never samples memory; the summary shows real figures anyway.
TEST(PlayerSummaryTest, MemoryIsNeverTheUnsampledZero) {
  const fs::path game = fs::temp_directory_path() / ("tamblet_play_memory_" + std::to_string(::getpid()));
  fs::create_directories(game);
  std::ofstream(game / "main.lua") << "player.frame()\n";
  for (const char* flags : {"", "--debug"}) {
    const RunResult result = play(game.string() + " --frames 2 --out " + (game / "out").string() + " " + flags);
    EXPECT_EQ(result.code, 0) << result.output;
    EXPECT_TRUE(std::regex_search(result.output, std::regex(", memory [1-9][0-9]* MiB \\(peak [1-9]")))
        << result.output;
  }
  fs::remove_all(game);
}

// The exports whose false is a normal answer, as the guide lists them, and some whose false is a failure.
TEST(FailureRuleTest, QueriesAreExemptAndEveryOtherBooleanFalseIsAFailure) {
  using tamblet::play::answerIsFailure;
  using tamblet::play::CallResult;
  using tamblet::play::findExport;
  CallResult no{};
  no.p = nullptr;
  for (const char* query : {"SP_IsUsing", "SP_ExistAlpha", "SP_GetShow", "SP_IsPtIn", "SP_IsPtInRect", "CG_IsExist",
                            "Key_IsDown", "KEY_GetState", "SP_IsSuspend", "SYSTEM_GetConfigOverFrameRateSleep",
                            "FPS_GetShow", "KeepPreviousView_GetMode", "DX_GetUsePower2Texture", "CG_GetMetrics"}) {
    ASSERT_NE(findExport(query), nullptr) << query;
    EXPECT_FALSE(answerIsFailure(*findExport(query), no)) << query;
  }
  for (const char* action : {"SP_SetCG", "SP_SetPos", "SP_Create", "TRANS_Begin", "Update", "VIEW_SetMode",
                             "CharSpriteManager_Load", "GetInterface"}) {
    ASSERT_NE(findExport(action), nullptr) << action;
    EXPECT_TRUE(answerIsFailure(*findExport(action), no)) << action;
  }
  for (const char* neverFails : {"SP_Count", "FPS_Get", "SP_SetTextSpriteType", "CharSpriteManager_CreateHandle"}) {
    EXPECT_FALSE(answerIsFailure(*findExport(neverFails), no)) << neverFails;
  }
}

}  // namespace
