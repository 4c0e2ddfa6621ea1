// The kernel's ITimer: a millisecond clock that only moves when a test sets or advances it, so
// frame pacing can be driven deterministically.
#pragma once

#include <cstdint>

#include "host/Kernel.h"
#include "refhost/Ledger.h"

namespace refhost {

class Timer final : public tamblet::ITimer {
 public:
  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  std::uint32_t TAMBLET_HOSTCALL GetTime() override;

  void setTime(std::uint32_t milliseconds) { now_ = milliseconds; }
  void advance(std::uint32_t milliseconds) { now_ += milliseconds; }  // wraps like the real clock
  int reads() const { return reads_; }

 private:
  LedgerEntry ledger_{"Timer"};
  std::uint32_t now_ = 0;
  int reads_ = 0;
};

}  // namespace refhost
