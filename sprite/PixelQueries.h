// Hit tests and single-pixel reads on a sprite's own surface, in surface pixels: the view offset,
// surface area, transform corners and show flag play no part. `record` may be null (an absent
// sprite). Pixels are read only from a surface with a pixel plane, 32 bits per pixel and a pixel
// address, and only inside its width and height, so no query reads past a row.
#pragma once

#include <cstdint>

#include "sprite/SpriteRecord.h"

namespace tamblet {

// True when (x, y) lies in the sprite's rectangle (position, surface size) and, for a surface with
// an alpha map, the pixel there has an alpha above 0. An alpha map that cannot be read is a miss.
bool isPointIn(const SpriteRecord* record, std::int32_t x, std::int32_t y);

// True when (x, y) lies in the sprite's rectangle.
bool isPointInRect(const SpriteRecord* record, std::int32_t x, std::int32_t y);

// The alpha (0..255) of surface pixel (x, y), or −1 when there is none to read.
std::int32_t aMapValue(const SpriteRecord* record, std::int32_t x, std::int32_t y);

// Writes the colour of surface pixel (x, y) and answers true; answers false and writes nothing
// when there is none to read.
bool pixelValue(const SpriteRecord* record, std::int32_t x, std::int32_t y, std::int32_t& r, std::int32_t& g,
                std::int32_t& b);

}  // namespace tamblet
