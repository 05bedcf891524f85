#include "alarm/schedule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "bruteforce.h"
#include "testtime.h"

namespace {

AlarmRecord alarmAt(int minute) {
    AlarmRecord a = emptyAlarm();
    a.minute = static_cast<int8_t>(minute);
    return a;
}

ZoneRule nth(int month, int weekday, int occurrence, int hour) {
    return ZoneRule{0, static_cast<uint16_t>(month), static_cast<uint16_t>(weekday),
                    static_cast<uint16_t>(occurrence), static_cast<uint16_t>(hour)};
}

ZoneRule date(int year, int month, int day, int hour) {
    return ZoneRule{static_cast<uint16_t>(year), static_cast<uint16_t>(month), 0,
                    static_cast<uint16_t>(day), static_cast<uint16_t>(hour)};
}

TimeZoneRecord fixedZone(int bias) { return TimeZoneRecord{bias, 0, 0, {}, {}}; }

// Second Sunday of March 02:00 to first Sunday of November 02:00.
const TimeZoneRecord kUsEastern{300, 0, -60, nth(11, 0, 1, 2), nth(3, 0, 2, 2)};
// Last Sunday of March 02:00 to last Sunday of October 03:00.
const TimeZoneRecord kCentralEurope{-60, 0, -60, nth(10, 0, 5, 3), nth(3, 0, 5, 2)};
// First Sunday of October 02:00 to first Sunday of April 03:00, over the new year.
const TimeZoneRecord kSydney{-600, 0, -60, nth(4, 0, 1, 3), nth(10, 0, 1, 2)};

}  // namespace

TEST(ScheduleIsDue, EachMaskRestrictsOnlyItsOwnUnit) {
    const LocalTime base = at(2015, 6, 10, 14, 30);  // a Wednesday
    AlarmRecord a = alarmAt(30);
    EXPECT_TRUE(isDue(base, a));

    struct Case {
        const char* name;
        void (*set)(AlarmRecord&, bool match);
    } cases[] = {
        {"year", [](AlarmRecord& r, bool m) { r.yearMask = yearBit(m ? 2015 : 2016); }},
        {"month", [](AlarmRecord& r, bool m) { r.monthMask = monthBit(m ? 6 : 7); }},
        {"day", [](AlarmRecord& r, bool m) { r.dayMask = dayBit(m ? 10 : 11); }},
        {"hour", [](AlarmRecord& r, bool m) { r.hourMask = hourBit(m ? 14 : 13); }},
        {"weekday", [](AlarmRecord& r, bool m) { r.weekdayMask = weekdayBit(m ? 3 : 4); }},
    };
    for (const Case& c : cases) {
        AlarmRecord r = alarmAt(30);
        c.set(r, true);
        EXPECT_TRUE(isDue(base, r)) << c.name;
        c.set(r, false);
        EXPECT_FALSE(isDue(base, r)) << c.name;
    }

    // Sundays and Saturdays only.
    a.weekdayMask = 0x41;
    EXPECT_TRUE(isDue(at(2015, 6, 13, 9, 30), a));
    EXPECT_TRUE(isDue(at(2015, 6, 14, 9, 30), a));
    EXPECT_FALSE(isDue(at(2015, 6, 15, 9, 30), a));

    // Monday and the 1st together: only a 1st that is a Monday.
    AlarmRecord mondayFirst = alarmAt(0);
    mondayFirst.weekdayMask = weekdayBit(1);
    mondayFirst.dayMask = dayBit(1);
    EXPECT_TRUE(isDue(at(2015, 6, 1, 7), mondayFirst));
    EXPECT_FALSE(isDue(at(2015, 7, 1, 7), mondayFirst));  // Wednesday
    EXPECT_FALSE(isDue(at(2015, 6, 8, 7), mondayFirst));  // Monday the 8th
}

TEST(ScheduleIsDue, YearMaskZeroIsEveryYearBitsEndIn2040) {
    const AlarmRecord any = alarmAt(30);
    for (int y : {1901, 2008, 2009, 2029, 2030, 2040, 2041, 2100})
        EXPECT_TRUE(isDue(at(y, 5, 1, 0, 30), any)) << y;

    AlarmRecord allBits = alarmAt(30);
    allBits.yearMask = 0xFFFFFFFFu;  // every year 2009..2040, and only those
    EXPECT_FALSE(isDue(at(2008, 12, 31, 23, 30), allBits));
    EXPECT_TRUE(isDue(at(2009, 1, 1, 0, 30), allBits));
    EXPECT_TRUE(isDue(at(2029, 12, 31, 23, 30), allBits));
    EXPECT_TRUE(isDue(at(2030, 1, 1, 0, 30), allBits));
    EXPECT_TRUE(isDue(at(2040, 12, 31, 23, 30), allBits));
    EXPECT_FALSE(isDue(at(2041, 1, 1, 0, 30), allBits));
    EXPECT_FALSE(isDue(at(2100, 5, 1, 0, 30), allBits));

    AlarmRecord only2030 = alarmAt(30);
    only2030.yearMask = yearBit(2030);
    EXPECT_TRUE(isDue(at(2030, 3, 1, 8, 30), only2030));
    for (int y : {2029, 2031, 2041, 2062})  // 2062 would be bit 53, or bit 21 wrapped
        EXPECT_FALSE(isDue(at(y, 3, 1, 8, 30), only2030)) << y;
    AlarmRecord last = alarmAt(30);
    last.yearMask = yearBit(2040);
    EXPECT_TRUE(isDue(at(2040, 3, 1, 8, 30), last));
    EXPECT_FALSE(isDue(at(2009, 3, 1, 8, 30), last));
    EXPECT_FALSE(isDue(at(2041, 3, 1, 8, 30), last));
}

