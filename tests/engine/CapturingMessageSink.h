// Collects debugger output and message boxes while alive, instead of writing them to stderr.
#pragma once

#include <string>
#include <vector>

#include "platform/Messages.h"

namespace tamblet::testing {

struct CapturedMessageBox {
  std::string text;
  std::string caption;
  platform::MessageBoxStyle style;
};

class CapturingMessageSink final : public platform::MessageSink {
 public:
  CapturingMessageSink() { platform::setMessageSink(this); }
  ~CapturingMessageSink() { platform::setMessageSink(nullptr); }
  CapturingMessageSink(const CapturingMessageSink&) = delete;
  CapturingMessageSink& operator=(const CapturingMessageSink&) = delete;

  void debugOutput(const std::string& sjisText) override { debugLines.push_back(sjisText); }
  void messageBox(const std::string& sjisText, const std::string& sjisCaption,
                  platform::MessageBoxStyle style) override {
    boxes.push_back({sjisText, sjisCaption, style});
  }

  std::vector<std::string> debugLines;
  std::vector<CapturedMessageBox> boxes;
};

}  // namespace tamblet::testing
