// holidays\*.json reader: a refused file leaves the caller's days alone; an
// accepted one adds only real days, marked 休 or 班, and the merged calendar
// answers for each day what the file said last.
#include <string>
#include <vector>

#include "calendar/workcalendar.h"

namespace {
std::string sameBytes(const std::string& utf8) { return utf8; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<MarkedDay> days{{0, DayMark::Off, "before"}};
    const bool ok = parseHolidayJson(data, size, sameBytes, days);
    if (!ok && days.size() != 1) __builtin_trap();
    if (days[0].name != "before") __builtin_trap();
    days.erase(days.begin());

    const int32_t first = dayNumber(kFirstHolidayFileYear, 1, 1), last = dayNumber(kLastHolidayFileYear, 12, 31);
    for (const MarkedDay& d : days) {
        if (d.day < first || d.day > last) __builtin_trap();
        if (d.mark != DayMark::Off && d.mark != DayMark::Work) __builtin_trap();
    }
    WorkCalendar calendar;
    calendar.setFileDays(days);
    for (size_t i = 0; i < days.size(); ++i) {
        bool later = false;
        for (size_t j = i + 1; j < days.size() && !later; ++j) later = days[j].day == days[i].day;
        std::string name;
        if (!later && (calendar.markOf(days[i].day, &name) != days[i].mark || name != days[i].name)) __builtin_trap();
    }
    return 0;
}
