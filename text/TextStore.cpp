#include "text/TextStore.h"

#include <utility>

#include "text/CharacterBox.h"

namespace tamblet {

TextStore::TextStore() = default;

TextStore::~TextStore() {
  clear();
}

void TextStore::bind(ISurfaceFactory* factory, IGraph3* raster) {
  factory_ = Ref<ISurfaceFactory>::retain(factory);
  raster_ = Ref<IGraph3>::retain(raster);
  if (!rasterizer_) rasterizer_ = makeSystemGlyphRasterizer();  // its faces load on first use and stay
  characters_.bind(factory, raster, rasterizer_.get());
  dashes_.bind(factory, raster, nullptr);
}

void TextStore::setFontLibraryPath(std::string sjisPath) {
  fontLibrary_.setPath(std::move(sjisPath));
}

void TextStore::setRasterizer(std::unique_ptr<GlyphRasterizer> rasterizer) {
  rasterizer_ = std::move(rasterizer);
  if (factory_) characters_.bind(factory_.get(), raster_.get(), rasterizer_.get());
}

Ref<ISurface> TextStore::characterSurface(std::string_view text, const TextStyle& style) {
  if (!factory_ || !raster_) return {};
  cache_.trimIfFull();
  if (Ref<ISurface> cached = cache_.find(text, style)) return cached;
  if (!usableTextSize(style.size)) return {};

  Ref<ISurface> surface;
  if (style.type >= kLibraryTypeBase) {
    // A library that does not load, or has no glyph for the character, draws the missing glyph.
    const bool found =
        fontLibrary_.ensureLoaded() &&
        fontLibrary_.readGlyph(style.type - kLibraryTypeBase, static_cast<std::uint32_t>(kSupersample * style.size),
                               libraryCharacterCode(text), glyph_);
    surface = characters_.renderCharacter(text, style, found ? &glyph_ : nullptr);
  } else {
    surface = characters_.renderCharacter(text, style);
  }
  if (surface) cache_.insert(text, style, surface.get());
  return surface;
}

Ref<ISurface> TextStore::dashSurface(std::int32_t width, std::int32_t height, const TextStyle& style) {
  if (!factory_ || !raster_) return {};
  return dashes_.renderDash(width, height, style);
}

void TextStore::clear() {
  cache_.clear();
  characters_.clear();
  dashes_.clear();
  fontLibrary_.clear();
  glyph_ = LibraryGlyph();
  raster_.reset();
  factory_.reset();
}

}  // namespace tamblet
