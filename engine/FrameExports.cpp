// Update and the frame exports: one frame per call (drawn or skipped while messages are skipped),
// the pacing that holds 60 to 90 frames per second, transition frames, the FPS figure, the fill
// rate and the view settings.
#include <algorithm>
#include <cstdint>

#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"
#include "platform/ProcessMemory.h"
#include "platform/Window.h"

namespace tamblet {
namespace {

constexpr std::int32_t kControlKey = 17;
constexpr std::uint32_t kPacingWindowMs = 3000;
constexpr std::uint32_t kInactiveSleepMs = 50;

}  // namespace

std::uint32_t CVELM::timerNow() const { return binding.timer ? binding.timer->GetTime() : platform::tickCount(); }

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
    const auto current = static_cast<std::int32_t>(std::min<std::uint64_t>(platform::processWorkingSetBytes() >> 20,
                                                                           0x7FFFFFFF));
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

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

}  // namespace

TAMBLET_EXPORT std::int32_t Update() {
  return guardedExport<std::int32_t>(0, [] { return boolResult(engine().update()); });
}

TAMBLET_EXPORT std::int32_t TRANS_Begin(std::int32_t type) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    if (core->view.beginTransition(type)) return 1;
    engine().report(FixedText::kTransitionBeginFailed, type);
    return 0;
  });
}

TAMBLET_EXPORT std::int32_t TRANS_Update(float rate) {
  return guardedExport<std::int32_t>(0, [&] { return boolResult(engine().transitionUpdate(rate)); });
}

// Ends the transition and presents one normal frame (counted, not paced).
TAMBLET_EXPORT std::int32_t TRANS_End() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    if (core->view.endTransition() && core->drawFrame()) return 1;
    engine().report(FixedText::kTransitionEndFailed);
    return 0;
  });
}

TAMBLET_EXPORT float FPS_Get() {
  return guardedExport<float>(0.0f, [] {
    CVelmEngine* core = engine().core();
    return core ? core->fps.fps() : 0.0f;
  });
}

TAMBLET_EXPORT void FPS_SetShow(std::int32_t show) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->fpsShow = boolArgument(show);
  });
}

TAMBLET_EXPORT std::int32_t FPS_GetShow() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->fpsShow) : 0;
  });
}

// Pixels written in the last software pass, times 4 bytes, in KiB; 0 in any other view mode.
TAMBLET_EXPORT std::int32_t Debug_GetFillRate() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    if (!core || core->view.mode() != 0) return 0;
    const std::int64_t pixels = core->compositor.copyPixels() + core->compositor.blendPixels();
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(pixels * 4 / 1024, INT32_MIN, INT32_MAX));
  });
}

TAMBLET_EXPORT std::int32_t VIEW_SetMode(std::int32_t mode) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->view.setMode(mode)) : 0;
  });
}

TAMBLET_EXPORT std::int32_t VIEW_GetMode() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? core->view.mode() : 0;
  });
}

TAMBLET_EXPORT void VIEW_SetOffsetPos(std::int32_t x, std::int32_t y) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->sprites.viewOffsetX = x, core->sprites.viewOffsetY = y;
  });
}

TAMBLET_EXPORT std::int32_t KeepPreviousView_SetMode(std::int32_t keep) {
  return guardedExport<std::int32_t>(0, [&] {
    CVelmEngine* core = engine().core();
    if (!core) return 0;
    core->view.setKeepPreviousView(boolArgument(keep));
    return 1;
  });
}

TAMBLET_EXPORT std::int32_t KeepPreviousView_GetMode() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->view.keepPreviousView()) : 0;
  });
}

TAMBLET_EXPORT void DX_SetUsePower2Texture(std::int32_t use) {
  guardedExport([&] {
    if (CVelmEngine* core = engine().core()) core->sprites.usePowerOfTwo = boolArgument(use);
  });
}

TAMBLET_EXPORT std::int32_t DX_GetUsePower2Texture() {
  return guardedExport<std::int32_t>(0, [] {
    CVelmEngine* core = engine().core();
    return core ? boolResult(core->sprites.usePowerOfTwo) : 0;
  });
}
