// Whole runs of tamblet-play: clear failures for a missing game and a script error, the
// player table against a stand-in engine (frame budget, written frames, contact sheet, Init's
// answer). The real engine's frames are pinned by the demo's stored checksums.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/tools/PlayerFiles.h"

namespace {

namespace fs = std::filesystem;
using tamblet::testing::play;
using tamblet::testing::RunResult;

class PlayerRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("tamblet_play_test_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "game");
  }
  void TearDown() override { fs::remove_all(root_); }
  void script(const std::string& text) { std::ofstream(root_ / "game" / "main.lua") << text; }
  std::string game() const { return (root_ / "game").string(); }
  std::string out(const char* name) const { return (root_ / name).string(); }

  fs::path root_;
};

TEST_F(PlayerRunTest, MissingGameAndScriptErrorsAreReportedClearly) {
  RunResult missing = play((root_ / "nowhere").string());
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.output.find("does not exist"), std::string::npos) << missing.output;

  script("local x = 1\nSP_SetCG(nil, 1)\n");
  RunResult bad = play(game() + " --no-init --out " + out("out"));
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.output.find("main.lua:2: bad argument #1 to 'SP_SetCG' (int expected, got nil)"), std::string::npos)
      << bad.output;
  EXPECT_NE(bad.output.find("stack traceback"), std::string::npos);
}

TEST_F(PlayerRunTest, FrameBudgetFramesAndContactSheetWithAStandInEngine) {
  script("player.log('size', player.width, player.height, player.headless)\n"
         "while true do assert(player.frame()) end\n");
  const std::string arguments = game() + " --library " + TAMBLET_TEST_ENGINE + " --size 32x24 --frames 6 --every 2 --out ";
  RunResult run = play(arguments + out("a"));
  ASSERT_EQ(run.code, 0) << run.output;
  EXPECT_NE(run.output.find("[game] size 32 24 true"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("6 frames in"), std::string::npos) << run.output;
  for (const char* name : {"frame_00002.png", "frame_00004.png", "frame_00006.png", "contact_sheet.png"}) {
    EXPECT_TRUE(fs::is_regular_file(root_ / "a" / name)) << name;
  }
  EXPECT_FALSE(fs::exists(root_ / "a" / "frame_00001.png"));

  RunResult refused = play(arguments + out("b") + " --cache-mib 1");
  EXPECT_EQ(refused.code, 4);
  EXPECT_NE(refused.output.find("Init failed"), std::string::npos) << refused.output;
}

}  // namespace
