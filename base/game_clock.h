// The clocks as the rules read them. A journal watches every read, and a replay answers the
// reads with the values a journal kept, so that a game can be played again exactly.
#pragma once

#include <cstdint>

// systemTimeMs, unless a replay answers.
uint32_t gameTimeMs();
// calendarTimeSeconds, unless a replay answers.
int64_t gameCalendarSeconds();

// Who watches or answers the reads. A watcher sees every value the rules got; an answer
// replaces the platform's clock, and returns false once it has nothing more to give (the
// platform's clock then answers).
struct ClockTap {
    void (*watchMs)(uint32_t value) = nullptr;
    void (*watchCalendar)(int64_t value) = nullptr;
    bool (*answerMs)(uint32_t& value) = nullptr;
    bool (*answerCalendar)(int64_t& value) = nullptr;
};

// Null: the platform's clocks, unwatched. The tap must outlive its use.
void setClockTap(const ClockTap* tap);
