#include "calendarui/calendartext.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "calendar/lunar.h"
#include "model/pixels.h"
#include "model/records.h"

MonthGrid monthGrid(uint16_t year, uint16_t month) {
    return MonthGrid{weekdayOf(year, month, 1), daysInMonth(year, month)};
}

int dayAtCell(const MonthGrid& grid, int row, int column) {
    if (row < 0 || row >= kGridRows || column < 0 || column >= kGridColumns)
        return 0;
    const int day = row * kGridColumns + column - grid.firstWeekday + 1;
    return day >= 1 && day <= grid.days ? day : 0;
}

GridGeometry gridGeometry(int dpi) { return gridGeometry(dpi, INT_MAX, INT_MAX); }

GridGeometry gridGeometry(int dpi, int frameWidth, int frameHeight) {
    GridGeometry g;
    // Across and down each scale by the screen's DPI, or by less where the
    // frame has less room than the 96-DPI grid times that. (The seven columns
    // are what must fit; the first one's origin may overhang as at 96 DPI.)
    const int across = kGridColumns * g.cellWidth;
    const int down = kGridRows * g.cellHeight + g.cellTop;
    const int dpiX = static_cast<int>(std::min<int64_t>(dpi, int64_t{frameWidth} * kBaseDpi / across));
    const int dpiY = static_cast<int>(std::min<int64_t>(dpi, int64_t{frameHeight} * kBaseDpi / down));
    for (int* v : {&g.cellWidth, &g.cellLeft, &g.headerTextLeft, &g.fillLeft, &g.fillRight, &g.markRight})
        *v = scalePixels(*v, dpiX);
    for (int* v : {&g.cellHeight, &g.cellTop, &g.headerTop, &g.headerBottom, &g.headerTextTop, &g.textTop})
        *v = scalePixels(*v, dpiY);
    g.fontHeight = scalePixels(g.fontHeight, std::min(dpiX, dpiY));
    g.markFontHeight = scalePixels(g.markFontHeight, std::min(dpiX, dpiY));
    // The frame fixes the grid's rectangle: a dialog font with a taller line
    // than the DPI suggests makes it taller, and the six rows still reach its
    // bottom. What rounding leaves over goes above the first row.
    if (frameHeight != INT_MAX && frameHeight > g.cellTop + kGridRows) {
        g.cellHeight = (frameHeight - g.cellTop) / kGridRows;
        g.cellTop = frameHeight - kGridRows * g.cellHeight;
    }
    return g;
}

int hitTestDay(uint16_t year, uint16_t month, int x, int y, const GridGeometry& grid) {
    // Rows are measured from the first painted cell, so the whole coloured
    // box of a day answers for that day and nothing else.
    const int top = y - grid.cellTop;
    if (x < 0 || top < 0)
        return 0;
    return dayAtCell(monthGrid(year, month), top / grid.cellHeight, x / grid.cellWidth);
}

DayCell dayCell(uint16_t year, uint16_t month, uint16_t day) {
    uint16_t lunarYear, lunarMonth, lunarDay;
    char festival[kFestivalNameSize];
    lunarFestival(year, month, day, lunarYear, lunarMonth, lunarDay, festival);
    const int term = solarToLunar(year, month, day, lunarYear, lunarMonth, lunarDay);

    char label[kFestivalNameSize];
    if (festival[0] != '\0')
        std::snprintf(label, sizeof label, "%s", festival);
    else if (term != 0)
        solarTermName(term, label);
    else if (lunarDay == 1)
        lunarMonthName(lunarMonth, label);
    else
        lunarDayName(lunarDay, label);

    char text[32];
    std::snprintf(text, sizeof text, "%2d%s", day, label);
    return DayCell{text, festival[0] != '\0' || term != 0};
}

uint16_t clampDay(uint16_t year, uint16_t month, uint16_t day) {
    const int days = daysInMonth(year, month);
    if (day < 1)
        return 1;
    return day > days ? static_cast<uint16_t>(days) : day;
}

std::string gregorianInfoLine(uint16_t year, uint16_t month, uint16_t day) {
    const int weekday = weekdayOf(year, month, day);
    char text[64];
    std::snprintf(text, sizeof text, "%d年%d月%d日 星期%s", year, month, day,
                  weekdayNames[weekday >= 0 && weekday < 7 ? weekday : 0]);
    return text;
}

std::string lunarInfoLine(uint16_t year, uint16_t month, uint16_t day) {
    uint16_t lunarYear, lunarMonth, lunarDay;
    char festival[kFestivalNameSize];
    lunarFestival(year, month, day, lunarYear, lunarMonth, lunarDay, festival);
    const int term = solarToLunar(year, month, day, lunarYear, lunarMonth, lunarDay);

    char monthName[kLunarNameSize], dayName[kLunarNameSize], termName[kLunarNameSize];
    lunarMonthName(lunarMonth, monthName);
    lunarDayName(lunarDay, dayName);
    solarTermName(term, termName);
    char yearGanzhi[kLunarNameSize], monthGanzhi[kLunarNameSize], dayGanzhi[kLunarNameSize];
    ganzhiOfDate(year, month, day, yearGanzhi, monthGanzhi, dayGanzhi);

    char text[96];
    std::snprintf(text, sizeof text, "%s%s (%s年 %s月 %s日)  %s %s", monthName, dayName, yearGanzhi,
                  monthGanzhi, dayGanzhi, termName, festival);
    return text;
}

std::string yearInfoLine(int year) {
    char name[kYearAnimalNameSize];
    yearNameWithAnimal(year, name);
    char text[32];
    std::snprintf(text, sizeof text, "%s年", name);
    return text;
}

const char* dayMarkText(DayMark mark) {
    switch (mark) {
    case DayMark::Off: return "休";
    case DayMark::Work: return "班";
    case DayMark::None: break;
    }
    return "";
}

std::string workdayInfo(const WorkCalendar& calendar, uint16_t year, uint16_t month, uint16_t day) {
    std::string name;
    const DayMark mark = calendar.markOf(dayNumber(year, month, day), &name);
    if (mark == DayMark::None)
        return std::string();
    return "  " + (name.empty() ? std::string() : name + " ") + dayMarkText(mark);
}

std::string scheduleNote(const WorkCalendar& calendar, int year) {
    if (calendar.covers(year))
        return std::string();
    char text[48];
    std::snprintf(text, sizeof text, "%d年的放假安排未录入", year);
    return text;
}
