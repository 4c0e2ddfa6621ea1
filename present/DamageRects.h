// The damaged part of the screen between two presented frames, as a small set of disjoint rectangles. A rectangle
// that overlaps others is merged with them; past the bound the cheapest pair to join is merged, so any number of
// changes costs a fixed amount of memory; above a share of the screen the set gives way to the whole screen, which
// one whole pass draws for about the same cost and the host gets as one rectangle.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "compose/PixelRect.h"

namespace tamblet {

class DamageRects {
 public:
  static constexpr std::size_t kMaxRects = 16;
  // Damage above this share of the screen (in 1/256) becomes the whole screen.
  static constexpr std::int64_t kFullScreenShare = 128;

  // A screen of `width` x `height` pixels, wholly damaged (nothing is known to be on it yet).
  void reset(std::int32_t width, std::int32_t height);

  // Damages [x, x + width) x [y, y + height), cut to the screen; rectangles with no pixel on it add nothing.
  // 64-bit arguments: any 32-bit position plus any 32-bit size is taken as it is meant.
  void add(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height);
  void add(const PixelRect& rect) { add(rect.x, rect.y, rect.width, rect.height); }
  void addScreen() { full_ = true; }

  // Nothing damaged / the whole screen damaged.
  bool clean() const { return !full_ && count_ == 0; }
  bool full() const { return full_; }
  const PixelRect& screen() const { return screen_; }
  // The damage: disjoint rectangles inside the screen, or the screen itself when full().
  std::span<const PixelRect> rects() const;

  // Nothing damaged.
  void clear();

 private:
  void insert(PixelRect rect);
  void removeAt(std::size_t index);

  PixelRect screen_;
  std::array<PixelRect, kMaxRects> rects_{};
  std::size_t count_ = 0;
  std::int64_t area_ = 0;  // sum of the rectangles' areas (they are disjoint)
  bool full_ = true;
};

}  // namespace tamblet
