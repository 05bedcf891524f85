// A local wall-clock moment in whole seconds, as the platform reports it.
#pragma once

struct LocalTime {
    int year;
    int month;    // 1..12
    int day;      // 1..31
    int hour;     // 0..23
    int minute;
    int second;
    int weekday;  // 0 = Sunday
};

inline bool sameMinute(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute;
}

inline bool sameSecond(const LocalTime& a, const LocalTime& b) {
    return sameMinute(a, b) && a.second == b.second;
}
