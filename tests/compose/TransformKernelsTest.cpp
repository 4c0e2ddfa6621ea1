// The transform-path kernels: every variant gives the per-pixel reference's bytes over random and hostile quads,
// and the variant key follows the corners.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "compose/kernels/BlendKernels.h"
#include "compose/kernels/TransformKernels.h"

namespace {

namespace k = tamblet::kernels;
using k::TransformQuad;

// Random pixels, with a one-pixel guard frame around the rows handed to the kernel when `frame` is 1. Without
// a frame the rows are exactly the pixels, so a read past the surface leaves the buffer.
struct Canvas {
  Canvas(int width, int height, std::uint32_t seed, int frame = 1)
      : width(width), height(height), frame(frame), pixels((width + 2 * frame) * (height + 2 * frame)) {
    std::mt19937 random(seed);
    for (auto& p : pixels) p = static_cast<std::uint32_t>(random());
  }
  k::PixelRows rows() { return {address(0, 0), 4 * (width + 2 * frame), width, height}; }
  std::uint32_t& at(int x, int y) { return pixels[(y + frame) * (width + 2 * frame) + x + frame]; }
  std::uint8_t* address(int x, int y) { return reinterpret_cast<std::uint8_t*>(&at(x, y)); }
  int width, height, frame;
  std::vector<std::uint32_t> pixels;
};
using Source = Canvas;

TransformQuad quadOf(const float corners[4][2], const float texels[3][2], float w = 1.0f) {
  TransformQuad quad;
  for (int i = 0; i < 4; ++i) {
    quad.corners[i].x = corners[i][0], quad.corners[i].y = corners[i][1], quad.corners[i].w = w;
    if (i < 3) quad.corners[i].u = texels[i][0], quad.corners[i].v = texels[i][1];
  }
  return quad;
}

void draw(k::KernelPath path, unsigned key, Canvas& destination, Source& source, const TransformQuad& quad,
          const k::BlendParams& params) {
  k::TransformKernel kernel = k::transformKernel(path, key);
  ASSERT_NE(kernel, nullptr);
  const k::PixelRows to = destination.rows(), from = source.rows();
  kernel(to, from, quad, params);
}

k::BlendParams someParams(std::uint8_t rate) {
  k::BlendParams params;
  params.rate = rate;
  const std::uint8_t multiply[4] = {200, 128, 255, 90}, add[4] = {5, 0, 40, 3};
  std::memcpy(params.multiply, multiply, 4);
  std::memcpy(params.add, add, 4);
  return params;
}

// A plain per-pixel copy of the kernels' rules (edges, runs, planes from the row start, floor of the 1/256
// positions, per-channel bilinear, one-pixel normal-kernel blend): the fast spans must give its bytes exactly.
namespace reference {
struct Edge {
  double xTop = 0, yTop = 0, yBottom = 0, slope = 0;
};
Edge edgeOf(double ax, double ay, double bx, double by) {
  if (by < ay || (by == ay && bx < ax)) std::swap(ax, bx), std::swap(ay, by);
  return {ax, ay, by, by > ay ? (bx - ax) / (by - ay) : 0.0};
}
int firstAtOrAfter(double position, int limit) {
  const double index = std::ceil(position - 0.5);
  return !(index > 0.0) ? 0 : index >= limit ? limit : static_cast<int>(index);
}
// The run of triangle (a, b, c) on row centre y.
std::pair<int, int> runOf(const TransformQuad::Corner& a, const TransformQuad::Corner& b,
                          const TransformQuad::Corner& c, double y, int width) {
  if (!((double{b.x} - a.x) * (double{c.y} - a.y) - (double{c.x} - a.x) * (double{b.y} - a.y) != 0.0)) return {0, 0};
  double crossings[2];
  int count = 0;
  for (const Edge& e : {edgeOf(a.x, a.y, b.x, b.y), edgeOf(b.x, b.y, c.x, c.y), edgeOf(c.x, c.y, a.x, a.y)})
    if (e.yTop <= y && y < e.yBottom && count < 2) crossings[count++] = e.xTop + (y - e.yTop) * e.slope;
  if (count < 2) return {0, 0};
  return {firstAtOrAfter(std::min(crossings[0], crossings[1]), width),
          firstAtOrAfter(std::max(crossings[0], crossings[1]), width)};
}
std::int64_t fixedOf(double value, int size) {
  double fixed = (value - 0.5) * 256.0;
  if (!(fixed > -256.0)) fixed = -256.0;
  if (fixed > 256.0 * size) fixed = 256.0 * size;
  return static_cast<std::int64_t>(std::floor(fixed + 0.5));
}
void sample(const k::PixelRows& s, double u, double v, bool bilinear, std::uint8_t texel[4]) {
  const auto at = [&](std::int64_t x, std::int64_t y) {
    return s.pixels + std::clamp<std::int64_t>(y, 0, s.height - 1) * s.pitch +
           4 * std::clamp<std::int64_t>(x, 0, s.width - 1);
  };
  if (!bilinear) {
    const auto nearest = [](double value, int size) {
      return !(value > 0.0) ? 0 : value >= size - 1 ? size - 1 : int(value);
    };
    return (void)std::memcpy(texel, at(nearest(u, s.width), nearest(v, s.height)), 4);
  }
  const std::int64_t fu = fixedOf(u, s.width), fv = fixedOf(v, s.height), iu = fu >> 8, iv = fv >> 8;
  const int wu = int(fu & 255), wv = int(fv & 255);
  for (int c = 0; c < 4; ++c) {
    const int top = at(iu, iv)[c] * (256 - wu) + at(iu + 1, iv)[c] * wu;
    const int bottom = at(iu, iv + 1)[c] * (256 - wu) + at(iu + 1, iv + 1)[c] * wu;
    texel[c] = static_cast<std::uint8_t>((top * (256 - wv) + bottom * wv + 32768) >> 16);
  }
}
void draw(unsigned key, const k::PixelRows& d, const k::PixelRows& s, const TransformQuad& quad,
          const k::BlendParams& params) {
  const bool perspective = key & k::kTransformPerspective;
  const auto& c = quad.corners;
  for (int i = 0; i < 4; ++i) {
    for (float value : {c[i].x, c[i].y, c[i].z, c[i].w, i < 3 ? c[i].u : 0.0f, i < 3 ? c[i].v : 0.0f})
      if (!std::isfinite(value)) return;
    if (perspective && !(c[i].w > 0.0f)) return;
  }
  const double x1 = double{c[1].x} - c[0].x, y1 = double{c[1].y} - c[0].y;
  const double x2 = double{c[2].x} - c[0].x, y2 = double{c[2].y} - c[0].y, det = x1 * y2 - x2 * y1;
  if (!(det != 0.0) || !std::isfinite(det)) return;
  double q[3] = {1.0, 1.0, 1.0}, planes[3][3];
  if (perspective)
    for (int i = 0; i < 3; ++i) q[i] = 1.0 / c[i].w;
  const double values[3][3] = {
      {c[0].u * q[0], c[1].u * q[1], c[2].u * q[2]}, {c[0].v * q[0], c[1].v * q[1], c[2].v * q[2]}, {q[0], q[1], q[2]}};
  for (int p = 0; p < 3; ++p) {
    const double f0 = values[p][0], f1 = values[p][1], f2 = values[p][2];
    planes[p][0] = f0, planes[p][1] = ((f1 - f0) * y2 - (f2 - f0) * y1) / det;
    planes[p][2] = (x1 * (f2 - f0) - x2 * (f1 - f0)) / det;
  }
  const unsigned flags = ((key & k::kTransformModulate) ? k::kFlagModulate : 0u) |
                         ((key & k::kTransformRate) && params.rate != 255 ? k::kFlagRate : 0u) |
                         ((key & k::kTransformSourceAlpha) ? k::kFlagSourceAlpha : 0u);
  double top = c[0].y, bottom = c[0].y;
  for (const auto& corner : c) top = std::min<double>(top, corner.y), bottom = std::max<double>(bottom, corner.y);
  for (int row = firstAtOrAfter(top, d.height); row < firstAtOrAfter(bottom, d.height); ++row) {
    const double y = row + 0.5;
    std::pair<int, int> runs[2] = {runOf(c[0], c[1], c[2], y, d.width), runOf(c[1], c[3], c[2], y, d.width)};
    const bool has0 = runs[0].first < runs[0].second, has1 = runs[1].first < runs[1].second;
    if (has0 && has1 &&
        (!(key & k::kTransformGeneral) || (runs[0].first <= runs[1].second && runs[1].first <= runs[0].second)))
      runs[0] = {std::min(runs[0].first, runs[1].first), std::max(runs[0].second, runs[1].second)}, runs[1] = {0, 0};
    double rowValue[3];
    for (int p = 0; p < 3; ++p)
      rowValue[p] = planes[p][0] + planes[p][1] * (0.5 - c[0].x) + planes[p][2] * (y - c[0].y);
    for (const auto& [first, end] : runs) {
      for (int i = first; i < end; ++i) {
        double u = rowValue[0] + planes[0][1] * i, v = rowValue[1] + planes[1][1] * i;
        if (perspective) {
          const double w = rowValue[2] + planes[2][1] * i;
          if (!(w > 0.0)) continue;
          u /= w, v /= w;
        }
        std::uint8_t texel[4];
        sample(s, u, v, key & k::kTransformBilinear, texel);
        k::normalKernel(k::KernelPath::kScalar, 0, flags)(d.pixels + row * d.pitch + 4 * i, 4, texel, 4, 1, 1, params);
      }
    }
  }
}
}  // namespace reference

// Every variant on every path gives the reference's bytes, guard frame included, over seeded random quads
// (inside the surface, around it, whole texels, axis-aligned, corners on half pixels so that edges pass through
// pixel centres, equal depths) and a table of hostile ones (non-finite or collinear corners, a non-finite texel,
// depths of 0 or below, huge but finite sides), for which the reference draws nothing or stays in the surface.
TEST(TransformKernels, EveryVariantMatchesThePerPixelReference) {
  std::vector<k::KernelPath> paths;
  for (k::KernelPath path : {k::KernelPath::kScalar, k::KernelPath::kSse2, k::KernelPath::kAvx2})
    if (k::kernelPathSupported(path)) paths.push_back(path);
  const auto check = [&](Source& source, const TransformQuad& quad, const k::BlendParams& params, int trial) {
    for (unsigned key = 0; key < k::kTransformKeyCount; ++key) {
      Canvas slow(40, 32, trial);
      reference::draw(key, slow.rows(), source.rows(), quad, params);
      for (k::KernelPath path : paths) {
        Canvas fast(40, 32, trial);
        draw(path, key, fast, source, quad, params);
        ASSERT_EQ(fast.pixels, slow.pixels) << "trial " << trial << " key " << key << " " << k::kernelPathName(path);
      }
    }
  };
  std::mt19937 random(77);
  const auto uniform = [&](double low, double high) {
    return std::uniform_real_distribution<double>(low, high)(random);
  };
  for (int trial = 0; trial < 150; ++trial) {
    const int kind = trial % 5;
    Source source(1 + random() % 24, 1 + random() % 24, random(), 0);
    if (trial % 8 == 7) source = Source(1 + random() % 2, 1 + random() % 3, random(), 0);
    TransformQuad quad;
    for (int i = 0; i < 4; ++i) {
      auto& corner = quad.corners[i];
      corner.x = float(uniform(-8, 48)), corner.y = float(uniform(-8, 40)), corner.z = float(uniform(0, 1));
      corner.w = trial % 6 == 5 ? quad.corners[0].w : float(uniform(0.25, 3));
      corner.u = float(kind == 0 ? uniform(0.5, source.width - 0.5) : uniform(-4, source.width + 4));
      corner.v = float(kind == 0 ? uniform(0.5, source.height - 0.5) : uniform(-4, source.height + 4));
      if (kind == 2) corner.u = std::floor(corner.u), corner.v = std::floor(corner.v);
      if (kind == 4) corner.x = std::round(corner.x * 2) / 2, corner.y = std::round(corner.y * 2) / 2;
    }
    if (kind == 3) {
      auto& c = quad.corners;
      c[1].y = c[0].y, c[2].x = c[0].x, c[3].x = c[1].x, c[3].y = c[2].y;
    }
    k::BlendParams params = someParams(static_cast<std::uint8_t>(random()));
    if (trial % 5 == 0) params.rate = 255;
    check(source, quad, params, trial);
  }

  Source source(7, 5, 11, 0);
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  const float big = 1e30f, edge = 2147483648.0f;
  const float texels[3][2] = {{0, 0}, {7, 0}, {0, 5}};
  const float hostile[][4][2] = {
      {{nan, 0}, {10, 0}, {0, 10}, {10, 10}},   {{0, 0}, {inf, 0}, {0, 10}, {10, 10}},
      {{0, 0}, {10, 0}, {0, -inf}, {10, 10}},   {{0, 0}, {10, 0}, {0, 10}, {nan, nan}},
      {{0, 0}, {10, 10}, {20, 20}, {0, 20}},    {{5, 5}, {5, 5}, {5, 5}, {5, 5}},
      {{-big, -big}, {big, -big}, {-big, big}, {big, big}},
      {{-edge, -edge}, {edge, -edge}, {-edge, edge}, {edge, edge}},
      {{-big, 3}, {big, 3.5f}, {-big, 9}, {big, 9}},
      {{1e-30f, 0}, {big, 1e-30f}, {0, big}, {-big, -big}},
      {{edge, edge}, {big, edge}, {edge, big}, {big, big}},
      {{10.3f, 2.7f}, {30.9f, 9.1f}, {4.2f, 21.6f}, {26.0f, 28.4f}},  // with the bad texel and depths below
  };
  int trial = 1000;
  for (const auto& corners : hostile) check(source, quadOf(corners, texels), someParams(200), trial++);
  TransformQuad quad = quadOf(hostile[std::size(hostile) - 1], texels);
  quad.corners[1].u = nan;
  check(source, quad, k::BlendParams{}, trial++);
  for (float bad : {0.0f, -1.0f, inf}) {
    quad = quadOf(hostile[std::size(hostile) - 1], texels);
    quad.corners[3].w = bad;
    check(source, quad, someParams(99), trial++);
  }
}

// Rows stored bottom-up (negative pitches) on either side, magnified and reduced quads whose runs are long enough
// for whole groups of pixels inside the surface (the gathered taps) and short enough for partial ones: every path
// gives the reference's bytes.
TEST(TransformKernels, BottomUpRowsAndWholeGroupsMatchTheReferenceOnEveryPath) {
  struct Case {
    int sourceWidth, sourceHeight;
    bool sourceUp, destinationUp;
    float scale;  // quad side over surface side
  };
  constexpr Case kCases[] = {{24, 20, true, false, 1.6f}, {24, 20, false, true, 0.7f}, {33, 17, true, true, 1.1f},
                             {7, 40, true, false, 5.0f},  {40, 3, false, true, 0.9f}};
  int trial = 2000;
  for (const Case& c : kCases) {
    Source source(c.sourceWidth, c.sourceHeight, trial, 0);
    k::PixelRows from = source.rows();
    if (c.sourceUp) from.pixels += (from.height - 1) * from.pitch, from.pitch = -from.pitch;
    const float w = c.scale * c.sourceWidth, h = c.scale * c.sourceHeight;
    const float corners[4][2] = {{3.5f, 2.25f}, {3.5f + w, 4.0f}, {1.0f, 2.25f + h}, {1.0f + w, 4.0f + h}};
    const float texels[3][2] = {{0, 0}, {float(c.sourceWidth), 0}, {0, float(c.sourceHeight)}};
    const TransformQuad quad = quadOf(corners, texels);
    for (unsigned key = 0; key < k::kTransformKeyCount; ++key) {
      if (key & k::kTransformPerspective) continue;  // equal depths: the affine variants' geometry
      Canvas slow(72, 64, trial);
      k::PixelRows expected = slow.rows();
      if (c.destinationUp) expected.pixels += (expected.height - 1) * expected.pitch, expected.pitch = -expected.pitch;
      reference::draw(key, expected, from, quad, someParams(170));
      for (k::KernelPath path : {k::KernelPath::kScalar, k::KernelPath::kSse2, k::KernelPath::kAvx2}) {
        if (!k::kernelPathSupported(path)) continue;
        Canvas fast(72, 64, trial);
        k::PixelRows to = fast.rows();
        if (c.destinationUp) to.pixels += (to.height - 1) * to.pitch, to.pitch = -to.pitch;
        k::transformKernel(path, key)(to, from, quad, someParams(170));
        ASSERT_EQ(fast.pixels, slow.pixels) << "trial " << trial << " key " << key << " " << k::kernelPathName(path);
      }
    }
    ++trial;
  }
}

// The transform table follows the active kernel path, as the blend table does.
TEST(TransformKernels, TheActivePathPicksTheTable) {
  const k::KernelPath initial = k::activeKernelPath();
  for (k::KernelPath path : {k::KernelPath::kScalar, k::KernelPath::kSse2, k::KernelPath::kAvx2}) {
    if (!k::forceKernelPath(path)) continue;
    for (unsigned key = 0; key < k::kTransformKeyCount; ++key) {
      EXPECT_EQ(k::transformKernel(key), k::transformKernel(path, key)) << k::kernelPathName(path) << " key " << key;
    }
    if (path != k::KernelPath::kScalar) {
      EXPECT_NE(k::transformKernel(0), k::transformKernel(k::KernelPath::kScalar, 0));
    }
  }
  k::forceKernelPath(initial);
}

TEST(TransformKernels, VariantKeyFollowsTheCorners) {
  for (const auto& [value, expected] :
       {std::pair{std::nan(""), 0}, {1e10, INT_MAX}, {-1e10, INT_MIN}, {-1.7, -1}, {2147483647.5, INT_MAX}})
    EXPECT_EQ(k::saturatingTruncate(value), expected) << value;

  const float corners[4][2] = {{10.2f, 3.9f}, {20.1f, 3.0f}, {10.9f, 8.5f}, {20.8f, 8.0f}};
  const float texels[3][2] = {{0, 0}, {4, 0}, {0, 4}};
  TransformQuad quad = quadOf(corners, texels);
  EXPECT_EQ(k::transformKey(quad, false, false, 0, false), 0u);  // truncated corners line up
  EXPECT_EQ(k::transformKey(quad, true, true, 1, true), 1u | 2u | 16u | 32u);
  quad.corners[3].y = 9.0f;
  EXPECT_EQ(k::transformKey(quad, false, false, 0, false), k::kTransformGeneral);
  quad.corners[3].y = 8.0f;
  quad.corners[2].z = 0.0001f;  // a difference of 0.0001 counts
  EXPECT_EQ(k::transformKey(quad, false, false, 0, false), k::kTransformPerspective);
  quad.corners[2].z = 0.00009f;
  EXPECT_EQ(k::transformKey(quad, false, false, 0, false), 0u);
  quad.corners[0].x = std::numeric_limits<float>::quiet_NaN();  // saturating conversion: 0 against 10
  EXPECT_EQ(k::transformKey(quad, false, false, 0, false), k::kTransformGeneral);
  EXPECT_EQ(k::transformKernel(k::kTransformKeyCount), nullptr);
  EXPECT_EQ(k::transformKernel(k::KernelPath::kAvx2, k::kTransformKeyCount), nullptr);
}

}  // namespace
