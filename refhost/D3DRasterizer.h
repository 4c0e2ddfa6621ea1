// The geometry half of a draw of the reference Direct3D device: pre-transformed triangles (screen
// x, y, z and rhw) covered with Direct3D 9's rules and cut into spans for the pixel path.
//
//   - Pixel centres lie at integer coordinates: pixel (x, y) is covered when the point (x, y) is
//     inside the triangle. Vertex positions are snapped to 1/256 pixel and the coverage test is exact
//     integer arithmetic on the snapped positions.
//   - Top-left fill rule: a centre exactly on an edge is covered only when the edge is a top edge
//     (horizontal, the triangle below it) or a left edge, so quads sharing an edge cover each pixel
//     once and a quad from (x − 0.5, y − 0.5) to (x + w − 0.5, y + h − 0.5) covers exactly w × h pixels.
//   - Culling by winding as seen on screen (y down): CULL_CCW (the default) drops counter-clockwise
//     triangles, CULL_CW clockwise ones; zero-area triangles draw nothing.
//   - Attributes (diffuse colour, u, v) are interpolated perspective-correctly with rhw; when the
//     three rhw are equal the interpolation is affine, which is the same thing exactly computed, so
//     quads with rhw 1 step u and v linearly. z is interpolated linearly in screen space.
//     A triangle with some rhw at or below 0 is interpolated affinely.
//   - SHADEMODE FLAT takes the colour of the triangle's first vertex.
//   - Triangles with a non-finite coordinate or rhw, or a vertex beyond ±262144 pixels, are skipped
//     (there is no clipping, only the render target, viewport-free, and the scissor rectangle).
//   - Each span starts from the attribute planes evaluated in double precision at its first pixel
//     and steps in float by multiplication (start + i · step), so a value never depends on how a
//     triangle was cut.
#pragma once

#include <cstdint>
#include <vector>

#include "refhost/D3DPipelineState.h"
#include "refhost/D3DPixelPath.h"

namespace refhost {

// One decoded vertex: what FVF 0x144 carries (a vertex without diffuse colour is white, without
// texture coordinates at (0, 0)).
struct D3DVertex {
  float x, y, z, rhw;
  std::uint32_t diffuse;
  float u, v;
};

// Where a draw goes: the render target, the depth buffer (or null), and the clip rectangle
// (right and bottom exclusive) — the target's bounds, cut by the scissor rectangle when it is on.
struct D3DTarget {
  D3DPixels pixels;
  float* depth = nullptr;
  std::int32_t depthPitch = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class D3DRasterizer {
 public:
  static constexpr float kGuardBand = 262144.0f;

  // Starts a draw with the pixel path already prepared for its states.
  void begin(D3DPixelPath& path, const D3DTarget& target, tamblet::DWORD cullMode, bool flatShading);
  void triangle(const D3DVertex& a, const D3DVertex& b, const D3DVertex& c);

 private:
  D3DPixelPath* path_ = nullptr;
  D3DTarget target_;
  tamblet::DWORD cullMode_ = 0;
  bool flat_ = false;
  std::vector<float> u_, v_, z_;
  std::vector<std::uint32_t> diffuse_;
};

}  // namespace refhost
