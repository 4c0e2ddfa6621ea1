// The kernel's IKeyState: which virtual keys are down right now. Reference counted; the kernel
// holds one reference and hands one more to every caller, who releases it.
#pragma once

#include <cstdint>
#include <set>

#include "host/Kernel.h"
#include "refhost/Ledger.h"
#include "refhost/RefCounted.h"

namespace refhost {

class KeyState final : public RefCounted<KeyState, tamblet::IKeyState> {
 public:
  bool TAMBLET_HOSTCALL IsKeyDown(std::int32_t virtualKey) override { return down_.contains(virtualKey); }

  void setKeyDown(std::int32_t virtualKey, bool down);

 private:
  LedgerEntry ledger_{"KeyState"};
  std::set<std::int32_t> down_;
};

}  // namespace refhost
