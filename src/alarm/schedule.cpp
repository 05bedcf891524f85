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

int64_t wallSeconds(const LocalTime& t) {
    return secondKey(t.year, t.month, t.day, int64_t{t.hour} * 3600 + t.minute * 60 + t.second);
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

bool lunarDateAt(const LocalTime& t, LunarDate& out) {
    // Checked before narrowing: a far-off year must not wrap into the tables.
    if (t.year < kLunarFirstYear || t.year > kLunarLastYear) return false;
    return lunarDateOf(static_cast<uint16_t>(t.year), static_cast<uint16_t>(t.month),
                       static_cast<uint16_t>(t.day), out);
}

bool gregorianDateMatches(const LocalTime& t, const AlarmRecord& a) {
    if (a.monthMask != 0 && (a.monthMask & monthBit(t.month)) == 0) return false;
    if (a.dayMask != 0 && (a.dayMask & dayBit(t.day)) == 0) return false;
    return true;
}

bool lunarDateMatches(const LunarDate& day, const AlarmRecord& a) {
    // "八月十五" means the regular eighth month; only "every month" takes the leap one.
    if (a.monthMask != 0 && (day.leap || (a.monthMask & monthBit(day.month)) == 0)) return false;
    if (a.dayMask == 0) return true;
    // 三十 is the month's last day: in a short month that is 廿九.
    const uint32_t bits = dayBit(day.day) | (day.day == 29 && day.monthDays == 29 ? dayBit(30) : 0);
    return (a.dayMask & bits) != 0;
}

bool dayRuleMatches(const LocalTime& t, const AlarmRecord& a) {
    if (a.dayRule == kDayRuleNone || a.dayRule >= kDayRuleCount) return true;
    return dayRuleAllows(a.dayRule, static_cast<int32_t>(daysFromCivil(t.year, t.month, t.day)), t.weekday,
                         workCalendar());
}

bool isDue(const LocalTime& t, const AlarmRecord& a) {
    LunarDate day;
    return isDueWith(t, a, [&]() -> const LunarDate* { return lunarDateAt(t, day) ? &day : nullptr; });
}

namespace {

constexpr uint32_t kAllHours = 0x00FFFFFF;
constexpr uint32_t kAllMonths = 0xFFF;
constexpr uint32_t kAllDays = 0x7FFFFFFF;
constexpr uint32_t kAllLunarDays = 0x3FFFFFFF;
constexpr uint8_t kAllWeekdays = 0x7F;

// Bits 0..n-1.
uint32_t lowBits(int n) { return n >= 32 ? 0xFFFFFFFFu : (uint32_t{1} << n) - 1; }

int lowestBit(uint32_t bits) { return __builtin_ctz(bits); }

// An alarm's masks cut to the bits that can match something, a zero mask
// standing for all of them. A non-zero mask holding only stray bits (month
// 13, hour 24, a lunar 31st…) leaves an empty set: the alarm never rings.
struct Reach {
    uint32_t hours;
    uint32_t months;
    uint32_t days;
    uint32_t weekdays;
};

bool reachOf(const AlarmRecord& a, Reach& r) {
    if (a.minute < 0 || a.minute > 59) return false;
    const uint32_t allDays = isLunarAlarm(a) ? kAllLunarDays : kAllDays;
    r.hours = a.hourMask ? a.hourMask & kAllHours : kAllHours;
    r.months = a.monthMask ? a.monthMask & kAllMonths : kAllMonths;
    r.days = a.dayMask ? a.dayMask & allDays : allDays;
    r.weekdays = a.weekdayMask ? a.weekdayMask & kAllWeekdays : kAllWeekdays;
    return r.hours && r.months && r.days && r.weekdays;
}

// Days of a month (bit d - 1 for day d) on the given weekdays, for a month
// whose first day falls on weekday `first`.
uint32_t daysOnWeekdays(uint32_t weekdays, int first) {
    const uint32_t week = ((weekdays >> first) | (weekdays << (7 - first))) & kAllWeekdays;
    return (week | week << 7 | week << 14 | week << 21 | week << 28) & kAllDays;
}

// Whether some month of the mask has some day of the mask in some year: 30
// February or 31 April alone never come.
bool someDateExists(const Reach& r) {
    static const int kLongest[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 0; m < 12; ++m)
        if (((r.months >> m) & 1) && (r.days & lowBits(kLongest[m])) != 0) return true;
    return false;
}

// The first Gregorian day from `fromDay` on whose date matches the alarm.
bool firstGregorianDay(const AlarmRecord& a, const Reach& r, int64_t fromDay, int64_t& found) {
    if (!someDateExists(r)) return false;
    LocalTime from;
    civilFromDays(fromDay, from);
    // With a year mask nothing lies past 2040. Without one, dates and weekdays
    // repeat every 400 years (146097 days, whole weeks): what the next 400
    // years do not hold never comes.
    int firstYear = from.year, lastYear = from.year + 400;
    if (a.yearMask != 0) {
        if (firstYear < kFirstAlarmYear) firstYear = kFirstAlarmYear;
        lastYear = kLastAlarmYear;
    }
    for (int y = firstYear; y <= lastYear; ++y) {
        if (a.yearMask != 0 && (a.yearMask & yearBit(y)) == 0) continue;
        for (int m = y == from.year ? from.month : 1; m <= 12; ++m) {
            if (((r.months >> (m - 1)) & 1) == 0) continue;
            uint32_t days = r.days & lowBits(monthLength(y, m));
            if (y == from.year && m == from.month) days &= ~lowBits(from.day - 1);
            if (days == 0) continue;
            const int64_t first = daysFromCivil(y, m, 1);
            days &= daysOnWeekdays(r.weekdays, weekdayOfDays(first));
            if (days != 0) {
                found = first + lowestBit(days);
                return true;
            }
        }
    }
    return false;
}

// The first day in [lo, hi] whose lunar date matches, walking the lunar
// table a month at a time.
bool firstLunarDayIn(const AlarmRecord& a, const Reach& r, int64_t lo, int64_t hi, int64_t& found) {
    const int64_t epoch = daysFromCivil(1901, 1, 1);
    LunarMonth m;
    if (lo > hi || !lunarMonthAt(static_cast<int32_t>(lo - epoch), m)) return false;
    do {
        const int64_t first = epoch + m.first;
        if (first > hi) break;
        if (m.leap ? a.monthMask != 0 : ((r.months >> (m.month - 1)) & 1) == 0) continue;
        uint32_t days = r.days & lowBits(m.days);
        if (m.days == 29 && (r.days & dayBit(30)) != 0) days |= dayBit(29);
        if (lo > first) days &= ~lowBits(static_cast<int>(lo - first));
        if (hi < first + m.days - 1) days &= lowBits(static_cast<int>(hi - first + 1));
        days &= daysOnWeekdays(r.weekdays, weekdayOfDays(first));
        if (days != 0) {
            found = first + lowestBit(days);
            return true;
        }
    } while (nextLunarMonth(m));
    return false;
}

// The same for a lunar alarm, within the lunar tables and, under a year
// mask, one allowed Gregorian year after the other.
bool firstLunarDay(const AlarmRecord& a, const Reach& r, int64_t fromDay, int64_t& found) {
    const int64_t firstDay = daysFromCivil(kLunarFirstYear, 1, 1), lastDay = daysFromCivil(kLunarLastYear, 12, 31);
    const int64_t lo = fromDay > firstDay ? fromDay : firstDay;
    if (a.yearMask == 0) return firstLunarDayIn(a, r, lo, lastDay, found);
    for (uint32_t years = a.yearMask; years != 0; years &= years - 1) {
        const int year = kFirstAlarmYear + lowestBit(years);
        const int64_t yearStart = daysFromCivil(year, 1, 1), yearEnd = daysFromCivil(year, 12, 31);
        if (firstLunarDayIn(a, r, lo > yearStart ? lo : yearStart, yearEnd < lastDay ? yearEnd : lastDay, found))
            return true;
    }
    return false;
}

// The first day from `fromDay` on whose date matches the masks.
bool firstDateDay(const AlarmRecord& a, const Reach& r, int64_t fromDay, int64_t& found) {
    return isLunarAlarm(a) ? firstLunarDay(a, r, fromDay, found) : firstGregorianDay(a, r, fromDay, found);
}

// The same for an alarm with a day rule: the masks' days are tried one by one
// while the work calendar may mark them; after its last marked day the rule
// is a weekly pattern, which joins the weekday mask (大小周 also needs its
// week, so its Saturdays are tried one by one, every other one passing).
bool firstRuleDay(const AlarmRecord& a, const Reach& r, int64_t fromDay, int64_t& found) {
    const WorkCalendar& calendar = workCalendar();
    const int64_t lastMarked = calendar.lastMarkedDay();
    int64_t day = fromDay;
    for (; day <= lastMarked; ++day) {
        if (!firstDateDay(a, r, day, day)) return false;
        if (day > lastMarked) break;
        if (dayRuleAllows(a.dayRule, static_cast<int32_t>(day), weekdayOfDays(day), calendar)) {
            found = day;
            return true;
        }
    }
    Reach pattern = r;
    pattern.weekdays &= dayRuleWeekdays(a.dayRule);
    if (pattern.weekdays == 0) return false;
    for (;; ++day) {
        if (!firstDateDay(a, pattern, day, day)) return false;
        if (dayRuleAllows(a.dayRule, static_cast<int32_t>(day), weekdayOfDays(day), calendar)) {
            found = day;
            return true;
        }
    }
}

}  // namespace

bool nextRing(const AlarmRecord& alarm, const LocalTime& after, LocalTime& next) {
    Reach r;
    if (!reachOf(alarm, r)) return false;
    LocalTime start = after;
    start.second = 0;
    start = addSeconds(start, 60);
    // Hours still to come on the first day, and the first day worth searching from.
    const int fromHour = alarm.minute >= start.minute ? start.hour : start.hour + 1;
    const uint32_t hoursLeft = r.hours & ~lowBits(fromHour);
    const int64_t today = daysFromCivil(start.year, start.month, start.day);
    const int64_t fromDay = hoursLeft != 0 ? today : today + 1;
    int64_t day;
    const bool ruled = alarm.dayRule != kDayRuleNone && alarm.dayRule < kDayRuleCount;
    const bool found = ruled ? firstRuleDay(alarm, r, fromDay, day) : firstDateDay(alarm, r, fromDay, day);
    if (!found) return false;
    civilFromDays(day, next);
    next.hour = lowestBit(day == today ? hoursLeft : r.hours);
    next.minute = alarm.minute;
    next.second = 0;
    return true;
}

bool wakesComputer(const AlarmRecord& alarm) {
    if (alarm.disabled) return false;
    return fieldLength(alarm.soundPath, sizeof alarm.soundPath) != 0 ||
           fieldLength(alarm.programPath, sizeof alarm.programPath) != 0 ||
           (alarm.specialAction >= 1 && alarm.specialAction <= 5);
}

namespace {

// The minutes from a ring to the moments it acts at: 0 for the ring itself
// and, with a sound, j * interval - lead for each start j; ascending, each
// once. At most 128 of them (repeatCount is a signed byte).
int actingOffsets(const AlarmRecord& alarm, int (&offsets)[128]) {
    int n = 0;
    offsets[n++] = 0;
    if (fieldLength(alarm.soundPath, sizeof alarm.soundPath) != 0)
        for (int j = 0; j < alarm.repeatCount; ++j) offsets[n++] = j * alarm.intervalMinutes - alarm.leadMinutes;
    // Insertion sort: almost always a handful of values, mostly in order.
    for (int i = 1; i < n; ++i)
        for (int k = i; k > 0 && offsets[k - 1] > offsets[k]; --k) {
            const int t = offsets[k];
            offsets[k] = offsets[k - 1];
            offsets[k - 1] = t;
        }
    int unique = 1;
    for (int i = 1; i < n; ++i)
        if (offsets[i] != offsets[unique - 1]) offsets[unique++] = offsets[i];
    return unique;
}

}  // namespace

bool nextWake(const AlarmTable& table, const LocalTime& after, LocalTime& wake, LocalTime* ring) {
    const int64_t afterKey = wallSeconds(after);
    bool found = false;
    int64_t bestKey = 0;
    LocalTime bestRing{};
    int bestOffset = 0;
    int offsets[128];
    const int count = usedAlarms(table);
    for (int i = 0; i < count; ++i) {
        const AlarmRecord& alarm = table.alarms[i];
        if (!wakesComputer(alarm)) continue;
        const int n = actingOffsets(alarm, offsets);
        const int64_t lowest = int64_t{offsets[0]} * 60, highest = int64_t{offsets[n - 1]} * 60;
        // Only a ring after `after` less the latest offset can act after `after`.
        LocalTime at;
        if (!nextRing(alarm, addSeconds(after, -highest), at)) continue;
        for (;;) {
            const int64_t ringKey = wallSeconds(at);
            if (found && ringKey + lowest >= bestKey) break;
            // The first of this ring's moments after `after`; the latest one always is.
            for (int k = 0; k < n; ++k) {
                const int64_t key = ringKey + int64_t{offsets[k]} * 60;
                if (key <= afterKey) continue;
                if (!found || key < bestKey) {
                    found = true;
                    bestKey = key;
                    bestRing = at;
                    bestOffset = offsets[k];
                }
                break;
            }
            // An alarm rings at most once an hour: a later ring's first moment
            // lies at least an hour after this ring's.
            if (ringKey + 3600 + lowest >= bestKey) break;
            LocalTime later;
            if (!nextRing(alarm, at, later)) break;
            at = later;
        }
    }
    if (!found) return false;
    wake = addSeconds(bestRing, int64_t{bestOffset} * 60);
    if (ring) *ring = bestRing;
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
    const int64_t at = wallSeconds(now);
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
