// The scene compositor: draws a whole sprite table into one surface in software. Each pass fills the destination
// with black, then draws the table's draw list back to front, choosing one blend kernel per sprite; it serves the
// software view (live table into the main surface), software transitions (back scene and live table) and
// SP_RenderView (live table into a sprite's own surface). A partial pass does the same inside a few rectangles
// only, for the software view's dirty regions.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "compose/PixelRect.h"
#include "compose/kernels/KernelTable.h"
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

  // Pixels one pass wrote: by plain copies (the clearing fill included) and by blending kernels. 64 bits: a pass
  // over large surfaces can exceed the 32-bit range.
  struct Counters {
    std::int64_t copyPixels = 0;
    std::int64_t blendPixels = 0;
  };
  // Added to the position of every sprite drawn without a transform (the view offset).
  struct Offset {
    std::int64_t x = 0;
    std::int64_t y = 0;
  };

  // The raster operations (for the clearing fill) and the sprite-table block, neither owned. The block is only
  // needed by the two-argument pass and renderView; until one is set they answer false.
  void setUp(IGraph3* raster, SpriteTableBlock* sprites) noexcept;

  // One pass of `table` into `destination`, alpha clippers looked up in `clippers`; the kernel table of the active
  // path is chosen once for the pass, so each sprite costs one indexed load. The pixel counts go to `counters` when
  // given. False without raster operations, for a destination that is not a 32-bit pixel surface, or when the draw
  // list cannot be built; sprites that cannot be drawn are skipped silently.
  bool compose(const SpriteTable& table, ISurface* destination, const SpriteTable& clippers, Offset offset,
               Counters* counters) noexcept;

  // The same with the block's view offset and `table` as its own clipper table. When `table` is the block's live
  // table the pass stores its counters; a pass over any other table (the back scene) leaves them.
  bool compose(const SpriteTable& table, ISurface* destination) noexcept;

  // One pass restricted to `regions`: each rectangle is filled with black and every sprite that reaches into it is
  // drawn clipped to it, so that its pixels come out exactly as a whole pass leaves them; pixels outside the
  // rectangles are not touched. The regions must lie inside the destination and must not overlap (false, nothing
  // drawn, otherwise); empty ones are skipped. The counters count the pixels written, the fills included.
  bool composeRegions(const SpriteTable& table, ISurface* destination, const SpriteTable& clippers, Offset offset,
                      std::span<const PixelRect> regions, Counters* counters) noexcept;

  // The same over the block's live table with its view offset, storing the counters like a whole pass over it.
  bool composeLiveRegions(ISurface* destination, std::span<const PixelRect> regions) noexcept;

  // The part of a `width` x `height` destination that `record` can write in a pass with these clippers and view
  // offset: a rectangle holding every pixel the record draws (empty when it cannot draw). No pixel is read, so the
  // dirty regions can ask it for every changed sprite.
  static PixelRect reach(const SpriteRecord& record, const SpriteTable& clippers, Offset offset, std::int32_t width,
                         std::int32_t height);

  // Draws the live table into sprite `spriteNumber`'s own surface, made private first (copy-on-write). False when
  // the sprite is absent, has no surface, the copy cannot be made or its surface has no 32-bit pixels.
  bool renderView(std::int32_t spriteNumber) noexcept;

  // Pixels written by plain copies (the clearing fill included) and by blending kernels in the last pass over the
  // live table. 64 bits: a pass over large surfaces can exceed the 32-bit range.
  std::int64_t copyPixels() const { return liveCounters_.copyPixels; }
  std::int64_t blendPixels() const { return liveCounters_.blendPixels; }

  // A surface as the pass uses it (defined with the pass).
  struct Target;

 private:
  // The pass shared by whole and partial passes; `regions` is the whole destination for a whole pass.
  bool pass(const SpriteTable& table, const Target& target, const SpriteTable& clippers, Offset offset,
            std::span<const PixelRect> regions, bool whole, Counters* counters) noexcept;
  void drawNormal(const SpriteRecord& record, const SpriteTable& clippers, const Target& target, Offset offset,
                  std::span<const PixelRect> regions, bool whole, const kernels::NormalKernelTable& kernelTable,
                  bool simd, Counters& counters) const;
  void drawTransformed(const SpriteRecord& record, const Target& target, std::span<const PixelRect> regions, bool whole,
                       kernels::KernelPath path);

  IGraph3* raster_ = nullptr;
  SpriteTableBlock* sprites_ = nullptr;
  std::vector<SpriteRecord*> drawList_;  // reused from pass to pass: no allocation once it is large enough
  // A transformed sprite of a partial pass is drawn here, over a copy of the regions it reaches, and only those
  // are copied back (see drawTransformed). Grown once to the largest extent needed, then reused.
  std::vector<std::uint32_t> scratch_;
  Counters liveCounters_;
};

}  // namespace tamblet
