#include "platform/Window.h"

#include <unistd.h>

namespace tamblet::platform {
namespace {

WindowSystem* installedWindows = nullptr;

std::uint32_t thisProcess() { return static_cast<std::uint32_t>(getpid()); }

}  // namespace

std::uint32_t windowOwnerProcessId(void* window) {
  if (installedWindows) return installedWindows->windowOwnerProcessId(window);
  return window ? thisProcess() : kNoProcess;
}

std::uint32_t activeWindowOwnerProcessId() {
  return installedWindows ? installedWindows->activeWindowOwnerProcessId() : thisProcess();
}

void setWindowSystem(WindowSystem* windows) { installedWindows = windows; }

}  // namespace tamblet::platform
