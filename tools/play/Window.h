// The --window mode's window: shows the main surface each frame, feeds keyboard, mouse and
// wheel to the reference host's input services and draws an FPS figure on request. SDL2 on Linux;
// builds without SDL2 (Windows) refuse to open one (WindowUnavailable.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "refhost/Host.h"

namespace tamblet::play {

class Window {
 public:
  // Null with SDL's reason in `why` when no window can be opened (no display, ...).
  static std::unique_ptr<Window> open(const std::string& title, std::int32_t width, std::int32_t height,
                                      std::string* why);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window();

  // Hands pending events to the host's input; false once the window was closed or Escape pressed.
  bool pollEvents(refhost::Host& host);
  // Shows the surface; a non-negative `fps` is drawn in the top-left corner.
  void present(ISurface& surface, float fps);
  // Milliseconds since the window opened.
  std::uint32_t milliseconds() const;

 private:
  struct Parts;
  explicit Window(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

// The Windows virtual-key code of an SDL key code, or -1 for keys the host does not know.
std::int32_t virtualKeyOf(std::int32_t sdlKey);

}  // namespace tamblet::play
