// What the engine core owns for text: the character and dash renderers, the text cache, the font
// library and the platform's glyph rasteriser. The core binds it at start-up, asks it for the
// surface of a character or a dash, and clears it at teardown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/Modules.h"
#include "host/Ref.h"
#include "text/FontLibrary.h"
#include "text/GlyphRasterizer.h"
#include "text/TextCache.h"
#include "text/TextRenderer.h"
#include "text/TextStyle.h"

namespace tamblet {

class TextStore {
 public:
  TextStore();
  ~TextStore();
  TextStore(const TextStore&) = delete;
  TextStore& operator=(const TextStore&) = delete;

  // Start-up: the host's surface factory and raster library (the store keeps its own references).
  void bind(ISurfaceFactory* factory, IGraph3* raster);

  void setFontLibraryPath(std::string sjisPath);

  // The surface of one character in a style (a new reference for the caller), from the cache or
  // rendered and cached; null when it cannot be made.
  Ref<ISurface> characterSurface(std::string_view text, const TextStyle& style);

  // A dash of width × height in a style; dashes are not cached. Null when it cannot be made.
  Ref<ISurface> dashSurface(std::int32_t width, std::int32_t height, const TextStyle& style);

  FontLibrary& fontLibrary() { return fontLibrary_; }
  TextCache& cache() { return cache_; }

  // Teardown: empties the cache, frees the renderers' surfaces and masks, clears the font library
  // and lets go of the factory and raster library. The loaded faces stay for a later bind.
  void clear();

  // Replaces the system-face rasteriser (tests draw with their own).
  void setRasterizer(std::unique_ptr<GlyphRasterizer> rasterizer);

 private:
  Ref<ISurfaceFactory> factory_;
  Ref<IGraph3> raster_;
  std::unique_ptr<GlyphRasterizer> rasterizer_;  // made at the first bind, kept
  TextRenderer characters_;
  TextRenderer dashes_;
  TextCache cache_;
  FontLibrary fontLibrary_;
  LibraryGlyph glyph_;  // reused between library reads
};

}  // namespace tamblet
