#include "present/DirtyRegions.h"

#include <algorithm>

namespace tamblet {

void DirtyRegions::forget() noexcept {
  damage_.reset(0, 0);
  drawn_.forget();
  plane_ = nullptr;
  pitch_ = 0;
}

void DirtyRegions::invalidateRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) noexcept {
  damage_.add(x, y, width, height);
}

bool DirtyRegions::present(SceneCompositor& compositor, IMainSurface& screen,
                           const SpriteTableBlock& sprites) noexcept {
  const std::int32_t width = screen.GetWidth(), height = screen.GetHeight();
  const std::uint8_t* plane = screen.GetPixelAddress(0, 0);
  const std::int32_t pitch = screen.GetPitch();
  if (damage_.screen() != PixelRect{0, 0, std::max(width, 0), std::max(height, 0)}) damage_.reset(width, height);
  if (plane != plane_ || pitch != pitch_) damage_.addScreen();
  drawn_.update(sprites.liveTable, {sprites.viewOffsetX, sprites.viewOffsetY}, damage_);

  const bool whole = damage_.full();
  const std::span<const PixelRect> damaged = damage_.rects();
  const std::size_t count = damaged.size();
  std::copy(damaged.begin(), damaged.end(), presenting_.begin());
  damage_.clear();

  bool drawn = true;
  if (whole) {
    drawn = compositor.compose(sprites.liveTable, &screen);
  } else if (count > 0) {
    drawn = compositor.composeLiveRegions(&screen, {presenting_.data(), count});
  }
  if (!drawn) {
    damage_.addScreen();
    return false;
  }
  plane_ = plane;
  pitch_ = pitch;
  if (whole) {
    screen.BlitToWindow(0, 0, width, height);
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      const PixelRect& rect = presenting_[i];
      screen.BlitToWindow(rect.x, rect.y, rect.width, rect.height);
    }
  }
  return true;
}

}  // namespace tamblet