TEST(ScheduleIsDue, OnlySecondZeroOfTheExactMinute) {
    const AlarmRecord a = alarmAt(30);
    EXPECT_FALSE(isDue(at(2015, 6, 10, 14, 30, 1), a));
    EXPECT_FALSE(isDue(at(2015, 6, 10, 14, 30, 59), a));
    EXPECT_FALSE(isDue(at(2015, 6, 10, 14, 29), a));

    // Out-of-range minutes never match any moment of a day.
    for (int bad : {60, 127, -1}) {
        const AlarmRecord r = alarmAt(bad);
        int matches = 0;
        for (int m = 0; m < 24 * 60; ++m)
            matches += isDue(at(2015, 6, 10, m / 60, m % 60), r);
        EXPECT_EQ(matches, 0) << bad;
    }
}

TEST(ScheduleAddSeconds, CrossesDayMonthYearAndLeapDayBoundaries) {
    EXPECT_EQ(show(addSeconds(at(2029, 12, 31, 23, 57), 300)), show(at(2030, 1, 1, 0, 2)));
    EXPECT_EQ(show(addSeconds(at(2010, 1, 1, 0, 2), -300)), show(at(2009, 12, 31, 23, 57)));
    EXPECT_EQ(show(addSeconds(at(2024, 2, 28, 23, 59), 60)), show(at(2024, 2, 29, 0, 0)));
    EXPECT_EQ(show(addSeconds(at(2023, 2, 28, 23, 59), 60)), show(at(2023, 3, 1, 0, 0)));
    EXPECT_EQ(show(addSeconds(at(2100, 2, 28, 12), 86400)), show(at(2100, 3, 1, 12)));
    EXPECT_EQ(show(addSeconds(at(2000, 2, 28, 12), 86400)), show(at(2000, 2, 29, 12)));
    EXPECT_EQ(show(addSeconds(at(2015, 4, 30, 23, 0, 30), 3600)), show(at(2015, 5, 1, 0, 0, 30)));
    EXPECT_EQ(show(addSeconds(at(2015, 6, 10, 14, 30, 5), 0)), show(at(2015, 6, 10, 14, 30, 5)));
}

TEST(ScheduleAddSeconds, AgreesWithTheCLibraryOverManyMoments) {
    uint64_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return seed >> 33;
    };
    for (int i = 0; i < 20000; ++i) {
        const time_t base = static_cast<time_t>(315532800 + next() % 2524608000ull);  // 1980..2060
        const int64_t shift = static_cast<int64_t>(next() % 20000000) - 10000000;
        std::tm b{}, e{};
        gmtime_r(&base, &b);
        const time_t moved = base + shift;
        gmtime_r(&moved, &e);
        const LocalTime from{b.tm_year + 1900, b.tm_mon + 1, b.tm_mday, b.tm_hour,
                             b.tm_min, b.tm_sec, b.tm_wday};
        const LocalTime want{e.tm_year + 1900, e.tm_mon + 1, e.tm_mday, e.tm_hour,
                             e.tm_min, e.tm_sec, e.tm_wday};
        ASSERT_EQ(show(addSeconds(from, shift)), show(want)) << show(from) << " + " << shift;
    }
}

TEST(ScheduleZone, FixedZonesOffsetToUtc8) {
    EXPECT_EQ(zoneOffsetSeconds(fixedZone(-480), at(2015, 6, 10, 12)), 0);
    EXPECT_EQ(zoneOffsetSeconds(fixedZone(0), at(2015, 6, 10, 12)), 28800);
    EXPECT_EQ(zoneOffsetSeconds(fixedZone(300), at(2015, 6, 10, 12)), 46800);

    // A daylight rule without a daylight bias, or a bias without a rule, is standard time.
    TimeZoneRecord noBias = kUsEastern;
    noBias.daylightBias = 0;
    TimeZoneRecord noRule = kUsEastern;
    noRule.daylightDate.month = 0;
    for (const TimeZoneRecord& z : {noBias, noRule}) {
        EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 7, 1, 12)), 46800);
        DaylightPeriod p{};
        EXPECT_FALSE(daylightPeriod(z, 2026, p));
    }
}

TEST(ScheduleZone, NthWeekdayRulesSwitchAtTheirHour) {
    DaylightPeriod p{};
    ASSERT_TRUE(daylightPeriod(kUsEastern, 2026, p));
    EXPECT_EQ(p.start.month * 100 + p.start.day, 308);
    EXPECT_EQ(p.end.month * 100 + p.end.day, 1101);
    EXPECT_EQ(p.start.hour, 2);
    EXPECT_EQ(p.end.hour, 2);

    const int standard = (300 + 480) * 60, daylight = (300 - 60 + 480) * 60;
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2026, 1, 1)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2026, 3, 8, 1, 59, 59)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2026, 3, 8, 2)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2026, 11, 1, 1, 59, 59)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2026, 11, 1, 2)), standard);
    // Resolved for each year anew: 2027 starts on the 14th.
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2027, 3, 13, 12)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kUsEastern, at(2027, 3, 14, 12)), daylight);
}

