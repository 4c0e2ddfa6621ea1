// The window of builds without SDL2 (Windows): --window is refused with a clear reason, so the
// player runs headless only. The other members are never reached, since no Window is ever made.
#include "tools/play/Window.h"

namespace tamblet::play {

struct Window::Parts {};

std::unique_ptr<Window> Window::open(const std::string&, std::int32_t, std::int32_t, std::string* why) {
  if (why) *why = "not available in this build";
  return nullptr;
}

Window::Window(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
Window::~Window() = default;
bool Window::pollEvents(refhost::Host&) { return false; }
void Window::present(ISurface&, float) {}
std::uint32_t Window::milliseconds() const { return 0; }

std::int32_t virtualKeyOf(std::int32_t) { return -1; }

}  // namespace tamblet::play
