#include "text/TextRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "text/MaskDownsample.h"

namespace tamblet {

float sanitizedWeight(float weight) {
  if (!(weight > 0.0f)) return 0.0f;  // NaN and negatives
  return std::min(weight, std::numeric_limits<float>::max());
}

void TextRenderer::bind(ISurfaceFactory* factory, IGraph3* raster, GlyphRasterizer* rasterizer) {
  factory_ = Ref<ISurfaceFactory>::retain(factory);
  raster_ = Ref<IGraph3>::retain(raster);
  rasterizer_ = rasterizer;
}

void TextRenderer::clear() {
  glyph_.Destroy();
  // The masks are members holding the renderer's one reference: letting it go empties them, and
  // taking it back leaves them ready for the next rendering.
  for (CSurface8bpp* mask : {&bold_, &edge_}) {
    mask->Release();
    mask->AddRef();
  }
  boxWidth_ = boxHeight_ = 0;
  raster_.reset();
  factory_.reset();
  rasterizer_ = nullptr;
}

Ref<ISurface> TextRenderer::renderCharacter(std::string_view text, const TextStyle& style,
                                            const LibraryGlyph* libraryGlyph) {
  if (!factory_ || !raster_ || !usableTextSize(style.size)) return {};
  const PixelAmounts amounts = characterAmounts(style.boldWeight, style.edgeWeight, style.size);

  if (style.type >= kLibraryTypeBase) {
    if (!drawLibraryGlyph(libraryGlyph, style.size)) {
      // Missing or unusable glyph: stripes in the box the system face would have given.
      const CharacterBox box = systemFaceBox(text, style.size);
      if (box.width < 1 || !prepareGlyphBox(box.width, box.height)) return {};
      drawMissingGlyph();
    }
  } else {
    const CharacterBox box = systemFaceBox(text, style.size);
    if (!rasterizer_ || !prepareGlyphBox(box.width, box.height)) return {};
    if (!rasterizer_->draw(text, style.type, supersample_ * style.size, glyph_, boxWidth_, boxHeight_)) return {};
  }
  return finish(style, amounts.bold, amounts.edge);
}

Ref<ISurface> TextRenderer::renderDash(std::int32_t width, std::int32_t height, const TextStyle& style) {
  if (!factory_ || !raster_) return {};
  const std::int32_t bold = pixelAmount(style.boldWeight);
  const std::int32_t edge = pixelAmount(style.edgeWeight);
  const std::int64_t margin = std::max(bold, edge);
  const std::int64_t boxWidth = std::int64_t{width} - 2 * margin;
  const std::int64_t boxHeight = std::int64_t{height} - 2 * margin;
  if (boxWidth < 1 || boxHeight < 1 || !prepareGlyphBox(boxWidth, boxHeight)) return {};

  // A bar a twelfth of the box high (one glyph-surface row when that is below 2), centred.
  std::int32_t thickness = boxHeight_ / 12;
  if (thickness < 2) thickness = 1;
  for (std::int32_t y = (boxHeight_ - thickness) / 2, end = y + thickness; y < end; ++y)
    std::memset(glyph_.GetPixelAddress(0, y), 0xFF, static_cast<std::size_t>(boxWidth_));
  return finish(style, bold, edge);
}

// Makes room for a box of width × height final pixels on the glyph surface and clears it. An
// empty box needs no surface.
bool TextRenderer::prepareGlyphBox(std::int64_t width, std::int64_t height) {
  const std::int64_t boxWidth = width * supersample_;
  const std::int64_t boxHeight = height * supersample_;
  if (boxWidth < 0 || boxHeight < 0 || boxWidth > std::numeric_limits<std::int32_t>::max() ||
      boxHeight > std::numeric_limits<std::int32_t>::max())
    return false;
  boxWidth_ = static_cast<std::int32_t>(boxWidth);
  boxHeight_ = static_cast<std::int32_t>(boxHeight);
  if (boxWidth_ == 0 || boxHeight_ == 0) return true;
  if (!glyph_.ensureSize(boxWidth_, boxHeight_)) {
    boxWidth_ = boxHeight_ = 0;
    return false;
  }
  for (std::int32_t y = 0; y < boxHeight_; ++y)
    std::memset(glyph_.GetPixelAddress(0, y), 0, static_cast<std::size_t>(boxWidth_));
  return true;
}

// Expands a library glyph into the glyph box: bitmap row r becomes the box's row
// (4 × size − 1 − r), the leftmost pixel in a row's high bit. False when the glyph is missing or
// does not match the size, so the caller draws the stripes instead.
bool TextRenderer::drawLibraryGlyph(const LibraryGlyph* glyph, std::int32_t size) {
  if (!glyph) return false;
  const std::int64_t rows = std::int64_t{supersample_} * size;
  const std::uint64_t rowBytes = glyph->rowBytes;
  if (glyph->pixelHeight != rows || rowBytes * 8 < glyph->width ||
      glyph->bitmap.size() != rowBytes * glyph->pixelHeight)
    return false;
  const std::int64_t width = (std::int64_t{glyph->width} + supersample_ - 1) / supersample_;
  if (!prepareGlyphBox(width, size)) return false;
  for (std::int64_t r = 0; r < rows; ++r) {
    const std::uint8_t* bits = glyph->bitmap.data() + r * rowBytes;
    std::uint8_t* out = glyph_.GetPixelAddress(0, static_cast<std::int32_t>(rows - 1 - r));
    for (std::uint32_t x = 0; x < glyph->width; ++x) {
      if (bits[x >> 3] & (0x80u >> (x & 7))) out[x] = 0xFF;
    }
  }
  return true;
}

// Vertical stripes one final pixel wide, starting with an empty column.
void TextRenderer::drawMissingGlyph() {
  for (std::int32_t y = 0; y < boxHeight_; ++y) {
    std::uint8_t* row = glyph_.GetPixelAddress(0, y);
    for (std::int32_t x = 0; x < boxWidth_; ++x) row[x] = (x / supersample_) % 2 ? 0xFF : 0;
  }
}

// Grows the glyph into `mask` by a disc of `weight` pixels, over a work area with `amount`
// pixels of border. A disc wider than the work area grows nothing (the mask stays clear).
bool TextRenderer::grow(CSurface8bpp& mask, std::int32_t amount, float weight) {
  if (!mask.PrepareEdge(boxWidth_ / supersample_, boxHeight_ / supersample_, amount)) return false;
  const float radius = sanitizedWeight(weight);
  const double reach = 2.0 * CSurface8bpp::kScale * std::ceil(static_cast<double>(radius));
  if (boxWidth_ == 0 || boxHeight_ == 0 || reach >= mask.workWidth() || reach >= mask.workHeight()) return true;
  return mask.Dilate(&glyph_, radius);
}

Ref<ISurface> TextRenderer::finish(const TextStyle& style, std::int32_t bold, std::int32_t edge) {
  if (bold > 0 && !grow(bold_, bold, style.boldWeight)) return {};
  if (edge > 0 && !grow(edge_, edge, style.edgeWeight)) return {};
  const std::int64_t margin = std::max(bold, edge);
  const std::int64_t width = boxWidth_ / supersample_ + 2 * margin;
  const std::int64_t height = boxHeight_ / supersample_ + 2 * margin;
  if (width > std::numeric_limits<std::int32_t>::max() || height > std::numeric_limits<std::int32_t>::max()) return {};
  Ref<ISurface> result =
      Ref<ISurface>::adopt(factory_->Create(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), 32));
  if (!result || !compose(*result, style, bold, edge)) return {};
  return result;
}