TEST(ScheduleZone, FifthOccurrenceMeansTheLastOne) {
    DaylightPeriod p{};
    // March 2026 has five Sundays and October four; 2021 the other way round.
    ASSERT_TRUE(daylightPeriod(kCentralEurope, 2026, p));
    EXPECT_EQ(p.start.month * 100 + p.start.day, 329);
    EXPECT_EQ(p.end.month * 100 + p.end.day, 1025);
    ASSERT_TRUE(daylightPeriod(kCentralEurope, 2021, p));
    EXPECT_EQ(p.start.month * 100 + p.start.day, 328);
    EXPECT_EQ(p.end.month * 100 + p.end.day, 1031);

    const int standard = (-60 + 480) * 60, daylight = (-120 + 480) * 60;
    EXPECT_EQ(zoneOffsetSeconds(kCentralEurope, at(2026, 3, 29, 1, 59, 59)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kCentralEurope, at(2026, 3, 29, 2)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kCentralEurope, at(2026, 10, 25, 2, 59, 59)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kCentralEurope, at(2026, 10, 25, 3)), standard);
}

TEST(ScheduleZone, CalendarDateRules) {
    const TimeZoneRecord z{-480, 0, -60, date(2020, 9, 15, 0), date(2020, 4, 10, 3)};
    DaylightPeriod p{};
    // The date applies to the year asked about, whatever year the record names.
    ASSERT_TRUE(daylightPeriod(z, 2026, p));
    EXPECT_EQ(p.start.month * 100 + p.start.day, 410);
    EXPECT_EQ(p.end.month * 100 + p.end.day, 915);
    EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 4, 10, 2, 59, 59)), 0);
    EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 4, 10, 3)), -3600);
    EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 9, 14, 23, 59, 59)), -3600);
    EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 9, 15)), 0);

    // 29 February falls back to the 28th in common years.
    const TimeZoneRecord leap{0, 0, -60, date(2024, 10, 1, 0), date(2024, 2, 29, 0)};
    ASSERT_TRUE(daylightPeriod(leap, 2024, p));
    EXPECT_EQ(p.start.day, 29);
    ASSERT_TRUE(daylightPeriod(leap, 2025, p));
    EXPECT_EQ(p.start.day, 28);
}

TEST(ScheduleZone, SouthernPeriodRunsOverTheNewYear) {
    const int standard = (-600 + 480) * 60, daylight = (-660 + 480) * 60;
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 1, 15, 12)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 1, 1)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 4, 5, 2, 59, 59)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 4, 5, 3)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 7, 1, 12)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 10, 4, 1, 59, 59)), standard);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 10, 4, 2)), daylight);
    EXPECT_EQ(zoneOffsetSeconds(kSydney, at(2026, 12, 31, 23, 59, 59)), daylight);
}

TEST(ScheduleZone, UnresolvableRulesMeanStandardTime) {
    TimeZoneRecord badMonth = kUsEastern, badWeekday = kUsEastern, badOccurrence = kUsEastern,
                   noEnd = kUsEastern;
    badMonth.daylightDate.month = 13;
    badWeekday.daylightDate.dayOfWeek = 7;
    badOccurrence.daylightDate.day = 0;
    noEnd.standardDate.month = 0;
    for (const TimeZoneRecord& z : {badMonth, badWeekday, badOccurrence, noEnd})
        EXPECT_EQ(zoneOffsetSeconds(z, at(2026, 7, 1, 12)), 46800);
}

namespace {

// Every local minute of a day on which the automatic alarm rings, "HH:MM".
std::vector<std::string> ringingMinutes(const TimeZoneRecord& zone, int y, int mo, int d,
                                        int dstAdjust) {
    std::vector<std::string> out;
    for (int m = 0; m < 24 * 60; ++m) {
        const LocalTime now = at(y, mo, d, m / 60, m % 60);
        if (automaticAlarmDue(now, zoneOffsetSeconds(zone, now), dstAdjust)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "%02d:%02d", now.hour, now.minute);
            out.push_back(buf);
        }
    }
    return out;
}

// The sixteen UTC+8 ringing times moved by whole hours onto the local clock.
std::vector<std::string> utc8Times(int localMinusUtc8Hours) {
    static const int kMinutes[] = {0, 5, 10, 355, 360, 365, 370, 715, 720, 725, 730,
                                   1075, 1080, 1085, 1090, 1435};
    std::vector<bool> ring(1440, false);
    for (int m : kMinutes) ring[((m + localMinusUtc8Hours * 60) % 1440 + 1440) % 1440] = true;
    std::vector<std::string> out;
    for (int m = 0; m < 1440; ++m) {
        if (!ring[m]) continue;
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02d:%02d", m / 60, m % 60);
        out.push_back(buf);
    }
    return out;
}

}  // namespace

TEST(ScheduleAutomatic, Utc8ZoneWithEachAdjustment) {
    const TimeZoneRecord z = fixedZone(-480);
    const std::vector<std::string> plain = {"00:00", "00:05", "00:10", "05:55", "06:00", "06:05",
                                            "06:10", "11:55", "12:00", "12:05", "12:10", "17:55",
                                            "18:00", "18:05", "18:10", "23:55"};
    EXPECT_EQ(ringingMinutes(z, 2015, 6, 10, 0), plain);
    EXPECT_EQ(utc8Times(0), plain);
    EXPECT_EQ(ringingMinutes(z, 2015, 6, 10, 1), utc8Times(-1));
    EXPECT_EQ(ringingMinutes(z, 2015, 6, 10, 2), utc8Times(+1));
    EXPECT_EQ(ringingMinutes(z, 2015, 6, 10, 7), plain);  // unknown values adjust nothing

    EXPECT_TRUE(automaticAlarmDue(at(2015, 6, 10, 11, 55), 0, 0));
    EXPECT_TRUE(automaticAlarmDue(at(2015, 6, 10, 12, 55), 0, 2));
    EXPECT_FALSE(automaticAlarmDue(at(2015, 6, 10, 12, 55), 0, 0));
}

