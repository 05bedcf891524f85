// nextRing's worst cases, "never" included, and a full table of 150 alarms,
// beside the slow walk it replaces (isDue at the alarm minute of every hour
// of one year) as the baseline.
#include <benchmark/benchmark.h>

#include <cstring>

#include "alarm/schedule.h"
#include "bruteforce.h"
#include "testtime.h"

namespace {

AlarmRecord record(uint8_t kind, uint32_t years, uint32_t months, uint32_t days, uint8_t weekdays) {
    AlarmRecord a = emptyAlarm();
    a.calendarKind = kind;
    a.yearMask = years;
    a.monthMask = months;
    a.dayMask = days;
    a.weekdayMask = weekdays;
    a.hourMask = hourBit(7);
    a.minute = 30;
    return a;
}

// Years 2009..2040 in which the lunar 八月十五 does not fall on a Sunday.
uint32_t yearsWithoutSundayMidAutumn() {
    uint32_t years = 0;
    for (int y = kFirstAlarmYear; y <= kLastAlarmYear; ++y) {
        bool sunday = false;
        for (LocalTime t = at(y, 8, 1); t.month < 11; t = addSeconds(t, 86400)) {
            LunarDate d;
            if (lunarDateAt(t, d) && d.month == 8 && d.day == 15 && !d.leap) sunday = t.weekday == 0;
        }
        if (!sunday) years |= yearBit(y);
    }
    return years;
}

void BM_NextRing(benchmark::State& state, AlarmRecord alarm, LocalTime after) {
    LocalTime next{};
    for (auto _ : state) benchmark::DoNotOptimize(nextRing(alarm, after, next));
}

const uint32_t kAllYears = 0xFFFFFFFFu;
BENCHMARK_CAPTURE(BM_NextRing, never_30_february, record(kCalendarGregorian, 0, monthBit(2), dayBit(30), 0),
                  at(2026, 12, 7));
BENCHMARK_CAPTURE(BM_NextRing, never_stray_weekday_bit, record(kCalendarGregorian, 0, 0, 0, 0x80), at(2026, 12, 7));
// 2032 holds the only Sunday 29 February of 2009..2040: every year is tried.
BENCHMARK_CAPTURE(BM_NextRing, never_29_february_sunday_without_2032,
                  record(kCalendarGregorian, kAllYears & ~yearBit(2032), monthBit(2), dayBit(29), weekdayBit(0)),
                  at(2009, 1, 1));
BENCHMARK_CAPTURE(BM_NextRing, late_29_february_monday_over_2100,
                  record(kCalendarGregorian, 0, monthBit(2), dayBit(29), weekdayBit(1)), at(2096, 3, 1));
BENCHMARK_CAPTURE(BM_NextRing, never_lunar_sunday_mid_autumn_every_other_year,
                  record(kCalendarLunar, yearsWithoutSundayMidAutumn(), monthBit(8), dayBit(15), weekdayBit(0)),
                  at(2009, 1, 1));
// The slowest of 300,000 random records: 九月初二 on a Sunday, 13 years ahead.
BENCHMARK_CAPTURE(BM_NextRing, lunar_13_years_ahead, record(kCalendarLunar, 0, monthBit(9), dayBit(2), weekdayBit(0)),
                  at(2000, 7, 19, 2, 55));
BENCHMARK_CAPTURE(BM_NextRing, never_lunar_after_2100, record(kCalendarLunar, 0, 0, dayBit(1), 0), at(2100, 12, 31, 8));

AlarmRecord ruled(uint8_t rule, uint8_t weekdays, uint8_t kind = kCalendarGregorian) {
    AlarmRecord a = record(kind, 0, 0, 0, weekdays);
    a.dayRule = rule;
    return a;
}

// Day rules: through the built-in schedule's marks day by day, then as a
// weekly pattern. A Sunday-only 法定工作日 alarm after the last Sunday 班 and a
// weekday-only 法定休息日 alarm after the last weekday off walk every day
// the masks allow up to the last mark, then find the pattern empty.
BENCHMARK_CAPTURE(BM_NextRing, rule_workdays_monday_after_national_day, ruled(kDayRuleWorkdays, 0), at(2026, 9, 30, 8));
BENCHMARK_CAPTURE(BM_NextRing, rule_alternate_saturdays_over_the_marks, ruled(kDayRuleOddSaturdays, weekdayBit(6)),
                  at(2026, 12, 7));
BENCHMARK_CAPTURE(BM_NextRing, never_rule_workdays_on_sundays, ruled(kDayRuleWorkdays, weekdayBit(0)), at(2026, 9, 21));
BENCHMARK_CAPTURE(BM_NextRing, never_rule_rest_days_on_weekdays, ruled(kDayRuleRestDays, 0x3E), at(2026, 10, 9));
BENCHMARK_CAPTURE(BM_NextRing, rule_rest_days_lunar_first_from_2009, ruled(kDayRuleRestDays, 0, kCalendarLunar),
                  at(2009, 1, 1));

// 150 alarms as users make them: daily, weekly, monthly, one-off, lunar,
// and some that never ring.
struct Table {
    AlarmRecord alarms[kMaxAlarms];
    Table() {
        const AlarmRecord kinds[] = {
            record(kCalendarGregorian, 0, 0, 0, 0),
            record(kCalendarGregorian, 0, 0, 0, 0x3E),
            record(kCalendarGregorian, 0, 0, dayBit(1) | dayBit(15), 0),
            record(kCalendarGregorian, yearBit(2027), monthBit(3), dayBit(14), 0),
            record(kCalendarGregorian, 0, monthBit(2), dayBit(29), weekdayBit(1)),
            record(kCalendarGregorian, 0, monthBit(4), dayBit(31), 0),
            record(kCalendarGregorian, yearBit(2020), 0, 0, 0),
            record(kCalendarLunar, 0, monthBit(8), dayBit(15), 0),
            record(kCalendarLunar, 0, 0, dayBit(1) | dayBit(15), 0),
            record(kCalendarLunar, 0, monthBit(12), dayBit(30), 0),
        };
        for (int i = 0; i < kMaxAlarms; ++i) {
            alarms[i] = kinds[i % 10];
            alarms[i].hourMask = i % 3 ? hourBit(i % 24) : 0;
            alarms[i].minute = static_cast<int8_t>(i % 60);
        }
    }
};

void BM_NextRingFullTable(benchmark::State& state) {
    static const Table table;
    const LocalTime now = at(2026, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state)
        for (const AlarmRecord& a : table.alarms) benchmark::DoNotOptimize(nextRing(a, now, next));
}
BENCHMARK(BM_NextRingFullTable)->Unit(benchmark::kMicrosecond);

// The same with a day rule on every other alarm, the five in turn.
const Table& ruledTable() {
    static Table table;
    static bool ruled = false;
    for (int i = 0; !ruled && i < kMaxAlarms; i += 2) table.alarms[i].dayRule = static_cast<uint8_t>(1 + i / 2 % 5);
    ruled = true;
    return table;
}

void BM_NextRingFullTableWithDayRules(benchmark::State& state) {
    const Table& table = ruledTable();
    const LocalTime now = at(2026, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state)
        for (const AlarmRecord& a : table.alarms) benchmark::DoNotOptimize(nextRing(a, now, next));
}
BENCHMARK(BM_NextRingFullTableWithDayRules)->Unit(benchmark::kMicrosecond);

// nextWake over the same 150 alarms, each with a sound started four times
// (5 minutes early, then every 5 minutes, the quick-alarm defaults), every
// fifth running a program instead: what the clock asks after every change.
struct WakeTable {
    AlarmTable table{};
    explicit WakeTable(int repeat = 4, int lead = 5, int interval = 5, bool dayRules = false) {
        static const Table alarms;
        for (int i = 0; i < kMaxAlarms; ++i) {
            AlarmRecord a = (dayRules ? ruledTable() : alarms).alarms[i];
            std::strcpy(i % 5 ? a.soundPath : a.programPath, i % 5 ? "ring.wav" : "backup.bat");
            a.repeatCount = static_cast<int8_t>(repeat);
            a.leadMinutes = static_cast<int8_t>(lead);
            a.intervalMinutes = static_cast<int8_t>(interval);
            table.alarms[table.alarmCount++] = a;
        }
    }
};

void BM_NextWakeFullTable(benchmark::State& state) {
    static const WakeTable wake;
    const LocalTime now = at(2026, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state) benchmark::DoNotOptimize(nextWake(wake.table, now, next));
}
BENCHMARK(BM_NextWakeFullTable)->Unit(benchmark::kMicrosecond);

void BM_NextWakeFullTableWithDayRules(benchmark::State& state) {
    static const WakeTable wake(4, 5, 5, true);
    const LocalTime now = at(2026, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state) benchmark::DoNotOptimize(nextWake(wake.table, now, next));
}
BENCHMARK(BM_NextWakeFullTableWithDayRules)->Unit(benchmark::kMicrosecond);

// The same with what an imported record may hold at most: 127 starts, 127
// minutes apart, beginning 128 minutes after the ring (offsets over 11 days).
void BM_NextWakeFullTableExtremeStarts(benchmark::State& state) {
    static const WakeTable wake(127, -128, 127);
    const LocalTime now = at(2026, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state) benchmark::DoNotOptimize(nextWake(wake.table, now, next));
}
BENCHMARK(BM_NextWakeFullTableExtremeStarts)->Unit(benchmark::kMicrosecond);

// The baseline, looking one year ahead only: it cannot prove "never" at all.
void BM_WalkFullTableOneYear(benchmark::State& state) {
    static const Table table;
    const LocalTime now = at(2026, 12, 7, 10, 15, 30), until = at(2027, 12, 7, 10, 15, 30);
    LocalTime next{};
    for (auto _ : state)
        for (const AlarmRecord& a : table.alarms) benchmark::DoNotOptimize(bruteNextRing(a, now, until, next));
}
BENCHMARK(BM_WalkFullTableOneYear)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
