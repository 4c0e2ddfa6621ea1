#include "engine/CErrorMessage.h"

#include <cstdarg>
#include <new>

#include "platform/Messages.h"
#include "report/FixedTexts.h"
#include "report/TextFormatter.h"

namespace tamblet {

CErrorMessage* CErrorMessage::create() noexcept {
  return new (std::nothrow) CErrorMessage();
}

std::int32_t CErrorMessage::AddRef() noexcept {
  return ++referenceCount_;
}

std::int32_t CErrorMessage::Release() noexcept {
  if (--referenceCount_ > 0) return referenceCount_;
  delete this;
  return 0;
}

std::int32_t CErrorMessage::Open(const char* format, ...) noexcept {
  if (!format) {
    try {
      platform::debugOutput(fixedText(FixedText::kOpenWithoutFormat));
    } catch (...) {
      // Nothing to report to: the line is lost, the caller is not.
    }
    return 0;
  }
  char text[report::kReportBufferSize];
  std::va_list args;
  va_start(args, format);
  report::formatTextV(text, sizeof text, format, args);
  va_end(args);
  raise(text);
  return 0;
}

void CErrorMessage::SetInterfaces(IVM* vm, IMsgBox* msgBox, IShutdown* shutdown, IVMDebugger* debugger,
                                  IVMNameTable* nameTable, IVMCallStack* callStack) noexcept {
  vm_ = vm;
  msgBox_ = msgBox;
  shutdown_ = shutdown;
  debugger_ = debugger;
  nameTable_ = nameTable;
  callStack_ = callStack;
}

void CErrorMessage::Destruct(std::uint32_t flags) noexcept {
  // Nothing is owned: the interfaces are borrowed from the host and only forgotten.
  SetInterfaces(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (flags & 1u) delete this;
}

void CErrorMessage::reportLiteral(const char* text) noexcept {
  char line[report::kReportBufferSize];
  report::formatText(line, sizeof line, "%s\n", text);
  raise(line);
}

void CErrorMessage::raise(const char* text) noexcept {
  try {
    if (!vm_) {
      platform::debugOutput(fixedText(FixedText::kOpenWithoutVm));
      platform::messageBox(text, "", platform::MessageBoxStyle::kSystemError);
      return;
    }
    if (auto* sink = static_cast<IVMErrorSink*>(vm_->GetService(&kIID_IVMErrorSink))) {
      sink->RaiseError(text);  // returns once the VM has shown or recorded the error
      return;
    }
    // A VM without an error sink cannot show the text; the message box still does, so the error
    // is not lost. The "m_pIVM=NULL" line is left out: the VM is there.
    platform::messageBox(text, "", platform::MessageBoxStyle::kSystemError);
  } catch (...) {
    // A report must never fail towards its caller; a sink that throws loses only this message.
  }
}

}  // namespace tamblet
