#include <unistd.h>

#include "platform/SystemServices.h"

namespace tamblet::platform {
namespace {

// There is no desktop window manager to ask: a non-null window belongs to this process, and the
// active window is this process's.
class ThisProcessWindows final : public WindowSystem {
 public:
  std::uint32_t windowOwnerProcessId(void* window) override { return window ? thisProcess() : kNoProcess; }
  std::uint32_t activeWindowOwnerProcessId() override { return thisProcess(); }

 private:
  static std::uint32_t thisProcess() { return static_cast<std::uint32_t>(getpid()); }
};

}  // namespace

WindowSystem& systemWindowSystem() {
  static ThisProcessWindows windows;
  return windows;
}

}  // namespace tamblet::platform
