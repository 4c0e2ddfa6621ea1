// Transform-path kernels. The rasterisation rule:
//
// - Coordinates. Pixel (i, j) of the destination is the square [i, i + 1) x [j, j + 1); it is sampled at its centre
//   (i + 0.5, j + 0.5). Corner positions are pixel edges, so a quad from (0, 0) to (w, h) covers exactly the pixels
//   0..w-1 x 0..h-1. Texture coordinates are in source pixels with texel (s, t) covering [s, s + 1) x [t, t + 1).
// - Coverage. The quad covers the union of its two triangles (top-left, top-right, bottom-left) and (top-right,
//   bottom-right, bottom-left), the split Direct3D draws; a pixel covered by both (concave or self-crossing quads)
//   is drawn once. A pixel belongs to a triangle when its centre lies inside, or on a left or top edge (top-left
//   fill rule): per row of centres y, an edge counts for y_top <= y < y_bottom and the covered centres x satisfy
//   x_left <= x < x_right. Every edge's crossing is computed from its endpoints taken in one canonical order, so
//   two triangles (of the same or of neighbouring quads) sharing an edge get the bit-identical crossing and every
//   centre on it goes to exactly one of them: no overdraw, no gap.
// - Clipping. Row and column limits are clamped to the destination in double precision before they become
//   integers, so corners far outside (or at the float limits) cost nothing and never overflow.
// - Mapping. (u, v) at a centre is the affine function that takes the top-left, top-right and bottom-left corner
//   positions to their (u, v) (the bottom-right (u, v) plays no part). With the perspective bit, u / w, v / w and
//   1 / w are the affine functions instead and u, v are recovered by division (what Direct3D does with rhw = 1 / w);
//   z selects that variant but takes no part in the mapping. Each pixel's value is evaluated from the row start, not
//   accumulated, so long rows do not drift.
// - Sampling. Nearest: u and v truncated towards zero and clamped to the surface. Bilinear: the four texels around
//   (u - 0.5, v - 0.5) with weights in 1/256 steps (rounded to nearest, so a centre that lands on a texel centre
//   reads that texel alone), taps clamped to the surface; each channel rounded to nearest.
// - Blending. The texel goes through the normal path's per-pixel arithmetic (modulation, coverage from source alpha
//   and blend rate, method 0), shared with the normal kernels. As in the normal path a rate of 255 is not folded
//   in, so an axis-aligned unscaled quad gives exactly the normal path's pixels.
// - Nothing is drawn when a corner position or a used texture coordinate is not finite, when the top-left,
//   top-right and bottom-left corners are collinear (the mapping has no inverse), or, in the perspective variants,
//   when a corner's w is 0 or less; pixels where the interpolated 1 / w is not positive are skipped.
// - The axis-aligned variants fill each row from the leftmost to the rightmost covered centre; the general ones
//   keep the two triangles' runs apart when they do not touch. For any convex quad both give the same pixels.
// - The SIMD twins (key bit 4) share one code path. The bilinear blend and the per-pixel blend (TransformSampling.h)
//   use SSE2, part of the x86-64 baseline, with the same integer arithmetic as the per-channel formulas. (u, v) of
//   each pixel are still evaluated from the row start in double precision with the same operations, u and v in two
//   lanes. In the affine variants u and v at pixel i are fl(row + fl(step * i)), each operation monotone in i, so
//   every tap between two taps that need no clamp needs none either: such a stretch of a run is sampled without
//   clamps, the pixels at its ends (near the surface's edges) with them.
#include "compose/kernels/TransformKernels.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "compose/kernels/ScalarBlend.h"
#include "compose/kernels/TransformSampling.h"

