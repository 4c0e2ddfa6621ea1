#include "refhost/RasterClip.h"

#include <algorithm>

namespace refhost {
namespace {

// Clips one axis of a copy: moves both starts past the negative parts, then cuts the length to
// what both sides hold. Returns the length (<= 0 when nothing is left).
std::int64_t clipAxis(std::int64_t& destination, std::int64_t& source, std::int64_t length,
                      std::int64_t destinationSize, std::int64_t sourceSize) {
  if (destination < 0) {
    source -= destination;
    length += destination;
    destination = 0;
  }
  if (source < 0) {
    destination -= source;
    length += source;
    source = 0;
  }
  return std::min({length, destinationSize - destination, sourceSize - source});
}

}  // namespace

bool clipArea(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t surfaceWidth,
              std::int32_t surfaceHeight, ClippedArea& area) {
  ClippedCopy copy;
  if (!clipCopy(x, y, x, y, width, height, surfaceWidth, surfaceHeight, surfaceWidth, surfaceHeight, copy)) {
    return false;
  }
  area = {copy.dx, copy.dy, copy.width, copy.height};
  return true;
}

bool clipCopy(std::int32_t dx, std::int32_t dy, std::int32_t sx, std::int32_t sy, std::int32_t width,
              std::int32_t height, std::int32_t destinationWidth, std::int32_t destinationHeight,
              std::int32_t sourceWidth, std::int32_t sourceHeight, ClippedCopy& copy) {
  std::int64_t x0 = dx, y0 = dy, x1 = sx, y1 = sy;
  const std::int64_t w = clipAxis(x0, x1, width, destinationWidth, sourceWidth);
  const std::int64_t h = clipAxis(y0, y1, height, destinationHeight, sourceHeight);
  if (w <= 0 || h <= 0) return false;
  // Every value now lies within the surfaces' sizes, so it fits 32 bits.
  copy = {static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0), static_cast<std::int32_t>(x1),
          static_cast<std::int32_t>(y1), static_cast<std::int32_t>(w),  static_cast<std::int32_t>(h)};
  return true;
}

}  // namespace refhost
