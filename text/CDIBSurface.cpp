#include "text/CDIBSurface.h"

#include <algorithm>
#include <new>

namespace tamblet {

std::int32_t CDIBSurface::AddRef() {
  return 1;
}

std::int32_t CDIBSurface::Release() {
  Destroy();
  return 0;
}

std::uint8_t* CDIBSurface::GetPixelAddress(std::int32_t x, std::int32_t y) {
  if (!bits_) return nullptr;
  return bits_.get() + static_cast<std::ptrdiff_t>(y) * pitch_ + static_cast<std::ptrdiff_t>(x) * bytesPerPixel_;
}

std::uint8_t* CDIBSurface::GetAMapAddress(std::int32_t, std::int32_t) {
  return nullptr;
}
std::int32_t CDIBSurface::GetWidth() {
  return width_;
}
std::int32_t CDIBSurface::GetHeight() {
  return height_;
}
std::int32_t CDIBSurface::GetBpp() {
  return bitsPerPixel_;
}
std::int32_t CDIBSurface::GetPitch() {
  return pitch_;
}
std::int32_t CDIBSurface::GetAMapPitch() {
  return 0;
}
bool CDIBSurface::HasPixel() {
  return bits_ != nullptr;
}
bool CDIBSurface::HasAMap() {
  return false;
}

bool CDIBSurface::Create(std::int32_t width, std::int32_t height) {
  Destroy();
  if (width < 1 || height < 1) return false;
  const std::int64_t pitch = (std::int64_t{width} + 15) & ~std::int64_t{15};
  const std::int64_t bytes = pitch * (std::int64_t{height} + 1);  // one spare row below the plane
  if (bytes > kMaxBytes) return false;
  bits_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(bytes)]());
  if (!bits_) return false;
  width_ = width;
  height_ = height;
  bitsPerPixel_ = 8;
  bytesPerPixel_ = 1;
  pitch_ = static_cast<std::int32_t>(pitch);
  created_ = true;
  return true;
}

bool CDIBSurface::ensureSize(std::int32_t width, std::int32_t height) {
  if (bits_ && width_ >= width && height_ >= height) return true;
  // Grow in both sides at once, so alternating wide and tall boxes do not recreate it each time.
  return Create(std::max(width, width_), std::max(height, height_));
}

void CDIBSurface::Destroy() {
  bits_.reset();
  width_ = 0;
  height_ = 0;
  bitsPerPixel_ = 0;
  bytesPerPixel_ = 0;
  pitch_ = 0;
  created_ = false;
}

}  // namespace tamblet
