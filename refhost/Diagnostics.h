// Why the reference host's modules answered failure. The interfaces they serve have no room for
// a reason (a null surface, a false Open), so each module that refuses something also tells this
// sink in one line, e.g. "PNG image refused by the decoder: truncated". A program driving the
// host (the player) installs a sink to show or collect these lines; without one they are dropped.
#pragma once

#include <functional>
#include <string_view>

namespace refhost {

using DiagnosticSink = std::function<void(std::string_view line)>;

// Installs `sink` for the whole process (an empty function removes it); answers the one before.
DiagnosticSink setDiagnosticSink(DiagnosticSink sink);

// Hands `line` to the installed sink, if any. Never throws: a failing sink loses the line.
void diagnose(std::string_view line) noexcept;

}  // namespace refhost
