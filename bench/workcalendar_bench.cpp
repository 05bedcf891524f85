// The work calendar on its hot path: markOf and dayRuleAllows for every day of
// the built-in years, asked each second per alarm and many times by the search
// for the next ring; and the merge that runs when the files are (re)read.
#include <benchmark/benchmark.h>

#include "calendar/workcalendar.h"

namespace {

void BM_MarkOfEveryDay(benchmark::State& state) {
    const WorkCalendar& calendar = workCalendar();
    const int32_t first = dayNumber(2009, 1, 1), last = dayNumber(2026, 12, 31);
    for (auto _ : state)
        for (int32_t day = first; day <= last; ++day) benchmark::DoNotOptimize(calendar.markOf(day));
    state.SetItemsProcessed(state.iterations() * (last - first + 1));
}
BENCHMARK(BM_MarkOfEveryDay);

void BM_DayRuleAllowsEveryDay(benchmark::State& state) {
    const WorkCalendar& calendar = workCalendar();
    const int32_t first = dayNumber(2009, 1, 1), last = dayNumber(2026, 12, 31);
    for (auto _ : state)
        for (int32_t day = first; day <= last; ++day)
            benchmark::DoNotOptimize(dayRuleAllows(kDayRuleEvenSaturdays, day, (day + 4) % 7, calendar));
    state.SetItemsProcessed(state.iterations() * (last - first + 1));
}
BENCHMARK(BM_DayRuleAllowsEveryDay);

// A year of JSON days and a full holidays.txt merged over the table.
void BM_MergeAllLayers(benchmark::State& state) {
    std::vector<MarkedDay> files, user;
    for (int32_t d = 0; d < 40; ++d) files.push_back({dayNumber(2027, 1, 1) + d * 9, DayMark::Off, "元旦"});
    for (size_t d = 0; d < kMaxUserDays; ++d) user.push_back({dayNumber(2030, 1, 1) + int32_t(d), DayMark::Work, ""});
    for (auto _ : state) {
        WorkCalendar calendar;
        calendar.setFileDays(files);
        calendar.setUserDays(user);
        benchmark::DoNotOptimize(calendar.lastMarkedDay());
    }
}
BENCHMARK(BM_MergeAllLayers);

}  // namespace

BENCHMARK_MAIN();
