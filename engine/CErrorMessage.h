// The error reporter: script-level errors go to the script VM's error sink so the host shows them
// as script errors; before the VM is known (or when it has no sink) they are shown in a message box.
// Host modules get this object through the GetInterface export and report through it too.
#pragma once

#include <cstdint>

#include "host/EngineObjects.h"

namespace tamblet {

class CErrorMessage final : public IVelmErrorMessage {
 public:
  // A new reporter with count 1 and no interfaces; null when memory runs out.
  static CErrorMessage* create() noexcept;

  CErrorMessage(const CErrorMessage&) = delete;
  CErrorMessage& operator=(const CErrorMessage&) = delete;

  std::int32_t TAMBLET_HOSTCALL AddRef() noexcept override;   // 0
  std::int32_t TAMBLET_HOSTCALL Release() noexcept override;  // 1; destroys the object at 0
  // 2; formats into a 16,384-byte buffer (cut at 16,383 bytes) and raises the text; returns 0.
  std::int32_t TAMBLET_HOSTCALL Open(const char* format, ...) noexcept override;
  // 3; stored in field order; only the VM is ever called.
  void TAMBLET_HOSTCALL SetInterfaces(IVM* vm, IMsgBox* msgBox, IShutdown* shutdown, IVMDebugger* debugger,
                                      IVMNameTable* nameTable, IVMCallStack* callStack) noexcept override;
  void TAMBLET_HOSTCALL Destruct(std::uint32_t flags) noexcept override;  // 4; bit 0 frees the object

  // Raises text plus a line feed exactly as given: a percent sign is shown as such. A null text
  // counts as empty; a long one is cut like a formatted text.
  void reportLiteral(const char* text) noexcept;

 private:
  CErrorMessage() = default;
  ~CErrorMessage() = default;

  void raise(const char* text) noexcept;

  std::int32_t referenceCount_ = 1;
  IVM* vm_ = nullptr;
  IMsgBox* msgBox_ = nullptr;
  IShutdown* shutdown_ = nullptr;
  IVMDebugger* debugger_ = nullptr;
  IVMNameTable* nameTable_ = nullptr;
  IVMCallStack* callStack_ = nullptr;
};

}  // namespace tamblet
