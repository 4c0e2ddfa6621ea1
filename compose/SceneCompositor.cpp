#include "compose/SceneCompositor.h"

#include <algorithm>
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
  if (!buildDrawList(table, drawList_)) return false;

  raster_->FillColor(destination, 0, 0, static_cast<std::int32_t>(target.width),
                     static_cast<std::int32_t>(target.height), 0, 0, 0, 0);
  Counters pass{target.width * target.height, 0};
  const kernels::KernelPath path = kernels::activeKernelPath();
  const kernels::NormalKernelTable& kernelTable = kernels::kernelTable(path);
  const bool simd = path != kernels::KernelPath::kScalar;
  for (const SpriteRecord* record : drawList_) {
    if (record->transformMode == 1) {
      drawTransformed(*record, target, path);
    } else {
      drawNormal(*record, clippers, target, offset, kernelTable, simd, pass);
    }
  }
  if (counters) *counters = pass;
  return true;
}

bool SceneCompositor::compose(const SpriteTable& table, ISurface* destination) noexcept {
  if (!sprites_) return false;
  const bool live = &table == &sprites_->liveTable;
  return compose(table, destination, table, {sprites_->viewOffsetX, sprites_->viewOffsetY},
                 live ? &liveCounters_ : nullptr);
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

void SceneCompositor::drawNormal(const SpriteRecord& record, const SpriteTable& clippers, const Target& target,
                                 Offset offset, const kernels::NormalKernelTable& kernelTable, bool simd,
                                 Counters& counters) const {
  Target source;
  if (!usableSurface(record.surface.get(), source)) return;

  // The part of the surface to draw: the surface area, raised to 0 and cut to the surface, else all of it.
  const SurfaceArea& area = record.surfaceArea;
  Blit blit{record.x + offset.x, record.y + offset.y, 0, 0, source.width, source.height};
  if (area.width > 0 || area.height > 0) {
    blit.sx = std::max<std::int64_t>(area.x, 0), blit.sy = std::max<std::int64_t>(area.y, 0);
    blit.w = area.width, blit.h = area.height;
    if (blit.w + blit.sx > source.width) blit.w = source.width - blit.sx;
    if (blit.h + blit.sy > source.height) blit.h = source.height - blit.sy;
  }
  if (area.width > 0 && area.height > 0) {
    const std::int64_t ax = area.x, ay = area.y, aw = area.width, ah = area.height;
    if (ax >= blit.sx + blit.w || ax + aw <= blit.sx || ay >= blit.sy + blit.h || ay + ah <= blit.sy) return;
  }

  // The alpha clipper, looked up in the pass's clipper table (the table being drawn, so that the back scene's
  // sprites are clipped as they were on screen when it was copied); -1 names none.
  Target clipper;
  bool clipped = false;
  std::int64_t clipperX = 0, clipperY = 0;
  if (record.alphaClipperNumber != -1) {
    if (const SpriteRecord* clipperRecord = clippers.find(record.alphaClipperNumber)) {
      if (!usableSurface(clipperRecord->surface.get(), clipper)) return;
      Blit bounds{clipperRecord->x, clipperRecord->y, 0, 0, clipper.width, clipper.height};
      if (!clipBlit(bounds, 0, 0, target.width, target.height)) return;
      if (!clipBlit(blit, bounds.dx, bounds.dy, bounds.w, bounds.h)) return;
      clipperX = bounds.sx + (blit.dx - bounds.dx), clipperY = bounds.sy + (blit.dy - bounds.dy);
      clipped = true;
    }
  }
  if (!clipped && !clipBlit(blit, 0, 0, target.width, target.height)) return;

  kernels::BlendParams params;
  const bool modulated = blendParamsOf(record, params);
  const bool sourceAlpha = source.surface->HasAMap();
  // Reading the surface being written: the scalar kernel, so the bytes do not depend on the processor.
  const bool intoItself = source.surface == target.surface || (clipped && clipper.surface == target.surface);
  unsigned flags = (simd && blit.w >= 4 && !intoItself ? kernels::kFlagSimd : 0u) |
                   (modulated ? kernels::kFlagModulate : 0u) | (clipped ? kernels::kFlagClipper : 0u) |
                   (record.blendRate != 255 ? kernels::kFlagRate : 0u) | (sourceAlpha ? kernels::kFlagSourceAlpha : 0u);
  (sourceAlpha || record.blendRate != 255 ? counters.blendPixels : counters.copyPixels) += blit.w * blit.h;

  // A draw method outside 0..3: counted, not drawn.
  if (record.drawMethod < 0 || record.drawMethod >= kernels::kMethodCount) return;
  const kernels::NormalKernel kernel =
      kernelTable[static_cast<unsigned>(record.drawMethod) * kernels::kFlagCount + flags];
  if (clipped) params.clipper = clipper.at(clipperX, clipperY), params.clipperPitch = clipper.pitch;
  std::uint8_t* dst = target.at(blit.dx, blit.dy);
  const std::uint8_t* src = source.at(blit.sx, blit.sy);
  const int width = static_cast<int>(blit.w), height = static_cast<int>(blit.h);
  if (intoItself && record.drawMethod == 0 && flags == 0) {
    copyForward(dst, target.pitch, src, source.pitch, width, height);
  } else {
    kernel(dst, target.pitch, src, source.pitch, width, height, params);
  }
}

void SceneCompositor::drawTransformed(const SpriteRecord& record, const Target& target,
                                      kernels::KernelPath path) const {
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
  const kernels::PixelRows destination{target.base, target.pitch, static_cast<int>(target.width),
                                       static_cast<int>(target.height)};
  const kernels::PixelRows from{source.base, source.pitch, static_cast<int>(source.width),
                                static_cast<int>(source.height)};
  kernel(destination, from, quad, params);
}

}  // namespace tamblet
