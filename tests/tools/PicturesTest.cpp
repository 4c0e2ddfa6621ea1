// Frames taken from the main surface, thumbnails, the contact sheet and PNG files: exact pixels
// and the same bytes on every write.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "host/Ref.h"
#include "refhost/MainSurface.h"
#include "tools/common/Image.h"
#include "tools/common/PngFile.h"
#include "tools/play/FrameStats.h"
#include "tools/play/GameConfig.h"

namespace tamblet::play {

using namespace tamblet::tools;
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(PicturesTest, CaptureTakesColourInRgbOrderAndIgnoresAlpha) {
  auto surface = Ref<refhost::MainSurface>::adopt(refhost::MainSurface::create(3, 2));
  ASSERT_TRUE(surface);
  for (std::int32_t y = 0; y < 2; ++y) {
    for (std::int32_t x = 0; x < 3; ++x) {
      std::uint8_t* pixel = surface->GetPixelAddress(x, y);
      pixel[0] = static_cast<std::uint8_t>(x);       // blue
      pixel[1] = static_cast<std::uint8_t>(y * 10);  // green
      pixel[2] = 200;                                // red
      pixel[3] = 7;                                  // alpha
    }
  }
  const Image image = captureSurface(*surface);
  ASSERT_EQ(image.width, 3);
  ASSERT_EQ(image.height, 2);
  EXPECT_EQ(image.rgb, (std::vector<std::uint8_t>{200, 0, 0, 200, 0, 1, 200, 0, 2, 200, 10, 0, 200, 10, 1, 200, 10, 2}));
}

TEST(PicturesTest, ThumbnailsAverageAndTheSheetPlacesCells) {
  Image source{4, 2, {}};
  for (int i = 0; i < 8; ++i) source.rgb.insert(source.rgb.end(), {static_cast<std::uint8_t>(i * 10), 0, 255});
  const Image half = thumbnail(source, 2, 2);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 1);
  // Left cell averages 0, 10, 40, 50 → 25; right 20, 30, 60, 70 → 45.
  EXPECT_EQ(half.rgb, (std::vector<std::uint8_t>{25, 0, 255, 45, 0, 255}));
  EXPECT_EQ(thumbnail(source, 100, 100).rgb, source.rgb);  // never scaled up

  const Image sheet = contactSheet({half, half, half}, 2, 1);
  ASSERT_EQ(sheet.width, 2 * (2 + 1) + 1);
  ASSERT_EQ(sheet.height, 2 * (1 + 1) + 1);
  auto at = [&](int x, int y) { return sheet.rgb[(static_cast<std::size_t>(y) * sheet.width + x) * 3]; };
  EXPECT_EQ(at(0, 0), 0x20);
  EXPECT_EQ(at(1, 1), 25);
  EXPECT_EQ(at(5, 1), 45);
  EXPECT_EQ(at(1, 3), 25);
  EXPECT_EQ(at(4, 3), 0x20);  // the fourth cell stays empty
}

TEST(PicturesTest, PngFilesAreExactAndIdenticalEveryTime) {
  const auto folder = std::filesystem::temp_directory_path() / "tamblet_pictures_test";
  std::filesystem::create_directories(folder);
  Image image{5, 3, {}};
  for (int i = 0; i < 15; ++i) image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(i), 100, static_cast<std::uint8_t>(255 - i)});
  std::string why;
  ASSERT_TRUE(writePng((folder / "a.png").string(), image, &why)) << why;
  ASSERT_TRUE(writePng((folder / "b.png").string(), image, &why)) << why;
  EXPECT_EQ(readFile(folder / "a.png"), readFile(folder / "b.png"));

  png_image decoded{};
  decoded.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_file(&decoded, (folder / "a.png").c_str()));
  decoded.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(decoded));
  ASSERT_TRUE(png_image_finish_read(&decoded, nullptr, pixels.data(), 0, nullptr));
  EXPECT_EQ(decoded.width, 5u);
  EXPECT_EQ(pixels, image.rgb);

  EXPECT_FALSE(writePng((folder / "missing" / "c.png").string(), image, &why));
  EXPECT_FALSE(writePng((folder / "d.png").string(), Image{}, &why));
  std::filesystem::remove_all(folder);
}

TEST(PicturesTest, ConfigAndFrameStatistics) {
  std::string why;
  const auto config = parseGameConfig("# demo\nwidth = 1280\nheight=720 # wide\ndebug = true\ntitle = A B\n", &why);
  ASSERT_TRUE(config) << why;
  EXPECT_EQ(std::tuple(config->width, config->height, config->debug, config->title),
            std::tuple(1280, 720, true, std::string("A B")));
  for (const char* bad : {"width = 99999999999\n", "colour = red\n", "width = 0\n"})
    EXPECT_FALSE(parseGameConfig(bad, &why)) << bad;
  EXPECT_EQ(why, "player.conf line 1: cannot use \"width = 0\"");

  FrameStats stats;
  EXPECT_EQ(stats.percentile(50), 0.0);
  for (double time : {5.0, 1.0, 4.0, 2.0, 3.0}) stats.add(time);
  for (const auto& [percent, time] : {std::pair{50, 3.0}, {90, 5.0}, {0, 1.0}})
    EXPECT_EQ(stats.percentile(percent), time) << percent;
  EXPECT_EQ(stats.totalMilliseconds(), 15.0);
}

}  // namespace
}  // namespace tamblet::play
