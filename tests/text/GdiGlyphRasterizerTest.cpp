// The GDI glyph rasteriser with whatever faces the system has (Wine substitutes its own, so glyph
// shapes are not checked): ink lands only inside the box it is given, text sprites built from it
// have the box sizes and only the 17 alphas of 4 × 4 averaging, and no GDI object outlives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>

#include "host/Ref.h"
#include "refhost/Ledger.h"
#include "refhost/Raster.h"
#include "refhost/SurfaceFactory.h"
#include "text/CDIBSurface.h"
#include "text/GdiGlyphRasterizer.h"
#include "text/TextRenderer.h"

namespace tamblet::testing {
namespace {

const char kHiragana[] = "\x82\xA0";  // あ
const char kKanji[] = "\x88\x9F";     // 亜

// GDI objects alive in this process. Where GetGuiResources is not implemented (Wine answers 0),
// every 16-bit handle index is asked for its object type instead.
int liveGdiObjects() {
  if (const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(counted);
  int live = 0;
  for (std::uintptr_t index = 1; index < 0x10000; ++index) live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
  return live;
}

TEST(GdiGlyphRasterizer, InkStaysInsideTheBox) {
  constexpr std::uint8_t kPaper = 0x11;  // what the target holds before a draw
  const struct {
    const char* text;
    std::int32_t type, pixelHeight, width, height;
    bool result;
    int inkRowsAtLeast;  // -1: no ink at all; else ink spans at least this many rows
  } cases[] = {
      {kHiragana, 0, 64, 64, 64, true, 24},     {kKanji, 1, 64, 64, 64, true, 24},
      {"\xB1", 0, 64, 32, 64, true, 24},        // half-width katakana
      {kHiragana, 0, 64, 32, 32, true, 1},      {kHiragana, 0, 8, 8, 8, true, 3},     // clipped; small
      {"\x81\x40\x82\xA0", 0, 64, 64, 64, true, -1},                                   // the second character is outside
      {"", 0, 64, 32, 64, true, -1},            {kHiragana, 0, 64, 64, -3, true, -1},  // nothing asked
      {kHiragana, 0, 0, 64, 64, false, -1},     {kHiragana, 0, 0x10000, 64, 64, false, -1}};
  GdiGlyphRasterizer gdi;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" type " << c.type << " height " << c.pixelHeight);
    const int boxWidth = std::max(c.width, 0), boxHeight = std::max(c.height, 0);
    CDIBSurface target;  // a border of 8 pixels larger than the box, all paper
    ASSERT_TRUE(target.Create(boxWidth + 8, boxHeight + 8));
    for (int y = 0; y < boxHeight + 8; ++y) std::memset(target.GetPixelAddress(0, y), kPaper, std::size_t(boxWidth + 8));
    ASSERT_EQ(gdi.draw(c.text, c.type, c.pixelHeight, target, c.width, c.height), c.result);
    int top = boxHeight, bottom = -1;
    for (int y = 0; y < target.GetHeight(); ++y)
      for (int x = 0; x < target.GetWidth(); ++x) {
        const std::uint8_t value = *target.GetPixelAddress(x, y);
        const bool ink = x < boxWidth && y < boxHeight && value == 0xFF;
        ASSERT_TRUE(ink || value == kPaper) << "at " << x << ", " << y;
        if (ink) top = std::min(top, y), bottom = std::max(bottom, y);
      }
    EXPECT_TRUE(c.inkRowsAtLeast < 0 ? bottom == -1 : bottom - top + 1 >= c.inkRowsAtLeast) << top << " to " << bottom;
  }
}

TEST(GdiGlyphRasterizer, TextSpritesHaveTheBoxSizesAndSeventeenAlphas) {
  const std::int64_t liveBefore = refhost::Ledger::liveObjects();
  const auto style = [](std::int32_t size, float bold = 0.0f, float edge = 0.0f, std::int32_t type = 0) {
    return TextStyle{type, size, {200, 100, 50, 255}, bold, edge, {10, 20, 30, 255}};
  };
  const struct {
    const char* text;
    TextStyle style;
    int width, height;  // 0: no surface
  } cases[] = {{kHiragana, style(16), 16, 16},       {"A", style(15), 8, 15},           {"\xB1", style(16), 8, 16},
               {kHiragana, style(16, 1.5f), 20, 20}, {kHiragana, style(16, 0, 2), 20, 20},
               {kKanji, style(32, 0, 0, 1), 32, 32}, {kKanji, style(48), 48, 48},       {"", style(16), 0, 0}};
  {
    const auto factory = Ref<ISurfaceFactory>::adopt(new refhost::SurfaceFactory);
    const auto raster = Ref<IGraph3>::adopt(new refhost::Raster);
    GdiGlyphRasterizer gdi;
    TextRenderer renderer;
    renderer.bind(factory.get(), raster.get(), &gdi);
    std::set<int> levels, seen;
    for (int inked = 0; inked <= 16; ++inked) levels.insert(inked * 0xFF >> kAverageShift);
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << '"' << c.text << "\" size " << c.style.size);
      const Ref<ISurface> surface = renderer.renderCharacter(c.text, c.style);
      ASSERT_EQ(surface ? surface->GetWidth() * 1000 + surface->GetHeight() : 0, c.width * 1000 + c.height);
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
          const int alpha = surface->GetPixelAddress(x, y)[3];
          ASSERT_TRUE(levels.count(alpha)) << alpha << " is no average of 16 samples, at " << x << ", " << y;
          seen.insert(alpha);
        }
    }
    renderer.clear();
    // Unsmoothed outlines averaged 4 × 4 give every coverage from none to full along their edges.
    EXPECT_EQ(seen, levels);
  }
  EXPECT_EQ(refhost::Ledger::liveObjects(), liveBefore) << "surfaces outlived the test";
}

TEST(GdiGlyphRasterizer, NoGdiObjectOutlivesTheRasterizer) {
  const int before = liveGdiObjects();
  {
    GdiGlyphRasterizer gdi;
    CDIBSurface target;
    ASSERT_TRUE(target.Create(256, 256));
    // The type or the height changes every 100 draws, so the font is made anew 100 times (making
    // fonts is what takes time); the boxes grow past the DIB's steps, so the DIB is replaced too.
    for (int i = 0; i < 10000; ++i)
      ASSERT_TRUE(gdi.draw(kKanji, i / 100 % 2, 8 + i / 100 % 31, target, 8 + i % 240, 8 + i % 240));
    EXPECT_EQ(liveGdiObjects(), before + 3);  // its DC, its DIB and its font
  }
  EXPECT_EQ(liveGdiObjects(), before);
}

}  // namespace
}  // namespace tamblet::testing
