#include "platform/Clock.h"

#include "platform/SystemServices.h"

namespace tamblet::platform {
namespace {

Clock* installedClock = nullptr;

Clock& currentClock() {
  return installedClock ? *installedClock : systemClock();
}

}  // namespace

std::uint32_t tickCount() {
  return currentClock().tickCount();
}

void sleepMilliseconds(std::uint32_t milliseconds) {
  currentClock().sleep(milliseconds);
}

LocalTime localTime() {
  return currentClock().localTime();
}

void setClock(Clock* clock) {
  installedClock = clock;
}

}  // namespace tamblet::platform
