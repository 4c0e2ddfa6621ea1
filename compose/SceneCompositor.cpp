#include "compose/SceneCompositor.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "compose/kernels/BlendKernels.h"
#include "compose/kernels/TransformKernels.h"
#include "sprite/DrawOrder.h"

namespace tamblet {

// A surface the compositor may read or write: a 32-bit pixel plane with an address, rows that do not overlap.
struct SceneCompositor::Target {
  ISurface* surface = nullptr;
  std::uint8_t* base = nullptr;  // pixel (0, 0)
  std::ptrdiff_t pitch = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;

  // Address of pixel (x, y); only called with coordinates inside the surface.
  std::uint8_t* at(std::int64_t x, std::int64_t y) const {
    return base + static_cast<std::ptrdiff_t>(y) * pitch + static_cast<std::ptrdiff_t>(4 * x);
  }
};

namespace {

using Target = SceneCompositor::Target;

// Fills `target` from `surface`; false for a surface that is absent, has no pixel plane, another depth, no pixel
// address, a negative size or rows closer together than their width (which would make rows overlap).
bool usableSurface(ISurface* surface, Target& target) {
  if (!surface || !surface->HasPixel() || surface->GetBpp() != 32) return false;
  std::uint8_t* base = surface->GetPixelAddress(0, 0);
  if (!base) return false;
  const std::int64_t width = surface->GetWidth(), height = surface->GetHeight();
  const std::int64_t pitch = surface->GetPitch();
  if (width < 0 || height < 0) return false;
  if (height > 1 && std::llabs(pitch) < 4 * width) return false;
  target = {surface, base, static_cast<std::ptrdiff_t>(pitch), width, height};
  return true;
}

// A blit at destination (dx, dy) from source (sx, sy), w x h pixels, in 64 bits so that no sum overflows.
struct Blit {
  std::int64_t dx, dy, sx, sy, w, h;
};

// The clip rule: cuts the blit to the rectangle (rx, ry, rw, rh); false when nothing remains.
bool clipBlit(Blit& b, std::int64_t rx, std::int64_t ry, std::int64_t rw, std::int64_t rh) {
  if (b.dx + b.w <= rx) return false;
  if (b.dx < rx) b.sx += rx - b.dx, b.w -= rx - b.dx, b.dx = rx;
  if (b.dx >= rx + rw) return false;
  if (b.dx + b.w > rx + rw) b.w = rx + rw - b.dx;
  if (b.dy + b.h <= ry) return false;
  if (b.dy < ry) b.sy += ry - b.dy, b.h -= ry - b.dy, b.dy = ry;
  if (b.dy >= ry + rh) return false;
  if (b.dy + b.h > ry + rh) b.h = ry + rh - b.dy;
  return b.w >= 1 && b.h >= 1;
}

std::uint8_t lowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

// Multiply and add colours (B, G, R, A order) and the rate of a record; true when the colour is modulated: an add
// value's low byte is not 0, or the multiply R, G, B low bytes are not all 255 (multiply A is not tested).
bool blendParamsOf(const SpriteRecord& record, kernels::BlendParams& params) {
  static constexpr int kPixelOrder[4] = {kBlue, kGreen, kRed, kAlpha};
  bool modulated = false;
  for (int i = 0; i < 4; ++i) {
    params.multiply[i] = lowByte(record.multiplyColor[kPixelOrder[i]]);
    params.add[i] = lowByte(record.addColor[kPixelOrder[i]]);
    modulated = modulated || params.add[i] != 0 || (i < 3 && params.multiply[i] != 255);
  }
  params.rate = static_cast<std::uint8_t>(std::clamp(record.blendRate, 0, 255));
  return modulated;
}

// Method 0 without coverage into its own surface: pixel by pixel, left to right, top to bottom, as the per-pixel
// formula reads (a block copy of overlapping rows would be undefined).
void copyForward(std::uint8_t* dst, std::ptrdiff_t dstPitch, const std::uint8_t* src, std::ptrdiff_t srcPitch,
                 int width, int height) {
  for (int y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t pixel;
      std::memcpy(&pixel, src + 4 * x, 4);
      std::memcpy(dst + 4 * x, &pixel, 4);
    }
  }
}

// The part of the surface a record without transform draws, with its destination: the surface area, raised to 0
// and cut to the surface, else all of it. Empty (w or h below 1) when the area leaves nothing.
Blit sourceBlit(const SpriteRecord& record, std::int64_t surfaceWidth, std::int64_t surfaceHeight,
                SceneCompositor::Offset offset) {
  const SurfaceArea& area = record.surfaceArea;
  Blit blit{record.x + offset.x, record.y + offset.y, 0, 0, surfaceWidth, surfaceHeight};
  if (area.width > 0 || area.height > 0) {
    blit.sx = std::max<std::int64_t>(area.x, 0), blit.sy = std::max<std::int64_t>(area.y, 0);
    blit.w = area.width, blit.h = area.height;
    if (blit.w + blit.sx > surfaceWidth) blit.w = surfaceWidth - blit.sx;
    if (blit.h + blit.sy > surfaceHeight) blit.h = surfaceHeight - blit.sy;
  }
  return blit;
}

// The pixels a transformed record can reach: pixel i is drawn only when its centre i + 0.5 lies inside the quad, so
// within the corners' extent; one pixel of margin on each side absorbs the rounding of the edge crossings. Corners
// that are not finite reach the whole destination (nothing is drawn from them, but no bound is promised).
PixelRect quadReach(const SpriteRecord& record, const PixelRect& screen) {
  double left = 0, top = 0, right = 0, bottom = 0;
  for (int i = 0; i < 4; ++i) {
    const TransformPosition& p = record.transformPositions[i];
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return screen;
    left = i == 0 ? p.x : std::min<double>(left, p.x), right = i == 0 ? p.x : std::max<double>(right, p.x);
    top = i == 0 ? p.y : std::min<double>(top, p.y), bottom = i == 0 ? p.y : std::max<double>(bottom, p.y);
  }
  const auto clampTo = [](double value, std::int64_t low, std::int64_t high) {
    return static_cast<std::int64_t>(std::clamp(value, static_cast<double>(low), static_cast<double>(high)));
  };
  return PixelRect::spanning(clampTo(std::floor(left) - 1, screen.x, screen.right()),
                             clampTo(std::floor(top) - 1, screen.y, screen.bottom()),
                             clampTo(std::ceil(right) + 1, screen.x, screen.right()),
                             clampTo(std::ceil(bottom) + 1, screen.y, screen.bottom()), screen);
}

// Whether the blit's destination rectangle shares a pixel with one of the regions (sums in 64 bits).
bool reachesAny(const Blit& b, std::span<const PixelRect> regions) {
  if (b.w < 1 || b.h < 1) return false;
  for (const PixelRect& region : regions) {
    if (!region.empty() && b.dx < region.right() && region.x < b.dx + b.w && b.dy < region.bottom() &&
        region.y < b.dy + b.h) {
      return true;
    }
  }
  return false;
}

// Whether every region lies inside `bounds` and no two share a pixel.
bool disjointInside(std::span<const PixelRect> regions, const PixelRect& bounds) {
  for (std::size_t i = 0; i < regions.size(); ++i) {
    if (regions[i].empty()) continue;
    if (regions[i].intersection(bounds) != regions[i]) return false;
    for (std::size_t j = 0; j < i; ++j) {
      if (regions[i].overlaps(regions[j])) return false;
    }
  }
  return true;
}

// Copies the pixels of `rect` between two planes with the same coordinates.
void copyRect(std::uint8_t* to, std::ptrdiff_t toPitch, const std::uint8_t* from, std::ptrdiff_t fromPitch,
              const PixelRect& rect) {
  const std::ptrdiff_t column = std::ptrdiff_t{4} * rect.x;
  for (std::int64_t y = rect.y; y < rect.bottom(); ++y) {
    std::memcpy(to + static_cast<std::ptrdiff_t>(y) * toPitch + column,
                from + static_cast<std::ptrdiff_t>(y) * fromPitch + column, std::size_t{4} * rect.width);
  }
}

}  // namespace

