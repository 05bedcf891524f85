// When an alarm is due, wall-clock arithmetic, the zone offset to UTC+8 and
// the built-in automatic alarm. Pure functions, no platform.
#pragma once

#include <cstdint>

#include "calendar/lunar.h"
#include "calendar/workcalendar.h"
#include "model/localtime.h"
#include "model/records.h"

// True at second 0 of a minute that matches every non-zero mask and the
// alarm's minute. A year mask of 0 matches every year; any other matches only
// the years 2009..2040 of its bits. A lunar alarm reads its month and day
// masks on the lunar date of the day and is never due outside 1901..2100.
// An alarm with a day rule rings only on the days the installed work
// calendar's rule allows, tested on the same date as the masks.
bool isDue(const LocalTime& t, const AlarmRecord& a);

// The due test in parts, for callers that test many alarms on the same day
// and convert that day to the lunar calendar once: everything but the month
// and day, then those on the Gregorian or on the lunar date.
inline bool dueAtClock(const LocalTime& t, const AlarmRecord& a) {
    // The cheap exact tests first; the result is the same conjunction.
    if (t.second != 0 || t.minute != a.minute) return false;
    if (a.yearMask != 0 && (a.yearMask & yearBit(t.year)) == 0) return false;
    if (a.weekdayMask != 0 && (a.weekdayMask & weekdayBit(t.weekday)) == 0) return false;
    return a.hourMask == 0 || (a.hourMask & hourBit(t.hour)) != 0;
}
bool gregorianDateMatches(const LocalTime& t, const AlarmRecord& a);
// Month bit n is lunar month n + 1, a leap month only under a month mask of
// 0; day bit n is lunar day n + 1, and 三十 (bit 29) takes 廿九 when the month
// has only 29 days.
bool lunarDateMatches(const LunarDate& day, const AlarmRecord& a);
// The lunar date of the day of `t`; false outside 1901-01-01..2100-12-31.
bool lunarDateAt(const LocalTime& t, LunarDate& out);

// isDue with the lunar date supplied by `lunarOf`, a callable returning a
// const LunarDate* for the day of `t` (null outside the lunar tables). It is
// called only for a lunar alarm whose other fields already match.
// The day rule of the alarm on the day of `t`: true for an alarm without one.
bool dayRuleMatches(const LocalTime& t, const AlarmRecord& a);

template <class LunarOf>
bool isDueWith(const LocalTime& t, const AlarmRecord& a, LunarOf&& lunarOf) {
    if (!dueAtClock(t, a)) return false;
    if (!isLunarAlarm(a)) {
        if (!gregorianDateMatches(t, a)) return false;
    } else {
        const LunarDate* day = lunarOf();
        if (day == nullptr || !lunarDateMatches(*day, a)) return false;
    }
    return dayRuleMatches(t, a);
}

// The first moment strictly after `after` at which isDue holds (second 0,
// weekday filled in); false when there is none. Ignores `disabled` and
// `temporary`. No allocation; bounded work whatever the record holds. A day
// rule is tested day by day up to the work calendar's last marked day and
// as its weekly pattern after it.
bool nextRing(const AlarmRecord& alarm, const LocalTime& after, LocalTime& next);

// Whether an alarm may wake the computer: it is enabled and makes a sound (a
// non-empty soundPath), runs a program or has a power action 1..5. Alarms
// with only a text never do.
bool wakesComputer(const AlarmRecord& alarm);

// The earliest moment strictly after `after` at which an alarm of the table
// that wakesComputer starts its sound (with a non-empty soundPath: each of its
// repeatCount starts, leadMinutes before a ring and then every
// intervalMinutes, as the tick makes them) or falls due (second 0, weekday
// filled in). The automatic chime never counts. False when no such moment
// exists within nextRing's bounds. With `ring`, also the alarm minute that
// moment belongs to (the ring of which it is a sound start, or itself). No
// allocation.
bool nextWake(const AlarmTable& table, const LocalTime& after, LocalTime& wake, LocalTime* ring = nullptr);

// Proleptic Gregorian arithmetic on the wall clock: the result is `t` moved by
// `seconds` with the weekday recomputed. No daylight-saving jump is applied,
// so sound-start probes and the automatic alarm count wall-clock minutes.
// `t` must be a valid calendar moment.
LocalTime addSeconds(const LocalTime& t, int64_t seconds);

// Seconds since 1970-01-01 00:00:00 of a wall-clock moment, for telling how
// far apart two moments are.
int64_t wallSeconds(const LocalTime& t);

// Days since 1970-01-01 of a Gregorian date (month 1..12).
int64_t daysFromCivil(int year, int month, int day);
// 28..31; 0 when month is not 1..12.
int monthLength(int year, int month);

// The transition fields of the system's time-zone record, copied over by the
// platform side. year 0: day is the occurrence 1..5 (5 = last) of dayOfWeek
// in month; otherwise month and day form a calendar date.
struct ZoneRule {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
};

struct TimeZoneRecord {
    int32_t bias;           // minutes, UTC = local + bias
    int32_t standardBias;
    int32_t daylightBias;
    ZoneRule standardDate;  // daylight time ends
    ZoneRule daylightDate;  // daylight time starts
};

// A resolved transition in a given year; hour as the rule holds it.
struct ZoneMoment {
    int month;
    int day;
    int hour;
};

struct DaylightPeriod {
    ZoneMoment start;
    ZoneMoment end;
};

// The daylight period of `year`. False when the zone keeps no daylight time
// (no daylight date or a zero daylight bias) or a rule cannot be resolved.
bool daylightPeriod(const TimeZoneRecord& zone, int year, DaylightPeriod& out);

// Whether `now` lies in the daylight period of its own year. A period whose
// start comes after its end (southern hemisphere) runs over the new year.
bool inDaylightTime(const TimeZoneRecord& zone, const LocalTime& now);

// Seconds to add to local time to get the wall clock of UTC+8.
int32_t zoneOffsetSeconds(const TimeZoneRecord& zone, const LocalTime& now);

// The automatic alarm's correction: 3600 for 1 (an hour earlier), 18000 for
// 2 (an hour later, as only hour mod 6 is examined), else 0.
int32_t dstAdjustSeconds(int dstAdjust);

// Whether the automatic alarm rings in the minute of `now` (the tick asks at
// second 0 only): xx:55 of hours 5, 11, 17, 23 and :00, :05, :10 of hours 0,
// 6, 12, 18 on the UTC+8 wall clock.
bool automaticAlarmDue(const LocalTime& now, int32_t zoneOffsetSeconds, int dstAdjust);
