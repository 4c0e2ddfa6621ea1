// Which process owns a window, and whether the host's window is the active one. Windows answers
// from the system. Linux has no desktop window manager to ask: a non-null window handle belongs to
// this process, and the active window is this process's unless a host or test installs another answer.
#pragma once

#include <cstdint>

namespace tamblet::platform {

inline constexpr std::uint32_t kNoProcess = 0xFFFFFFFFu;

class WindowSystem {
 public:
  virtual std::uint32_t windowOwnerProcessId(void* window) = 0;
  // The process owning the calling thread's active window; kNoProcess when there is none.
  virtual std::uint32_t activeWindowOwnerProcessId() = 0;

 protected:
  ~WindowSystem() = default;
};

std::uint32_t windowOwnerProcessId(void* window);
std::uint32_t activeWindowOwnerProcessId();

// Installs answers for the whole process; null restores the default. The caller keeps ownership.
void setWindowSystem(WindowSystem* windows);

}  // namespace tamblet::platform