namespace tamblet::kernels {
namespace {

struct TransformIsa {};

using transform::bilinearWords;
using transform::loadPair;
template <unsigned BlendFlags>
using Writer = transform::TexelWriter<TransformIsa, BlendFlags>;

// Surfaces up to this side keep every bilinear position (256 per texel, plus margins) inside 32 bits.
constexpr int kSmallSide = 1 << 22;

// An edge with its endpoints in canonical order (top first; on a tie, left first). Horizontal edges are never
// crossed by a row of centres.
struct Edge {
  double xTop = 0, yTop = 0, yBottom = 0, slope = 0;
};

Edge makeEdge(double ax, double ay, double bx, double by) {
  if (by < ay || (by == ay && bx < ax)) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  Edge edge{ax, ay, by, 0.0};
  if (by > ay) edge.slope = (bx - ax) / (by - ay);
  return edge;
}

struct Triangle {
  Edge edges[3];
  bool empty = true;
};

Triangle makeTriangle(const TransformQuad::Corner& a, const TransformQuad::Corner& b, const TransformQuad::Corner& c) {
  Triangle triangle;
  const double area = (double{b.x} - a.x) * (double{c.y} - a.y) - (double{c.x} - a.x) * (double{b.y} - a.y);
  triangle.empty = !(area != 0.0);
  triangle.edges[0] = makeEdge(a.x, a.y, b.x, b.y);
  triangle.edges[1] = makeEdge(b.x, b.y, c.x, c.y);
  triangle.edges[2] = makeEdge(c.x, c.y, a.x, a.y);
  return triangle;
}

// First index i with i + 0.5 >= position, clamped to 0..limit before the conversion; NaN gives 0.
int firstIndexAtOrAfter(double position, int limit) {
  const double index = std::ceil(position - 0.5);
  if (!(index > 0.0)) return 0;
  if (index >= limit) return limit;
  return static_cast<int>(index);
}

// The run [first, end) of pixels whose centres on row centre y lie in the triangle; empty when first >= end.
void triangleRun(const Triangle& triangle, double y, int width, int& first, int& end) {
  first = end = 0;
  if (triangle.empty) return;
  double crossings[2];
  int count = 0;
  for (const Edge& edge : triangle.edges) {
    if (edge.yTop <= y && y < edge.yBottom && count < 2) crossings[count++] = edge.xTop + (y - edge.yTop) * edge.slope;
  }
  if (count < 2) return;
  first = firstIndexAtOrAfter(std::min(crossings[0], crossings[1]), width);
  end = firstIndexAtOrAfter(std::max(crossings[0], crossings[1]), width);
}

// An affine function of the destination position: value(x, y) = at0 + dx (x - x0) + dy (y - y0).
struct Plane {
  double at0 = 0, dx = 0, dy = 0;
};

// The plane through the values f0, f1, f2 at the top-left, top-right and bottom-left corners; det is the mapping's
// determinant (non-zero).
Plane fitPlane(const TransformQuad& quad, double det, double f0, double f1, double f2) {
  const auto& c = quad.corners;
  const double x1 = double{c[1].x} - c[0].x, y1 = double{c[1].y} - c[0].y;
  const double x2 = double{c[2].x} - c[0].x, y2 = double{c[2].y} - c[0].y;
  return {f0, ((f1 - f0) * y2 - (f2 - f0) * y1) / det, (x1 * (f2 - f0) - x2 * (f1 - f0)) / det};
}

// Nearest texel index: truncation towards zero, clamped to 0..size-1 (NaN gives 0).
int nearestIndex(double value, int size) {
  if (!(value > 0.0)) return 0;
  if (value >= size - 1) return size - 1;
  return static_cast<int>(value);
}

// floor() for values well inside the 64-bit range, without a library call (x86-64's baseline has no
// rounding instruction, so std::floor is a call per texel).
inline std::int64_t floorToInt(double value) {
  const auto truncated = static_cast<std::int64_t>(value);
  return truncated - (static_cast<double>(truncated) > value ? 1 : 0);
}

// Bilinear position in 1/256 texel steps relative to texel centres, clamped so it fits 64 bits.
std::int64_t bilinearFixed(double value, int size) {
  double fixed = (value - 0.5) * 256.0;
  if (!(fixed > -256.0)) fixed = -256.0;
  if (fixed > 256.0 * size) fixed = 256.0 * size;
  return floorToInt(fixed + 0.5);
}

// The texel at (u, v), channels in 16-bit lanes 0-3.
template <bool Bilinear>
[[gnu::always_inline]] inline __m128i sampleTexel(const PixelRows& source, double u, double v) {
  if constexpr (!Bilinear) {
    const std::uint8_t* p = source.pixels + nearestIndex(v, source.height) * source.pitch +
                            std::ptrdiff_t{4} * nearestIndex(u, source.width);
    std::uint32_t texel;
    std::memcpy(&texel, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(texel)), _mm_setzero_si128());
  } else {
    const std::int64_t fu = bilinearFixed(u, source.width), fv = bilinearFixed(v, source.height);
    const std::int64_t iu = fu >> 8, iv = fv >> 8;
    const int wu = static_cast<int>(fu & 255), wv = static_cast<int>(fv & 255);
    const auto clampTo = [](std::int64_t i, int size) {
      return static_cast<std::ptrdiff_t>(std::clamp<std::int64_t>(i, 0, size - 1));
    };
    const std::ptrdiff_t x0 = 4 * clampTo(iu, source.width), x1 = 4 * clampTo(iu + 1, source.width);
    const std::uint8_t* row0 = source.pixels + clampTo(iv, source.height) * source.pitch;
    const std::uint8_t* row1 = source.pixels + clampTo(iv + 1, source.height) * source.pitch;
    return bilinearWords(loadPair(row0 + x0, row0 + x1), loadPair(row1 + x0, row1 + x1), wu, wv);
  }
}

// Whether every bilinear tap of pixels first..last of a row (affine mapping) lies inside the surface without
// clamping: both end positions in 0 .. 256 (size - 1) - 1, which by monotonicity bounds every pixel between.
// The limit keeps the positions inside 32 bits.
bool spanInside(const PixelRows& source, double uRow, double vRow, double du, double dv, int first, int last) {
  if (source.width < 2 || source.height < 2 || source.width > kSmallSide || source.height > kSmallSide) return false;
  const auto inside = [](std::int64_t fixed, int size) { return fixed >= 0 && fixed < std::int64_t{256} * (size - 1); };
  return inside(bilinearFixed(uRow + du * first, source.width), source.width) &&
         inside(bilinearFixed(uRow + du * last, source.width), source.width) &&
         inside(bilinearFixed(vRow + dv * first, source.height), source.height) &&
         inside(bilinearFixed(vRow + dv * last, source.height), source.height);
}

// Bilinear pixels first..end-1 of an affine row, taps clamped: bilinearFixed in two lanes (max and min give its
// clamps, NaN included, as maxpd returns the bound for a NaN first operand) with floor() as truncation minus one
// where truncation rounded up. The surface's sides are at most 1 << 22, so every position fits 32 bits.
template <unsigned BlendFlags>
void bilinearSpanClamped(std::uint8_t* line, const PixelRows& source, double uRow, double vRow, double du, double dv,
                         int first, int end, const Writer<BlendFlags>& writer) {
  const __m128d row = _mm_set_pd(vRow, uRow), step = _mm_set_pd(dv, du);
  const __m128d half = _mm_set1_pd(0.5), scale = _mm_set1_pd(256.0), one = _mm_set1_pd(1.0);
  const __m128d lowest = _mm_set1_pd(-256.0), highest = _mm_set_pd(256.0 * source.height, 256.0 * source.width);
  const int lastColumn = source.width - 1, lastRow = source.height - 1;
  const std::uint8_t* const pixels = source.pixels;
  const std::ptrdiff_t pitch = source.pitch;
  const auto clampTo = [](int i, int last) { return i < 0 ? 0 : (i > last ? last : i); };
  __m128d index = _mm_set1_pd(static_cast<double>(first));
  for (int i = first; i < end; ++i, index = _mm_add_pd(index, one)) {
    const __m128d uv = _mm_add_pd(row, _mm_mul_pd(step, index));
    const __m128d fixed = _mm_min_pd(_mm_max_pd(_mm_mul_pd(_mm_sub_pd(uv, half), scale), lowest), highest);
    const __m128d rounded = _mm_add_pd(fixed, half);
    const __m128i truncated = _mm_cvttpd_epi32(rounded);
    const __m128d roundedUp = _mm_cmpgt_pd(_mm_cvtepi32_pd(truncated), rounded);
    const __m128i floors =
        _mm_add_epi32(truncated, _mm_shuffle_epi32(_mm_castpd_si128(roundedUp), _MM_SHUFFLE(2, 0, 2, 0)));
    const int fu = _mm_cvtsi128_si32(floors), fv = _mm_cvtsi128_si32(_mm_srli_si128(floors, 4));
    const int iu = fu >> 8, iv = fv >> 8;
    const std::ptrdiff_t x0 = 4 * clampTo(iu, lastColumn), x1 = 4 * clampTo(iu + 1, lastColumn);
    const std::uint8_t* row0 = pixels + std::ptrdiff_t{clampTo(iv, lastRow)} * pitch;
    const std::uint8_t* row1 = pixels + std::ptrdiff_t{clampTo(iv + 1, lastRow)} * pitch;
    writer.put(line + std::ptrdiff_t{4} * i,
               bilinearWords(loadPair(row0 + x0, row0 + x1), loadPair(row1 + x0, row1 + x1), fu & 255, fv & 255));
  }
}

// The first index in [first, end) where a predicate that is false and then true along the run holds; end if none.
template <class Predicate>
int firstWhere(int first, int end, Predicate holds) {
  if (first >= end || holds(first)) return first;
  if (!holds(end - 1)) return end;
  int low = first + 1, high = end - 1;  // holds(high), !holds(low - 1)
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (holds(middle))
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

// The part [lo, hi) of pixels first..end-1 of an affine row where one coordinate's bilinear taps need no clamp. The
// positions are monotone along the row, so each bound is one search; spanInside confirms the result before use.
void unclampedRun(double row, double step, int size, int first, int end, int& lo, int& hi) {
  const std::int64_t limit = std::int64_t{256} * (size - 1);
  const auto at = [&](int i) { return bilinearFixed(row + step * i, size); };
  if (step >= 0.0) {
    lo = firstWhere(first, end, [&](int i) { return at(i) >= 0; });
    hi = firstWhere(lo, end, [&](int i) { return at(i) >= limit; });
  } else {
    lo = firstWhere(first, end, [&](int i) { return at(i) < limit; });
    hi = firstWhere(lo, end, [&](int i) { return at(i) < 0; });
  }
}

// Bilinear pixels first..end-1 of an affine row whose taps are all inside the surface (see spanInside): u and v
// go through the same double operations as bilinearFixed, in two lanes, and the in-range positions are truncated,
// which equals floor() for these non-negative values.
template <unsigned BlendFlags>
void bilinearSpanInside(std::uint8_t* line, const PixelRows& source, double uRow, double vRow, double du, double dv,
                        int first, int end, const Writer<BlendFlags>& writer) {
  const std::uint8_t* const pixels = source.pixels;
  const std::ptrdiff_t pitch = source.pitch;
  const __m128d row = _mm_set_pd(vRow, uRow), step = _mm_set_pd(dv, du);
  const __m128d half = _mm_set1_pd(0.5), scale = _mm_set1_pd(256.0), one = _mm_set1_pd(1.0);
  __m128d index = _mm_set1_pd(static_cast<double>(first));
  for (int i = first; i < end; ++i, index = _mm_add_pd(index, one)) {
    const __m128d uv = _mm_add_pd(row, _mm_mul_pd(step, index));
    const __m128i fixed = _mm_cvttpd_epi32(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(uv, half), scale), half));
    const int fu = _mm_cvtsi128_si32(fixed), fv = _mm_cvtsi128_si32(_mm_srli_si128(fixed, 4));
    const std::uint8_t* p = pixels + std::ptrdiff_t{fv >> 8} * pitch + std::ptrdiff_t{4} * (fu >> 8);
    const __m128i top = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    const __m128i bottom = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + pitch));
    writer.put(line + std::ptrdiff_t{4} * i, bilinearWords(top, bottom, fu & 255, fv & 255));
  }
}

