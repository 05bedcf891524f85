// The next ring found the slow way, to hold nextRing against.
#pragma once

#include "alarm/schedule.h"

// The first moment t with after < t < until at which isDue holds, walking
// the alarm's own minute of every hour. isDue is false at every other minute
// and second (ScheduleIsDue checks that minute by minute), so this is the
// minute-by-minute walk without the minutes that cannot match; an alarm
// minute outside 0..59 is walked minute by minute.
inline bool bruteNextRing(const AlarmRecord& a, const LocalTime& after, const LocalTime& until,
                          LocalTime& next) {
    const bool exact = a.minute >= 0 && a.minute <= 59;
    LocalTime t = after;
    t.second = 0;
    if (exact) t.minute = a.minute;
    const int64_t step = exact ? 3600 : 60;
    int64_t key = wallSeconds(t);
    if (key <= wallSeconds(after)) t = addSeconds(t, step), key += step;
    for (const int64_t end = wallSeconds(until); key < end; t = addSeconds(t, step), key += step) {
        if (isDue(t, a)) {
            next = t;
            return true;
        }
    }
    return false;
}
