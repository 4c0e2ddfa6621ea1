// A script structure object (IVMStruct): members with type codes, each holding its value as
// 4-byte words at the member's address (one word for an int or float; a nested structure of
// ints lays its members out inline). Member access is bounds checked.
#pragma once

#include <cstdint>
#include <vector>

#include "host/VM.h"
#include "refhost/Ledger.h"

namespace refhost {

class VMStruct final : public tamblet::IVMStruct {
 public:
  struct Member {
    std::int32_t type = tamblet::kVMTypeInt;
    std::vector<std::int32_t> words = {0};  // at least one word
  };

  explicit VMStruct(std::vector<Member> members);

  void TAMBLET_HOSTCALL UnusedSlot0() override {}
  std::int32_t TAMBLET_HOSTCALL GetMemberCount() override { return static_cast<std::int32_t>(members_.size()); }
  std::int32_t TAMBLET_HOSTCALL GetMemberType(std::int32_t index) override;  // -1 out of range
  void* TAMBLET_HOSTCALL GetMemberAddress(std::int32_t index) override;
  // Copies the member's whole value (all its words) from `value`; false out of range or null.
  bool TAMBLET_HOSTCALL SetMember(std::int32_t index, const void* value) override;

  std::int32_t word(std::int32_t member, std::size_t word = 0) const;
  float floatMember(std::int32_t member) const;

 private:
  LedgerEntry ledger_{"VMStruct"};
  std::vector<Member> members_;
};

}  // namespace refhost
