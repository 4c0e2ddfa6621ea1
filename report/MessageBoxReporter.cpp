#include "report/MessageBoxReporter.h"

#include <cstdarg>

#include "platform/Messages.h"
#include "report/FixedTexts.h"
#include "report/TextFormatter.h"

namespace tamblet::report {

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

}  // namespace tamblet::report
