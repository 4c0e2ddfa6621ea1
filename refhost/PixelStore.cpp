#include "refhost/PixelStore.h"

#include <utility>

namespace refhost {
namespace {

std::int64_t roundUpTo16(std::int64_t bytes) {
  return (bytes + 15) / 16 * 16;
}

// calloc gives zeroed memory aligned to 16 bytes, so with 16-byte pitches every row is aligned.
std::uint8_t* zeroedBytes(std::int64_t pitch, std::int64_t rows) {
  return static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(rows), static_cast<std::size_t>(pitch)));
}

}  // namespace

bool PixelStore::allocate(std::int32_t width, std::int32_t height, std::int32_t bpp, Planes planes) {
  *this = PixelStore();
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  if (planes == Planes::AlphaOnly) bpp = 8;
  if (bpp != 8 && bpp != 32) return false;

  const bool pixels = planes != Planes::AlphaOnly;
  const bool alphaPlane = planes == Planes::AlphaOnly || (planes == Planes::PixelsAndAlpha && bpp == 8);
  // Sizes are bounded by kMaxSide, so 64-bit arithmetic cannot overflow and every pitch fits 32 bits.
  const std::int64_t pitch = pixels ? roundUpTo16(std::int64_t{width} * (bpp / 8)) : 0;
  const std::int64_t alphaPitch = alphaPlane ? roundUpTo16(width) : 0;

  Bytes pixelBytes(pixels ? zeroedBytes(pitch, height) : nullptr);
  Bytes alphaBytes(alphaPlane ? zeroedBytes(alphaPitch, height) : nullptr);
  if ((pixels && !pixelBytes) || (alphaPlane && !alphaBytes)) return false;

  pixels_ = std::move(pixelBytes);
  alpha_ = std::move(alphaBytes);
  width_ = width;
  height_ = height;
  bpp_ = bpp;
  pitch_ = static_cast<std::int32_t>(pitch);
  alphaPitch_ = static_cast<std::int32_t>(alphaPitch);
  hasAlphaMap_ = planes != Planes::PixelsOnly;
  return true;
}

std::uint8_t* PixelStore::pixelAddress(std::int32_t x, std::int32_t y) const {
  if (!pixels_) return nullptr;
  return pixels_.get() + std::int64_t{y} * pitch_ + std::int64_t{x} * (bpp_ / 8);
}

std::uint8_t* PixelStore::alphaAddress(std::int32_t x, std::int32_t y) const {
  if (!alpha_) return nullptr;
  return alpha_.get() + std::int64_t{y} * alphaPitch_ + x;
}

}  // namespace refhost
