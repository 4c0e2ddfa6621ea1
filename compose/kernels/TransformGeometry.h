// The geometry of a transform draw, shared by every instruction set: which pixels of each destination row the
// quad covers, and the planes that give each covered pixel's texture position. Plain double arithmetic compiled
// once with the baseline flags, so every path sees the same runs and the same positions bit for bit. The helpers
// defined here are always inlined: files with different instruction-set flags include them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "compose/kernels/TransformKernels.h"

namespace tamblet::kernels::transform {

// An edge with its endpoints in canonical order (top first; on a tie, left first). Horizontal edges are never
// crossed by a row of centres.
struct Edge {
  double xTop = 0, yTop = 0, yBottom = 0, slope = 0;
};

struct Triangle {
  Edge edges[3];
  bool empty = true;
};

// An affine function of the destination position: value(x, y) = at0 + dx (x - x0) + dy (y - y0).
struct Plane {
  double at0 = 0, dx = 0, dy = 0;
};

// Everything a kernel needs from the corners, computed once per draw.
struct QuadSetup {
  Plane u, v, q;  // u and v (affine), or u / w, v / w and 1 / w (perspective)
  Triangle first, second;
  int rowBegin = 0, rowEnd = 0;
  double x0 = 0, y0 = 0;
};

// One row's covered pixels as at most two runs [first, end), and the planes' values at the centre of pixel 0 of
// the row: pixel i adds i times the plane's dx.
struct RowRuns {
  int count = 0;
  int first[2] = {0, 0}, end[2] = {0, 0};
  double u = 0, v = 0, q = 0;
};

// False when nothing is to be drawn: empty rows, non-finite corners or texture coordinates, collinear mapping
// corners, or (perspective) a w of 0 or less.
bool setUpQuad(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad, bool perspective,
               QuadSetup& setup);

// The runs of destination row `row`; the general variants keep the two triangles' runs apart when they do not
// touch, the axis-aligned ones fill from the leftmost to the rightmost covered centre.
RowRuns rowRuns(const QuadSetup& setup, int row, int width, bool general);

// The part [lo, hi) of pixels first..end-1 of an affine row whose bilinear taps all lie inside the surface without
// clamping (lo >= hi when there is none). Its positions are never negative and fit 32 bits, so truncation is their
// floor: fixed = int((u - 0.5) * 256 + 0.5) is bilinearFixed there.
void unclampedSpan(const PixelRows& source, const QuadSetup& setup, const RowRuns& runs, int first, int end, int& lo,
                   int& hi);

// Nearest texel index: truncation towards zero, clamped to 0..size-1 (NaN gives 0).
[[gnu::always_inline]] inline int nearestIndex(double value, int size) {
  if (!(value > 0.0)) return 0;
  if (value >= size - 1) return size - 1;
  return static_cast<int>(value);
}

// floor() for values well inside the 64-bit range, without a library call (x86-64's baseline has no
// rounding instruction, so std::floor is a call per texel).
[[gnu::always_inline]] inline std::int64_t floorToInt(double value) {
  const auto truncated = static_cast<std::int64_t>(value);
  return truncated - (static_cast<double>(truncated) > value ? 1 : 0);
}

// Bilinear position in 1/256 texel steps relative to texel centres, clamped so it fits 64 bits.
[[gnu::always_inline]] inline std::int64_t bilinearFixed(double value, int size) {
  double fixed = (value - 0.5) * 256.0;
  if (!(fixed > -256.0)) fixed = -256.0;
  if (fixed > 256.0 * size) fixed = 256.0 * size;
  return floorToInt(fixed + 0.5);
}

// The four taps and the weights of a bilinear sample at (u, v), taps clamped to the surface.
struct BilinearTaps {
  const std::uint8_t *p00, *p01, *p10, *p11;
  int wu, wv;
};

[[gnu::always_inline]] inline std::ptrdiff_t clampTo(std::int64_t i, int size) {
  return static_cast<std::ptrdiff_t>(i < 0 ? 0 : (i > size - 1 ? size - 1 : i));
}

[[gnu::always_inline]] inline BilinearTaps bilinearTaps(const PixelRows& source, double u, double v) {
  const std::int64_t fu = bilinearFixed(u, source.width), fv = bilinearFixed(v, source.height);
  const std::int64_t iu = fu >> 8, iv = fv >> 8;
  const std::ptrdiff_t x0 = 4 * clampTo(iu, source.width), x1 = 4 * clampTo(iu + 1, source.width);
  const std::uint8_t* row0 = source.pixels + clampTo(iv, source.height) * source.pitch;
  const std::uint8_t* row1 = source.pixels + clampTo(iv + 1, source.height) * source.pitch;
  return {row0 + x0, row0 + x1, row1 + x0, row1 + x1, static_cast<int>(fu & 255), static_cast<int>(fv & 255)};
}

}  // namespace tamblet::kernels::transform
