// Debugger output and message boxes. Texts arrive as Shift-JIS (CP932) bytes. By default they go
// to the system's debugger output and message boxes on Windows, and to stderr converted to UTF-8
// on Linux; a sink installed by tests or the player receives them instead.
#pragma once

#include <string>

namespace tamblet::platform {

enum class MessageBoxStyle {
  kSystemError,      // no owner, the system's default caption, OK button, error icon
  kForegroundTopmost,  // no owner, the given caption, OK button, foreground and topmost
};

class MessageSink {
 public:
  virtual void debugOutput(const std::string& sjisText) = 0;
  // caption is empty for the system's default caption.
  virtual void messageBox(const std::string& sjisText, const std::string& sjisCaption, MessageBoxStyle style) = 0;

 protected:
  ~MessageSink() = default;
};

void debugOutput(const char* sjisText);
void messageBox(const char* sjisText, const char* sjisCaption, MessageBoxStyle style);

// Installs a sink for the whole process; null restores the stderr default. The caller keeps ownership.
void setMessageSink(MessageSink* sink);

}  // namespace tamblet::platform
