#include "refhost/Diagnostics.h"

#include <mutex>
#include <utility>

namespace refhost {
namespace {

std::mutex sinkLock;
DiagnosticSink& installedSink() {
  static DiagnosticSink sink;
  return sink;
}

}  // namespace

DiagnosticSink setDiagnosticSink(DiagnosticSink sink) {
  std::lock_guard<std::mutex> hold(sinkLock);
  std::swap(installedSink(), sink);
  return sink;
}

void diagnose(std::string_view line) noexcept {
  try {
    DiagnosticSink sink;
    {
      std::lock_guard<std::mutex> hold(sinkLock);
      sink = installedSink();
    }
    if (sink) sink(line);
  } catch (...) {
  }
}

}  // namespace refhost
