// Choice of the kernel path: once from the processor and TAMBLET_KERNELS, or forced by tests and benchmarks.
#include "BlendKernels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "KernelTable.h"

namespace tamblet::kernels {
namespace {

bool processorHas(KernelPath path) {
  __builtin_cpu_init();
  switch (path) {
    case KernelPath::kScalar:
      return true;
    case KernelPath::kSse2:
      return __builtin_cpu_supports("sse") && __builtin_cpu_supports("sse2");
    case KernelPath::kAvx2:
      return __builtin_cpu_supports("avx2");
  }
  return false;
}

KernelPath initialPath() {
  if (const char* wanted = std::getenv("TAMBLET_KERNELS")) {
    for (KernelPath path : {KernelPath::kScalar, KernelPath::kSse2, KernelPath::kAvx2}) {
      if (std::strcmp(wanted, kernelPathName(path)) == 0 && processorHas(path)) return path;
    }
  }
  if (processorHas(KernelPath::kAvx2)) return KernelPath::kAvx2;
  if (processorHas(KernelPath::kSse2)) return KernelPath::kSse2;
  return KernelPath::kScalar;
}

std::atomic<KernelPath>& activePath() {
  static std::atomic<KernelPath> path{initialPath()};
  return path;
}

}  // namespace

NormalKernel normalKernel(KernelPath path, int method, unsigned flags) {
  if (method < 0 || method >= kMethodCount || flags >= kFlagCount) return nullptr;
  return kernelTable(path)[static_cast<unsigned>(method) * kFlagCount + flags];
}

const NormalKernelTable& kernelTable(KernelPath path) {
  switch (path) {
    case KernelPath::kSse2:
      return sse2KernelTable();
    case KernelPath::kAvx2:
      return avx2KernelTable();
    case KernelPath::kScalar:
      break;
  }
  return scalarKernelTable();
}

NormalKernel normalKernel(int method, unsigned flags) {
  return normalKernel(activeKernelPath(), method, flags);
}

KernelPath activeKernelPath() {
  return activePath().load(std::memory_order_relaxed);
}

bool forceKernelPath(KernelPath path) {
  if (!kernelPathSupported(path)) return false;
  activePath().store(path, std::memory_order_relaxed);
  return true;
}

bool kernelPathSupported(KernelPath path) {
  switch (path) {
    case KernelPath::kScalar:
    case KernelPath::kSse2:
    case KernelPath::kAvx2:
      return processorHas(path);
  }
  return false;
}

const char* kernelPathName(KernelPath path) {
  switch (path) {
    case KernelPath::kScalar:
      return "scalar";
    case KernelPath::kSse2:
      return "sse2";
    case KernelPath::kAvx2:
      return "avx2";
  }
  return "unknown";
}

}  // namespace tamblet::kernels
