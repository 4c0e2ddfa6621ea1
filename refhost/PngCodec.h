// PNG through libpng: decoding any PNG into a 32-bit B, G, R, A surface, and encoding a 32-bit
// surface into a complete PNG file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "host/Surface.h"
#include "refhost/MemoryBlock.h"

namespace refhost {

// True when the bytes start with the PNG signature.
bool isPng(const std::uint8_t* data, std::size_t size);

// Palette, grey, grey + alpha, RGB and RGBA at every bit depth, interlaced or not, with tRNS.
// An image with any alpha information (an alpha channel or tRNS) becomes a surface with alpha
// map, any other a pixel-only surface with byte 3 at 255. Truncated, corrupt (any checksum
// error) or oversized files give null, with the reason in `why` when given ("truncated", "too
// large", or libpng's text such as "IHDR: CRC error").
tamblet::ISurface* decodePng(const std::uint8_t* data, std::size_t size, tamblet::ISurfaceFactory& factory,
                             std::string* why = nullptr);

// The PNG file of a 32-bit surface with a pixel plane: 8-bit RGBA when the surface has an alpha
// map (alpha from byte 3), 8-bit RGB otherwise. Null for any other surface or on failure.
MemoryBlock* encodePng(tamblet::ISurface& surface);

}  // namespace refhost
