// The software view's dirty regions: a presentation in which a frame recomposes only what changed since the last
// presented one. The changes of drawn sprites (DrawnScene) and the rectangles the host reports through the
// dirty-rectangle sink become a few rectangles (DamageRects); only they are cleared, redrawn and handed to the host.
// Anything that drew the screen another way (a transition, another view) makes the next frame whole. Off by default:
// a host that draws into the main surface without reporting it needs the whole redraw of every frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "compose/CAddInvalidateRect.h"
#include "compose/SceneCompositor.h"
#include "host/Surface.h"
#include "present/DamageRects.h"
#include "present/DrawnScene.h"
#include "sprite/SpriteTableBlock.h"

namespace tamblet {

class DirtyRegions final : public CAddInvalidateRect::Receiver {
 public:
  // The next frame is drawn whole.
  void invalidateAll() noexcept { damage_.addScreen(); }
  // Forgets everything, as at start-up: the next frame is drawn whole.
  void forget() noexcept;

  // A rectangle the host drew into the main surface: redrawn with the next frame. Negative and empty sizes add
  // nothing; what lies off the screen is cut off.
  void invalidateRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) noexcept override;

  // Draws the live table into the main surface where it changed and calls BlitToWindow once per redrawn rectangle
  // (none when nothing changed). False when the compositor could not draw; the next frame is then drawn whole.
  bool present(SceneCompositor& compositor, IMainSurface& screen, const SpriteTableBlock& sprites) noexcept;

 private:
  DamageRects damage_;
  DrawnScene drawn_;
  // The main surface's pixel plane as last drawn: another plane holds none of our pixels.
  const std::uint8_t* plane_ = nullptr;
  std::int32_t pitch_ = 0;
  // The rectangles of the frame being presented: reports that arrive meanwhile belong to the next frame.
  std::array<PixelRect, DamageRects::kMaxRects> presenting_{};
};

}  // namespace tamblet