// The normal-path flags that a variant's per-pixel blend uses.
constexpr unsigned blendFlagsOf(unsigned key) {
  return ((key & kTransformModulate) ? kFlagModulate : 0u) | ((key & kTransformRate) ? kFlagRate : 0u) |
         ((key & kTransformSourceAlpha) ? kFlagSourceAlpha : 0u);
}

bool finite(float value) {
  return std::isfinite(value);
}

// Whether the quad can be drawn by a variant with or without perspective.
bool drawable(const TransformQuad& quad, bool perspective) {
  for (int i = 0; i < 4; ++i) {
    const TransformQuad::Corner& c = quad.corners[i];
    if (!finite(c.x) || !finite(c.y) || !finite(c.z) || !finite(c.w)) return false;
    if (i < 3 && (!finite(c.u) || !finite(c.v))) return false;
    if (perspective && !(c.w > 0.0f)) return false;
  }
  return true;
}

template <unsigned Key, unsigned BlendFlags>
void drawQuad(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
              const BlendParams& params) {
  constexpr bool kBilinear = (Key & kTransformBilinear) != 0;
  constexpr bool kGeneral = (Key & kTransformGeneral) != 0;
  constexpr bool kPerspective = (Key & kTransformPerspective) != 0;
  if (!destination.pixels || !source.pixels || destination.width < 1 || destination.height < 1 || source.width < 1 ||
      source.height < 1 || !drawable(quad, kPerspective)) {
    return;
  }
  const auto& c = quad.corners;
  const double det =
      (double{c[1].x} - c[0].x) * (double{c[2].y} - c[0].y) - (double{c[2].x} - c[0].x) * (double{c[1].y} - c[0].y);
  if (!(det != 0.0) || !std::isfinite(det)) return;

  // u, v (affine) or u / w, v / w, 1 / w (perspective) as planes over the destination.
  double q[3] = {1.0, 1.0, 1.0};
  if constexpr (kPerspective) {
    for (int i = 0; i < 3; ++i) q[i] = 1.0 / c[i].w;
  }
  const Plane pu = fitPlane(quad, det, c[0].u * q[0], c[1].u * q[1], c[2].u * q[2]);
  const Plane pv = fitPlane(quad, det, c[0].v * q[0], c[1].v * q[1], c[2].v * q[2]);
  const Plane pq = fitPlane(quad, det, q[0], q[1], q[2]);

  const Triangle first = makeTriangle(c[0], c[1], c[2]);
  const Triangle second = makeTriangle(c[1], c[3], c[2]);
  double top = c[0].y, bottom = c[0].y;
  for (const auto& corner : c) top = std::min<double>(top, corner.y), bottom = std::max<double>(bottom, corner.y);
  const int rowBegin = firstIndexAtOrAfter(top, destination.height);
  const int rowEnd = firstIndexAtOrAfter(bottom, destination.height);
  const double x0 = c[0].x, y0 = c[0].y;
  const bool smallSource = source.width <= kSmallSide && source.height <= kSmallSide;
  const Writer<BlendFlags> writer(params);

  for (int row = rowBegin; row < rowEnd; ++row) {
    const double y = row + 0.5;
    int runs[2][2];
    triangleRun(first, y, destination.width, runs[0][0], runs[0][1]);
    triangleRun(second, y, destination.width, runs[1][0], runs[1][1]);
    const bool has0 = runs[0][0] < runs[0][1], has1 = runs[1][0] < runs[1][1];
    int runCount = 0, spans[2][2];
    if (has0 && has1 && (!kGeneral || (runs[0][0] <= runs[1][1] && runs[1][0] <= runs[0][1]))) {
      spans[runCount][0] = std::min(runs[0][0], runs[1][0]), spans[runCount++][1] = std::max(runs[0][1], runs[1][1]);
    } else {
      if (has0) spans[runCount][0] = runs[0][0], spans[runCount++][1] = runs[0][1];
      if (has1) spans[runCount][0] = runs[1][0], spans[runCount++][1] = runs[1][1];
    }
    if (runCount == 0) continue;

    // Values at the centre of pixel 0 of this row; pixel i adds i steps.
    const double dy = y - y0, dx = 0.5 - x0;
    const double uRow = pu.at0 + pu.dx * dx + pu.dy * dy;
    const double vRow = pv.at0 + pv.dx * dx + pv.dy * dy;
    const double qRow = pq.at0 + pq.dx * dx + pq.dy * dy;
    std::uint8_t* line = destination.pixels + row * destination.pitch;
    const auto drawPixels = [&](int from, int to) {
      if constexpr (kBilinear && !kPerspective) {
        if (smallSource) {
          return bilinearSpanClamped<BlendFlags>(line, source, uRow, vRow, pu.dx, pv.dx, from, to, writer);
        }
      }
      for (int i = from; i < to; ++i) {
        double u = uRow + pu.dx * i, v = vRow + pv.dx * i;
        if constexpr (kPerspective) {
          const double w = qRow + pq.dx * i;
          if (!(w > 0.0)) continue;
          u /= w, v /= w;
        }
        writer.put(line + std::ptrdiff_t{4} * i, sampleTexel<kBilinear>(source, u, v));
      }
    };
    for (int s = 0; s < runCount; ++s) {
      const int from = spans[s][0], to = spans[s][1];
      if constexpr (kBilinear && !kPerspective) {
        // The pixels whose taps need clamping sit at the ends of the run (near the surface's edges).
        int uLo, uHi, vLo, vHi;
        unclampedRun(uRow, pu.dx, source.width, from, to, uLo, uHi);
        unclampedRun(vRow, pv.dx, source.height, from, to, vLo, vHi);
        const int lo = std::max(uLo, vLo), hi = std::min(uHi, vHi);
        if (lo < hi && spanInside(source, uRow, vRow, pu.dx, pv.dx, lo, hi - 1)) {
          drawPixels(from, lo);
          bilinearSpanInside<BlendFlags>(line, source, uRow, vRow, pu.dx, pv.dx, lo, hi, writer);
          drawPixels(hi, to);
          continue;
        }
      }
      drawPixels(from, to);
    }
  }
}

