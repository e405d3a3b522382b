// The clocks as the rules read them: the platform's, watched or answered by a journal.
#include "base/game_clock.h"

#include "platform/platform.h"

namespace {
const ClockTap* clockTap = nullptr;
}

void setClockTap(const ClockTap* tap) { clockTap = tap; }

uint32_t gameTimeMs() {
    uint32_t value = 0;
    if (!clockTap || !clockTap->answerMs || !clockTap->answerMs(value)) value = systemTimeMs();
    if (clockTap && clockTap->watchMs) clockTap->watchMs(value);
    return value;
}

int64_t gameCalendarSeconds() {
    int64_t value = 0;
    if (!clockTap || !clockTap->answerCalendar || !clockTap->answerCalendar(value)) {
        value = calendarTimeSeconds();
    }
    if (clockTap && clockTap->watchCalendar) clockTap->watchCalendar(value);
    return value;
}
