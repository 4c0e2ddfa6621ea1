// The font library file "Font.fnl" as tamblet-font writes and reads it: faces of size records of
// glyph records, each glyph a one-bit bitmap kept as a zlib stream. README.md describes the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tamblet::font {

struct GlyphImage {
  std::uint16_t width = 0;             // pixels; 0 with no image for a character the face lacks
  std::vector<std::uint8_t> compressed;  // zlib stream of the bitmap; empty: no image
};

struct SizeImages {
  std::uint32_t pixelHeight = 0;
  std::uint32_t descent = 0;
  std::vector<GlyphImage> glyphs;  // in glyph-index order
};

struct FontFile {
  std::vector<std::vector<SizeImages>> faces;
};

// Bytes of a bitmap row: ⌈width / 8⌉ rounded up to a multiple of 4.
std::uint32_t bitmapRowBytes(std::uint32_t width);

// Makes zlib streams of bitmaps at the strongest level (the same bytes on every run), reusing
// one deflate state so that thousands of small glyphs do not each set up their own.
class BitmapCompressor {
 public:
  BitmapCompressor();  // throws std::runtime_error
  ~BitmapCompressor();
  BitmapCompressor(const BitmapCompressor&) = delete;
  BitmapCompressor& operator=(const BitmapCompressor&) = delete;

  std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& bitmap);

 private:
  struct Stream;
  Stream* stream_;
};

// The whole file: header, index, then the images, each distinct image stored once. Throws
// std::runtime_error when the images do not fit 32-bit offsets.
std::vector<std::uint8_t> encodeFontFile(const FontFile& file);

// Reads a whole file back; throws std::runtime_error naming the first fault (header, a count
// beyond the index, an image outside the file).
FontFile decodeFontFile(const std::vector<std::uint8_t>& bytes);

// Unpacks one glyph image into exactly pixelHeight × row bytes; false when the stream is damaged
// or does not fill the bitmap exactly.
bool decompressBitmap(const GlyphImage& glyph, std::uint32_t pixelHeight, std::vector<std::uint8_t>& bitmap);

}  // namespace tamblet::font