void SceneCompositor::setUp(IGraph3* raster, SpriteTableBlock* sprites) noexcept {
  raster_ = raster;
  sprites_ = sprites;
}

bool SceneCompositor::compose(const SpriteTable& table, ISurface* destination, const SpriteTable& clippers,
                              Offset offset, Counters* counters) noexcept {
  if (!raster_) return false;
  Target target;
  if (!usableSurface(destination, target)) return false;
  // Both sizes fit 32 bits: usableSurface took them from 32-bit answers.
  const PixelRect whole{0, 0, static_cast<std::int32_t>(target.width), static_cast<std::int32_t>(target.height)};
  return pass(table, target, clippers, offset, {&whole, 1}, true, counters);
}

bool SceneCompositor::compose(const SpriteTable& table, ISurface* destination) noexcept {
  if (!sprites_) return false;
  const bool live = &table == &sprites_->liveTable;
  return compose(table, destination, table, {sprites_->viewOffsetX, sprites_->viewOffsetY},
                 live ? &liveCounters_ : nullptr);
}

bool SceneCompositor::composeRegions(const SpriteTable& table, ISurface* destination, const SpriteTable& clippers,
                                     Offset offset, std::span<const PixelRect> regions, Counters* counters) noexcept {
  if (!raster_) return false;
  Target target;
  if (!usableSurface(destination, target)) return false;
  const PixelRect whole{0, 0, static_cast<std::int32_t>(target.width), static_cast<std::int32_t>(target.height)};
  if (!disjointInside(regions, whole)) return false;
  return pass(table, target, clippers, offset, regions, false, counters);
}

