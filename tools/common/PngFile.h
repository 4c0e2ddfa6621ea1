// Writing pictures as PNG files with libpng: 8-bit RGB (or RGBA), no time stamp or other chunk
// that would change from run to run, so the same picture always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/Image.h"

namespace tamblet::tools {

// False (with the reason in `why`) when the file cannot be written.
bool writePng(const std::string& path, const Image& image, std::string* why);

// `channels` is 3 (RGB) or 4 (RGBA); rows top-down without padding.
bool writePngPixels(const std::string& path, std::int32_t width, std::int32_t height, int channels,
                    const std::uint8_t* pixels, std::string* why);

}  // namespace tamblet::tools
