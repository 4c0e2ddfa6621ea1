#include "present/DamageRects.h"

#include <algorithm>
#include <limits>

namespace tamblet {

void DamageRects::reset(std::int32_t width, std::int32_t height) {
  screen_ = {0, 0, std::max(width, 0), std::max(height, 0)};
  count_ = 0;
  area_ = 0;
  full_ = true;
}

void DamageRects::clear() {
  count_ = 0;
  area_ = 0;
  full_ = false;
}

std::span<const PixelRect> DamageRects::rects() const {
  if (full_) return {&screen_, screen_.empty() ? 0u : 1u};
  return {rects_.data(), count_};
}

void DamageRects::add(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
  if (full_ || width <= 0 || height <= 0) return;
  // Far outside the screen is as good as just outside it; the limit keeps x + width inside 64 bits.
  constexpr std::int64_t kFar = std::int64_t{1} << 40;
  x = std::clamp(x, -kFar, kFar), y = std::clamp(y, -kFar, kFar);
  width = std::min(width, kFar), height = std::min(height, kFar);
  const PixelRect rect = PixelRect::spanning(x, y, x + width, y + height, screen_);
  if (!rect.empty()) insert(rect);
}

void DamageRects::insert(PixelRect rect) {
  for (;;) {
    // Swallow every rectangle it overlaps; a grown rectangle can reach further ones, so look again after each.
    for (std::size_t i = 0; i < count_;) {
      if (rects_[i].overlaps(rect)) {
        rect = rect.hull(rects_[i]);
        removeAt(i);
        i = 0;
      } else {
        ++i;
      }
    }
    if (count_ < kMaxRects) break;
    // The set is at its bound: join the rectangle with the one whose hull adds the fewest pixels, and place the
    // hull like a new rectangle (it may overlap others now). Each round removes one, so this ends.
    std::size_t best = 0;
    std::int64_t bestGrowth = std::numeric_limits<std::int64_t>::max();
    for (std::size_t i = 0; i < count_; ++i) {
      const std::int64_t growth = rect.hull(rects_[i]).area() - rects_[i].area();
      if (growth < bestGrowth) best = i, bestGrowth = growth;
    }
    rect = rect.hull(rects_[best]);
    removeAt(best);
  }
  rects_[count_++] = rect;
  area_ += rect.area();
  if (area_ * 256 > screen_.area() * kFullScreenShare) full_ = true;
}

void DamageRects::removeAt(std::size_t index) {
  area_ -= rects_[index].area();
  rects_[index] = rects_[--count_];
}

}  // namespace tamblet