template <unsigned Key>
void transformKernelOf(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                       const BlendParams& params) {
  constexpr unsigned kFlags = blendFlagsOf(Key);
  if constexpr ((kFlags & kFlagRate) != 0) {
    // A rate of 255 is not folded in, as in the normal path (decided once per sprite, not per pixel).
    if (params.rate == 255) return drawQuad<Key, kFlags & ~kFlagRate>(destination, source, quad, params);
  }
  drawQuad<Key, kFlags>(destination, source, quad, params);
}

template <std::size_t... Keys>
constexpr std::array<TransformKernel, kTransformKeyCount> expandTransformTable(std::index_sequence<Keys...>) {
  return {&transformKernelOf<static_cast<unsigned>(Keys)>...};
}

constexpr std::array<TransformKernel, kTransformKeyCount> kTransformTable =
    expandTransformTable(std::make_index_sequence<kTransformKeyCount>{});

}  // namespace

int saturatingTruncate(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

unsigned transformKey(const TransformQuad& quad, bool modulated, bool bilinear, bool simd, int rate, bool sourceAlpha) {
  const auto& c = quad.corners;
  const auto t = [](float value) { return saturatingTruncate(value); };
  const bool axisAligned =
      t(c[0].x) == t(c[2].x) && t(c[1].x) == t(c[3].x) && t(c[0].y) == t(c[1].y) && t(c[2].y) == t(c[3].y);
  bool depthVaries = false;
  for (int i = 1; i < 4; ++i) depthVaries = depthVaries || std::fabs(c[i].z - c[0].z) >= 0.0001f;
  return (modulated ? kTransformModulate : 0u) | (bilinear ? kTransformBilinear : 0u) | (simd ? kTransformSimd : 0u) |
         (axisAligned ? 0u : kTransformGeneral) | (depthVaries ? kTransformPerspective : 0u) |
         (rate != 0 ? kTransformRate : 0u) | (sourceAlpha ? kTransformSourceAlpha : 0u);
}

TransformKernel transformKernel(unsigned key) {
  return key < kTransformKeyCount ? kTransformTable[key] : nullptr;
}

}  // namespace tamblet::kernels
