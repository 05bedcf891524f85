#include "clock/clocktext.h"

#include <cstdio>

#include "calendar/lunar.h"

namespace {

// "%2d:%02d:%02d" or, without seconds, "%d:%02d", then the mark.
std::string dialText(const ClockSettings& settings, const LocalTime& time, bool seconds) {
    int hour = time.hour;
    if (settings.hour12) {
        if (hour > 12)
            hour -= 12;
        else if (hour == 0)
            hour = 12;
    }
    // The mark follows the 24-hour hour and is shown on both dials.
    const char* mark = time.hour < 12 ? settings.amMark : settings.pmMark;
    const size_t markLength = fieldLength(mark, sizeof settings.amMark);

    char digits[16];
    if (seconds)
        std::snprintf(digits, sizeof digits, "%2d:%02d:%02d", hour, time.minute, time.second);
    else
        std::snprintf(digits, sizeof digits, "%d:%02d", hour, time.minute);
    std::string text(digits);
    text.append(mark, markLength);
    return text;
}

}  // namespace

std::string formatClockText(const ClockSettings& settings, const LocalTime& time) {
    return dialText(settings, time, true);
}

std::string formatClockMinute(const ClockSettings& settings, const LocalTime& time) {
    return dialText(settings, time, false);
}

std::string tooltipText(const LocalTime& time) {
    const int weekday = time.weekday >= 0 && time.weekday < 7 ? time.weekday : 0;
    char text[128];
    const uint16_t y = static_cast<uint16_t>(time.year);
    const uint16_t m = static_cast<uint16_t>(time.month);
    const uint16_t d = static_cast<uint16_t>(time.day);
    if (time.year < 0 || time.year > 65535 || !isSupportedDate(y, m, d)) {
        std::snprintf(text, sizeof text, "%04d年%d月%d日 星期%s", time.year, time.month, time.day,
                      weekdayNames[weekday]);
        return text;
    }

    uint16_t lunarYear, lunarMonth, lunarDay;
    const int term = solarToLunar(y, m, d, lunarYear, lunarMonth, lunarDay);
    char yearName[kYearAnimalNameSize], monthName[kLunarNameSize], dayName[kLunarNameSize],
        termName[kLunarNameSize];
    yearNameWithAnimal(lunarYear, yearName);
    lunarMonthName(lunarMonth, monthName);
    lunarDayName(lunarDay, dayName);
    solarTermName(term, termName);
    if (termName[0] == '\0')
        std::snprintf(text, sizeof text, "%04d年%d月%d日 %s年%s%s 星期%s", time.year, time.month,
                      time.day, yearName, monthName, dayName, weekdayNames[weekday]);
    else
        std::snprintf(text, sizeof text, "%04d年%d月%d日 %s年%s%s %s 星期%s", time.year, time.month,
                      time.day, yearName, monthName, dayName, termName, weekdayNames[weekday]);
    return text;
}
