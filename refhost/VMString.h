// A script string object (IString) as the VM passes it to exports: it owns its bytes.
#pragma once

#include <string>
#include <utility>

#include "host/VM.h"
#include "refhost/Ledger.h"

namespace refhost {

class VMString final : public tamblet::IString {
 public:
  VMString() = default;
  explicit VMString(std::string bytes) : bytes_(std::move(bytes)) {}

  const char* TAMBLET_HOSTCALL GetText() override { return bytes_.c_str(); }
  // A null text empties the string.
  void TAMBLET_HOSTCALL SetText(const char* text) override;

  const std::string& bytes() const { return bytes_; }

 private:
  LedgerEntry ledger_{"VMString"};
  std::string bytes_;
};

}  // namespace refhost
