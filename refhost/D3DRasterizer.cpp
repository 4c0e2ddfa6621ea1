#include "refhost/D3DRasterizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace refhost {

using namespace tamblet;

namespace {

constexpr std::int64_t kSubpixel = 256;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {  // b > 0
  const std::int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return -floorDiv(-a, b); }  // b > 0

// a(x, y) = at + dx · (x − x0) + dy · (y − y0), from the values at the three vertices.
struct Plane {
  double at = 0, dx = 0, dy = 0, x0 = 0, y0 = 0;
  double value(double x, double y) const { return at + dx * (x - x0) + dy * (y - y0); }
};

struct Setup {
  double x[3], y[3], det;
  Plane plane(double a0, double a1, double a2) const {
    Plane p;
    p.at = a0;
    p.x0 = x[0];
    p.y0 = y[0];
    const double ex1 = x[1] - x[0], ey1 = y[1] - y[0], ex2 = x[2] - x[0], ey2 = y[2] - y[0];
    p.dx = ((a1 - a0) * ey2 - (a2 - a0) * ey1) / det;
    p.dy = ((a2 - a0) * ex1 - (a1 - a0) * ex2) / det;
    return p;
  }
};

double channel(std::uint32_t word, int c) { return static_cast<double>((word >> (8 * c)) & 0xFF); }

}  // namespace

void D3DRasterizer::begin(D3DPixelPath& path, const D3DTarget& target, DWORD cullMode, bool flatShading) {
  path_ = &path;
  target_ = target;
  cullMode_ = cullMode;
  flat_ = flatShading;
  const auto width = static_cast<std::size_t>(std::max(target.right - target.left, 1));
  for (auto* row : {&u_, &v_, &z_})
    if (row->size() < width) row->resize(width);
  if (diffuse_.size() < width) diffuse_.resize(width);
}

