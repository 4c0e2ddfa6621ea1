// The AVX2 transform table: eight pixels per group. Compiled with -mavx2; used only when the processor has AVX2.
#include "compose/kernels/Avx2Lanes.h"

#include "compose/kernels/TransformSampling.h"

namespace tamblet::kernels {
namespace {

template <unsigned Key, unsigned BlendFlags>
struct DrawAvx2 {
  static void draw(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                   const BlendParams& params) {
    transform::drawQuadSimd<Avx2, Avx2, Key, BlendFlags>(destination, source, quad, params);
  }
};

constexpr TransformKernelTable kAvx2Table = transform::expandTransformTable<DrawAvx2>();

}  // namespace

const TransformKernelTable& avx2TransformTable() { return kAvx2Table; }

}  // namespace tamblet::kernels
