#include "platform/Clock.h"

#include <errno.h>
#include <time.h>

namespace tamblet::platform {
namespace {

class SystemClock final : public Clock {
 public:
  std::uint32_t tickCount() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::uint64_t milliseconds =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(milliseconds);
  }

  // Sleeps the whole time even when a signal interrupts: nanosleep hands back what is left.
  void sleep(std::uint32_t milliseconds) override {
    timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
  }

  LocalTime localTime() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    if (!localtime_r(&now.tv_sec, &parts)) return LocalTime{1970, 1, 1, 4, 0, 0, 0, 0};
    return LocalTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_wday,
                     parts.tm_hour,        parts.tm_min,     parts.tm_sec,  static_cast<int>(now.tv_nsec / 1000000)};
  }
};

SystemClock systemClock;
Clock* installedClock = nullptr;

Clock& currentClock() {
  return installedClock ? *installedClock : systemClock;
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
