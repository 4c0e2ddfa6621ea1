// The host timer and the local date and time. The timer answers 0 before Init or without the
// host's timer; the date and time need nothing and work at any time.
#include <cstdint>

#include "engine/BoundService.h"
#include "engine/CVELM.h"
#include "engine/Exports.h"
#include "platform/Clock.h"

using namespace tamblet;

namespace {

CVELM& engine() { return CVELM::instance(); }

}  // namespace

TAMBLET_EXPORT std::int32_t Timer_Get() {
  return guardedExport<std::int32_t>(0, [&] {
    ITimer* timer = boundService(engine().binding.timer);
    return timer ? static_cast<std::int32_t>(timer->GetTime()) : 0;
  });
}

TAMBLET_EXPORT void System_GetDate(std::int32_t* year, std::int32_t* month, std::int32_t* day,
                                   std::int32_t* dayOfWeek) {
  guardedExport([&] {
    if (!year || !month || !day || !dayOfWeek) return;
    const platform::LocalTime now = platform::localTime();
    *year = now.year;
    *month = now.month;
    *day = now.day;
    *dayOfWeek = now.dayOfWeek;
  });
}

TAMBLET_EXPORT void System_GetTime(std::int32_t* hour, std::int32_t* minute, std::int32_t* second,
                                   std::int32_t* millisecond) {
  guardedExport([&] {
    if (!hour || !minute || !second || !millisecond) return;
    const platform::LocalTime now = platform::localTime();
    *hour = now.hour;
    *minute = now.minute;
    *second = now.second;
    *millisecond = now.millisecond;
  });
}