bool SceneCompositor::composeLiveRegions(ISurface* destination, std::span<const PixelRect> regions) noexcept {
  if (!sprites_) return false;
  return composeRegions(sprites_->liveTable, destination, sprites_->liveTable,
                        {sprites_->viewOffsetX, sprites_->viewOffsetY}, regions, &liveCounters_);
}

bool SceneCompositor::renderView(std::int32_t spriteNumber) noexcept {
  if (!sprites_) return false;
  try {
    ISurface* surface = sprites_->liveTable.writableSurface(spriteNumber);
    return surface && compose(sprites_->liveTable, surface);
  } catch (...) {
    return false;
  }
}

PixelRect SceneCompositor::reach(const SpriteRecord& record, const SpriteTable& clippers, Offset offset,
                                 std::int32_t width, std::int32_t height) {
  const PixelRect screen{0, 0, std::max(width, 0), std::max(height, 0)};
  ISurface* surface = record.surface.get();
  if (!surface) return {};
  if (record.transformMode == 1) return quadReach(record, screen);
  const Blit blit = sourceBlit(record, surface->GetWidth(), surface->GetHeight(), offset);
  PixelRect reached = PixelRect::spanning(blit.dx, blit.dy, blit.dx + blit.w, blit.dy + blit.h, screen);
  if (record.alphaClipperNumber != -1) {
    if (const SpriteRecord* clipper = clippers.find(record.alphaClipperNumber)) {
      ISurface* clip = clipper->surface.get();
      if (!clip) return {};
      const std::int64_t cx = clipper->x, cy = clipper->y;
      reached =
          reached.intersection(PixelRect::spanning(cx, cy, cx + clip->GetWidth(), cy + clip->GetHeight(), screen));
    }
  }
  return reached;
}

bool SceneCompositor::pass(const SpriteTable& table, const Target& target, const SpriteTable& clippers, Offset offset,
                           std::span<const PixelRect> regions, bool whole, Counters* counters) noexcept {
  if (!buildDrawList(table, drawList_)) return false;
  // One fill per region; a whole pass fills its destination even when it has no pixels.
  Counters pass{0, 0};
  for (const PixelRect& region : regions) {
    if (region.empty() && !whole) continue;
    raster_->FillColor(target.surface, region.x, region.y, region.width, region.height, 0, 0, 0, 0);
    pass.copyPixels += region.area();
  }
  const kernels::KernelPath path = kernels::activeKernelPath();
  const kernels::NormalKernelTable& kernelTable = kernels::kernelTable(path);
  const bool simd = path != kernels::KernelPath::kScalar;
  for (const SpriteRecord* record : drawList_) {
    if (record->transformMode == 1) {
      drawTransformed(*record, target, regions, whole, path);
    } else {
      drawNormal(*record, clippers, target, offset, regions, whole, kernelTable, simd, pass);
    }
  }
  if (counters) *counters = pass;
  return true;
}

