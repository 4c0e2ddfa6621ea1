// The scene compositor: draws a whole sprite table into one surface in software. Each pass fills the destination
// with black, then draws the table's draw list back to front, choosing one blend kernel per sprite; it serves the
// software view (live table into the main surface), software transitions (back scene and live table) and
// SP_RenderView (live table into a sprite's own surface).
#pragma once

#include <cstdint>
#include <vector>

#include "host/Modules.h"
#include "host/Surface.h"
#include "sprite/SpriteTable.h"
#include "sprite/SpriteTableBlock.h"

namespace tamblet {

class SceneCompositor {
 public:
  SceneCompositor() = default;
  SceneCompositor(const SceneCompositor&) = delete;
  SceneCompositor& operator=(const SceneCompositor&) = delete;

  // The raster operations (for the clearing fill) and the sprite-table block, neither owned. Until a block is set
  // every pass answers false.
  void setUp(IGraph3* raster, SpriteTableBlock* sprites) noexcept;

  // One pass of `table` into `destination`. When `table` is the block's live table the pass stores its two pixel
  // counters; a pass over any other table (the back scene) leaves them. False without a block or raster
  // operations, for a destination that is not a 32-bit pixel surface, or when the draw list cannot be built;
  // sprites that cannot be drawn are skipped silently.
  bool compose(const SpriteTable& table, ISurface* destination) noexcept;

  // Draws the live table into sprite `spriteNumber`'s own surface, made private first (copy-on-write). False when
  // the sprite is absent, has no surface, the copy cannot be made or its surface has no 32-bit pixels.
  bool renderView(std::int32_t spriteNumber) noexcept;

  // Pixels written by plain copies (the clearing fill included) and by blending kernels in the last pass over the
  // live table. 64 bits: a pass over large surfaces can exceed the 32-bit range.
  std::int64_t copyPixels() const { return copyPixels_; }
  std::int64_t blendPixels() const { return blendPixels_; }

  // A surface as the pass uses it (defined with the pass).
  struct Target;

 private:
  void drawNormal(const SpriteRecord& record, const Target& target, std::int64_t offsetX, std::int64_t offsetY,
                  bool simd, std::int64_t& copyPixels, std::int64_t& blendPixels) const;
  void drawTransformed(const SpriteRecord& record, const Target& target, bool simd) const;

  IGraph3* raster_ = nullptr;
  SpriteTableBlock* sprites_ = nullptr;
  std::vector<SpriteRecord*> drawList_;  // reused from pass to pass: no allocation once it is large enough
  std::int64_t copyPixels_ = 0;
  std::int64_t blendPixels_ = 0;
};

}  // namespace tamblet
