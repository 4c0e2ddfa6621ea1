#include "platform/MessageBoxReporter.h"

#include <cstdarg>

#include "host/FixedTexts.h"
#include "platform/TextFormatter.h"
#include "platform/Messages.h"

namespace tamblet::platform {

bool reportMessageBox(const char* format, ...) noexcept {
  if (!format) return false;
  char text[kReportBufferSize];
  std::va_list args;
  va_start(args, format);
  formatTextV(text, sizeof text, format, args);
  va_end(args);
  try {
    platform::messageBox(text, fixedText(FixedText::kMessageBoxCaption), platform::MessageBoxStyle::kForegroundTopmost);
  } catch (...) {
    // Reporting never fails towards its caller.
  }
  return false;
}

}  // namespace tamblet::platform