void D3DRasterizer::triangle(const D3DVertex& a, const D3DVertex& b, const D3DVertex& c) {
  const D3DVertex* vertex[3] = {&a, &b, &c};
  std::int64_t X[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    const D3DVertex& p = *vertex[i];
    if (!(std::fabs(p.x) <= kGuardBand) || !(std::fabs(p.y) <= kGuardBand) || !std::isfinite(p.rhw) ||
        !std::isfinite(p.z) || !std::isfinite(p.u) || !std::isfinite(p.v))
      return;
    X[i] = std::llround(static_cast<double>(p.x) * kSubpixel);
    Y[i] = std::llround(static_cast<double>(p.y) * kSubpixel);
  }
  const std::int64_t area = (X[1] - X[0]) * (Y[2] - Y[0]) - (X[2] - X[0]) * (Y[1] - Y[0]);
  if (area == 0) return;
  // Positive area is clockwise on screen (y runs down).
  if ((cullMode_ == D3DCULL_CCW && area < 0) || (cullMode_ == D3DCULL_CW && area > 0)) return;
  const std::uint32_t flatColour = a.diffuse;
  if (area < 0) {
    std::swap(vertex[1], vertex[2]);
    std::swap(X[1], X[2]);
    std::swap(Y[1], Y[2]);
  }

  // Rows whose centres can be covered, cut to the clip rectangle.
  const std::int64_t minY = std::min({Y[0], Y[1], Y[2]}), maxY = std::max({Y[0], Y[1], Y[2]});
  const std::int64_t firstRow = std::max<std::int64_t>(ceilDiv(minY, kSubpixel), target_.top);
  const std::int64_t lastRow = std::min<std::int64_t>(floorDiv(maxY, kSubpixel), target_.bottom - 1);
  if (firstRow > lastRow) return;

  struct Edge {
    std::int64_t dx, dy, x0, y0, bias;
  } edges[3];
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    Edge& e = edges[i];
    e.dx = X[j] - X[i];
    e.dy = Y[j] - Y[i];
    e.x0 = X[i];
    e.y0 = Y[i];
    const bool topLeft = e.dy < 0 || (e.dy == 0 && e.dx > 0);
    e.bias = topLeft ? 0 : 1;  // a centre on the edge counts only for top and left edges
  }

  // Attribute planes over the snapped positions.
  Setup setup;
  for (int i = 0; i < 3; ++i) {
    setup.x[i] = static_cast<double>(X[i]) / kSubpixel;
    setup.y[i] = static_cast<double>(Y[i]) / kSubpixel;
  }
  setup.det = (setup.x[1] - setup.x[0]) * (setup.y[2] - setup.y[0]) - (setup.x[2] - setup.x[0]) * (setup.y[1] - setup.y[0]);
  const D3DVertex &p0 = *vertex[0], &p1 = *vertex[1], &p2 = *vertex[2];
  const bool equalRhw = p0.rhw == p1.rhw && p1.rhw == p2.rhw;
  const bool perspective = !equalRhw && p0.rhw > 0 && p1.rhw > 0 && p2.rhw > 0;
  const double q0 = perspective ? p0.rhw : 1.0, q1 = perspective ? p1.rhw : 1.0, q2 = perspective ? p2.rhw : 1.0;
  const Plane q = setup.plane(q0, q1, q2);
  const Plane u = setup.plane(p0.u * q0, p1.u * q1, p2.u * q2);
  const Plane v = setup.plane(p0.v * q0, p1.v * q1, p2.v * q2);
  const bool constantColour = flat_ || (p0.diffuse == p1.diffuse && p1.diffuse == p2.diffuse);
  Plane colour[4];
  if (!constantColour) {
    for (int ch = 0; ch < 4; ++ch)
      colour[ch] = setup.plane(channel(p0.diffuse, ch) * q0, channel(p1.diffuse, ch) * q1, channel(p2.diffuse, ch) * q2);
  }
  const Plane z = setup.plane(p0.z, p1.z, p2.z);

  const bool textured = path_->texturesRead();
  const bool depth = target_.depth && path_->depthRead();
  if (textured) {
    float dudx = static_cast<float>(u.dx), dvdx = static_cast<float>(v.dx);
    float dudy = static_cast<float>(u.dy), dvdy = static_cast<float>(v.dy);
    if (perspective) {
      dudx = static_cast<float>((u.dx - p0.u * q.dx) / q0);
      dvdx = static_cast<float>((v.dx - p0.v * q.dx) / q0);
      dudy = static_cast<float>((u.dy - p0.u * q.dy) / q0);
      dvdy = static_cast<float>((v.dy - p0.v * q.dy) / q0);
    }
    path_->beginTriangle(dudx, dvdx, dudy, dvdy);
  }

  D3DPixelPath::Span span;
  span.u = u_.data();
  span.v = v_.data();
  span.z = z_.data();
  span.diffuse = diffuse_.data();
  span.diffuseConstant = constantColour;
  span.affine = !perspective;
  if (constantColour) diffuse_[0] = flat_ ? flatColour : p0.diffuse;

  for (std::int64_t row = firstRow; row <= lastRow; ++row) {
    std::int64_t lo = target_.left, hi = target_.right - 1;
    const std::int64_t py = row * kSubpixel;
    for (const Edge& e : edges) {
      // E(px) = A · px + B; covered where E >= bias.
      const std::int64_t A = -e.dy * kSubpixel;
      const std::int64_t B = e.dx * (py - e.y0) + e.dy * e.x0;
      if (A > 0) lo = std::max(lo, ceilDiv(e.bias - B, A));
      else if (A < 0) hi = std::min(hi, floorDiv(B - e.bias, -A));
      else if (B < e.bias) hi = lo - 1;
    }
    if (lo > hi) continue;
    const auto n = static_cast<std::int32_t>(hi - lo + 1);
    const double fx = static_cast<double>(lo), fy = static_cast<double>(row);
    span.count = n;

    const float qStart = static_cast<float>(q.value(fx, fy)), qStep = static_cast<float>(q.dx);
    if (textured) {
      const float uStart = static_cast<float>(u.value(fx, fy)), uStep = static_cast<float>(u.dx);
      const float vStart = static_cast<float>(v.value(fx, fy)), vStep = static_cast<float>(v.dx);
      if (perspective) {
        for (std::int32_t i = 0; i < n; ++i) {
          const float fi = static_cast<float>(i), w = qStart + fi * qStep;
          u_[i] = (uStart + fi * uStep) / w;
          v_[i] = (vStart + fi * vStep) / w;
        }
      } else {
        span.uStart = uStart;
        span.uStep = uStep;
        span.vStart = vStart;
        span.vStep = vStep;
      }
    }
    if (!constantColour) {
      float start[4], step[4];
      for (int ch = 0; ch < 4; ++ch) {
        start[ch] = static_cast<float>(colour[ch].value(fx, fy));
        step[ch] = static_cast<float>(colour[ch].dx);
      }
      for (std::int32_t i = 0; i < n; ++i) {
        const float fi = static_cast<float>(i), w = perspective ? qStart + fi * qStep : 1.0f;
        std::uint32_t word = 0;
        for (int ch = 0; ch < 4; ++ch) {
          const float raw = (start[ch] + fi * step[ch]) / w;
          const float value = raw > 0.0f ? (raw < 255.0f ? raw : 255.0f) : 0.0f;  // NaN gives 0
          word |= static_cast<std::uint32_t>(value + 0.5f) << (8 * ch);
        }
        diffuse_[i] = word;
      }
    }
    float* depthRow = nullptr;
    if (depth) {
      const float zStart = static_cast<float>(z.value(fx, fy)), zStep = static_cast<float>(z.dx);
      for (std::int32_t i = 0; i < n; ++i) z_[i] = zStart + static_cast<float>(i) * zStep;
      depthRow = target_.depth + row * target_.depthPitch + lo;
    }
    path_->shade(span, target_.pixels.row(static_cast<std::int32_t>(row)) + lo, depthRow);
  }
}

}  // namespace refhost
