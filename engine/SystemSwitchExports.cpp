// The frame-pacing switches (plain fields of the engine object, usable at any time) and the
// host's reset flag.
#include <cstdint>

#include "engine/BoundService.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

// The time a pacing window starts at: the host timer's, or the system tick count without one.
std::uint32_t pacingNow() {
  ITimer* timer = boundService(engine().binding.timer);
  return timer ? timer->GetTime() : platform::tickCount();
}

std::int32_t getSwitch(bool CVELM::Switches::*field) {
  return guardedExport<std::int32_t>(0, [&] { return boolResult(engine().switches.*field); });
}

void setSwitch(bool CVELM::Switches::*field, std::int32_t value) {
  guardedExport([&] { engine().switches.*field = boolArgument(value); });
}

}  // namespace

TAMBLET_EXPORT std::int32_t SYSTEM_IsResetOnce() {
  return guardedExport<std::int32_t>(0, [&] {
    IResetState* reset = boundService(engine().binding.resetState);
    return boolResult(reset && reset->IsResetOnce());
  });
}

// Turning the sleep on starts a fresh measuring window, so frames counted while it was off do
// not move the adaptive sleep.
TAMBLET_EXPORT void SYSTEM_SetConfigOverFrameRateSleep(std::int32_t on) {
  guardedExport([&] {
    CVELM& engineObject = engine();
    const bool value = boolArgument(on);
    const bool turnedOn = value && !engineObject.switches.sleepAboveFrameRate;
    engineObject.switches.sleepAboveFrameRate = value;
    if (turnedOn) {
      engineObject.pacing.framesInWindow = 0;
      engineObject.pacing.windowStartTime = pacingNow();
    }
  });
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigOverFrameRateSleep() {
  return getSwitch(&CVELM::Switches::sleepAboveFrameRate);
}

TAMBLET_EXPORT void SYSTEM_SetConfigSleepByInactiveWindow(std::int32_t on) {
  setSwitch(&CVELM::Switches::sleepWhileInactive, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigSleepByInactiveWindow() {
  return getSwitch(&CVELM::Switches::sleepWhileInactive);
}

TAMBLET_EXPORT void SYSTEM_SetReadMessageSkipping(std::int32_t on) {
  setSwitch(&CVELM::Switches::readingMessageSkip, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetReadMessageSkipping() {
  return getSwitch(&CVELM::Switches::readingMessageSkip);
}

TAMBLET_EXPORT void SYSTEM_SetConfigFrameSkipWhileMessageSkip(std::int32_t on) {
  setSwitch(&CVELM::Switches::skipFramesWhileMessageSkip, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetConfigFrameSkipWhileMessageSkip() {
  return getSwitch(&CVELM::Switches::skipFramesWhileMessageSkip);
}

TAMBLET_EXPORT void SYSTEM_SetInvalidateFrameSkipWhileMessageSkip(std::int32_t on) {
  setSwitch(&CVELM::Switches::frameSkipSuppressed, on);
}

TAMBLET_EXPORT std::int32_t SYSTEM_GetInvalidateFrameSkipWhileMessageSkip() {
  return getSwitch(&CVELM::Switches::frameSkipSuppressed);
}
