// The scalar kernel table: the twin keys name the scalar kernel too.
#include "KernelTable.h"
#include "ScalarBlend.h"

namespace tamblet::kernels {
namespace {

struct ScalarIsa {};

template <int Method, unsigned Flags>
struct PickScalar {
  static constexpr NormalKernel kernel = &scalarKernel<ScalarIsa, Method, Flags & ~kFlagSimd>;
};

constexpr NormalKernelTable kScalarTable = expandKernelTable<PickScalar>();

}  // namespace

const NormalKernelTable& scalarKernelTable() { return kScalarTable; }

}  // namespace tamblet::kernels
