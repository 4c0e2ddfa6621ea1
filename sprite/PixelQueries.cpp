#include "sprite/PixelQueries.h"

namespace tamblet {

namespace {

constexpr int kBlueByte = 0, kGreenByte = 1, kRedByte = 2, kAlphaByte = 3;

// The four bytes of surface pixel (x, y), or null when the point lies outside the surface or the
// surface has no readable 32-bit pixel plane.
const std::uint8_t* readablePixel(ISurface* surface, std::int32_t x, std::int32_t y) {
  if (x < 0 || y < 0 || x >= surface->GetWidth() || y >= surface->GetHeight()) return nullptr;
  if (!surface->HasPixel() || surface->GetBpp() != 32) return nullptr;
  return surface->GetPixelAddress(x, y);
}

// Whether (x, y) lies in [sx, sx + w) × [sy, sy + h), the sums taken in 64 bits.
bool insideRect(ISurface* surface, std::int64_t sx, std::int64_t sy, std::int64_t x, std::int64_t y) {
  return x >= sx && y >= sy && x < sx + surface->GetWidth() && y < sy + surface->GetHeight();
}

}  // namespace

bool isPointIn(const SpriteRecord* record, std::int32_t x, std::int32_t y) {
  if (!isPointInRect(record, x, y)) return false;
  ISurface* surface = record->surface.get();
  if (!surface->HasAMap()) return true;
  // Inside the rectangle, so both differences fit in 32 bits.
  const auto px = static_cast<std::int32_t>(std::int64_t{x} - record->x);
  const auto py = static_cast<std::int32_t>(std::int64_t{y} - record->y);
  const std::uint8_t* pixel = readablePixel(surface, px, py);
  return pixel && pixel[kAlphaByte] != 0;
}

bool isPointInRect(const SpriteRecord* record, std::int32_t x, std::int32_t y) {
  return record && record->surface && insideRect(record->surface.get(), record->x, record->y, x, y);
}

std::int32_t aMapValue(const SpriteRecord* record, std::int32_t x, std::int32_t y) {
  if (!record || !record->surface || !record->surface->HasAMap()) return -1;
  const std::uint8_t* pixel = readablePixel(record->surface.get(), x, y);
  return pixel ? pixel[kAlphaByte] : -1;
}

bool pixelValue(const SpriteRecord* record, std::int32_t x, std::int32_t y, std::int32_t& r, std::int32_t& g,
                std::int32_t& b) {
  if (!record || !record->surface) return false;
  const std::uint8_t* pixel = readablePixel(record->surface.get(), x, y);
  if (!pixel) return false;
  r = pixel[kRedByte];
  g = pixel[kGreenByte];
  b = pixel[kBlueByte];
  return true;
}

}  // namespace tamblet