TEST(ScheduleAutomatic, UtcAndDaylightZonesFollowUtc8WallClock) {
    // UTC is eight hours behind, so 11:55 UTC+8 rings at 03:55.
    EXPECT_EQ(ringingMinutes(fixedZone(0), 2015, 6, 10, 0), utc8Times(-8));
    EXPECT_EQ(ringingMinutes(fixedZone(0), 2015, 6, 10, 1), utc8Times(-9));
    EXPECT_EQ(ringingMinutes(fixedZone(0), 2015, 6, 10, 2), utc8Times(-7));

    // US Eastern: 13 hours behind UTC+8 in winter, 12 in summer.
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 1, 15, 0), utc8Times(-13));
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 7, 15, 0), utc8Times(-12));
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 7, 15, 1), utc8Times(-13));
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 7, 15, 2), utc8Times(-11));

    // Central Europe: 6 hours behind in summer, 7 in winter.
    EXPECT_EQ(ringingMinutes(kCentralEurope, 2026, 7, 15, 0), utc8Times(-6));
    EXPECT_EQ(ringingMinutes(kCentralEurope, 2026, 1, 15, 0), utc8Times(-7));

    // On the switch days the rings before 02:00 follow the old offset, later ones the new.
    const std::vector<std::string> spring = {"05:55", "06:00", "06:05", "06:10", "11:55",
                                             "12:00", "12:05", "12:10", "17:55", "18:00",
                                             "18:05", "18:10", "23:55"};
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 3, 8, 0), spring);
    const std::vector<std::string> autumn = {"00:00", "00:05", "00:10", "04:55", "05:00",
                                             "05:05", "05:10", "10:55", "11:00", "11:05",
                                             "11:10", "16:55", "17:00", "17:05", "17:10",
                                             "22:55", "23:00", "23:05", "23:10"};
    EXPECT_EQ(ringingMinutes(kUsEastern, 2026, 11, 1, 0), autumn);

    // A date-rule zone at UTC+8 with daylight time: an hour ahead while it lasts.
    const TimeZoneRecord z{-480, 0, -60, date(2020, 9, 15, 0), date(2020, 4, 10, 0)};
    EXPECT_EQ(ringingMinutes(z, 2026, 6, 1, 0), utc8Times(+1));
    EXPECT_EQ(ringingMinutes(z, 2026, 12, 1, 0), utc8Times(0));
}

