// The script VM's name table (IVMNameTable) and call stack (IVMCallStack), both scripted by
// tests: names by index, the function of each frame, and each function's name index. Unknown
// entries answer an empty name or -1.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/VM.h"
#include "refhost/Ledger.h"

namespace refhost {

class CallStack final : public tamblet::IVMNameTable, public tamblet::IVMCallStack {
 public:
  // IVMNameTable
  const char* TAMBLET_HOSTCALL GetName(std::int32_t nameIndex) override;

  // IVMCallStack
  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  void TAMBLET_HOSTCALL UnusedSlot1() override {}
  void TAMBLET_HOSTCALL UnusedSlot2() override {}
  void TAMBLET_HOSTCALL UnusedSlot3() override {}
  void TAMBLET_HOSTCALL UnusedSlot4() override {}
  void TAMBLET_HOSTCALL UnusedSlot5() override {}
  std::int32_t TAMBLET_HOSTCALL GetFunctionNameIndex(std::int32_t function) override;
  void TAMBLET_HOSTCALL UnusedSlot7() override {}
  void TAMBLET_HOSTCALL UnusedSlot8() override {}
  void TAMBLET_HOSTCALL UnusedSlot9() override {}
  void TAMBLET_HOSTCALL UnusedSlot10() override {}
  std::int32_t TAMBLET_HOSTCALL GetFrameCount() override { return static_cast<std::int32_t>(frames_.size()); }
  std::int32_t TAMBLET_HOSTCALL GetFrameFunction(std::int32_t frame) override;

  void setName(std::int32_t nameIndex, std::string bytes) { names_[nameIndex] = std::move(bytes); }
  void setFunctionNameIndex(std::int32_t function, std::int32_t nameIndex) { functionNames_[function] = nameIndex; }
  // The function number of each frame, frame 0 first.
  void setFrames(std::vector<std::int32_t> functions) { frames_ = std::move(functions); }

 private:
  LedgerEntry ledger_{"CallStack"};
  std::map<std::int32_t, std::string> names_;
  std::map<std::int32_t, std::int32_t> functionNames_;
  std::vector<std::int32_t> frames_;
};

}  // namespace refhost
