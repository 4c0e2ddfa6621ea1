#include "refhost/D3DCallLog.h"

#include <algorithm>

namespace refhost {

void D3DCallLog::failCall(const std::string& operation, int nth) {
  if (nth >= 1) failures_[operation].push_back(nth);
}

bool D3DCallLog::consume(const std::string& operation) {
  const auto found = failures_.find(operation);
  if (found == failures_.end()) return false;
  bool fail = false;
  for (int& left : found->second) fail |= --left == 0;
  std::erase_if(found->second, [](int left) { return left <= 0; });
  if (found->second.empty()) failures_.erase(found);
  return fail;
}

std::string D3DCallLog::label(const void* object) const {
  if (!object) return "null";
  const auto found = labels_.find(object);
  return found == labels_.end() ? "unknown" : found->second;
}

}  // namespace refhost
