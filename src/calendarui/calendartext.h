// What the perpetual calendar shows, without a window: the month grid, the
// label of each day cell, the hit test and the three description lines.
#pragma once

#include <cstdint>
#include <string>

#include "calendar/workcalendar.h"

constexpr int kGridColumns = 7;  // Sunday first
constexpr int kGridRows = 6;

// Pixel geometry of the day grid, relative to the grid rectangle's top-left.
// The members give it at 96 DPI, where seven columns and six rows take 364 x
// 176 pixels; gridGeometry scales every one of them, so that painting and the
// hit test agree at any DPI.
struct GridGeometry {
    int cellWidth = 52;
    int cellHeight = 25;
    int cellLeft = 2;  // origin of cell (0, 0)
    int cellTop = 26;
    int headerTop = 1;  // weekday band, inset one pixel from the grid's edges
    int headerBottom = 21;
    int headerTextLeft = 5;
    int headerTextTop = 3;
    int textTop = 2;      // a day's label below its cell's top
    int fillLeft = -1;    // the selected day's fill, from the cell's origin
    int fillRight = 49;
    int fontHeight = 14;
    // The work calendar's 休 or 班 in the cell's bottom right corner: the
    // mark's right edge from the cell's origin and its font's height.
    int markRight = 49;
    int markFontHeight = 11;
};
GridGeometry gridGeometry(int dpi);
// The same within the grid's frame (in pixels): shrunk where the frame is
// smaller than the scaled grid, so that the last column and row still show
// whole, and with rows that end at the frame's bottom edge.
GridGeometry gridGeometry(int dpi, int frameWidth, int frameHeight);

struct MonthGrid {
    int firstWeekday;  // column of day 1, 0 = Sunday
    int days;          // length of the month
};
MonthGrid monthGrid(uint16_t year, uint16_t month);

// The day in cell (row, column), or 0 for an empty cell or one off the grid.
int dayAtCell(const MonthGrid& grid, int row, int column);

// The day under a point given relative to the grid rectangle's top-left, or
// 0: the header, the gap below it, empty cells and anything beyond the seven
// columns or six rows select nothing.
int hitTestDay(uint16_t year, uint16_t month, int x, int y, const GridGeometry& grid);

struct DayCell {
    std::string text;  // "%2d%s": the day number and its label
    bool marked;       // a festival or a solar term falls on the day
};
// The label is the festival, else the solar term, else the lunar month name
// on the first day of a lunar month, else the lunar day name.
DayCell dayCell(uint16_t year, uint16_t month, uint16_t day);

// A selected day carried into another month keeps its number when the month
// is long enough and becomes the month's last day otherwise.
uint16_t clampDay(uint16_t year, uint16_t month, uint16_t day);

// "2009年4月20日 星期一"
std::string gregorianInfoLine(uint16_t year, uint16_t month, uint16_t day);
// "三月廿五 (己丑年 戊辰月 乙未日)  谷雨 " : lunar date, stem-branch names,
// term and festival; empty names keep their separating blanks.
std::string lunarInfoLine(uint16_t year, uint16_t month, uint16_t day);
// "己丑(牛)年": the Gregorian year on display, even before the lunar new year.
std::string yearInfoLine(int year);

// The corner mark of a day the work calendar marks: "休", "班", or "".
const char* dayMarkText(DayMark mark);
// What the work calendar says of a day, to end the date line: two blanks,
// then the day's name and its mark ("  国庆节 休", "  班" for a day without a
// name); "" for a day it does not mark.
std::string workdayInfo(const WorkCalendar& calendar, uint16_t year, uint16_t month, uint16_t day);
// Under the grid while a month of a year the schedule does not cover shows:
// "2027年的放假安排未录入"; "" for a covered year.
std::string scheduleNote(const WorkCalendar& calendar, int year);
