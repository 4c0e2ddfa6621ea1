#include "refhost/Raster.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

#if defined(__x86_64__)
// With AVX-512BW the colour bytes are written under a byte mask: the alpha bytes are neither read
// nor written, so the row costs what a memset of it costs.
[[gnu::target("avx512f,avx512bw")]] void fillColourRowMasked(std::uint8_t* pixel, std::size_t count,
                                                             std::uint32_t colour) {
  constexpr std::uint64_t kColourBytes = 0x7777777777777777ull;  // B, G, R of 16 pixels
  const __m512i fill = _mm512_set1_epi32(static_cast<int>(colour));
  // Pixels up to a 64-byte boundary first, so that no store of the loop splits a cache line.
  const std::size_t misalignment = reinterpret_cast<std::uintptr_t>(pixel) % 64;
  if (misalignment % 4 == 0 && misalignment != 0) {
    const std::size_t head = std::min(count, (64 - misalignment) / 4);
    _mm512_mask_storeu_epi8(pixel, kColourBytes & ((std::uint64_t{1} << (4 * head)) - 1), fill);
    pixel += 4 * head, count -= head;
  }
  for (; count >= 16; count -= 16, pixel += 64) _mm512_mask_storeu_epi8(pixel, kColourBytes, fill);
  if (count > 0) _mm512_mask_storeu_epi8(pixel, kColourBytes & ((std::uint64_t{1} << (4 * count)) - 1), fill);
}

bool hasMaskedByteStores() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
}
#endif

// One row of pixels set to `colour` in B, G, R with each pixel's own alpha byte kept. A screen is
// cleared this way every frame, so the row runs at memory speed: masked byte stores where the
// processor has them, else 16 pixels per step in aligned 16-byte words (SSE2), whole 32-bit words
// before and after.
void fillColourRow(std::uint8_t* pixel, std::size_t count, std::uint32_t colour) {
#if defined(__x86_64__)
  static const bool masked = hasMaskedByteStores();
  if (masked) return fillColourRowMasked(pixel, count, colour);
#endif
  const auto setWord = [colour](std::uint8_t* at) {
    std::uint32_t word;
    std::memcpy(&word, at, 4);
    word = (word & 0xFF000000u) | colour;
    std::memcpy(at, &word, 4);
  };
#if defined(__SSE2__)
  // Whole pixels up to a 16-byte boundary (a 32-bit surface's rows are 4-byte aligned in practice;
  // any other start is handled by the word loop alone).
  if (reinterpret_cast<std::uintptr_t>(pixel) % 4 == 0) {
    while (count > 0 && reinterpret_cast<std::uintptr_t>(pixel) % 16 != 0) setWord(pixel), pixel += 4, --count;
    const __m128i keep = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i fill = _mm_set1_epi32(static_cast<int>(colour));
    for (; count >= 16; count -= 16, pixel += 64) {
      auto* at = reinterpret_cast<__m128i*>(pixel);
      const __m128i a = _mm_load_si128(at), b = _mm_load_si128(at + 1);
      const __m128i c = _mm_load_si128(at + 2), d = _mm_load_si128(at + 3);
      _mm_store_si128(at, _mm_or_si128(_mm_and_si128(a, keep), fill));
      _mm_store_si128(at + 1, _mm_or_si128(_mm_and_si128(b, keep), fill));
      _mm_store_si128(at + 2, _mm_or_si128(_mm_and_si128(c, keep), fill));
      _mm_store_si128(at + 3, _mm_or_si128(_mm_and_si128(d, keep), fill));
    }
    for (; count >= 4; count -= 4, pixel += 16) {
      auto* at = reinterpret_cast<__m128i*>(pixel);
      _mm_store_si128(at, _mm_or_si128(_mm_and_si128(_mm_load_si128(at), keep), fill));
    }
  }
#endif
  for (; count > 0; --count, pixel += 4) setWord(pixel);
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
  const std::uint32_t colour =
      lowByte(b) | static_cast<std::uint32_t>(lowByte(g)) << 8 | static_cast<std::uint32_t>(lowByte(r)) << 16;
  for (std::int32_t row = 0; row < area.height; ++row) {
    fillColourRow(view.pixelAt(area.x, area.y + row), static_cast<std::size_t>(area.width), colour);
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
