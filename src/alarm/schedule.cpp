#include "alarm/schedule.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int32_t kUtc8Minutes = 480;

bool isLeapYear(int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// 1970-01-01 was a Thursday.
int weekdayOfDays(int64_t days) {
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

void civilFromDays(int64_t days, LocalTime& out) {
    const int64_t z = days + 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t month = mp < 10 ? mp + 3 : mp - 9;
    out.year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    out.month = static_cast<int>(month);
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.weekday = weekdayOfDays(days);
}

int64_t secondKey(int year, int month, int day, int64_t secondOfDay) {
    return daysFromCivil(year, month, day) * kSecondsPerDay + secondOfDay;
}

bool resolveRule(const ZoneRule& rule, int year, ZoneMoment& out) {
    const int month = rule.month;
    const int length = monthLength(year, month);
    if (length == 0) return false;
    int day;
    if (rule.year == 0) {
        if (rule.dayOfWeek > 6 || rule.day < 1 || rule.day > 5) return false;
        const int first = weekdayOfDays(daysFromCivil(year, month, 1));
        day = 1 + (rule.dayOfWeek - first + 7) % 7 + 7 * (rule.day - 1);
        // Occurrence 5 means the last one, which may be the fourth.
        if (day > length) day -= 7;
    } else {
        if (rule.day < 1) return false;
        // A fixed 29 February still needs a moment in common years.
        day = rule.day > length ? length : rule.day;
    }
    out = ZoneMoment{month, day, rule.hour};
    return true;
}

}  // namespace

int64_t daysFromCivil(int year, int month, int day) {
    const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int monthLength(int year, int month) {
    static const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && isLeapYear(year)) return 29;
    return kLengths[month - 1];
}

LocalTime addSeconds(const LocalTime& t, int64_t seconds) {
    const int64_t total = int64_t{t.hour} * 3600 + int64_t{t.minute} * 60 + t.second + seconds;
    LocalTime out = t;
    int64_t secondOfDay = total;
    // Most probes stay within the day: no date arithmetic needed there.
    if (total < 0 || total >= kSecondsPerDay) {
        const int64_t shift = floorDiv(total, kSecondsPerDay);
        secondOfDay = total - shift * kSecondsPerDay;
        civilFromDays(daysFromCivil(t.year, t.month, t.day) + shift, out);
    }
    out.hour = static_cast<int>(secondOfDay / 3600);
    out.minute = static_cast<int>(secondOfDay / 60 % 60);
    out.second = static_cast<int>(secondOfDay % 60);
    return out;
}

bool isDue(const LocalTime& t, const AlarmRecord& a) {
    // The cheap exact tests first; the result is the same conjunction.
    if (t.second != 0 || t.minute != a.minute) return false;
    if (t.year < kFirstAlarmYear || t.year > kLastAlarmYear) return false;
    if (a.yearMask != 0 && (a.yearMask & yearBit(t.year)) == 0) return false;
    if (a.monthMask != 0 && (a.monthMask & monthBit(t.month)) == 0) return false;
    if (a.dayMask != 0 && (a.dayMask & dayBit(t.day)) == 0) return false;
    if (a.weekdayMask != 0 && (a.weekdayMask & weekdayBit(t.weekday)) == 0) return false;
    if (a.hourMask != 0 && (a.hourMask & hourBit(t.hour)) == 0) return false;
    return true;
}

bool daylightPeriod(const TimeZoneRecord& zone, int year, DaylightPeriod& out) {
    if (zone.daylightDate.month == 0 || zone.daylightBias == 0) return false;
    DaylightPeriod p;
    if (!resolveRule(zone.daylightDate, year, p.start)) return false;
    if (!resolveRule(zone.standardDate, year, p.end)) return false;
    out = p;
    return true;
}

bool inDaylightTime(const TimeZoneRecord& zone, const LocalTime& now) {
    DaylightPeriod p;
    if (!daylightPeriod(zone, now.year, p)) return false;
    const int64_t start = secondKey(now.year, p.start.month, p.start.day, int64_t{p.start.hour} * 3600);
    const int64_t end = secondKey(now.year, p.end.month, p.end.day, int64_t{p.end.hour} * 3600);
    const int64_t at = secondKey(now.year, now.month, now.day,
                                 int64_t{now.hour} * 3600 + now.minute * 60 + now.second);
    if (start < end) return start <= at && at < end;
    if (start > end) return at >= start || at < end;
    return false;
}

int32_t zoneOffsetSeconds(const TimeZoneRecord& zone, const LocalTime& now) {
    int64_t minutes = int64_t{zone.bias} + kUtc8Minutes;
    if (inDaylightTime(zone, now)) minutes += zone.daylightBias;
    return static_cast<int32_t>(minutes * 60);
}

int32_t dstAdjustSeconds(int dstAdjust) {
    if (dstAdjust == 1) return 3600;
    if (dstAdjust == 2) return 18000;
    return 0;
}

bool automaticAlarmDue(const LocalTime& now, int32_t zoneOffset, int dstAdjust) {
    const LocalTime t = addSeconds(now, int64_t{zoneOffset} + dstAdjustSeconds(dstAdjust));
    const int h = t.hour % 6;
    const int m = t.minute;
    return (h == 5 && m == 55) || (h == 0 && (m == 0 || m == 5 || m == 10));
}
