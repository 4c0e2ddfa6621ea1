#include <windows.h>

#include "platform/SystemServices.h"

namespace tamblet::platform {
namespace {

// The system's answers: the process owning a window (kNoProcess for null or for a handle that is
// no window), and the owner of the calling thread's active window.
class SystemWindows final : public WindowSystem {
 public:
  std::uint32_t windowOwnerProcessId(void* window) override { return ownerOf(static_cast<HWND>(window)); }
  std::uint32_t activeWindowOwnerProcessId() override { return ownerOf(GetActiveWindow()); }

 private:
  static std::uint32_t ownerOf(HWND window) {
    if (!window) return kNoProcess;
    DWORD process = 0;
    if (GetWindowThreadProcessId(window, &process) == 0) return kNoProcess;
    return process;
  }
};

}  // namespace

WindowSystem& systemWindowSystem() {
  static SystemWindows windows;
  return windows;
}

}  // namespace tamblet::platform
