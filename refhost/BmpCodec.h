// Windows bitmap files, decoded by hand: no maintained library reads them all safely.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/Surface.h"

namespace refhost {

// True when the bytes start with "BM".
bool isBmp(const std::uint8_t* data, std::size_t size);

// Uncompressed bitmaps with the 12-byte core header or the 40-, 52-, 56-, 108- and 124-byte info
// headers: 1, 4 and 8 bits through a palette; 16 bits (5-5-5 by default, any masks with
// BI_BITFIELDS or BI_ALPHABITFIELDS); 24 bits; 32 bits (B, G, R and byte 3, or masks); rows
// bottom-up or top-down. Images whose alpha channel (byte 3 of 32-bit pixels, or an alpha mask)
// has any non-zero value become surfaces with alpha map; all others pixel-only with alpha 255.
// Run-length compressed, truncated, oversized or malformed files give null; nothing is read
// outside the given bytes. On failure `why`, when given, receives the reason ("truncated", "bad
// header", "too large", ...).
tamblet::ISurface* decodeBmp(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                             std::string* why = nullptr);

}  // namespace refhost