void SceneCompositor::drawNormal(const SpriteRecord& record, const SpriteTable& clippers, const Target& target,
                                 Offset offset, std::span<const PixelRect> regions, bool whole,
                                 const kernels::NormalKernelTable& kernelTable, bool simd, Counters& counters) const {
  ISurface* surface = record.surface.get();
  if (!surface) return;
  Blit blit = sourceBlit(record, surface->GetWidth(), surface->GetHeight(), offset);
  // A sprite of a partial pass that reaches none of the regions is done before anything else is looked up: most of
  // the scene, when a few rectangles are redrawn.
  if (!whole && !reachesAny(blit, regions)) return;
  Target source;
  if (!usableSurface(surface, source)) return;
  const SurfaceArea& area = record.surfaceArea;
  if (area.width > 0 && area.height > 0) {
    const std::int64_t ax = area.x, ay = area.y, aw = area.width, ah = area.height;
    if (ax >= blit.sx + blit.w || ax + aw <= blit.sx || ay >= blit.sy + blit.h || ay + ah <= blit.sy) return;
  }

  // The alpha clipper, looked up in the pass's clipper table (the table being drawn, so that the back scene's
  // sprites are clipped as they were on screen when it was copied); -1 names none.
  Target clipper;
  bool clipped = false;
  Blit bounds{};
  if (record.alphaClipperNumber != -1) {
    if (const SpriteRecord* clipperRecord = clippers.find(record.alphaClipperNumber)) {
      if (!usableSurface(clipperRecord->surface.get(), clipper)) return;
      bounds = {clipperRecord->x, clipperRecord->y, 0, 0, clipper.width, clipper.height};
      if (!clipBlit(bounds, 0, 0, target.width, target.height)) return;
      if (!clipBlit(blit, bounds.dx, bounds.dy, bounds.w, bounds.h)) return;
      clipped = true;
    }
  }
  if (!clipped && !clipBlit(blit, 0, 0, target.width, target.height)) return;

  kernels::BlendParams params;
  const bool modulated = blendParamsOf(record, params);
  const bool sourceAlpha = source.surface->HasAMap();
  // Reading the surface being written: the scalar kernel, so the bytes do not depend on the processor.
  const bool intoItself = source.surface == target.surface || (clipped && clipper.surface == target.surface);
  const unsigned fixedFlags = (modulated ? kernels::kFlagModulate : 0u) | (clipped ? kernels::kFlagClipper : 0u) |
                              (record.blendRate != 255 ? kernels::kFlagRate : 0u) |
                              (sourceAlpha ? kernels::kFlagSourceAlpha : 0u);
  std::int64_t& counter = sourceAlpha || record.blendRate != 255 ? counters.blendPixels : counters.copyPixels;
  // A draw method outside 0..3: counted, not drawn.
  const bool drawable = record.drawMethod >= 0 && record.drawMethod < kernels::kMethodCount;

  // Each region gets its own piece of the blit; a whole pass has one region, the destination, which the blit
  // already lies in. Every pixel is computed from its own source, destination and clipper pixels alone, so a
  // piece gives the same bytes as the whole blit there.
  for (const PixelRect& region : regions) {
    Blit piece = blit;
    if (region.empty() || !clipBlit(piece, region.x, region.y, region.width, region.height)) continue;
    const unsigned flags = fixedFlags | (simd && piece.w >= 4 && !intoItself ? kernels::kFlagSimd : 0u);
    counter += piece.w * piece.h;
    if (!drawable) continue;
    const kernels::NormalKernel kernel =
        kernelTable[static_cast<unsigned>(record.drawMethod) * kernels::kFlagCount + flags];
    if (clipped) {
      // The clipper pixel under the piece's first destination pixel.
      params.clipper = clipper.at(bounds.sx + (piece.dx - bounds.dx), bounds.sy + (piece.dy - bounds.dy));
      params.clipperPitch = clipper.pitch;
    }
    std::uint8_t* dst = target.at(piece.dx, piece.dy);
    const std::uint8_t* src = source.at(piece.sx, piece.sy);
    const int width = static_cast<int>(piece.w), height = static_cast<int>(piece.h);
    if (intoItself && record.drawMethod == 0 && flags == 0) {
      copyForward(dst, target.pitch, src, source.pitch, width, height);
    } else {
      kernel(dst, target.pitch, src, source.pitch, width, height, params);
    }
  }
}

