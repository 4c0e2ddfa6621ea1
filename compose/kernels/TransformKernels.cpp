// The transform variant key and the choice of a transform table by kernel path.
#include "compose/kernels/TransformKernels.h"

#include <cmath>
#include <limits>

#include "compose/kernels/TransformSampling.h"

namespace tamblet::kernels {

int saturatingTruncate(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<int>::max();
  if (value <= -2147483648.0) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

unsigned transformKey(const TransformQuad& quad, bool modulated, bool bilinear, int rate, bool sourceAlpha) {
  const auto& c = quad.corners;
  const auto t = [](float value) { return saturatingTruncate(value); };
  const bool axisAligned =
      t(c[0].x) == t(c[2].x) && t(c[1].x) == t(c[3].x) && t(c[0].y) == t(c[1].y) && t(c[2].y) == t(c[3].y);
  bool depthVaries = false;
  for (int i = 1; i < 4; ++i) depthVaries = depthVaries || std::fabs(c[i].z - c[0].z) >= 0.0001f;
  return (modulated ? kTransformModulate : 0u) | (bilinear ? kTransformBilinear : 0u) |
         (axisAligned ? 0u : kTransformGeneral) | (depthVaries ? kTransformPerspective : 0u) |
         (rate != 0 ? kTransformRate : 0u) | (sourceAlpha ? kTransformSourceAlpha : 0u);
}

TransformKernel transformKernel(KernelPath path, unsigned key) {
  if (key >= kTransformKeyCount) return nullptr;
  switch (path) {
    case KernelPath::kSse2:
      return sse2TransformTable()[key];
    case KernelPath::kAvx2:
      return avx2TransformTable()[key];
    case KernelPath::kScalar:
      break;
  }
  return scalarTransformTable()[key];
}

TransformKernel transformKernel(unsigned key) {
  return transformKernel(activeKernelPath(), key);
}

}  // namespace tamblet::kernels
