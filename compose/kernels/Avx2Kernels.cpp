// The AVX2 twins: eight pixels per 256-bit register. Compiled with -mavx2; used only when the processor has AVX2.
#include "Avx2Lanes.h"

#include "KernelTable.h"
#include "SimdBlend.h"

namespace tamblet::kernels {
namespace {

template <int Method, unsigned Flags>
struct PickAvx2 {
  static constexpr NormalKernel kernel = (Flags & kFlagSimd) != 0 ? &simdKernel<Avx2, Avx2, Method, Flags & ~kFlagSimd>
                                                                   : &scalarKernel<Avx2, Method, Flags>;
};

constexpr NormalKernelTable kAvx2Table = expandKernelTable<PickAvx2>();

}  // namespace

const NormalKernelTable& avx2KernelTable() { return kAvx2Table; }

}  // namespace tamblet::kernels
