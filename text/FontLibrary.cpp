// Placeholder until the reader lands: no library is ever loaded.
#include "text/FontLibrary.h"

namespace tamblet {

std::uint32_t libraryCharacterCode(std::string_view text) {
  if (text.size() == 1) return static_cast<unsigned char>(text[0]);
  if (text.size() == 2) return static_cast<unsigned char>(text[0]) * 256u + static_cast<unsigned char>(text[1]);
  return 0;
}

FontLibrary::FontLibrary() = default;
FontLibrary::~FontLibrary() = default;
void FontLibrary::setPath(std::string sjisPath) { path_ = std::move(sjisPath); }
bool FontLibrary::ensureLoaded() { return false; }
const FontLibrary::SizeRecord* FontLibrary::findSizeRecord(std::int32_t, std::uint32_t) const { return nullptr; }
bool FontLibrary::readGlyph(std::int32_t, std::uint32_t, std::uint32_t, LibraryGlyph&) { return false; }
void FontLibrary::clear() {}
std::int32_t FontLibrary::glyphIndex(std::uint32_t) { return -1; }

}  // namespace tamblet
