// The SSE2 twins: four pixels per 128-bit register. Compiled with -msse2.
#include "Sse2Lanes.h"

#include "KernelTable.h"
#include "SimdBlend.h"

namespace tamblet::kernels {
namespace {

template <int Method, unsigned Flags>
struct PickSse2 {
  static constexpr NormalKernel kernel = (Flags & kFlagSimd) != 0 ? &simdKernel<Sse2, Sse2, Method, Flags & ~kFlagSimd>
                                                                   : &scalarKernel<Sse2, Method, Flags>;
};

constexpr NormalKernelTable kSse2Table = expandKernelTable<PickSse2>();

}  // namespace

const NormalKernelTable& sse2KernelTable() { return kSse2Table; }

}  // namespace tamblet::kernels
