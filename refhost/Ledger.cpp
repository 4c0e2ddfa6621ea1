#include "refhost/Ledger.h"

namespace refhost {
namespace {

std::map<std::string, std::int64_t>& counts() {
  static std::map<std::string, std::int64_t> byKind;
  return byKind;
}

bool tracing = false;

std::vector<const void*>& releaseTrace() {
  static std::vector<const void*> trace;
  return trace;
}

}  // namespace

void Ledger::startReleaseTrace() {
  releaseTrace().clear();
  tracing = true;
}

std::vector<const void*> Ledger::stopReleaseTrace() {
  tracing = false;
  return std::move(releaseTrace());
}

void Ledger::releaseCalled(const void* object) {
  if (tracing) releaseTrace().push_back(object);
}

void Ledger::objectCreated(const char* kind) { ++counts()[kind]; }

void Ledger::objectDestroyed(const char* kind) {
  auto found = counts().find(kind);
  if (found != counts().end() && --found->second == 0) counts().erase(found);
}

std::int64_t Ledger::liveObjects() {
  std::int64_t total = 0;
  for (const auto& [kind, count] : counts()) total += count;
  return total;
}

std::int64_t Ledger::liveObjects(const std::string& kind) {
  auto found = counts().find(kind);
  return found == counts().end() ? 0 : found->second;
}

std::map<std::string, std::int64_t> Ledger::liveObjectsByKind() { return counts(); }

}  // namespace refhost
