// The script VM (IVM) and the services it hands out: the debugger (IVMDebugger, counts pauses),
// the game messages (IVMGameMsg, a list set by tests), the error sink (IVMErrorSink, records
// every raised text in order) and the name table and call stack (CallStack). Each service can be
// withheld.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/VM.h"
#include "refhost/CallStack.h"
#include "refhost/Ledger.h"
#include "refhost/Withholding.h"

namespace refhost {

class ScriptVM final : public tamblet::IVM,
                       public tamblet::IVMDebugger,
                       public tamblet::IVMGameMsg,
                       public tamblet::IVMErrorSink {
 public:
  // IVM; slot 0 doubles as IVMDebugger's unused slot 0.
  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  void TAMBLET_HOSTCALL UnusedSlot1() override {}
  void TAMBLET_HOSTCALL UnusedSlot2() override {}
  void TAMBLET_HOSTCALL UnusedSlot3() override {}
  void* TAMBLET_HOSTCALL GetService(const tamblet::InterfaceId* id) override;

  // IVMDebugger
  void TAMBLET_HOSTCALL Pause() override { ++pauses_; }

  // IVMGameMsg; an index out of range answers an empty text.
  std::int32_t TAMBLET_HOSTCALL GetCount() override { return static_cast<std::int32_t>(gameMessages_.size()); }
  const char* TAMBLET_HOSTCALL GetMessage(std::int32_t index) override;

  // IVMErrorSink; a null text is recorded as an empty one.
  void TAMBLET_HOSTCALL RaiseError(const char* text) override;

  void withhold(const tamblet::InterfaceId& id) { withheld_.withhold(id); }
  void restore(const tamblet::InterfaceId& id) { withheld_.restore(id); }

  int pauses() const { return pauses_; }
  const std::vector<std::string>& errors() const { return errors_; }
  void clearErrors() { errors_.clear(); }
  void setGameMessages(std::vector<std::string> messages) { gameMessages_ = std::move(messages); }
  CallStack& callStack() { return callStack_; }

 private:
  LedgerEntry ledger_{"ScriptVM"};
  Withholding withheld_;
  CallStack callStack_;
  int pauses_ = 0;
  std::vector<std::string> errors_;
  std::vector<std::string> gameMessages_;
};

}  // namespace refhost
