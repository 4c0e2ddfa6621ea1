#include "refhost/VMArray.h"

#include <cstring>

namespace refhost {
namespace {

constexpr std::int32_t kMaxDimensions = 8;
constexpr std::int64_t kMaxElements = std::int64_t{1} << 24;

}  // namespace

VMArray::VMArray(std::int32_t elementType, std::vector<std::int32_t> counts) : elementType_(elementType) {
  if (counts.empty() || !Resize(counts.data(), static_cast<std::int32_t>(counts.size()))) counts_ = {0};
  resizeCalls_ = 0;
}

void* VMArray::GetElementAddress(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= values_.size()) return nullptr;
  return &values_[static_cast<std::size_t>(index)];
}

bool VMArray::SetElement(std::int32_t index, const void* value) {
  void* element = GetElementAddress(index);
  if (!element || !value) return false;
  std::memcpy(element, value, sizeof(std::int32_t));
  return true;
}

bool VMArray::Resize(const std::int32_t* counts, std::int32_t dimensions) {
  ++resizeCalls_;
  if (!counts || dimensions < 1 || dimensions > kMaxDimensions) return false;
  std::int64_t total = 1;
  for (std::int32_t i = 0; i < dimensions; ++i) {
    if (counts[i] < 0) return false;
    total *= counts[i];
    if (total > kMaxElements) return false;
  }
  try {
    values_.resize(static_cast<std::size_t>(total), 0);
    counts_.assign(counts, counts + dimensions);
  } catch (...) {
    return false;
  }
  return true;
}

}  // namespace refhost
