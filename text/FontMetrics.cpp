#include "text/FontMetrics.h"

#include <limits>

#include "text/CharacterBox.h"

namespace tamblet {
namespace {

std::int32_t saturate(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// Box width plus the margin on both sides, in 64 bits so that huge sizes cannot wrap.
std::int32_t widthWithMargins(std::int64_t boxWidth, const TextStyle& style) {
  const PixelAmounts amounts = characterAmounts(style.boldWeight, style.edgeWeight, style.size);
  return saturate(boxWidth + 2 * static_cast<std::int64_t>(amounts.margin));
}

bool isLibraryType(std::int32_t type) { return type >= kLibraryTypeBase; }

// The size record the style draws library glyphs from, loading the library first; null when
// there is none.
const FontLibrary::SizeRecord* styleSizeRecord(FontLibrary& library, const TextStyle& style) {
  const std::optional<std::uint32_t> pixelHeight = libraryPixelHeight(style.size);
  if (!library.ensureLoaded() || !pixelHeight) return nullptr;
  return library.findSizeRecord(style.type - kLibraryTypeBase, *pixelHeight);
}

}  // namespace

std::optional<std::uint32_t> libraryPixelHeight(std::int32_t size) {
  if (size < 1) return std::nullopt;
  const std::uint64_t height = static_cast<std::uint64_t>(size) * kSupersample;
  if (height > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(height);
}

bool fontDescent(FontLibrary& library, const TextStyle& style, std::int32_t& out) {
  if (!isLibraryType(style.type)) {
    out = 0;
    return true;
  }
  const FontLibrary::SizeRecord* record = styleSizeRecord(library, style);
  if (!record) return false;
  out = static_cast<std::int32_t>(record->descent / kSupersample);
  return true;
}

bool fontWidth(FontLibrary& library, std::string_view text, const TextStyle& style, std::int32_t& out) {
  const std::int32_t fallback = widthWithMargins(systemFaceBox(text, style.size).width, style);
  if (!isLibraryType(style.type)) {
    out = fallback;
    return true;
  }
  out = fallback;
  const FontLibrary::SizeRecord* record = styleSizeRecord(library, style);
  const std::int32_t index = FontLibrary::glyphIndex(libraryCharacterCode(text));
  if (!record || index < 0 || static_cast<std::size_t>(index) >= record->glyphs.size()) return false;
  const FontLibrary::GlyphRecord& glyph = record->glyphs[static_cast<std::size_t>(index)];
  // A record without an image is a character the face lacks: the renderer draws the
  // missing-glyph stripes in the system-face box for it, so that is its width too.
  if (glyph.imageSize == 0) return false;
  const std::int64_t boxWidth = (static_cast<std::int64_t>(glyph.width) + kSupersample - 1) / kSupersample;
  out = widthWithMargins(boxWidth, style);
  return true;
}

}  // namespace tamblet
