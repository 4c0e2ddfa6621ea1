// Time: a wrapping millisecond tick count, sleeping, and the local date and time. Tests install a
// simulated clock so that pacing can be checked without real time passing.
#pragma once

#include <cstdint>

namespace tamblet::platform {

struct LocalTime {
  int year, month, day, dayOfWeek;  // month 1-12, dayOfWeek 0-6 with 0 = Sunday
  int hour, minute, second, millisecond;
};

class Clock {
 public:
  virtual std::uint32_t tickCount() = 0;  // milliseconds, wrapping at 2^32
  virtual void sleep(std::uint32_t milliseconds) = 0;
  virtual LocalTime localTime() = 0;

 protected:
  ~Clock() = default;
};

std::uint32_t tickCount();
void sleepMilliseconds(std::uint32_t milliseconds);
LocalTime localTime();

// Installs a clock for the whole process; null restores the real one. The caller keeps ownership.
void setClock(Clock* clock);

}  // namespace tamblet::platform
