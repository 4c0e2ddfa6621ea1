#include "engine/FpsCounter.h"

#include "platform/Clock.h"

namespace tamblet {

void FpsCounter::start(ITimer* timer) {
  timer_ = timer;
  fps_ = 0.0f;
  frames_ = 0;
  startTime_ = now();
}

void FpsCounter::countFrame() {
  ++frames_;
  const std::uint32_t current = now();
  const std::uint32_t elapsed = current - startTime_;  // wraps with the clock
  if (elapsed < 1000) return;
  fps_ = static_cast<float>(static_cast<double>(frames_) * 1000.0 / static_cast<double>(elapsed));
  frames_ = 0;
  startTime_ = current;
}

std::uint32_t FpsCounter::now() const { return timer_ ? timer_->GetTime() : platform::tickCount(); }

}  // namespace tamblet
