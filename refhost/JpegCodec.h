// JPEG through libjpeg-turbo: grey and colour (YCbCr, RGB) JPEG files into pixel-only 32-bit
// B, G, R, A surfaces with byte 3 at 255.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/Surface.h"

namespace refhost {

// True when the bytes start with a JPEG start-of-image marker followed by another marker.
bool isJpeg(const std::uint8_t* data, std::size_t size);

// Null for truncated or corrupt data (anything libjpeg warns about), colour spaces other than
// grey and colour, oversized images, and progressive files with an absurd number of scans; the
// reason (libjpeg's text, "bad header", "too large", ...) goes to `why` when given.
tamblet::ISurface* decodeJpeg(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                              std::string* why = nullptr);

}  // namespace refhost
