#include "alarm/schedule.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Weekday from the C library, so the tests do not lean on the code under test.
LocalTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    const time_t t = timegm(&tm);
    std::tm out{};
    gmtime_r(&t, &out);
    return LocalTime{y, mo, d, h, mi, s, out.tm_wday};
}

std::string show(const LocalTime& t) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d w%d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.weekday);
    return buf;
}

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

TEST(ScheduleIsDue, YearsOutside2009To2029NeverMatch) {
    AlarmRecord any = alarmAt(30);
    AlarmRecord allBits = alarmAt(30);
    allBits.yearMask = 0xFFFFFFFFu;  // bits past 2029 must not open later years
    for (const AlarmRecord& a : {any, allBits}) {
        EXPECT_FALSE(isDue(at(2008, 12, 31, 23, 30), a));
        EXPECT_TRUE(isDue(at(2009, 1, 1, 0, 30), a));
        EXPECT_TRUE(isDue(at(2029, 12, 31, 23, 30), a));
        EXPECT_FALSE(isDue(at(2030, 1, 1, 0, 30), a));
        EXPECT_FALSE(isDue(at(2031, 5, 1, 0, 30), a));
    }
    AlarmRecord last = alarmAt(30);
    last.yearMask = yearBit(2029);
    EXPECT_TRUE(isDue(at(2029, 3, 1, 8, 30), last));
    EXPECT_FALSE(isDue(at(2028, 3, 1, 8, 30), last));
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
