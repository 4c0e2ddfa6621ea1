// The rasterisation rule of the transform kernels:
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
// - Blending. The texel goes through the normal path's arithmetic (modulation, coverage from source alpha and
//   blend rate, method 0), shared with the normal kernels. As in the normal path a rate of 255 is not folded in, so
//   an axis-aligned unscaled quad gives exactly the normal path's pixels.
// - Nothing is drawn when a corner position or a used texture coordinate is not finite, when the top-left,
//   top-right and bottom-left corners are collinear (the mapping has no inverse), or, in the perspective variants,
//   when a corner's w is 0 or less; pixels where the interpolated 1 / w is not positive are skipped.
// - The axis-aligned variants fill each row from the leftmost to the rightmost covered centre; the general ones
//   keep the two triangles' runs apart when they do not touch. For any convex quad both give the same pixels.
#include "compose/kernels/TransformGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace tamblet::kernels::transform {
namespace {

Edge makeEdge(double ax, double ay, double bx, double by) {
  if (by < ay || (by == ay && bx < ax)) {
    std::swap(ax, bx);
    std::swap(ay, by);
  }
  Edge edge{ax, ay, by, 0.0};
  if (by > ay) edge.slope = (bx - ax) / (by - ay);
  return edge;
}

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

// The plane through the values f0, f1, f2 at the top-left, top-right and bottom-left corners; det is the mapping's
// determinant (non-zero).
Plane fitPlane(const TransformQuad& quad, double det, double f0, double f1, double f2) {
  const auto& c = quad.corners;
  const double x1 = double{c[1].x} - c[0].x, y1 = double{c[1].y} - c[0].y;
  const double x2 = double{c[2].x} - c[0].x, y2 = double{c[2].y} - c[0].y;
  return {f0, ((f1 - f0) * y2 - (f2 - f0) * y1) / det, (x1 * (f2 - f0) - x2 * (f1 - f0)) / det};
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

// Surfaces up to this side keep every bilinear position (256 per texel, plus margins) inside 32 bits.
constexpr int kSmallSide = 1 << 22;

// Whether every bilinear tap of pixels first..last of a row (affine mapping) lies inside the surface without
// clamping: both end positions in 0 .. 256 (size - 1) - 1, which by monotonicity bounds every pixel between.
bool spanInside(const PixelRows& source, double uRow, double vRow, double du, double dv, int first, int last) {
  if (source.width < 2 || source.height < 2 || source.width > kSmallSide || source.height > kSmallSide) return false;
  const auto inside = [](std::int64_t fixed, int size) { return fixed >= 0 && fixed < std::int64_t{256} * (size - 1); };
  return inside(bilinearFixed(uRow + du * first, source.width), source.width) &&
         inside(bilinearFixed(uRow + du * last, source.width), source.width) &&
         inside(bilinearFixed(vRow + dv * first, source.height), source.height) &&
         inside(bilinearFixed(vRow + dv * last, source.height), source.height);
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
// positions are monotone along the row (each operation is), so each bound is one search.
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

}  // namespace

void unclampedSpan(const PixelRows& source, const QuadSetup& setup, const RowRuns& runs, int first, int end, int& lo,
                   int& hi) {
  int uLo, uHi, vLo, vHi;
  unclampedRun(runs.u, setup.u.dx, source.width, first, end, uLo, uHi);
  unclampedRun(runs.v, setup.v.dx, source.height, first, end, vLo, vHi);
  lo = std::max(uLo, vLo), hi = std::min(uHi, vHi);
  // spanInside confirms the searches' result before it is used.
  if (lo < hi && !spanInside(source, runs.u, runs.v, setup.u.dx, setup.v.dx, lo, hi - 1)) lo = hi = first;
}

bool setUpQuad(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad, bool perspective,
               QuadSetup& setup) {
  if (!destination.pixels || !source.pixels || destination.width < 1 || destination.height < 1 || source.width < 1 ||
      source.height < 1 || !drawable(quad, perspective)) {
    return false;
  }
  const auto& c = quad.corners;
  const double det =
      (double{c[1].x} - c[0].x) * (double{c[2].y} - c[0].y) - (double{c[2].x} - c[0].x) * (double{c[1].y} - c[0].y);
  if (!(det != 0.0) || !std::isfinite(det)) return false;

  double q[3] = {1.0, 1.0, 1.0};
  if (perspective) {
    for (int i = 0; i < 3; ++i) q[i] = 1.0 / c[i].w;
  }
  setup.u = fitPlane(quad, det, c[0].u * q[0], c[1].u * q[1], c[2].u * q[2]);
  setup.v = fitPlane(quad, det, c[0].v * q[0], c[1].v * q[1], c[2].v * q[2]);
  setup.q = fitPlane(quad, det, q[0], q[1], q[2]);
  setup.first = makeTriangle(c[0], c[1], c[2]);
  setup.second = makeTriangle(c[1], c[3], c[2]);
  double top = c[0].y, bottom = c[0].y;
  for (const auto& corner : c) top = std::min<double>(top, corner.y), bottom = std::max<double>(bottom, corner.y);
  setup.rowBegin = firstIndexAtOrAfter(top, destination.height);
  setup.rowEnd = firstIndexAtOrAfter(bottom, destination.height);
  setup.x0 = c[0].x, setup.y0 = c[0].y;
  return true;
}

RowRuns rowRuns(const QuadSetup& setup, int row, int width, bool general) {
  RowRuns runs;
  const double y = row + 0.5;
  int pieces[2][2];
  triangleRun(setup.first, y, width, pieces[0][0], pieces[0][1]);
  triangleRun(setup.second, y, width, pieces[1][0], pieces[1][1]);
  const bool has0 = pieces[0][0] < pieces[0][1], has1 = pieces[1][0] < pieces[1][1];
  if (has0 && has1 && (!general || (pieces[0][0] <= pieces[1][1] && pieces[1][0] <= pieces[0][1]))) {
    runs.first[0] = std::min(pieces[0][0], pieces[1][0]), runs.end[0] = std::max(pieces[0][1], pieces[1][1]);
    runs.count = 1;
  } else {
    if (has0) runs.first[runs.count] = pieces[0][0], runs.end[runs.count++] = pieces[0][1];
    if (has1) runs.first[runs.count] = pieces[1][0], runs.end[runs.count++] = pieces[1][1];
  }
  const double dy = y - setup.y0, dx = 0.5 - setup.x0;
  runs.u = setup.u.at0 + setup.u.dx * dx + setup.u.dy * dy;
  runs.v = setup.v.at0 + setup.v.dx * dx + setup.v.dy * dy;
  runs.q = setup.q.at0 + setup.q.dx * dx + setup.q.dy * dy;
  return runs;
}

}  // namespace tamblet::kernels::transform
