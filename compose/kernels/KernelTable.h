// The 128-entry kernel table of each instruction set, expanded from one kernel template at compile time.
#pragma once

#include <array>
#include <cstddef>
#include <utility>

#include "BlendKernels.h"

namespace tamblet::kernels {

using NormalKernelTable = std::array<NormalKernel, kNormalKeyCount>;

// Each table holds the scalar kernels at even keys and its own twins at odd keys.
const NormalKernelTable& scalarKernelTable();  // odd keys repeat the scalar kernel
const NormalKernelTable& sse2KernelTable();
const NormalKernelTable& avx2KernelTable();
// The table of `path`, so that a caller drawing many rectangles chooses it once and indexes it by
// method * kFlagCount + flags.
const NormalKernelTable& kernelTable(KernelPath path);

// Expands Pick<method, flags>::kernel over every key.
template <template <int, unsigned> class Pick, std::size_t... Keys>
constexpr NormalKernelTable expandKernelTable(std::index_sequence<Keys...>) {
  return {Pick<static_cast<int>(Keys / kFlagCount), static_cast<unsigned>(Keys % kFlagCount)>::kernel...};
}

template <template <int, unsigned> class Pick>
constexpr NormalKernelTable expandKernelTable() {
  return expandKernelTable<Pick>(std::make_index_sequence<kNormalKeyCount>{});
}

}  // namespace tamblet::kernels
