// A script array object (IVMArray): an element type code, its dimensions and the elements, each
// a 4-byte value (an int, or the bit pattern of a float). Element access is bounds checked.
#pragma once

#include <cstdint>
#include <vector>

#include "host/VM.h"
#include "refhost/Ledger.h"

namespace refhost {

class VMArray final : public tamblet::IVMArray {
 public:
  // An array of the given type with these dimension counts (one dimension of 0 elements by default).
  explicit VMArray(std::int32_t elementType = tamblet::kVMTypeInt, std::vector<std::int32_t> counts = {0});

  std::int32_t TAMBLET_HOSTCALL GetElementType() override { return elementType_; }
  void TAMBLET_HOSTCALL UnusedSlot1() override {}
  std::int32_t TAMBLET_HOSTCALL GetElementCount() override { return static_cast<std::int32_t>(values_.size()); }
  std::int32_t TAMBLET_HOSTCALL GetDimensionCount() override { return static_cast<std::int32_t>(counts_.size()); }
  void* TAMBLET_HOSTCALL GetElementAddress(std::int32_t index) override;
  // Copies 4 bytes from `value`; false when the index is out of range or the value is null.
  bool TAMBLET_HOSTCALL SetElement(std::int32_t index, const void* value) override;
  // Resizes to the product of the counts, keeping leading elements (new ones are 0). Refuses a
  // null list, 0 or more than 8 dimensions, negative counts and more than 2^24 elements.
  bool TAMBLET_HOSTCALL Resize(const std::int32_t* counts, std::int32_t dimensions) override;

  const std::vector<std::int32_t>& values() const { return values_; }
  const std::vector<std::int32_t>& dimensionCounts() const { return counts_; }
  int resizeCalls() const { return resizeCalls_; }

 private:
  LedgerEntry ledger_{"VMArray"};
  std::int32_t elementType_;
  std::vector<std::int32_t> counts_;
  std::vector<std::int32_t> values_;
  int resizeCalls_ = 0;
};

}  // namespace refhost
