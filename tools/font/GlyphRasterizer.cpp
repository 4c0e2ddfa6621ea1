#include "tools/font/GlyphRasterizer.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "tools/font/FontFile.h"

namespace tamblet::font {
namespace {

bool sameName(const std::string& a, const char* b) {
  const std::string other(b);
  return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// Rounds value × numerator / denominator to the nearest integer (halves away from zero).
std::int64_t scaleRounded(std::int64_t value, std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t product = value * numerator;
  return product >= 0 ? (product + denominator / 2) / denominator : -((-product + denominator / 2) / denominator);
}

}  // namespace

FaceLocation locateFace(const std::string& fileOrFamily) {
  std::error_code error;
  if (std::filesystem::is_regular_file(fileOrFamily, error)) return {fileOrFamily, 0};

  // A configuration of our own, destroyed when done, rather than fontconfig's process-wide one.
  const std::unique_ptr<FcConfig, void (*)(FcConfig*)> config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
  if (!config) throw std::runtime_error("fontconfig could not start");
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(fileOrFamily.c_str()));
  FcConfigSubstitute(config.get(), pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config.get(), pattern, &result);
  FcPatternDestroy(pattern);
  FaceLocation location;
  bool familyMatches = false;
  if (match) {
    FcChar8* family = nullptr;
    for (int n = 0; FcPatternGetString(match, FC_FAMILY, n, &family) == FcResultMatch; ++n) {
      if (sameName(fileOrFamily, reinterpret_cast<const char*>(family))) familyMatches = true;
    }
    FcChar8* file = nullptr;
    if (familyMatches && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      location.file = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(match, FC_INDEX, 0, &location.index);
    }
    FcPatternDestroy(match);
  }
  if (location.file.empty())
    throw std::runtime_error("no font file or fontconfig family named \"" + fileOrFamily + "\"");
  return location;
}

struct GlyphRasterizer::Library {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

GlyphRasterizer::GlyphRasterizer(const FaceLocation& location) : library_(new Library) {
  if (FT_Init_FreeType(&library_->library) != 0) {
    delete library_;
    throw std::runtime_error("FreeType could not start");
  }
  if (FT_New_Face(library_->library, location.file.c_str(), location.index, &library_->face) != 0 ||
      !FT_IS_SCALABLE(library_->face)) {
    FT_Done_FreeType(library_->library);
    delete library_;
    throw std::runtime_error("FreeType cannot use " + location.file + " as a scalable face");
  }
}

GlyphRasterizer::~GlyphRasterizer() {
  FT_Done_Face(library_->face);
  FT_Done_FreeType(library_->library);
  delete library_;
}

void GlyphRasterizer::setPixelHeight(std::uint32_t pixelHeight) {
  if (FT_Set_Pixel_Sizes(library_->face, 0, pixelHeight) != 0)
    throw std::runtime_error("FreeType cannot size the face to " + std::to_string(pixelHeight) + " pixels");
  pixelHeight_ = pixelHeight;
  baseline_ = scaleRounded(library_->face->ascender, pixelHeight, library_->face->units_per_EM);
}

std::uint32_t GlyphRasterizer::descent() const {
  const std::int64_t descent = scaleRounded(-library_->face->descender, pixelHeight_, library_->face->units_per_EM);
  return static_cast<std::uint32_t>(std::max<std::int64_t>(descent, 0));
}

RasterGlyph GlyphRasterizer::draw(char32_t codePoint) {
  FT_Face face = library_->face;
  const FT_UInt glyphIndex = FT_Get_Char_Index(face, codePoint);
  if (glyphIndex == 0) return {};
  // Monochrome from the outlines: no anti-aliasing, no embedded bitmaps.
  if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME | FT_LOAD_NO_BITMAP) != 0 ||
      face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
    return {};
  const FT_GlyphSlot slot = face->glyph;
  const std::int64_t advance = std::clamp<std::int64_t>((slot->advance.x + 32) >> 6, 0, 0xFFFF);
  RasterGlyph glyph;
  glyph.width = static_cast<std::uint16_t>(advance);
  if (glyph.width == 0) return glyph;  // nothing to draw

  const std::uint32_t rowBytes = bitmapRowBytes(glyph.width);
  glyph.bitmap.assign(static_cast<std::size_t>(rowBytes) * pixelHeight_, 0);
  const FT_Bitmap& source = slot->bitmap;
  for (unsigned int j = 0; j < source.rows; ++j) {
    const std::int64_t cellRow = baseline_ - slot->bitmap_top + j;  // from the top of the cell
    if (cellRow < 0 || cellRow >= pixelHeight_) continue;
    const unsigned char* sourceRow = source.buffer + static_cast<std::ptrdiff_t>(j) * source.pitch;
    std::uint8_t* row = glyph.bitmap.data() + static_cast<std::size_t>(pixelHeight_ - 1 - cellRow) * rowBytes;
    for (unsigned int i = 0; i < source.width; ++i) {
      if (!(sourceRow[i >> 3] & (0x80 >> (i & 7)))) continue;
      const std::int64_t x = slot->bitmap_left + static_cast<std::int64_t>(i);
      if (x < 0 || x >= glyph.width) continue;  // ink outside the advance is clipped
      row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
    }
  }
  return glyph;
}

}  // namespace tamblet::font