// The text colour through the body mask, and, when the edge is wider than the bold, the edge
// colour around it through the edge mask.
bool TextRenderer::compose(ISurface& result, const TextStyle& style, std::int32_t bold, std::int32_t edge) {
  const std::int32_t width = result.GetWidth();
  const std::int32_t height = result.GetHeight();
  ISurface* body = bold > 0 ? static_cast<ISurface*>(&bold_) : &glyph_;
  const std::int32_t bodyMaskWidth = bold > 0 ? bold_.workWidth() : boxWidth_;
  const std::int32_t bodyMaskHeight = bold > 0 ? bold_.workHeight() : boxHeight_;
  const TextColor& text = style.color;

  if (edge < 1 || edge <= bold) {
    return raster_->FillColor(&result, 0, 0, width, height, text.r, text.g, text.b, 0) &&
           downsampleMaskToAlpha(*body, bodyMaskWidth, bodyMaskHeight, result, shift_);
  }

  const TextColor& outline = style.edgeColor;
  if (!raster_->FillColor(&result, 0, 0, width, height, outline.r, outline.g, outline.b, 0)) return false;
  const std::int32_t bodyWidth = bodyMaskWidth / supersample_;
  const std::int32_t bodyHeight = bodyMaskHeight / supersample_;
  if (bodyWidth > 0 && bodyHeight > 0) {  // an empty text has no body to draw
    const Ref<ISurface> temporary = Ref<ISurface>::adopt(factory_->Create(bodyWidth, bodyHeight, 32));
    if (!temporary || !downsampleMaskToAlpha(*body, bodyMaskWidth, bodyMaskHeight, *temporary, shift_)) return false;
    const std::int32_t offset = edge - bold;
    if (!raster_->BlendColor(&result, offset, offset, temporary.get(), 0, 0, bodyWidth, bodyHeight, text.r, text.g,
                             text.b))
      return false;
  }
  return downsampleMaskToAlpha(edge_, edge_.workWidth(), edge_.workHeight(), result, shift_);
}

}  // namespace tamblet
