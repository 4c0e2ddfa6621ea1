// The scalar transform table: one pixel at a time, the reference the SIMD tables are held to.
#include "compose/kernels/TransformSampling.h"

namespace tamblet::kernels {
namespace {

struct TransformScalarIsa {};

template <unsigned Key, unsigned BlendFlags>
struct DrawScalar {
  static void draw(const PixelRows& destination, const PixelRows& source, const TransformQuad& quad,
                   const BlendParams& params) {
    transform::drawQuadScalar<TransformScalarIsa, Key, BlendFlags>(destination, source, quad, params);
  }
};

constexpr TransformKernelTable kScalarTable = transform::expandTransformTable<DrawScalar>();

}  // namespace

const TransformKernelTable& scalarTransformTable() { return kScalarTable; }

}  // namespace tamblet::kernels
