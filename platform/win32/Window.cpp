#include "platform/Window.h"

#include <windows.h>

namespace tamblet::platform {
namespace {

WindowSystem* installedWindows = nullptr;

// The process owning a window; kNoProcess for null or for a handle that is no window.
std::uint32_t ownerOf(HWND window) {
  if (!window) return kNoProcess;
  DWORD process = 0;
  if (GetWindowThreadProcessId(window, &process) == 0) return kNoProcess;
  return process;
}

}  // namespace

std::uint32_t windowOwnerProcessId(void* window) {
  if (installedWindows) return installedWindows->windowOwnerProcessId(window);
  return ownerOf(static_cast<HWND>(window));
}

std::uint32_t activeWindowOwnerProcessId() {
  if (installedWindows) return installedWindows->activeWindowOwnerProcessId();
  return ownerOf(GetActiveWindow());
}

void setWindowSystem(WindowSystem* windows) { installedWindows = windows; }

}  // namespace tamblet::platform
