// What a text renderer needs from the platform's fonts: one Shift-JIS text drawn in the system
// face of a text type, unsmoothed, as 0xFF ink on an 8-bit plane. FreeType does it on Linux; a
// GDI rasteriser can take its place on Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "host/Surface.h"

namespace tamblet {

class GlyphRasterizer {
 public:
  virtual ~GlyphRasterizer() = default;

  // Draws `text` (CP932 bytes) with the face of `type` at a character height of `pixelHeight`
  // pixels, pen starting at the top-left (0, 0) of `target`, one character after another by
  // advance. Only the target's first `width` × `height` pixels are written (ink 0xFF, the rest
  // untouched). Characters that cannot be converted or have no glyph draw nothing with FreeType;
  // GDI draws what the face shows for them (its default character). False when the face cannot be
  // loaded or sized.
  virtual bool draw(std::string_view text, std::int32_t type, std::int32_t pixelHeight, ISurface& target,
                    std::int32_t width, std::int32_t height) = 0;
};

// The rasteriser of this platform (FreeType with the IPA faces on Linux, GDI on Windows).
std::unique_ptr<GlyphRasterizer> makeSystemGlyphRasterizer();

}  // namespace tamblet
