// The two metric queries of text styles: the descent and the width of a character. System-face
// types answer from the character box; font-library types (0x100 and above) from the library's
// size record at the style's supersampled pixel height.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/FontLibrary.h"
#include "text/TextStyle.h"

namespace tamblet {

// The descent in pixels: 0 for system faces; for a library face its size record's descent / 4.
// False (out untouched) when the library does not load or has no such face or size.
bool fontDescent(FontLibrary& library, const TextStyle& style, std::int32_t& out);

// The width in pixels a text sprite of `text` takes, margins of bold and edge included. For a
// library face without the file, size or glyph, out is the system-face width and the answer false.
bool fontWidth(FontLibrary& library, std::string_view text, const TextStyle& style, std::int32_t& out);

// The supersampled pixel height of library glyphs for a text size, or nothing when the size is
// below 1 or its height does not fit 32 bits (no size record matches such a size).
std::optional<std::uint32_t> libraryPixelHeight(std::int32_t size);

}  // namespace tamblet
