// Errors of the drawing machinery, the archives and the CG cache are shown straight in a message
// box with the library's own caption, without involving the script VM.
#pragma once

namespace tamblet::report {

// Formats the text (printf style, cut at 16,383 bytes), shows it in a foreground, topmost message
// box captioned with the library's name and returns false, so a caller can `return reportMessageBox(...)`.
// A null format shows nothing.
bool reportMessageBox(const char* format, ...) noexcept;

}  // namespace tamblet::report
