// The frame-rate figure of FPS_Get: frames counted over windows of at least one second of the
// host's timer (the system tick count when there is no timer).
#pragma once

#include <cstdint>

#include "host/Kernel.h"

namespace tamblet {

class FpsCounter {
 public:
  void start(ITimer* timer);
  // Counts one frame; after a second or more, the figure becomes frames per second of that window.
  void countFrame();
  float fps() const { return fps_; }

 private:
  std::uint32_t now() const;

  std::int32_t frames_ = 0;
  std::uint32_t startTime_ = 0;
  float fps_ = 0.0f;
  ITimer* timer_ = nullptr;
};

}  // namespace tamblet