void SceneCompositor::drawTransformed(const SpriteRecord& record, const Target& target,
                                      std::span<const PixelRect> regions, bool whole, kernels::KernelPath path) {
  Target source;
  if (!usableSurface(record.surface.get(), source)) return;
  kernels::TransformQuad quad;
  for (int i = 0; i < 4; ++i) {
    const TransformPosition& p = record.transformPositions[i];
    const TextureCoordinate& t = record.transformTexCoords[i];
    quad.corners[i] = {p.x, p.y, p.z, p.w, t.u, t.v};
  }
  kernels::BlendParams params;
  const bool modulated = blendParamsOf(record, params);
  const unsigned key = kernels::transformKey(quad, modulated, record.textureFilterType == 1, record.blendRate,
                                             source.surface->HasAMap());
  // Reading the surface being written: the scalar kernel, so the bytes do not depend on the processor.
  const kernels::TransformKernel kernel =
      kernels::transformKernel(source.surface == target.surface ? kernels::KernelPath::kScalar : path, key);
  if (!kernel) return;
  // Both sizes fit: usableSurface took them from 32-bit answers.
  const kernels::PixelRows from{source.base, source.pitch, static_cast<int>(source.width),
                                static_cast<int>(source.height)};
  if (whole) {
    const kernels::PixelRows destination{target.base, target.pitch, static_cast<int>(target.width),
                                         static_cast<int>(target.height)};
    kernel(destination, from, quad, params);
    return;
  }

  // A kernel rasterises over the whole of its destination rows, its coordinates tied to their first pixel, and a
  // pixel's value depends on that pixel alone. So the sprite is drawn into the scratch plane, with the destination's
  // coordinates, over a copy of the regions it reaches; the plane is cut at their right and bottom edges, and only
  // the regions go back. What it writes elsewhere in the plane is thrown away.
  const PixelRect screen{0, 0, static_cast<std::int32_t>(target.width), static_cast<std::int32_t>(target.height)};
  const PixelRect reached = quadReach(record, screen);
  std::int64_t right = 0, bottom = 0;
  for (const PixelRect& region : regions) {
    const PixelRect piece = region.intersection(reached);
    if (!piece.empty()) right = std::max(right, piece.right()), bottom = std::max(bottom, piece.bottom());
  }
  if (right == 0) return;
  const std::size_t pixels = static_cast<std::size_t>(right) * static_cast<std::size_t>(bottom);
  try {
    if (scratch_.size() < pixels) scratch_.resize(pixels);
  } catch (...) {
    return;  // out of memory: the sprite is left out of this frame's regions
  }
  auto* plane = reinterpret_cast<std::uint8_t*>(scratch_.data());
  const std::ptrdiff_t pitch = static_cast<std::ptrdiff_t>(4 * right);
  for (const PixelRect& region : regions) {
    const PixelRect piece = region.intersection(reached);
    if (!piece.empty()) copyRect(plane, pitch, target.base, target.pitch, piece);
  }
  kernel({plane, pitch, static_cast<int>(right), static_cast<int>(bottom)}, from, quad, params);
  for (const PixelRect& region : regions) {
    const PixelRect piece = region.intersection(reached);
    if (!piece.empty()) copyRect(target.base, target.pitch, plane, pitch, piece);
  }
}

}  // namespace tamblet
