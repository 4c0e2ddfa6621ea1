// The font library "Font.fnl": faces of glyph bitmaps at fixed pixel heights, read lazily from
// the file whose path start-up sets. Glyph images are compressed and unpacked through the host's
// compression module. Pixel heights and widths are in supersampled pixels (CharacterBox.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/Memory.h"
#include "host/Ref.h"
#include "platform/Files.h"

namespace tamblet {

// One glyph as read from the file: a one-bit bitmap, bottom row first, leftmost pixel in the
// high bit of a row's first byte, a set bit is ink.
struct LibraryGlyph {
  std::uint32_t width = 0;        // supersampled pixels
  std::uint32_t descent = 0;      // of the size record it came from
  std::uint32_t pixelHeight = 0;  // rows in the bitmap
  std::uint32_t rowBytes = 0;     // ⌈width / 8⌉ rounded up to a multiple of 4
  std::vector<std::uint8_t> bitmap;  // pixelHeight × rowBytes
};

// The code a text asks the library for: a one-byte text gives that byte, a two-byte text
// (first byte × 256 + second byte), any other length 0 (which has no glyph).
std::uint32_t libraryCharacterCode(std::string_view text);

class FontLibrary {
 public:
  struct GlyphRecord {
    std::uint32_t width = 0;
    std::uint32_t imageOffset = 0;
    std::uint32_t imageSize = 0;
  };
  struct SizeRecord {
    std::uint32_t pixelHeight = 0;
    std::uint32_t descent = 0;
    std::vector<GlyphRecord> glyphs;  // in glyph-index order
  };

  FontLibrary();
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  void setPath(std::string sjisPath);
  const std::string& path() const { return path_; }

  // Loads the file unless it is already open. A file that cannot be opened is tried again on the
  // next call; one that opened but failed to load stays open and empty (no further attempt).
  // True when the library holds a loaded index.
  bool ensureLoaded();

  // Every face's size records, as read from the index (empty until a load succeeds).
  const std::vector<std::vector<SizeRecord>>& faces() const { return faces_; }

  // The size record of `pixelHeight` in face `face`, or null (no face, no such record).
  const SizeRecord* findSizeRecord(std::int32_t face, std::uint32_t pixelHeight) const;

  // Reads and unpacks one glyph of a loaded library. False when the face, size record or glyph
  // is missing, the image lies outside the file, or reading or unpacking fails.
  bool readGlyph(std::int32_t face, std::uint32_t pixelHeight, std::uint32_t code, LibraryGlyph& glyph);

  // Closes the file, releases the decompressor and forgets the index (teardown).
  void clear();

  // The glyph index of a character code, or −1 when the code has none.
  static std::int32_t glyphIndex(std::uint32_t code);

 private:
  bool load();

  std::string path_;
  platform::ReadOnlyFile file_;
  bool attempted_ = false;  // the file opened once: no further load is tried
  bool loaded_ = false;     // the index was read whole
  std::uint64_t fileSize_ = 0;
  std::vector<std::vector<SizeRecord>> faces_;
  Ref<ICompression> decompressor_;
  std::vector<std::uint8_t> imageBuffer_;   // compressed bytes of the glyph being read
  std::vector<std::uint8_t> bitmapBuffer_;  // what they unpack to
};

}  // namespace tamblet
