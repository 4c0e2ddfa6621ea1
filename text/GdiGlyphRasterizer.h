// The system faces on GDI: the text is drawn with TextOutA in "ＭＳ ゴシック" (type 1: "ＭＳ 明朝")
// as white on black into an 8-bit grey DIB section, unsmoothed, and its ink copied into the target.
// The memory DC, the DIB (which only grows) and the font (remade only when the height or the type
// changes) are kept between calls and freed with the rasteriser.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/GlyphRasterizer.h"

namespace tamblet {

class GdiGlyphRasterizer final : public GlyphRasterizer {
 public:
  GdiGlyphRasterizer();
  ~GdiGlyphRasterizer() override;
  GdiGlyphRasterizer(const GdiGlyphRasterizer&) = delete;
  GdiGlyphRasterizer& operator=(const GdiGlyphRasterizer&) = delete;

  // False when the DC, the font or the DIB cannot be made, or for a height outside 1..0xFFFF.
  bool draw(std::string_view text, std::int32_t type, std::int32_t pixelHeight, ISurface& target, std::int32_t width,
            std::int32_t height) override;

  // A DIB byte at or above this grey is ink. An unsmoothed rendering gives only 0 and 0xFF; should
  // the system smooth it anyway, half coverage or more counts as ink.
  static constexpr std::uint8_t kInkThreshold = 0x80;

 private:
  struct State;  // the GDI handles; kept out of this header so <windows.h> stays in one file

  bool selectFont(std::int32_t type, std::int32_t pixelHeight);
  bool ensureBitmap(std::int32_t width, std::int32_t height);

  State* state_;
};

}  // namespace tamblet
