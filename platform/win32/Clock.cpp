#include <windows.h>

#include "platform/SystemServices.h"

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

}  // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace tamblet::platform
