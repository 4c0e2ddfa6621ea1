#include "platform/Clock.h"

#include <windows.h>

namespace tamblet::platform {
namespace {

class SystemClock final : public Clock {
 public:
  std::uint32_t tickCount() override { return GetTickCount(); }

  void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }

  LocalTime localTime() override {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth,  now.wDay,    now.wDayOfWeek,
                     now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
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
