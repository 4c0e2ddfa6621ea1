#include "platform/Messages.h"

#include "platform/SystemServices.h"

namespace tamblet::platform {
namespace {

MessageSink* installedSink = nullptr;

MessageSink& currentSink() {
  return installedSink ? *installedSink : systemMessageSink();
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
