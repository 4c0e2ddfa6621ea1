#include "platform/Window.h"

#include "platform/SystemServices.h"

namespace tamblet::platform {
namespace {

WindowSystem* installedWindows = nullptr;

WindowSystem& currentWindows() {
  return installedWindows ? *installedWindows : systemWindowSystem();
}

}  // namespace

std::uint32_t windowOwnerProcessId(void* window) {
  return currentWindows().windowOwnerProcessId(window);
}

std::uint32_t activeWindowOwnerProcessId() {
  return currentWindows().activeWindowOwnerProcessId();
}

void setWindowSystem(WindowSystem* windows) { installedWindows = windows; }

}  // namespace tamblet::platform
