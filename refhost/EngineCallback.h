// The kernel's ISetCallback: keeps the engine object the library registers (taking over the
// reference it comes with) and releases it when the host shuts the library down or a test asks.
#pragma once

#include <cstdint>

#include "host/Kernel.h"
#include "refhost/Ledger.h"

namespace refhost {

class EngineCallback final : public tamblet::ISetCallback {
 public:
  EngineCallback() = default;
  EngineCallback(const EngineCallback&) = delete;
  EngineCallback& operator=(const EngineCallback&) = delete;
  ~EngineCallback();

  // Keeps the object; a different object registered before is released first.
  void TAMBLET_HOSTCALL SetCallback(tamblet::IInterface* engineObject) override;

  tamblet::IInterface* engineObject() const { return engineObject_; }
  int registrations() const { return registrations_; }

  // Releases the kept object (the library's teardown runs when that was its last reference) and
  // forgets it. Returns the count Release returned, or -1 when nothing was kept.
  std::int32_t releaseEngineObject();

 private:
  LedgerEntry ledger_{"EngineCallback"};
  tamblet::IInterface* engineObject_ = nullptr;
  int registrations_ = 0;
};

}  // namespace refhost
