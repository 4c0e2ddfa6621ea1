#include "refhost/KeyState.h"

namespace refhost {

void KeyState::setKeyDown(std::int32_t virtualKey, bool down) {
  if (down) {
    down_.insert(virtualKey);
  } else {
    down_.erase(virtualKey);
  }
}

}  // namespace refhost
