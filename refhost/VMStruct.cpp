#include "refhost/VMStruct.h"

#include <bit>
#include <cstring>
#include <utility>

namespace refhost {

VMStruct::VMStruct(std::vector<Member> members) : members_(std::move(members)) {
  for (Member& member : members_) {
    if (member.words.empty()) member.words.push_back(0);
  }
}

std::int32_t VMStruct::GetMemberType(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= members_.size()) return -1;
  return members_[static_cast<std::size_t>(index)].type;
}

void* VMStruct::GetMemberAddress(std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= members_.size()) return nullptr;
  return members_[static_cast<std::size_t>(index)].words.data();
}

bool VMStruct::SetMember(std::int32_t index, const void* value) {
  if (index < 0 || static_cast<std::size_t>(index) >= members_.size() || !value) return false;
  std::vector<std::int32_t>& words = members_[static_cast<std::size_t>(index)].words;
  std::memcpy(words.data(), value, words.size() * sizeof(std::int32_t));
  return true;
}

std::int32_t VMStruct::word(std::int32_t member, std::size_t word) const {
  return members_.at(static_cast<std::size_t>(member)).words.at(word);
}

float VMStruct::floatMember(std::int32_t member) const {
  return std::bit_cast<float>(word(member));
}

}  // namespace refhost
