#include "refhost/Input.h"

namespace refhost {

void Input::ClearAllKeyFlags() {
  ++clearAllCalls_;
  flags_.clear();
}

bool Input::IsKeyDown(std::int32_t key) {
  return down_.contains(key);
}

bool Input::GetMousePos(std::int32_t* x, std::int32_t* y) {
  if (!mouseKnown_) return false;
  if (x) *x = mouseX_;
  if (y) *y = mouseY_;
  return true;
}

bool Input::ClearKeyFlag(std::int32_t key) {
  flags_.erase(key);
  return key >= 0 && key <= 255;
}

void Input::Clear() {
  ++wheelClears_;
  wheel_[0] = wheel_[1] = 0;
}

void Input::setKeyDown(std::int32_t key, bool down) {
  if (down) {
    down_.insert(key);
    flags_.insert(key);
  } else {
    down_.erase(key);
  }
}

void Input::setKeyFlag(std::int32_t key, bool raised) {
  if (raised) {
    flags_.insert(key);
  } else {
    flags_.erase(key);
  }
}

void Input::setMousePosition(std::int32_t x, std::int32_t y) {
  mouseKnown_ = true;
  mouseX_ = x;
  mouseY_ = y;
}

void Input::setWheelCounts(std::int32_t first, std::int32_t second) {
  wheel_[0] = first;
  wheel_[1] = second;
}

}  // namespace refhost
