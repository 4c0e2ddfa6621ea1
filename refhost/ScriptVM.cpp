#include "refhost/ScriptVM.h"

namespace refhost {

void* ScriptVM::GetService(const tamblet::InterfaceId* id) {
  if (!id || withheld_.isWithheld(*id)) return nullptr;
  if (*id == tamblet::kIID_IVMDebugger) return static_cast<tamblet::IVMDebugger*>(this);
  if (*id == tamblet::kIID_IVMNameTable) return static_cast<tamblet::IVMNameTable*>(&callStack_);
  if (*id == tamblet::kIID_IVMCallStack) return static_cast<tamblet::IVMCallStack*>(&callStack_);
  if (*id == tamblet::kIID_IVMGameMsg) return static_cast<tamblet::IVMGameMsg*>(this);
  if (*id == tamblet::kIID_IVMErrorSink) return static_cast<tamblet::IVMErrorSink*>(this);
  return nullptr;
}

void ScriptVM::RaiseError(const char* text) {
  try {
    errors_.emplace_back(text ? text : "");
  } catch (...) {
    // Out of memory: the text is lost, the script goes on.
  }
}

const char* ScriptVM::GetMessage(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= gameMessages_.size()) return "";
  return gameMessages_[static_cast<std::size_t>(index)].c_str();
}

}  // namespace refhost
