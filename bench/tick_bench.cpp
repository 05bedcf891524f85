// The clock's per-second work over a full table: 150 enabled alarms, each
// with ten sound starts, behind seams that do nothing.
#include <benchmark/benchmark.h>

#include <cstring>

#include "alarm/tick.h"

namespace {

class QuietSeams : public AlarmSeams {
public:
    bool fileExists(const char* path) override { return path[0] != '\0'; }
    void playLooping(const char*) override {}
    bool openWithShell(const char*) override { return true; }
    bool runCommandLine(const char*) override { return true; }
    void beep(int, int) override {}
    void appendMemoLine(const char*) override {}
    CountdownAnswer confirmPowerAction(int) override { return CountdownAnswer::Cancel; }
    void runPowerAction(int) override {}
    void postponePowerAlarm(const AlarmRecord&) override {}
    void stopSound() override {}
};

// Second Sunday of March to first Sunday of November: the zone offset has
// real rules to resolve every second.
const TimeZoneRecord kZone{300, 0, -60, {0, 11, 0, 1, 2}, {0, 3, 0, 2, 2}};

// The lead times and intervals the editor offers, mixed across the table.
AlarmTable& fullTable(bool allDueNow) {
    static AlarmTable table;
    static const int8_t kLeads[] = {0, 1, 5, 10, 15, 20};
    static const int8_t kIntervals[] = {1, 5, 10, 15, 20};
    std::memset(&table, 0, sizeof table);
    for (int i = 0; i < kMaxAlarms; ++i) {
        AlarmRecord& a = table.alarms[i];
        a.minute = static_cast<int8_t>(allDueNow ? 0 : (i * 7) % 60);
        a.hourMask = allDueNow ? 0 : (0x00FFFFFFu >> (i % 5));
        a.weekdayMask = static_cast<uint8_t>(i % 3 == 0 ? 0x3E : 0);
        a.yearMask = i % 4 == 0 ? yearBit(2015) : 0;
        std::strcpy(a.soundPath, "sounds\\ring.mp3");
        std::strcpy(a.text, "reminder");
        a.repeatCount = 10;
        a.leadMinutes = kLeads[i % 6];
        a.intervalMinutes = kIntervals[i % 5];
    }
    table.alarmCount = kMaxAlarms;
    return table;
}

void runAt(benchmark::State& state, const LocalTime& now, bool allDueNow) {
    ClockSettings settings = defaultSettings();
    AlarmTable& table = fullTable(allDueNow);
    QuietSeams seams;
    ClockTick tick(settings, table, seams);
    tick.setDefaultSound("notify.mp3", true);
    for (auto _ : state) {
        tick.runSecond(now, kZone);
        benchmark::DoNotOptimize(tick.zoneOffset());
    }
}

// Second 0 is the worst case: every sound-start probe of every alarm is tested.
void BM_RunSecondAtSecondZero(benchmark::State& state) {
    runAt(state, LocalTime{2015, 6, 10, 11, 0, 0, 3}, false);
}
BENCHMARK(BM_RunSecondAtSecondZero);

// Just after midnight most probes lie on the day before.
void BM_RunSecondAtSecondZeroAfterMidnight(benchmark::State& state) {
    runAt(state, LocalTime{2015, 6, 10, 0, 7, 0, 3}, false);
}
BENCHMARK(BM_RunSecondAtSecondZeroAfterMidnight);

// Every alarm starts its sound and fires in the same second.
void BM_RunSecondAllAlarmsActing(benchmark::State& state) {
    runAt(state, LocalTime{2015, 6, 10, 11, 0, 0, 3}, true);
}
BENCHMARK(BM_RunSecondAllAlarmsActing);

void BM_RunSecondAtOtherSeconds(benchmark::State& state) {
    runAt(state, LocalTime{2015, 6, 10, 11, 0, 37, 3}, false);
}
BENCHMARK(BM_RunSecondAtOtherSeconds);

// 150 lunar alarms whose every probe gets as far as the lunar date (minute 0,
// any hour, a lunar day other than today's), over midnight so that the
// probes span two days: each day is converted once, not once per alarm.
void BM_RunSecondLunarTable(benchmark::State& state) {
    AlarmTable& table = fullTable(true);
    for (int i = 0; i < kMaxAlarms; ++i) {
        AlarmRecord& a = table.alarms[i];
        a.calendarKind = kCalendarLunar;
        a.monthMask = i % 2 ? 0 : monthBit(1 + i % 12);
        a.dayMask = dayBit(20 + i % 10);  // 2015-06-10 is lunar 四月廿四
        if (a.dayMask == dayBit(24)) a.dayMask = dayBit(3);
    }
    ClockSettings settings = defaultSettings();
    QuietSeams seams;
    ClockTick tick(settings, table, seams);
    tick.setDefaultSound("notify.mp3", true);
    const LocalTime now{2015, 6, 10, 0, 0, 0, 3};
    for (auto _ : state) {
        tick.runSecond(now, kZone);
        benchmark::DoNotOptimize(tick.zoneOffset());
    }
}
BENCHMARK(BM_RunSecondLunarTable);

}  // namespace

BENCHMARK_MAIN();
