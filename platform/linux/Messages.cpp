#include "platform/Messages.h"

#include <cstdio>

#include "platform/TextEncoding.h"

namespace tamblet::platform {
namespace {

// The default: both kinds of message go to stderr as UTF-8, one write per message.
class StandardErrorSink final : public MessageSink {
 public:
  void debugOutput(const std::string& sjisText) override {
    if (sjisText.empty()) return;
    write(sjisToUtf8(sjisText));
  }

  void messageBox(const std::string& sjisText, const std::string& sjisCaption, MessageBoxStyle) override {
    std::string caption = sjisCaption.empty() ? std::string("Error") : sjisToUtf8(sjisCaption);
    write("[message box: " + caption + "] " + sjisToUtf8(sjisText));
  }

 private:
  static void write(std::string text) {
    if (text.empty() || text.back() != '\n') text.push_back('\n');
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
};

StandardErrorSink defaultSink;
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
