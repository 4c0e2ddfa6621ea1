// The frame loop of the engine object: one Update (drawn, or skipped while messages are skipped)
// or one transition frame, then the pacing that holds 60 to 90 frames per second: 50 ms while the
// host window is inactive, an adaptive sleep measured over 3-second windows, and 1 ms after every
// drawn frame.
#include <algorithm>
#include <cstdint>

#include "engine/CVELM.h"
#include "platform/Clock.h"
#include "platform/ProcessMemory.h"
#include "platform/Window.h"

namespace tamblet {
namespace {

constexpr std::int32_t kControlKey = 17;
constexpr std::uint32_t kPacingWindowMs = 3000;
constexpr std::uint32_t kInactiveSleepMs = 50;

}  // namespace

std::uint32_t CVELM::timerNow() const {
  return binding.timer ? binding.timer->GetTime() : platform::tickCount();
}

bool CVELM::skipThisFrame() {
  if (switches.frameSkipSuppressed || !switches.skipFramesWhileMessageSkip) return false;
  const bool controlDown = binding.keyState && binding.keyState->IsKeyDown(kControlKey);
  if (!switches.readingMessageSkip && !controlDown) return false;
  if (++pacing.skipCounter < pacing.skipInterval) return true;
  pacing.skipCounter = 0;
  return false;
}

void CVELM::paceAfterFrame() {
  if (binding.debugMode) {
    const auto current =
        static_cast<std::int32_t>(std::min<std::uint64_t>(platform::processWorkingSetBytes() >> 20, 0x7FFFFFFF));
    diagnostics.currentProcessMemory = current;
    diagnostics.peakProcessMemory = std::max(diagnostics.peakProcessMemory, current);
  }
  if (switches.sleepWhileInactive && platform::activeWindowOwnerProcessId() != binding.hostProcessId)
    platform::sleepMilliseconds(kInactiveSleepMs);
  if (switches.sleepAboveFrameRate) {
    const std::uint32_t now = timerNow();
    if (now - pacing.windowStartTime < kPacingWindowMs) {
      platform::sleepMilliseconds(pacing.adaptiveSleep);
    } else {
      // The window always counts as 3000 ms, whatever really passed.
      const std::int64_t fps = static_cast<std::int64_t>(pacing.framesInWindow) * 1000 / kPacingWindowMs;
      if (fps > 90) {
        ++pacing.adaptiveSleep;
      } else if (fps < 60 && pacing.adaptiveSleep > 0) {
        --pacing.adaptiveSleep;
      }
      platform::sleepMilliseconds(pacing.adaptiveSleep);
      pacing.framesInWindow = 0;
      pacing.windowStartTime = now;
    }
  }
  platform::sleepMilliseconds(1);
}

bool CVELM::update() {
  CVelmEngine* runningCore = core();
  if (!runningCore) return false;
  ++pacing.framesInWindow;
  if (skipThisFrame()) {
    pacing.framesInWindow = 0;
    pacing.windowStartTime = timerNow();
    runningCore->fps.countFrame();
    return true;
  }
  binding.drawPluginUpdater->Advance();
  if (!runningCore->drawFrame()) return false;
  paceAfterFrame();
  return true;
}

bool CVELM::transitionUpdate(float progress) {
  CVelmEngine* runningCore = core();
  if (!runningCore) return false;
  ++pacing.framesInWindow;
  binding.drawPluginUpdater->Advance();
  runningCore->fps.countFrame();
  if (!runningCore->view.updateTransition(progress)) {
    report(FixedText::kTransitionUpdateFailed);
    return false;
  }
  paceAfterFrame();
  return true;
}

}  // namespace tamblet
