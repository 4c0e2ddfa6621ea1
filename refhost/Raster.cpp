#include "refhost/Raster.h"

#include <cstring>

#include "refhost/RasterClip.h"
#include "refhost/SurfaceView.h"

namespace refhost {
namespace {

std::uint8_t lowByte(std::int32_t value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

// Row order for a copy: bottom-up when source and destination are one surface and the
// destination lies lower, so no row is overwritten before it is read.
bool copyBottomUp(const SurfaceView& destination, const SurfaceView& source, const ClippedCopy& area) {
  return destination.surface() == source.surface() && area.dy > area.sy;
}

void copyPixels(const SurfaceView& destination, const SurfaceView& source, const ClippedCopy& area) {
  const std::size_t rowBytes = static_cast<std::size_t>(area.width) * source.bytesPerPixel();
  const bool bottomUp = copyBottomUp(destination, source, area);
  for (std::int32_t i = 0; i < area.height; ++i) {
    const std::int32_t row = bottomUp ? area.height - 1 - i : i;
    std::memmove(destination.pixelAt(area.dx, area.dy + row), source.pixelAt(area.sx, area.sy + row), rowBytes);
  }
}

void copyAlpha(const SurfaceView& destination, const SurfaceView& source, const ClippedCopy& area) {
  const std::int32_t to = destination.alphaStep();
  const std::int32_t from = source.alphaStep();
  const bool bottomUp = copyBottomUp(destination, source, area);
  for (std::int32_t i = 0; i < area.height; ++i) {
    const std::int32_t row = bottomUp ? area.height - 1 - i : i;
    std::uint8_t* out = destination.alphaAt(area.dx, area.dy + row);
    const std::uint8_t* in = source.alphaAt(area.sx, area.sy + row);
    if (to == 1 && from == 1) {
      std::memmove(out, in, static_cast<std::size_t>(area.width));  // may be one plane
    } else {
      for (std::int32_t x = 0; x < area.width; ++x) out[x * to] = in[x * from];
    }
  }
}

void fillAlpha(const SurfaceView& surface, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
               std::uint8_t alpha) {
  const std::int32_t step = surface.alphaStep();
  for (std::int32_t row = 0; row < height; ++row) {
    std::uint8_t* out = surface.alphaAt(x, y + row);
    if (step == 1) {
      std::memset(out, alpha, static_cast<std::size_t>(width));
    } else {
      for (std::int32_t i = 0; i < width; ++i) out[i * step] = alpha;
    }
  }
}

// (d × (255 − a) + colour × a) / 255 rounded to nearest: for t = v + 128 with v ≤ 255 × 255,
// (t + (t >> 8)) >> 8 is exactly round(v / 255). Alpha 255 gives the colour, alpha 0 the pixel.
std::uint8_t blendChannel(std::int32_t pixel, std::int32_t colour, std::int32_t alpha) {
  const std::int32_t t = pixel * (255 - alpha) + colour * alpha + 128;
  return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

}  // namespace

bool Raster::Initialize() {
  ++initializeCalls_;
  return initializeResult_;
}

bool Raster::FillColor(tamblet::ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, std::int32_t r, std::int32_t g, std::int32_t b, std::int32_t) {
  ++fillColorCalls_;
  if (!surface) return false;
  const SurfaceView view(surface);
  if (!view.isColour32()) return false;
  ClippedArea area;
  if (!clipArea(x, y, width, height, view.width(), view.height(), area)) return true;
  // Whole pixels as 32-bit words: the colour in B, G, R, each pixel's own alpha kept (a loop the
  // compiler vectorises; a screen is cleared this way every frame).
  const std::uint32_t colour = lowByte(b) | static_cast<std::uint32_t>(lowByte(g)) << 8 |
                               static_cast<std::uint32_t>(lowByte(r)) << 16;
  for (std::int32_t row = 0; row < area.height; ++row) {
    std::uint8_t* pixel = view.pixelAt(area.x, area.y + row);
    for (std::int32_t i = 0; i < area.width; ++i, pixel += 4) {
      std::uint32_t word;
      std::memcpy(&word, pixel, 4);
      word = (word & 0xFF000000u) | colour;
      std::memcpy(pixel, &word, 4);
    }
  }
  return true;
}

bool Raster::FillAlpha(tamblet::ISurface* surface, std::int32_t x, std::int32_t y, std::int32_t width,
                       std::int32_t height, std::int32_t alpha) {
  if (!surface) return false;
  const SurfaceView view(surface);
  if (!view.hasAlpha()) return false;
  ClippedArea area;
  if (clipArea(x, y, width, height, view.width(), view.height(), area)) {
    fillAlpha(view, area.x, area.y, area.width, area.height, lowByte(alpha));
  }
  return true;
}

bool Raster::BlendColor(tamblet::ISurface* destination, std::int32_t dx, std::int32_t dy, tamblet::ISurface* source,
                        std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height, std::int32_t r,
                        std::int32_t g, std::int32_t b) {
  if (!destination || !source) return false;
  const SurfaceView to(destination);
  const SurfaceView from(source);
  if (!to.isColour32() || !from.hasAlpha()) return false;
  ClippedCopy area;
  if (!clipCopy(dx, dy, sx, sy, width, height, to.width(), to.height(), from.width(), from.height(), area)) {
    return true;
  }
  const std::int32_t colour[3] = {lowByte(b), lowByte(g), lowByte(r)};
  for (std::int32_t row = 0; row < area.height; ++row) {
    std::uint8_t* pixel = to.pixelAt(area.dx, area.dy + row);
    const std::uint8_t* alpha = from.alphaAt(area.sx, area.sy + row);
    for (std::int32_t i = 0; i < area.width; ++i, pixel += 4, alpha += from.alphaStep()) {
      for (int c = 0; c < 3; ++c) pixel[c] = blendChannel(pixel[c], colour[c], *alpha);
    }
  }
  return true;
}

bool Raster::Copy(tamblet::ISurface* destination, std::int32_t dx, std::int32_t dy, tamblet::ISurface* source,
                  std::int32_t sx, std::int32_t sy, std::int32_t width, std::int32_t height) {
  if (!destination || !source) return false;
  const SurfaceView to(destination);
  const SurfaceView from(source);
  const bool pixels = to.hasPixels() && from.hasPixels();
  if (pixels && to.bytesPerPixel() != from.bytesPerPixel()) return false;
  // A source without alpha map counts as opaque when it has pixels to give.
  const bool alpha = to.hasAlpha() && (from.hasAlpha() || from.hasPixels());
  if (!pixels && !alpha) return false;

  ClippedCopy area;
  if (!clipCopy(dx, dy, sx, sy, width, height, to.width(), to.height(), from.width(), from.height(), area)) {
    return true;
  }
  if (pixels) copyPixels(to, from, area);
  if (alpha) {
    if (!from.hasAlpha()) {
      fillAlpha(to, area.dx, area.dy, area.width, area.height, 0xFF);
    } else if (!(pixels && to.alphaInPixels() && from.alphaInPixels())) {  // else byte 3 came with the pixels
      copyAlpha(to, from, area);
    }
  }
  return true;
}

}  // namespace refhost
