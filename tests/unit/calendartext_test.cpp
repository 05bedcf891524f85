#include <gtest/gtest.h>

#include "calendarui/calendartext.h"

namespace {

const GridGeometry g = gridGeometry(96);

// The pixel point in the middle of cell (row, column).
int cellX(int column) { return g.cellLeft + column * g.cellWidth + g.cellWidth / 2; }
int cellY(int row) { return g.cellTop + row * g.cellHeight + g.cellHeight / 2; }
int hit(uint16_t year, uint16_t month, int x, int y) { return hitTestDay(year, month, x, y, g); }

TEST(CalendarHitTest, EachCellAnswersForItsDayAcrossItsWholeBox) {
    // February 2009 begins on a Sunday and fills exactly four rows; May 2009
    // begins on a Friday and needs the sixth.
    EXPECT_EQ(hit(2009, 2, cellX(0), cellY(0)), 1);
    EXPECT_EQ(hit(2009, 2, cellX(6), cellY(3)), 28);
    EXPECT_EQ(hit(2009, 5, cellX(5), cellY(0)), 1);
    EXPECT_EQ(hit(2009, 5, cellX(6), cellY(0)), 2);
    EXPECT_EQ(hit(2009, 5, cellX(0), cellY(5)), 31);
    EXPECT_EQ(hit(2009, 5, 0, g.cellTop + g.cellHeight), 3);
    EXPECT_EQ(hit(2009, 5, g.cellWidth - 1, g.cellTop + 2 * g.cellHeight - 1), 3);
    EXPECT_EQ(hit(2009, 5, g.cellWidth, g.cellTop + g.cellHeight), 4);
}

TEST(CalendarHitTest, HeaderEmptyCellsAndPointsBesideTheGridSelectNothing) {
    EXPECT_EQ(hit(2009, 5, cellX(5), g.headerBottom), 0);
    EXPECT_EQ(hit(2009, 5, cellX(5), g.cellTop - 1), 0);
    EXPECT_EQ(hit(2009, 5, cellX(4), cellY(0)), 0);  // before day 1
    EXPECT_EQ(hit(2009, 5, cellX(1), cellY(5)), 0);  // after day 31
    EXPECT_EQ(hit(2009, 2, cellX(0), cellY(4)), 0);
    // Beside the seven columns a point would otherwise run on into the next row.
    EXPECT_EQ(hit(2009, 5, -1, cellY(1)), 0);
    EXPECT_EQ(hit(2009, 5, kGridColumns * g.cellWidth, cellY(1)), 0);
    EXPECT_EQ(hit(2009, 5, kGridColumns * g.cellWidth + 10, cellY(0)), 0);
    EXPECT_EQ(hit(2009, 5, cellX(0), g.cellTop + kGridRows * g.cellHeight), 0);
}

TEST(CalendarHitTest, GeometryScalesWithTheScreenAndTheHitTestFollowsIt) {
    const GridGeometry big = gridGeometry(144);
    EXPECT_EQ(g.cellWidth, 52);
    EXPECT_EQ(g.cellHeight, 25);
    EXPECT_EQ(g.fontHeight, 14);
    EXPECT_EQ(big.cellWidth, 78);
    EXPECT_EQ(big.cellHeight, 38);  // 37.5
    EXPECT_EQ(big.cellLeft, 3);
    EXPECT_EQ(big.cellTop, 39);
    EXPECT_EQ(big.headerBottom, 32);  // 31.5
    EXPECT_EQ(big.fillLeft, -2);
    EXPECT_EQ(big.fillRight, 74);     // 73.5
    EXPECT_EQ(big.fontHeight, 21);
    // One point, two screens: row 3, column 2 at 96 DPI (19 May 2009) is
    // row 1, column 1 at 144 (4 May); the last row ends where the grid does.
    EXPECT_EQ(hitTestDay(2009, 5, 114, 106, g), 19);
    EXPECT_EQ(hitTestDay(2009, 5, 114, 106, big), 4);
    EXPECT_EQ(hitTestDay(2009, 5, 10, big.cellTop + 6 * big.cellHeight - 1, big), 31);
    EXPECT_EQ(hitTestDay(2009, 5, 10, big.cellTop + 6 * big.cellHeight, big), 0);
    EXPECT_EQ(hitTestDay(2009, 5, 7 * big.cellWidth - 1, big.cellTop, big), 2);
}

TEST(CalendarHitTest, TheGridFillsItsFrame) {
    // 182 x 96 dialog units are 364 x 216 and 546 x 312 pixels with the test
    // prefix's font: the columns keep their scaled pitch, and the rows, whose
    // font line is taller than 宋体's, stretch to the frame's bottom edge.
    EXPECT_EQ(gridGeometry(96, 364, 216).cellWidth, 52);
    EXPECT_EQ(gridGeometry(144, 546, 312).cellWidth, 78);
    EXPECT_EQ(gridGeometry(96, 364, 216).cellHeight, 31);
    EXPECT_EQ(gridGeometry(96, 364, 216).cellTop + 6 * 31, 216);
    EXPECT_EQ(gridGeometry(144, 546, 312).cellHeight, 45);
    EXPECT_EQ(gridGeometry(144, 546, 312).cellTop + 6 * 45, 312);
    EXPECT_EQ(hitTestDay(2009, 5, 10, 215, gridGeometry(96, 364, 216)), 31);
    // A narrower, shorter dialog font at 150 % (500 x 250): the columns and
    // rows, the origins and the font shrink with the frame, and the last
    // column's fill and the last row end inside it.
    const GridGeometry fit = gridGeometry(144, 500, 250);
    EXPECT_EQ(fit.cellWidth, 71);
    EXPECT_EQ(fit.cellHeight, 35);
    EXPECT_LE(fit.cellLeft + 6 * fit.cellWidth + fit.fillRight, 500);
    EXPECT_LE(fit.cellTop + kGridRows * fit.cellHeight, 250);
    EXPECT_GE(fit.cellLeft + kGridColumns * fit.cellWidth, 500 - 3);
    EXPECT_GE(fit.cellTop + kGridRows * fit.cellHeight, 250 - 3);
    EXPECT_LT(fit.fontHeight, gridGeometry(144).fontHeight);
    EXPECT_EQ(hitTestDay(2009, 5, 500 - 4, fit.cellTop + 1, fit), 2);
    // A vanishing frame cannot shrink the grid to nothing.
    EXPECT_GT(gridGeometry(96, 0, 0).cellWidth, 0);
}

TEST(CalendarCell, LabelPrecedenceFestivalTermMonthDay) {
    EXPECT_EQ(dayCell(2009, 1, 26).text, "26新年");
    EXPECT_TRUE(dayCell(2009, 1, 26).marked);
    EXPECT_EQ(dayCell(2009, 1, 27).text, "27初二");
    EXPECT_FALSE(dayCell(2009, 1, 27).marked);
    // The first day of a lunar month shows the month and is not marked.
    EXPECT_EQ(dayCell(2009, 2, 25).text, "25二月");
    EXPECT_FALSE(dayCell(2009, 2, 25).marked);
    // A term on the first day of a lunar month wins over the month name.
    EXPECT_EQ(dayCell(2008, 5, 5).text, " 5立夏");
    EXPECT_TRUE(dayCell(2008, 5, 5).marked);
    // New Year on 雨水: the festival wins over the term.
    EXPECT_EQ(dayCell(1901, 2, 19).text, "19新年");
    EXPECT_EQ(dayCell(2009, 4, 20).text, "20谷雨");
}

TEST(CalendarCell, LeapMonthsAndTheEndsOfTheTables) {
    // 2020-05-23 begins the leap fourth month: named like 2020-04-23.
    EXPECT_EQ(dayCell(2020, 5, 23).text, "23四月");
    EXPECT_EQ(dayCell(2020, 4, 23).text, "23四月");
    EXPECT_FALSE(dayCell(2020, 5, 23).marked);
    EXPECT_EQ(dayCell(1901, 1, 1).text, " 1十一");
    EXPECT_GT(dayCell(2050, 12, 31).text.size(), 2u);
    EXPECT_EQ(dayCell(2100, 12, 31).text, "31腊月");
}

TEST(CalendarSelection, DayIsClampedToTheNewMonthsLength) {
    EXPECT_EQ(clampDay(2020, 2, 31), 29);
    EXPECT_EQ(clampDay(2019, 2, 31), 28);
    EXPECT_EQ(clampDay(2000, 2, 30), 29);
    EXPECT_EQ(clampDay(2021, 4, 31), 30);
    EXPECT_EQ(clampDay(2021, 3, 31), 31);
    EXPECT_EQ(clampDay(2021, 2, 15), 15);
}

TEST(CalendarInfo, LinesOfATermDayAndOfAFestival) {
    EXPECT_EQ(gregorianInfoLine(2009, 4, 20), "2009年4月20日 星期一");
    EXPECT_EQ(lunarInfoLine(2009, 4, 20), "三月廿五 (己丑年 戊辰月 乙未日)  谷雨 ");
    EXPECT_EQ(yearInfoLine(2009), "己丑(牛)年");
    // Lunar new year 2009 comes before 立春: the stem-branch year is still 戊子.
    EXPECT_EQ(lunarInfoLine(2009, 1, 26), "正月初一 (戊子年 乙丑月 辛未日)   新年");
    EXPECT_EQ(yearInfoLine(2020), "庚子(鼠)年");
    EXPECT_EQ(yearInfoLine(2023), "癸卯(兔)年");
    EXPECT_EQ(gregorianInfoLine(2020, 2, 29), "2020年2月29日 星期六");
}

}  // namespace

TEST(CalendarInfo, WorkCalendarMarksAndUncoveredYears) {
    WorkCalendar c;
    c.setUserDays({{dayNumber(2026, 12, 12), DayMark::Work, ""}});
    EXPECT_EQ(workdayInfo(c, 2026, 10, 1), "  国庆节 休");
    EXPECT_EQ(workdayInfo(c, 2026, 9, 20), "  国庆节 班");
    EXPECT_EQ(workdayInfo(c, 2026, 12, 12), "  班");
    EXPECT_EQ(workdayInfo(c, 2026, 12, 9), "");
    EXPECT_STREQ(dayMarkText(DayMark::Off), "休");
    EXPECT_STREQ(dayMarkText(DayMark::None), "");
    EXPECT_EQ(scheduleNote(c, 2026), "");
    EXPECT_EQ(scheduleNote(c, 2031), "2031年的放假安排未录入");
}
