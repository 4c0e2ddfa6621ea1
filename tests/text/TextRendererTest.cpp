// The text renderer: surface sizes, the alpha a mask averages to, both compositions, library
// glyphs and the missing-glyph stripes, dashes, and styles no script should send.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <tuple>

#include "image/CSurface8bpp.h"
#include "tests/text/TextFixture.h"
#include "text/FreeTypeRasterizer.h"
#include "text/MaskDownsample.h"
#include "text/TextRenderer.h"

namespace tamblet::testing {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const char kFullWidth[] = "\x82\xA0";  // あ

class TextRendererTest : public TextFixture {
 protected:
  void bindWith(GlyphRasterizer* rasterizer) { renderer.bind(factory.get(), raster.get(), rasterizer); }
  void TearDown() override {
    renderer.clear();
    TextFixture::TearDown();
  }
  TextRenderer renderer;
  FreeTypeRasterizer freeType;
  SolidRasterizer solid;
};

struct SizeCase {
  const char* text;
  TextStyle style;
  int width, height;  // 0: no surface
};

TEST_F(TextRendererTest, SurfaceSizesFollowTheBoxAndTheMargins) {
  // clang-format off
  const SizeCase cases[] = {
      {kFullWidth, style(16), 16, 16},          {"A", style(16), 8, 16},              {"A", style(15), 8, 15},
      {kFullWidth, style(16, 1.5f), 20, 20},    {"\xB1", style(16), 8, 16},           {"a\x82\xA0", style(17), 9, 17},
      {kFullWidth, style(16, 0, 2), 20, 20},    {kFullWidth, style(16, 1, 3.5f), 24, 24},
      {kFullWidth, style(16, 40), 48, 48},      {"", style(16, 1), 2, 2},             {"", style(16, 0, 2), 4, 4},
      {"", style(16), 0, 0},                    {"A", style(0), 0, 0},                {"A", style(kMaxTextSize + 1), 0, 0},
      {kFullWidth, style(16, 0, 0, 1), 16, 16}, {"A", style(16, 0, 0, INT_MIN), 8, 16}};
  // clang-format on
  bindWith(&freeType);
  for (const SizeCase& c : cases) {
    const Ref<ISurface> surface = renderer.renderCharacter(c.text, c.style);
    ASSERT_EQ(surface ? surface->GetWidth() * 1000 + surface->GetHeight() : 0, c.width * 1000 + c.height)
        << '"' << c.text << "\" size " << c.style.size;
  }
  // What CP932 cannot convert, or the face has no glyph for, keeps its box and draws nothing.
  for (const char* text : {"\x81", "\x80", "\xFD", "\xF0\x40", "\xA0"}) {
    const Ref<ISurface> surface = renderer.renderCharacter(text, style(16));
    ASSERT_TRUE(surface);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < surface->GetWidth(); ++x) ASSERT_EQ(alphaAt(*surface, x, y), 0) << text;
  }
}

TEST_F(TextRendererTest, DownsamplingGivesAllSeventeenAlphas) {
  CSurface8bpp mask;
  ASSERT_TRUE(mask.Create(17 * 4, 4));
  for (int k = 0; k < 17; ++k)  // cell k holds k set bytes
    for (int i = 0; i < k; ++i) *mask.GetPixelAddress(4 * k + i % 4, i / 4) = 0xFF;
  const Ref<ISurface> target = Ref<ISurface>::adopt(factory->Create(18, 2, 32));  // a column and a row beyond
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 18; ++x) std::memset(target->GetPixelAddress(x, y), 0x5A, 4);
  ASSERT_TRUE(downsampleMaskToAlpha(mask, 17 * 4, 4, *target));
  for (int x = 0; x < 18; ++x) {
    EXPECT_EQ(alphaAt(*target, x, 0), x < 17 ? x * 255 / 16 : 0) << x;  // 0, 15, 31, ... 255
    EXPECT_EQ(alphaAt(*target, x, 1), 0);
    EXPECT_EQ(pixelAt(*target, x, 0) & 0xFFFFFF, 0x5A5A5Au);
  }
}

// A solid 16 × 16 glyph: an edge no wider than the bold shows only the text colour; edge 2 without
// bold centres the text colour on a 2-pixel outline whose corner cells hold 3 of 16 samples.
TEST_F(TextRendererTest, TheEdgeColourShowsOnlyWhenTheEdgeIsWiderThanTheBold) {
  bindWith(&solid);
  for (const TextStyle& s :
       {style(16, 2, 1), style(16, 2, 2), style(16, 0, 0.0f), style(16, 3, kNaN), style(16, 0, 2)}) {
    const Ref<ISurface> surface = renderer.renderCharacter(kFullWidth, s);
    ASSERT_TRUE(surface);
    const int size = surface->GetWidth(), margin = (size - 16) / 2;
    const bool outlined = s.edgeWeight > s.boldWeight;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const bool body = !outlined || (x >= 2 && x < 18 && y >= 2 && y < 18);
        ASSERT_EQ(pixelAt(*surface, x, y) & 0xFFFFFF, body ? rgb(s.color) : rgb(s.edgeColor)) << x << "," << y;
        const bool cross = (x >= margin && x < size - margin) || (y >= margin && y < size - margin);
        ASSERT_TRUE(!cross || alphaAt(*surface, x, y) == 255) << x << "," << y;
      }
    const int last = size - 1,
              corners = alphaAt(*surface, 0, 0) + alphaAt(*surface, last, 0) + alphaAt(*surface, last, last);
    ASSERT_TRUE(!outlined || corners == 3 * 47) << corners;
  }
}

