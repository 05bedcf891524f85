// Lunar conversion costs: the whole supported range, beside the plain year walk
// that finds each day's lunar date from 1901 on, and one repaint of the
// calendar dialog's month grid.
#include <benchmark/benchmark.h>

#include "calendar/lunar.h"

#include <utility>

namespace {

struct Date {
    uint16_t y, m, d;
};

Date nextDay(Date t) {
    if (++t.d > daysInMonth(t.y, t.m)) {
        t.d = 1;
        if (++t.m > 12) t.m = 1, ++t.y;
    }
    return t;
}

// Every day 1901-01-01..2100-12-31 through the three conversions the
// calendar dialog makes for its selected day.
void BM_ConvertEveryDay(benchmark::State& state) {
    int64_t days = 0;
    for (auto _ : state) {
        for (Date t{1901, 1, 1}; t.y <= kLunarLastYear; t = nextDay(t)) {
            uint16_t ly, lm, ld;
            char festival[kFestivalNameSize], gy[kLunarNameSize], gm[kLunarNameSize], gd[kLunarNameSize];
            benchmark::DoNotOptimize(solarToLunar(t.y, t.m, t.d, ly, lm, ld));
            lunarFestival(t.y, t.m, t.d, ly, lm, ld, festival);
            ganzhiOfDate(t.y, t.m, t.d, gy, gm, gd);
            benchmark::DoNotOptimize(festival);
            benchmark::DoNotOptimize(gd);
            ++days;
        }
    }
    state.counters["days"] = benchmark::Counter(static_cast<double>(days), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertEveryDay)->Unit(benchmark::kMillisecond);

// The lunar date by the plain walk: from lunar 1901 on, year after year and
// month after month, each month's length decoded afresh.
void plainLunarDate(int32_t offset, uint16_t& y, uint16_t& m, uint16_t& d) {
    if (offset < 49) {
        dayOffsetToLunar(offset, y, m, d);  // the two months of lunar 1900
        return;
    }
    int32_t r = offset - 49;
    for (y = 1901;; ++y) {
        int32_t year = 0;
        for (uint16_t i = 1; i <= 12; ++i) year += (lunarMonthLengths(y, i) & 0xFFFF) + (lunarMonthLengths(y, i) >> 16);
        if (r < year) break;
        r -= year;
    }
    for (m = 1;; ++m) {
        const uint32_t lens = lunarMonthLengths(y, m);
        const int32_t both = static_cast<int32_t>((lens & 0xFFFF) + (lens >> 16));
        if (r < both) break;
        r -= both;
    }
    const int32_t len = static_cast<int32_t>(lunarMonthLengths(y, m) & 0xFFFF);
    d = static_cast<uint16_t>((r < len ? r : r - len) + 1);
}

// The same sweep with the plain walk in place of the table lookups, festival
// and stem-branch names included: the yardstick for the sweep above.
void BM_ConvertEveryDayPlainYearWalk(benchmark::State& state) {
    int64_t days = 0;
    for (auto _ : state) {
        int32_t offset = 0;
        for (Date t{1901, 1, 1}; t.y <= kLunarLastYear; t = nextDay(t), ++offset) {
            uint16_t ly, lm, ld;
            char festival[kFestivalNameSize] = "", gy[kLunarNameSize], gm[kLunarNameSize], gd[kLunarNameSize];
            plainLunarDate(offset, ly, lm, ld);
            benchmark::DoNotOptimize(solarTermIndex(t.y, t.m, t.d));
            for (const auto& f : {std::pair<int, int>{1, 1}, {1, 15}, {5, 5}, {7, 7}, {8, 15}, {9, 9}, {12, 8}, {12, 24}})
                if (f.first == lm && f.second == ld) festival[0] = 'x';
            ganzhiOfDate(t.y, t.m, t.d, gy, gm, gd);
            benchmark::DoNotOptimize(festival);
            benchmark::DoNotOptimize(gd);
            ++days;
        }
    }
    state.counters["days"] = benchmark::Counter(static_cast<double>(days), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConvertEveryDayPlainYearWalk)->Unit(benchmark::kMillisecond);

// The 6x7 grid of one month (December 2033, with its leap 11th month): each
// cell's lunar label is the festival, the solar term, the month name on a
// first day, or the day name.
void BM_MonthLabels(benchmark::State& state) {
    const uint16_t year = 2033, month = 12;
    // The grid starts on the Sunday on or before the 1st (late November here).
    const int lead = weekdayOf(year, month, 1);
    const Date first = lead == 0 ? Date{year, month, 1}
                                 : Date{year, static_cast<uint16_t>(month - 1),
                                        static_cast<uint16_t>(daysInMonth(year, month - 1) - lead + 1)};
    for (auto _ : state) {
        Date t = first;
        for (int cell = 0; cell < 42; ++cell, t = nextDay(t)) {
            uint16_t ly, lm, ld;
            char festival[kFestivalNameSize], label[kLunarNameSize];
            const int term = solarToLunar(t.y, t.m, t.d, ly, lm, ld);
            lunarFestival(t.y, t.m, t.d, ly, lm, ld, festival);
            if (term != 0) solarTermName(term, label);
            else if (ld == 1) lunarMonthName(lm, label);
            else lunarDayName(ld, label);
            benchmark::DoNotOptimize(festival);
            benchmark::DoNotOptimize(label);
        }
    }
}
BENCHMARK(BM_MonthLabels)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
