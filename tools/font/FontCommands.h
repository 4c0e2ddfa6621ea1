// The commands of tamblet-font. Each prints what it did to `out` and any failure, as one line
// starting with "tamblet-font: ", to `err`, and returns the process exit code (0 or 1).
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace tamblet::font {

// Text sizes a library can be built for: its glyphs are 4 × size pixels high.
inline constexpr std::int32_t kMinTextSize = 1;
inline constexpr std::int32_t kMaxTextSize = 2000;
inline constexpr std::uint32_t kSupersample = 4;

// Builds `output` with one face per entry of `faces` (font files or fontconfig families), each
// with one size record per text size, over the whole glyph index range.
int buildLibrary(const std::string& output, const std::vector<std::string>& faces, const std::vector<std::int32_t>& sizes,
                 std::ostream& out, std::ostream& err);

// Lists faces, size records (pixel height, descent), glyph counts and how many glyphs have ink.
int dumpLibrary(const std::string& input, std::ostream& out, std::ostream& err);

}  // namespace tamblet::font