// A library glyph whose bitmap has only its first row inked, `width` supersampled pixels wide.
LibraryGlyph firstRowGlyph(std::uint32_t width, std::uint32_t rows) {
  LibraryGlyph glyph{width, 3, rows, 8, {}};
  glyph.bitmap.assign(std::size_t(rows) * 8, 0);
  for (std::uint32_t x = 0; x < width; ++x) glyph.bitmap[x / 8] |= std::uint8_t(0x80 >> (x % 8));
  return glyph;
}

TEST_F(TextRendererTest, LibraryGlyphsSetTheBoxAndStandBottomRowFirst) {
  bindWith(nullptr);
  for (const auto& [width, box, lastColumnAlpha] : {std::tuple{62u, 16, 31}, {60u, 15, 63}, {1u, 1, 15}}) {
    const LibraryGlyph glyph = firstRowGlyph(width, 64);
    const Ref<ISurface> surface = renderer.renderCharacter("A", style(16, 0, 0, 0x100), &glyph);
    ASSERT_TRUE(surface);
    ASSERT_EQ(surface->GetWidth() * 100 + surface->GetHeight(), box * 100 + 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < box; ++x)
        ASSERT_EQ(alphaAt(*surface, x, y), y < 15 ? 0 : x + 1 < box ? 63 : lastColumnAlpha) << x << "," << y;
  }
}

TEST_F(TextRendererTest, MissingLibraryGlyphsDrawStripesInTheSystemBox) {
  // clang-format off
  struct Case { const char* text; const LibraryGlyph* glyph; int width; };  // width 0: no surface
  // clang-format on
  const LibraryGlyph wrongHeight = firstRowGlyph(60, 60), wrongSize = {60, 0, 64, 8, std::vector<std::uint8_t>(8)};
  bindWith(nullptr);
  for (const Case& c : {Case{kFullWidth, nullptr, 16}, Case{"A", nullptr, 8}, Case{kFullWidth, &wrongHeight, 16},
                        Case{"\xB1", &wrongSize, 8}, Case{"", nullptr, 0}, Case{"A", nullptr, 10}}) {
    const int edge = c.width == 10 ? 1 : 0;  // with an outline: the stripes' box plus its margins
    const Ref<ISurface> surface = renderer.renderCharacter(c.text, style(16, 0, float(edge), 0x105), c.glyph);
    ASSERT_EQ(surface ? surface->GetWidth() * 100 + surface->GetHeight() : 0,
              c.width ? c.width * 100 + 16 + 2 * edge : 0);
    for (int y = 0; y < 16 && !edge; ++y)
      for (int x = 0; x < c.width; ++x) ASSERT_EQ(alphaAt(*surface, x, y), x % 2 ? 255 : 0);
  }
}

TEST_F(TextRendererTest, DashesFillTheirSizeLessTheMargins) {
  // clang-format off
  struct Case { std::int32_t width, height; float bold, edge; std::vector<int> columnAlpha; };  // alpha down the
  // middle column; empty: no surface
  const Case cases[] = {{32, 16, 0, 0, {0, 0, 0, 0, 0, 0, 0, 191, 127, 0, 0, 0, 0, 0, 0, 0}}, {10, 2, 0, 0, {63, 0}},
                        {10, 3, 0.5f, 0, {63, 255, 0}}, {10, 2, 1, 0, {}}, {100, 40, 20, 0, {}}, {0, 5, 0, 0, {}},
                        {INT_MAX, 16, 0, 0, {}}, {20, 20, kInf, 0, {}}, {20, 20, 0, INT_MAX * 2.0f, {}}};
  // clang-format on
  bindWith(nullptr);
  for (const Case& c : cases) {
    const Ref<ISurface> surface = renderer.renderDash(c.width, c.height, style(16, c.bold, c.edge));
    ASSERT_EQ(surface ? surface->GetHeight() : 0, int(c.columnAlpha.size())) << c.width << "x" << c.height;
    if (!surface) continue;
    EXPECT_EQ(surface->GetWidth(), c.width);
    for (int y = 0; y < c.height; ++y) EXPECT_EQ(alphaAt(*surface, c.width / 2, y), c.columnAlpha[y]) << y;
  }
  const Ref<ISurface> wide = renderer.renderDash(100, 41, style(16, 20));  // bold not limited by the size
  ASSERT_TRUE(wide);
  EXPECT_EQ(alphaAt(*wide, 50, 20), 255);
}

TEST_F(TextRendererTest, HostileStylesDrawOrFailWithoutHarm) {
  const float weights[] = {kNaN, -kInf, kInf, -1.0f, 1e30f, 1e-30f, 1024.5f, 3000.0f};
  const std::int32_t types[] = {INT_MIN, -1, 2, 0xFF, INT_MAX};
  const std::int32_t sizes[] = {INT_MIN, -1, 1, 2, 2000, INT_MAX};
  bindWith(&freeType);
  for (float bold : weights)
    for (float edge : weights) {
      const TextStyle s = style(16, bold, edge);
      const Ref<ISurface> surface = renderer.renderCharacter(kFullWidth, s);
      const std::int32_t margin = std::max(pixelAmount(bold, 16), pixelAmount(edge, 16));
      ASSERT_TRUE(surface);
      EXPECT_EQ(surface->GetWidth(), 16 + 2 * margin);
      (void)renderer.renderDash(40, 30, s);
    }
  for (std::int32_t type : types)
    for (std::int32_t size : sizes) {
      const Ref<ISurface> surface = renderer.renderCharacter("\x81", style(size, 0, 0, type));
      EXPECT_EQ(bool(surface), size >= 1 && size <= 2000);
    }
}

}  // namespace
}  // namespace tamblet::testing
