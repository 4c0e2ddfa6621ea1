// Clipping of raster rectangles to the surfaces they touch. Arguments may be anything a script
// passes (negative, INT_MIN, INT_MAX): the arithmetic runs in 64 bits and the result lies inside.
#pragma once

#include <cstdint>

namespace refhost {

struct ClippedArea {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
};

struct ClippedCopy {
  std::int32_t dx = 0, dy = 0, sx = 0, sy = 0, width = 0, height = 0;
};

// The part of (x, y, width, height) inside a surface of the given size; false when empty.
bool clipArea(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t surfaceWidth,
              std::int32_t surfaceHeight, ClippedArea& area);

// The part of a width × height block, taken at (sx, sy) in the source and put at (dx, dy) in the
// destination, that lies inside both surfaces; false when empty.
bool clipCopy(std::int32_t dx, std::int32_t dy, std::int32_t sx, std::int32_t sy, std::int32_t width,
              std::int32_t height, std::int32_t destinationWidth, std::int32_t destinationHeight,
              std::int32_t sourceWidth, std::int32_t sourceHeight, ClippedCopy& copy);

}  // namespace refhost
