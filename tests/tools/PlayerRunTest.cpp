// Whole runs of tamblet-play: clear failures for a missing game and a script error, the
// player table against a stand-in engine (frame budget, written frames, contact sheet, Init's
// answer), the Direct3D view through the host's device. The real engine's frames are pinned by
// the demo's stored checksums.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/tools/PlayerFiles.h"

namespace {

namespace fs = std::filesystem;
using tamblet::testing::play;
using tamblet::testing::RunResult;

// A PNG file's pixels as R, G, B bytes (empty when it cannot be read).
std::vector<std::uint8_t> rgbPixels(const fs::path& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

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

// --view d3d starts the game in the Direct3D view: frames come from the host's device and match
// the software view's for opaque sprites; an engine without the view stops the run at start-up.
TEST_F(PlayerRunTest, DirectThreeDViewRunsTheGameThroughTheHostsDevice) {
  script("player.log('view', VIEW_GetMode())\n"
         "SP_Create(1, 20, 10, 200, 40, 30, 255)\nSP_SetPos(1, 5, 4)\nSP_SetShow(1, true)\n"
         "SP_Create(2, 8, 8, 10, 220, 90, 255)\nSP_SetPos(2, 12, 9)\nSP_SetZ(2, 1)\nSP_SetShow(2, true)\n"
         "while true do assert(player.frame()) end\n");
  const std::string arguments = game() + " --size 32x24 --frames 3 --every 3 --out ";
  RunResult direct = play(arguments + out("d3d") + " --view d3d");
  ASSERT_EQ(direct.code, 0) << direct.output;
  EXPECT_NE(direct.output.find("[game] view 1"), std::string::npos) << direct.output;
  EXPECT_NE(direct.output.find("Direct3D view: 3 frames presented"), std::string::npos) << direct.output;
  RunResult software = play(arguments + out("software"));
  ASSERT_EQ(software.code, 0) << software.output;
  EXPECT_NE(software.output.find("[game] view 0"), std::string::npos) << software.output;
  // The device draws the solid colours exactly; the software compositor may round each channel
  // one lower (its documented rounding), never more.
  const std::vector<std::uint8_t> d3d = rgbPixels(root_ / "d3d" / "frame_00003.png");
  const std::vector<std::uint8_t> soft = rgbPixels(root_ / "software" / "frame_00003.png");
  ASSERT_EQ(d3d.size(), 32u * 24u * 3u);
  ASSERT_EQ(soft.size(), d3d.size());
  const auto at = [&](int x, int y) {
    const std::size_t i = static_cast<std::size_t>(y * 32 + x) * 3;
    return std::vector<int>{d3d[i], d3d[i + 1], d3d[i + 2]};
  };
  EXPECT_EQ(at(0, 0), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(at(5, 4), (std::vector<int>{200, 40, 30}));
  EXPECT_EQ(at(24, 13), (std::vector<int>{200, 40, 30}));
  EXPECT_EQ(at(12, 9), (std::vector<int>{10, 220, 90}));
  EXPECT_EQ(at(25, 14), (std::vector<int>{0, 0, 0}));
  for (std::size_t i = 0; i < d3d.size(); ++i) ASSERT_LE(std::abs(d3d[i] - soft[i]), 1) << "byte " << i;

  RunResult refused = play(game() + " --library " + TAMBLET_TEST_ENGINE + " --view d3d --out " + out("fake"));
  EXPECT_EQ(refused.code, 4);
  EXPECT_NE(refused.output.find("the engine refused the Direct3D view (VIEW_SetMode(1) answered nothing"),
            std::string::npos)
      << refused.output;
}

}  // namespace