namespace {

AlarmRecord lunarAt(int hour, int minute, int month, int day) {
    AlarmRecord a = alarmAt(minute);
    a.calendarKind = kCalendarLunar;
    a.hourMask = hourBit(hour);
    a.monthMask = month ? monthBit(month) : 0;
    a.dayMask = dayBit(day);
    return a;
}

// nextRing against the slow walk from `after` to `until`. With `final`,
// nothing is due from `until` on (a year mask ends with 2040, the lunar
// tables with 2100, the Gregorian calendar repeats after 400 years), so an
// empty walk proves "never"; otherwise a ring past the walk must be a due
// moment.
testing::AssertionResult agrees(const AlarmRecord& a, const LocalTime& after, const LocalTime& until,
                                bool final) {
    LocalTime fast{}, slow{};
    const bool found = nextRing(a, after, fast);
    if (bruteNextRing(a, after, until, slow)) {
        if (found && show(fast) == show(slow)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "walk " << show(slow) << ", nextRing "
                                           << (found ? show(fast) : "none");
    }
    if (!found) return testing::AssertionSuccess();
    if (!final && wallSeconds(fast) >= wallSeconds(until) && isDue(fast, a)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "walk none, nextRing " << show(fast);
}

struct Rng {
    uint64_t seed;
    int below(int n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % static_cast<uint64_t>(n));
    }
    // 0 a third of the time, else one to three bits below `width`, now and
    // then with a bit no value owns.
    uint32_t mask(int width, int strayFrom) {
        if (below(3) == 0) return 0;
        uint32_t m = 0;
        for (int k = below(3); k >= 0; --k) m |= uint32_t{1} << below(width);
        if (below(12) == 0) m |= uint32_t{1} << (strayFrom + below(32 - strayFrom));
        return m;
    }
    LocalTime moment(int fromYear, int years) {
        return addSeconds(at(fromYear, 1, 1), int64_t{below(years * 365)} * 86400 + below(86400));
    }
};

// Bad minutes are left to the crafted cases: they are walked minute by minute.
AlarmRecord randomAlarm(Rng& r, uint8_t kind) {
    AlarmRecord a = alarmAt(r.below(60));
    a.calendarKind = kind;
    a.monthMask = r.mask(12, 12);
    a.dayMask = r.mask(31, 31);
    a.hourMask = r.mask(24, 24);
    a.weekdayMask = static_cast<uint8_t>(r.mask(7, 7) & 0xFF);
    return a;
}

// Half the time a year mask of a few years around `after`. Nothing is due
// after its last year, so the walk up to there decides "never" too.
bool addYearsAround(Rng& r, AlarmRecord& a, const LocalTime& after, LocalTime& until) {
    if (r.below(2))
        for (int k = r.below(3); k >= 0; --k) a.yearMask |= yearBit(after.year - 2 + r.below(6));
    if (a.yearMask == 0) return false;
    int last = kFirstAlarmYear;
    for (int y = kFirstAlarmYear; y <= kLastAlarmYear; ++y)
        if (a.yearMask & yearBit(y)) last = y;
    until = at(last + 1, 1, 1);
    return true;
}

}  // namespace

TEST(ScheduleNextRing, CraftedDatesAgreeWithTheWalk) {
    AlarmRecord daily = alarmAt(30);
    daily.hourMask = hourBit(8);
    // Strictly after: the due moment itself is not its own next ring.
    EXPECT_TRUE(agrees(daily, at(2026, 12, 9, 8, 29, 59), at(2026, 12, 11), true));
    EXPECT_TRUE(agrees(daily, at(2026, 12, 9, 8, 30), at(2026, 12, 11), true));
    LocalTime next{};
    ASSERT_TRUE(nextRing(daily, at(2026, 12, 31, 8, 30), next));
    EXPECT_EQ(show(next), show(at(2027, 1, 1, 8, 30)));

    const struct {
        const char* name;
        int month, day;
        uint8_t weekdays;
        uint32_t years;
        LocalTime after;
        bool never;
    } cases[] = {
        {"30 February", 2, 30, 0, 0, at(2024, 1, 1), true},
        {"31 April", 4, 31, 0, 0, at(2024, 1, 1), true},
        {"29 February on a Monday", 2, 29, weekdayBit(1), 0, at(2024, 3, 1), false},
        {"29 February on a Sunday, 2009..2040", 2, 29, weekdayBit(0), 0xFFFFFFFFu, at(2009, 1, 1), false},
        {"a Monday that 2026-12-09 is not", 12, 9, weekdayBit(1), yearBit(2026), at(2020, 1, 1), true},
        {"past years only", 6, 1, 0, yearBit(2010) | yearBit(2015), at(2020, 1, 1), true},
        {"the last year's last minute passed", 12, 31, 0, yearBit(2040), at(2040, 12, 31, 23, 59, 30), true},
    };
    for (const auto& c : cases) {
        AlarmRecord a = alarmAt(45);
        a.hourMask = hourBit(23);
        a.monthMask = monthBit(c.month);
        a.dayMask = dayBit(c.day);
        a.weekdayMask = c.weekdays;
        a.yearMask = c.years;
        // Without a year mask the walk covers a whole 400-year cycle.
        const LocalTime until = c.years ? at(2041, 1, 1) : at(c.after.year + 401, 1, 1);
        EXPECT_TRUE(agrees(a, c.after, until, true)) << c.name;
        EXPECT_EQ(nextRing(a, c.after, next), !c.never) << c.name;
    }
}

TEST(ScheduleNextRing, StrayBitsAndBadMinutesNeverRing) {
    const struct {
        const char* name;
        uint32_t months, days, hours;
        uint8_t weekdays;
        int minute;
        bool rings;
    } cases[] = {
        {"month 13 only", 1u << 12, 0, 0, 0, 0, false},
        {"month 13 and January", (1u << 12) | 1u, 0, 0, 0, 0, true},
        {"day 32 only", 0, 1u << 31, 0, 0, 0, false},
        {"hour 24 only", 0, 0, 1u << 24, 0, 0, false},
        {"hour 31 and 5", 0, 0, (1u << 31) | (1u << 5), 0, 0, true},
        {"weekday 7 only", 0, 0, 0, 0x80, 0, false},
        {"minute 60", 0, 0, 0, 0, 60, false},
        {"minute -1", 0, 0, 0, 0, -1, false},
    };
    LocalTime next{};
    for (const auto& c : cases) {
        AlarmRecord a = alarmAt(c.minute);
        a.monthMask = c.months;
        a.dayMask = c.days;
        a.hourMask = c.hours;
        a.weekdayMask = c.weekdays;
        a.yearMask = yearBit(2040);
        EXPECT_TRUE(agrees(a, at(2040, 1, 1), at(2041, 1, 1), true)) << c.name;
        EXPECT_EQ(nextRing(a, at(2040, 1, 1), next), c.rings) << c.name;
    }
}

// A day rule now and then: each of the five, and values no rule has.
void addDayRule(Rng& r, AlarmRecord& a) {
    if (r.below(3) == 0) a.dayRule = static_cast<uint8_t>(1 + r.below(7));
}

// A work calendar beside the built-in one for the length of a test: days
// off and workdays from "files" in 2027 and 2031 (2028..2030 stay
// uncovered) and the user's own, some over the built-in ones.
class ExtraWorkCalendar {
public:
    ExtraWorkCalendar() {
        WorkCalendar c;
        std::vector<MarkedDay> files, user;
        for (int d = 1; d <= 7; ++d) files.push_back({dayNumber(2027, 10, d), DayMark::Off, "国庆节"});
        files.push_back({dayNumber(2027, 9, 26), DayMark::Work, "国庆节"});
        files.push_back({dayNumber(2031, 1, 1), DayMark::Off, "元旦"});
        user.push_back({dayNumber(2026, 10, 3), DayMark::Work, ""});
        user.push_back({dayNumber(2027, 3, 13), DayMark::Work, ""});
        user.push_back({dayNumber(2029, 6, 4), DayMark::Off, ""});
        c.setFileDays(files);
        c.setUserDays(user);
        installWorkCalendar(c);
    }
    ~ExtraWorkCalendar() { installWorkCalendar(WorkCalendar()); }
};

TEST(ScheduleNextRing, RandomRecordsAgreeWithTheWalk) {
    Rng r{2026};
    int rings = 0;
    for (int round = 0; round < 1000; ++round) {
        AlarmRecord a = randomAlarm(r, kCalendarGregorian);
        addDayRule(r, a);
        const LocalTime after = r.below(2) ? r.moment(2004, 38) : r.moment(1990, 100);
        LocalTime until = at(after.year + 12, 1, 1);
        const bool final = addYearsAround(r, a, after, until);
        ASSERT_TRUE(agrees(a, after, until, final)) << round;
        LocalTime next{};
        rings += nextRing(a, after, next);
    }
    // The comparisons above cover rings and "never" alike.
    EXPECT_GT(rings, 800);
    EXPECT_LT(rings, 950);
}

// Day rules day by day where the schedule marks days, as a weekly pattern
// after its last mark: the walk decides, whatever the masks and the year.
TEST(ScheduleNextRing, DayRulesAgreeWithTheWalkUnderAnySchedule) {
    const ExtraWorkCalendar extra;
    Rng r{8038};
    int rings = 0;
    for (int round = 0; round < 600; ++round) {
        AlarmRecord a = randomAlarm(r, r.below(4) ? kCalendarGregorian : kCalendarLunar);
        a.dayRule = static_cast<uint8_t>(1 + r.below(5));
        if (r.below(2)) a.weekdayMask = 0;  // as the editor stores a rule
        const LocalTime after = r.moment(r.below(2) ? 2025 : 2008, r.below(2) ? 4 : 30);
        LocalTime until = at(after.year + 6, 1, 1);
        const bool final = addYearsAround(r, a, after, until);
        ASSERT_TRUE(agrees(a, after, until, final)) << round << " rule " << int(a.dayRule);
        LocalTime next{};
        rings += nextRing(a, after, next);
    }
    EXPECT_GT(rings, 350);
    // A Sunday-only 法定工作日 alarm rings only on a Sunday marked 班: never
    // once the marks end (the built-in ones and these in 2031).
    AlarmRecord sundays = alarmAt(0);
    sundays.weekdayMask = weekdayBit(0);
    sundays.dayRule = kDayRuleWorkdays;
    LocalTime next{};
    EXPECT_FALSE(nextRing(sundays, at(2031, 1, 2), next));
    ASSERT_TRUE(nextRing(sundays, at(2026, 9, 1), next));
    EXPECT_EQ(show(next), show(at(2026, 9, 20, 0, 0)));
}

TEST(ScheduleNextRing, LunarRecordsAgreeWithTheWalk) {
    LocalTime next{};
    // 中秋 2027 is 15 September.
    ASSERT_TRUE(nextRing(lunarAt(9, 0, 8, 15), at(2027, 1, 1), next));
    EXPECT_EQ(show(next), show(at(2027, 9, 15, 9, 0)));
    // The tables end with 2100: nothing after, and nothing before 1901.
    AlarmRecord firsts = lunarAt(9, 0, 0, 1);
    ASSERT_TRUE(nextRing(firsts, at(2100, 12, 30, 9), next));
    EXPECT_EQ(show(next), show(at(2100, 12, 31, 9, 0)));  // 腊月初一, the last supported day
    EXPECT_FALSE(nextRing(firsts, at(2100, 12, 31, 9), next));
    EXPECT_TRUE(agrees(firsts, at(2100, 12, 1), at(2101, 1, 1), true));
    ASSERT_TRUE(nextRing(firsts, at(1850, 1, 1), next));
    EXPECT_EQ(show(next), show(at(1901, 1, 20, 9, 0)));  // 1901-01-01 is lunar 11/11
    // A year mask holds a lunar date up to its year's first and last day.
    for (const LocalTime& day : {at(2026, 1, 1, 9), at(2026, 12, 31, 9)}) {
        LunarDate d{};
        ASSERT_TRUE(lunarDateAt(day, d));
        AlarmRecord a = lunarAt(9, 0, d.month, d.day);
        a.yearMask = yearBit(2026);
        const LocalTime monthBefore = addSeconds(day, -30 * 86400);
        EXPECT_TRUE(agrees(a, monthBefore, at(2027, 1, 1), true)) << show(day);
        ASSERT_TRUE(nextRing(a, monthBefore, next));
        EXPECT_EQ(show(next), show(day));
    }

    Rng r{1313};
    int rings = 0;
    for (int round = 0; round < 1000; ++round) {
        AlarmRecord a = randomAlarm(r, kCalendarLunar);
        addDayRule(r, a);
        const LocalTime after = r.moment(r.below(3) ? 2008 : 2092, r.below(3) ? 32 : 10);
        LocalTime until = at(2101, 1, 1);
        addYearsAround(r, a, after, until);
        ASSERT_TRUE(agrees(a, after, until, true)) << round;  // the tables end too
        rings += nextRing(a, after, next);
    }
    EXPECT_GT(rings, 600);
    EXPECT_LT(rings, 900);
}

// Over every day of the lunar tables, at the alarms' own minute, against
// the dates solarToLunar gives; a leap month is a month number repeated.
TEST(ScheduleLunarDue, FestivalsLastDaysAndFirstsOverEveryDay) {
    const AlarmRecord midAutumn = lunarAt(9, 0, 8, 15), newYearsEve = lunarAt(9, 0, 12, 30),
                      firsts = lunarAt(9, 0, 0, 1);
    std::vector<int> eves(2101, 0);
    int midAutumns = 0, monthsStarted = 0;
    uint16_t py = 1900, pm = 11, pd = 10;
    bool leap = false;
    for (LocalTime t = at(1901, 1, 1, 9); t.year <= 2100; t = addSeconds(t, 86400)) {
        uint16_t ly, lm, ld;
        solarToLunar(static_cast<uint16_t>(t.year), static_cast<uint16_t>(t.month), static_cast<uint16_t>(t.day),
                     ly, lm, ld);
        if (ld == 1) leap = lm == pm;
        // 腊月三十 rings on the day before a new year, whether 腊月 has 29 or 30 days.
        if (ld == 1 && lm == 1) {
            ASSERT_TRUE(isDue(addSeconds(t, -86400), newYearsEve)) << show(t);
        }
        if (isDue(t, newYearsEve)) ++eves[ly];
        ASSERT_EQ(isDue(t, midAutumn), lm == 8 && ld == 15 && !leap) << show(t);
        ASSERT_EQ(isDue(t, firsts), ld == 1) << show(t);
        midAutumns += lm == 8 && ld == 15 && !leap;
        monthsStarted += ld == 1;
        py = ly, pm = lm, pd = ld;
    }
    EXPECT_EQ(midAutumns, 200);
    EXPECT_EQ(monthsStarted, 2474);  // 200 lunar years with 73 leap months, and 腊月 of 1900 and 2100
    for (int y = 1900; y <= 2099; ++y) EXPECT_EQ(eves[y], 1) << y;
    EXPECT_EQ(eves[2100], 0);  // its last day lies in 2101
    EXPECT_EQ(py * 10000 + pm * 100 + pd, 21001201);
    // Only the alarm's minute, and never outside the tables.
    EXPECT_FALSE(isDue(at(2027, 9, 15, 9, 1), midAutumn));
    EXPECT_FALSE(isDue(at(2101, 1, 29, 9), firsts));  // would be lunar 2101/1/1
    EXPECT_FALSE(isDue(at(1900, 12, 22, 9), firsts));
    EXPECT_FALSE(isDue(at(67437, 2, 19, 9), firsts));  // wraps to 1901 in 16 bits
}

namespace {

AlarmTable tableOf(const std::vector<AlarmRecord>& alarms) {
    AlarmTable t{};
    for (const AlarmRecord& a : alarms) t.alarms[t.alarmCount++] = a;
    return t;
}

template <size_t N>
void putText(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

AlarmRecord wakeAlarm(int hour, int minute, const char* sound, const char* program = "", int action = 0,
                      const char* text = "") {
    AlarmRecord a = alarmAt(minute);
    a.hourMask = hour < 0 ? 0 : hourBit(hour);
    putText(a.soundPath, sound);
    putText(a.programPath, program);
    putText(a.text, text);
    a.specialAction = action;
    a.repeatCount = 1;
    a.intervalMinutes = 5;
    return a;
}

// The tick's own rule, minute by minute: the first second 0 after `after`
// and before `until` at which an alarm that makes a sound, runs a program
// or has a power action falls due or, with a sound, starts it.
bool walkNextWake(const AlarmTable& table, const LocalTime& after, const LocalTime& until, LocalTime& wake) {
    LocalTime t = after;
    t.second = 0;
    t = addSeconds(t, 60);
    for (const int64_t end = wallSeconds(until); wallSeconds(t) < end; t = addSeconds(t, 60)) {
        for (int i = 0; i < usedAlarms(table); ++i) {
            const AlarmRecord& a = table.alarms[i];
            const bool sound = a.soundPath[0] != '\0';
            if (a.disabled || !(sound || a.programPath[0] != '\0' || (a.specialAction >= 1 && a.specialAction <= 5)))
                continue;
            bool acts = isDue(t, a);
            for (int j = 0; sound && !acts && j < a.repeatCount; ++j)
                acts = isDue(addSeconds(t, (int64_t{a.leadMinutes} - int64_t{j} * a.intervalMinutes) * 60), a);
            if (acts) {
                wake = t;
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TEST(ScheduleNextWake, OnlyAlarmsThatMakeThemselvesHeardCount) {
    LocalTime wake{};
    const LocalTime now = at(2026, 12, 7, 10, 0, 30);
    // A text alone, or a disabled alarm, never wakes the computer.
    AlarmRecord off = wakeAlarm(10, 10, "ring.wav");
    off.disabled = 1;
    EXPECT_FALSE(nextWake(tableOf({wakeAlarm(10, 5, "", "", 0, "只有文字"), off}), now, wake));
    EXPECT_FALSE(nextWake(tableOf({}), now, wake));
    // A sound, a program and a power action each do, at their time.
    for (const AlarmRecord& a : {wakeAlarm(10, 20, "ring.wav"), wakeAlarm(10, 20, "", "backup.bat"),
                                 wakeAlarm(10, 20, "", "", 3), wakeAlarm(10, 20, "", "", 5, "bye")}) {
        ASSERT_TRUE(nextWake(tableOf({wakeAlarm(10, 5, "", "", 0, "text"), a}), now, wake));
        EXPECT_EQ(show(wake), show(at(2026, 12, 7, 10, 20)));
    }
    // An action outside 1..5 is none.
    EXPECT_FALSE(nextWake(tableOf({wakeAlarm(10, 20, "", "", 6)}), now, wake));
    // The count is clamped like the tick's.
    AlarmTable t = tableOf({wakeAlarm(10, 20, "ring.wav")});
    t.alarmCount = -3;
    EXPECT_FALSE(nextWake(t, now, wake));
}

TEST(ScheduleNextWake, SoundStartsAsTheTickMakesThem) {
    LocalTime wake{};
    // Lead 10, interval 5, three starts: 07:50, 07:55, 08:00 for the 08:00 alarm.
    AlarmRecord a = wakeAlarm(8, 0, "ring.wav");
    a.leadMinutes = 10;
    a.repeatCount = 3;
    const AlarmTable t = tableOf({a});
    LocalTime ring{};
    ASSERT_TRUE(nextWake(t, at(2026, 12, 7, 7, 0), wake, &ring));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 7, 50)));
    EXPECT_EQ(show(ring), show(at(2026, 12, 7, 8, 0)));  // the alarm minute it belongs to
    // Strictly after: at 07:50:00 the next is 07:55.
    ASSERT_TRUE(nextWake(t, at(2026, 12, 7, 7, 50), wake));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 7, 55)));
    ASSERT_TRUE(nextWake(t, at(2026, 12, 7, 7, 59, 59), wake));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 8, 0)));
    ASSERT_TRUE(nextWake(t, at(2026, 12, 7, 8, 0), wake));
    EXPECT_EQ(show(wake), show(at(2026, 12, 8, 7, 50)));
    // A program-only alarm wakes at its time, not at its (silent) starts.
    AlarmRecord program = a;
    program.soundPath[0] = '\0';
    putText(program.programPath, "backup.bat");
    ASSERT_TRUE(nextWake(tableOf({program}), at(2026, 12, 7, 7, 0), wake));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 8, 0)));
    // Later starts of an earlier ring come before the next ring: hourly at :00,
    // starts at :00, :20 and :40.
    AlarmRecord hourly = wakeAlarm(-1, 0, "ring.wav");
    hourly.intervalMinutes = 20;
    hourly.repeatCount = 3;
    ASSERT_TRUE(nextWake(tableOf({hourly}), at(2026, 12, 7, 10, 5), wake, &ring));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 10, 20)));
    EXPECT_EQ(show(ring), show(at(2026, 12, 7, 10, 0)));
    // Starts of a ring after a month end belong to the evening before.
    AlarmRecord first = wakeAlarm(0, 2, "ring.wav");
    first.dayMask = dayBit(1);
    first.leadMinutes = 5;
    ASSERT_TRUE(nextWake(tableOf({first}), at(2027, 1, 15), wake));
    EXPECT_EQ(show(wake), show(at(2027, 1, 31, 23, 57)));
    // The earliest of the table wins, whatever its place.
    ASSERT_TRUE(nextWake(tableOf({a, hourly, first}), at(2026, 12, 7, 7, 45), wake));
    EXPECT_EQ(show(wake), show(at(2026, 12, 7, 7, 50)));
    // Never, within nextRing's bounds.
    AlarmRecord never = wakeAlarm(8, 0, "ring.wav");
    never.yearMask = yearBit(2020);
    EXPECT_FALSE(nextWake(tableOf({never}), at(2026, 12, 7), wake));
}

