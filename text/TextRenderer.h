// Draws one text sprite's surface: a character (system face or font-library glyph) or a dash,
// drawn kSupersample times larger into the 8-bit glyph surface, grown by the bold and edge masks,
// and averaged down into the alpha of a new 32-bit surface filled with the text and edge colours.
// The engine keeps two: one for characters, one for dashes. Surfaces and masks only grow.
#pragma once

#include <cstdint>
#include <string_view>

#include "host/Modules.h"
#include "host/Ref.h"
#include "image/CSurface8bpp.h"
#include "text/CDIBSurface.h"
#include "text/CharacterBox.h"
#include "text/FontLibrary.h"
#include "text/GlyphRasterizer.h"
#include "text/TextStyle.h"

namespace tamblet {

class TextRenderer {
 public:
  TextRenderer() = default;
  TextRenderer(const TextRenderer&) = delete;
  TextRenderer& operator=(const TextRenderer&) = delete;

  // Takes references of its own to the factory and the raster library; the rasteriser is
  // borrowed (its owner outlives the renderer's use of it) and may be null for a dash renderer.
  void bind(ISurfaceFactory* factory, IGraph3* raster, GlyphRasterizer* rasterizer);

  // One character. Types below kLibraryTypeBase draw `text` in their system face; library types
  // use `libraryGlyph` (null, or a glyph of the wrong height or size, draws the missing-glyph
  // stripes in the system-face box). Null on failure: size outside 1..kMaxTextSize, an empty text
  // without a usable glyph, or a surface, mask or face that cannot be made.
  Ref<ISurface> renderCharacter(std::string_view text, const TextStyle& style,
                                const LibraryGlyph* libraryGlyph = nullptr);

  // A horizontal dash filling a width × height surface less the bold and edge margins (which are
  // not limited by any size here). Null when a side is not larger than twice the margin.
  Ref<ISurface> renderDash(std::int32_t width, std::int32_t height, const TextStyle& style);

  // Frees the glyph surface and the masks and lets go of the factory and the raster library.
  void clear();

  // The glyph box of the last rendering, in glyph-surface pixels, and the surfaces (for tests).
  std::int32_t boxWidth() const { return boxWidth_; }
  std::int32_t boxHeight() const { return boxHeight_; }
  CDIBSurface& glyphSurface() { return glyph_; }
  CSurface8bpp& boldMask() { return bold_; }
  CSurface8bpp& edgeMask() { return edge_; }

 private:
  bool prepareGlyphBox(std::int64_t width, std::int64_t height);
  bool drawLibraryGlyph(const LibraryGlyph* glyph, std::int32_t size);
  void drawMissingGlyph();
  bool grow(CSurface8bpp& mask, std::int32_t amount, float weight);
  Ref<ISurface> finish(const TextStyle& style, std::int32_t bold, std::int32_t edge);
  bool compose(ISurface& result, const TextStyle& style, std::int32_t bold, std::int32_t edge);

  Ref<ISurfaceFactory> factory_;
  Ref<IGraph3> raster_;
  GlyphRasterizer* rasterizer_ = nullptr;
  CDIBSurface glyph_;
  std::int32_t boxWidth_ = 0;  // glyph box, glyph-surface pixels
  std::int32_t boxHeight_ = 0;
  const std::int32_t supersample_ = kSupersample;
  const std::int32_t shift_ = kAverageShift;
  CSurface8bpp bold_;
  CSurface8bpp edge_;
};

// A weight as a disc radius: NaN and negatives give 0, +inf the largest float.
float sanitizedWeight(float weight);

}  // namespace tamblet
