// A rectangle of destination pixels, (x, y, width, height) like every rectangle of the engine: the
// regions a partial pass redraws and the parts of the screen a sprite can reach. Sums are taken in
// 64 bits, so rectangles at the ends of the 32-bit range neither overflow nor wrap.
#pragma once

#include <algorithm>
#include <cstdint>

namespace tamblet {

struct PixelRect {
  std::int32_t x = 0, y = 0, width = 0, height = 0;

  std::int64_t right() const { return std::int64_t{x} + width; }
  std::int64_t bottom() const { return std::int64_t{y} + height; }
  bool empty() const { return width <= 0 || height <= 0; }
  std::int64_t area() const { return empty() ? 0 : std::int64_t{width} * height; }

  // The rectangle [left, right) x [top, bottom) cut to `bounds`; empty when nothing remains.
  static PixelRect spanning(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                            const PixelRect& bounds) {
    left = std::max<std::int64_t>(left, bounds.x), top = std::max<std::int64_t>(top, bounds.y);
    right = std::min(right, bounds.right()), bottom = std::min(bottom, bounds.bottom());
    if (left >= right || top >= bottom) return {};
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(right - left),
            static_cast<std::int32_t>(bottom - top)};
  }

  // Both non-empty and sharing at least one pixel.
  bool overlaps(const PixelRect& other) const {
    return !empty() && !other.empty() && x < other.right() && other.x < right() && y < other.bottom() &&
           other.y < bottom();
  }

  PixelRect intersection(const PixelRect& other) const {
    return spanning(other.x, other.y, other.right(), other.bottom(), *this);
  }

  // The smallest rectangle holding both; an empty one adds nothing.
  PixelRect hull(const PixelRect& other) const {
    if (empty()) return other;
    if (other.empty()) return *this;
    const std::int64_t left = std::min(x, other.x), top = std::min(y, other.y);
    const std::int64_t r = std::max(right(), other.right()), b = std::max(bottom(), other.bottom());
    return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top), static_cast<std::int32_t>(r - left),
            static_cast<std::int32_t>(b - top)};
  }

  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

}  // namespace tamblet
