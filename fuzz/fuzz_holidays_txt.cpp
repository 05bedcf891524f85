// holidays.txt reader and rewrite: the days stay within the bounds, a rewrite
// makes the reader find exactly the mark it set or took away, and a day the
// file does not hold leaves the text as it was, byte for byte.
#include <string>
#include <vector>

#include "calendar/workcalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<MarkedDay> days;
    std::vector<int> bad;
    parseHolidaysTxt(data, size, days, &bad);
    if (days.size() > kMaxUserDays) __builtin_trap();
    for (size_t i = 1; i < bad.size(); ++i)
        if (bad[i] <= bad[i - 1]) __builtin_trap();

    const std::string text(reinterpret_cast<const char*>(data), size);
    if (withUserMark(text, dayNumber(1900, 1, 1), DayMark::None) != text) __builtin_trap();
    // Far below the bound no line is refused for it, so the new line is read too.
    if (days.size() + 400 > kMaxUserDays) return 0;

    const int32_t day = days.empty() ? dayNumber(2027, 1, 1) : days[size % days.size()].day;
    // The last line that names the day wins.
    auto userMark = [day](const std::string& t) {
        std::vector<MarkedDay> read;
        parseHolidaysTxt(reinterpret_cast<const uint8_t*>(t.data()), t.size(), read);
        DayMark mark = DayMark::None;
        for (const MarkedDay& d : read)
            if (d.day == day) mark = d.mark;
        return mark;
    };
    const std::string set = withUserMark(text, day, DayMark::Work, "x");
    if (userMark(set) != DayMark::Work) __builtin_trap();
    if (userMark(withUserMark(set, day, DayMark::None)) != DayMark::None) __builtin_trap();
    return 0;
}
