// The SSE2 transform table: four pixels per group. Compiled with -msse2.
#include "compose/kernels/Sse2Lanes.h"

#include "compose/kernels/TransformSampling.h"

namespace tamblet::kernels {
namespace {

template <unsigned Key, unsigned BlendFlags>
struct DrawSse2 {
  static void draw(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                   const BlendParams& params) {
    transform::drawQuadSimd<Sse2, Sse2, Key, BlendFlags>(destination, source, quad, params);
  }
};

constexpr TransformKernelTable kSse2Table = transform::expandTransformTable<DrawSse2>();

}  // namespace

const TransformKernelTable& sse2TransformTable() { return kSse2Table; }

}  // namespace tamblet::kernels
