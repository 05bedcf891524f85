// Moments for the unit tests. The weekday comes from the calendar module's
// day count, which its own sweep checks day by day, so tests of the alarm
// arithmetic do not lean on the code under test.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "calendar/lunar.h"
#include "model/localtime.h"

inline LocalTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return LocalTime{y, mo, d, h, mi, s,
                     weekdayOf(static_cast<uint16_t>(y), static_cast<uint16_t>(mo), static_cast<uint16_t>(d))};
}

// "2026-12-09 08:30:00 w3", for comparisons that show every field on failure.
inline std::string show(const LocalTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d w%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.weekday);
    return buf;
}
