#include "refhost/CallStack.h"

namespace refhost {

const char* CallStack::GetName(std::int32_t nameIndex) {
  auto found = names_.find(nameIndex);
  return found == names_.end() ? "" : found->second.c_str();
}

std::int32_t CallStack::GetFunctionNameIndex(std::int32_t function) {
  auto found = functionNames_.find(function);
  return found == functionNames_.end() ? -1 : found->second;
}

std::int32_t CallStack::GetFrameFunction(std::int32_t frame) {
  if (frame < 0 || static_cast<std::size_t>(frame) >= frames_.size()) return -1;
  return frames_[static_cast<std::size_t>(frame)];
}

}  // namespace refhost
