// One face drawn monochrome with FreeType at a pixel height, glyph by glyph, into the library's
// bitmap layout: a cell as high as the pixel height and as wide as the glyph's advance, the
// baseline where the face's ascender puts it, rows bottom first, leftmost pixel in the high bit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblet::font {

// Where a face is: a font file, or the family name fontconfig finds a file for.
struct FaceLocation {
  std::string file;
  int index = 0;  // face within the file
};

// A face file as given, or the file of the fontconfig family of that name. Throws
// std::runtime_error when neither exists (fontconfig's nearest other family is not taken).
FaceLocation locateFace(const std::string& fileOrFamily);

struct RasterGlyph {
  std::uint16_t width = 0;            // advance in pixels
  std::vector<std::uint8_t> bitmap;   // pixel height × row bytes; empty when the face lacks it
};

class GlyphRasterizer {
 public:
  explicit GlyphRasterizer(const FaceLocation& location);  // throws std::runtime_error
  ~GlyphRasterizer();
  GlyphRasterizer(const GlyphRasterizer&) = delete;
  GlyphRasterizer& operator=(const GlyphRasterizer&) = delete;

  void setPixelHeight(std::uint32_t pixelHeight);  // throws std::runtime_error
  // Below the baseline, in pixels: the face's descender at this height, rounded.
  std::uint32_t descent() const;
  // Draws one code point; a code point without a glyph gives width 0 and no bitmap.
  RasterGlyph draw(char32_t codePoint);

 private:
  struct Library;
  Library* library_;
  std::uint32_t pixelHeight_ = 0;
  std::int64_t baseline_ = 0;  // rows from the top of the cell
};

}  // namespace tamblet::font
