// The kernel's IVideoMemoryInfo: free and total video memory as set by tests (0 = unknown, the
// default of a host without a graphics card). Reference counted like KeyState.
#pragma once

#include <cstdint>

#include "host/Kernel.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class VideoMemoryInfo final : public RefCounted<VideoMemoryInfo, tamblet::IVideoMemoryInfo> {
 public:
  std::uint32_t TAMBLET_HOSTCALL GetFree() override { return free_; }
  std::uint32_t TAMBLET_HOSTCALL GetTotal() override { return total_; }

  void setMemory(std::uint32_t freeBytes, std::uint32_t totalBytes) {
    free_ = freeBytes;
    total_ = totalBytes;
  }

 private:
  LedgerEntry ledger_{"VideoMemoryInfo"};
  std::uint32_t free_ = 0;
  std::uint32_t total_ = 0;
};

}  // namespace refhost
