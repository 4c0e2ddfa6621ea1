#include "platform/Messages.h"

#include <windows.h>

namespace tamblet::platform {
namespace {

// The default: the debugger output and real message boxes. The texts are Shift-JIS, which the
// ANSI calls take as they are on a Japanese system.
class SystemSink final : public MessageSink {
 public:
  void debugOutput(const std::string& sjisText) override {
    if (sjisText.empty()) return;
    OutputDebugStringA(sjisText.c_str());
  }

  void messageBox(const std::string& sjisText, const std::string& sjisCaption, MessageBoxStyle style) override {
    switch (style) {
      case MessageBoxStyle::kSystemError:
        // A null caption makes the system use its default, "Error".
        MessageBoxA(nullptr, sjisText.c_str(), sjisCaption.empty() ? nullptr : sjisCaption.c_str(),
                    MB_OK | MB_ICONERROR);
        break;
      case MessageBoxStyle::kForegroundTopmost:
        MessageBoxA(nullptr, sjisText.c_str(), sjisCaption.c_str(), MB_OK | MB_SETFOREGROUND | MB_TOPMOST);
        break;
    }
  }
};

SystemSink defaultSink;
MessageSink* installedSink = nullptr;

MessageSink& currentSink() {
  return installedSink ? *installedSink : defaultSink;
}

}  // namespace

void debugOutput(const char* sjisText) {
  try {
    currentSink().debugOutput(sjisText ? sjisText : "");
  } catch (...) {
    // A message that cannot be shown is dropped; it must not take its caller down.
  }
}

void messageBox(const char* sjisText, const char* sjisCaption, MessageBoxStyle style) {
  try {
    currentSink().messageBox(sjisText ? sjisText : "", sjisCaption ? sjisCaption : "", style);
  } catch (...) {
  }
}

void setMessageSink(MessageSink* sink) {
  installedSink = sink;
}

}  // namespace tamblet::platform
