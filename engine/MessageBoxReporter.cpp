#include "engine/MessageBoxReporter.h"

#include <cstdarg>

#include "engine/FixedTexts.h"
#include "engine/TextFormatter.h"
#include "platform/Messages.h"

namespace tamblet {

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

}  // namespace tamblet