TEST(ScheduleNextWake, RandomTablesAgreeWithTheTicksRuleMinuteByMinute) {
    Rng r{1717};
    const int kLeads[] = {0, 1, 5, 10, 15, 20}, kIntervals[] = {1, 5, 10, 15, 20};
    int found = 0, beyond = 0;
    for (int round = 0; round < 600; ++round) {
        std::vector<AlarmRecord> alarms;
        for (int i = 0, n = 1 + r.below(6); i < n; ++i) {
            AlarmRecord a = randomAlarm(r, r.below(5) ? kCalendarGregorian : kCalendarLunar);
            addDayRule(r, a);
            if (r.below(4) == 0) a.yearMask = yearBit(2026 + r.below(3));
            if (r.below(3)) a.dayMask = 0;  // rings within the walk more often
            if (r.below(20) == 0) a.minute = static_cast<int8_t>(60 + r.below(10));
            const int what = r.below(6);
            putText(a.soundPath, what <= 2 ? "ring.wav" : "");
            putText(a.programPath, what == 3 ? "backup.bat" : "");
            a.specialAction = what == 4 ? 1 + r.below(5) : 0;
            putText(a.text, what == 5 || r.below(2) ? "text" : "");
            // The editor's numbers mostly; now and then what an imported record may hold.
            const bool odd = r.below(8) == 0;
            a.leadMinutes = static_cast<int8_t>(odd ? r.below(256) - 128 : kLeads[r.below(6)]);
            a.intervalMinutes = static_cast<int8_t>(odd ? r.below(256) - 128 : kIntervals[r.below(5)]);
            a.repeatCount = static_cast<int8_t>(odd ? r.below(40) - 5 : 1 + r.below(10));
            a.disabled = r.below(10) == 0;
            alarms.push_back(a);
        }
        const AlarmTable table = tableOf(alarms);
        const LocalTime after = r.moment(2026, 3);
        const LocalTime until = addSeconds(after, 3 * 86400);
        LocalTime fast{}, slow{};
        const bool have = nextWake(table, after, fast);
        if (walkNextWake(table, after, until, slow)) {
            ASSERT_TRUE(have) << round << " walk " << show(slow);
            ASSERT_EQ(show(fast), show(slow)) << round;
            ++found;
        } else if (have) {
            // Past the walk: it must be a moment the walk would have stopped at.
            ASSERT_GE(wallSeconds(fast), wallSeconds(until)) << round << " " << show(fast);
            LocalTime check{};
            ASSERT_TRUE(walkNextWake(table, addSeconds(fast, -1), addSeconds(fast, 1), check)) << round;
            ++beyond;
        }
    }
    // Both kinds of answer were compared, and not only trivial ones.
    EXPECT_GT(found, 250);
    EXPECT_GT(beyond, 20);
}
