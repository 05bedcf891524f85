#include <gtest/gtest.h>

#include "calendar/calendartext.h"

namespace {

// The pixel point in the middle of cell (row, column).
int cellX(int column) { return kCellLeft + column * kCellWidth + kCellWidth / 2; }
int cellY(int row) { return kCellTop + row * kCellHeight + kCellHeight / 2; }

TEST(CalendarHitTest, EachCellAnswersForItsDayAcrossItsWholeBox) {
    // February 2009 begins on a Sunday and fills exactly four rows; May 2009
    // begins on a Friday and needs the sixth.
    EXPECT_EQ(hitTestDay(2009, 2, cellX(0), cellY(0)), 1);
    EXPECT_EQ(hitTestDay(2009, 2, cellX(6), cellY(3)), 28);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(5), cellY(0)), 1);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(6), cellY(0)), 2);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(0), cellY(5)), 31);
    EXPECT_EQ(hitTestDay(2009, 5, 0, kCellTop + kCellHeight), 3);
    EXPECT_EQ(hitTestDay(2009, 5, kCellWidth - 1, kCellTop + 2 * kCellHeight - 1), 3);
    EXPECT_EQ(hitTestDay(2009, 5, kCellWidth, kCellTop + kCellHeight), 4);
}

TEST(CalendarHitTest, HeaderEmptyCellsAndPointsBesideTheGridSelectNothing) {
    EXPECT_EQ(hitTestDay(2009, 5, cellX(5), kHeaderBottom), 0);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(5), kCellTop - 1), 0);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(4), cellY(0)), 0);  // before day 1
    EXPECT_EQ(hitTestDay(2009, 5, cellX(1), cellY(5)), 0);  // after day 31
    EXPECT_EQ(hitTestDay(2009, 2, cellX(0), cellY(4)), 0);
    // Beside the seven columns a point would otherwise run on into the next row.
    EXPECT_EQ(hitTestDay(2009, 5, -1, cellY(1)), 0);
    EXPECT_EQ(hitTestDay(2009, 5, kGridColumns * kCellWidth, cellY(1)), 0);
    EXPECT_EQ(hitTestDay(2009, 5, kGridColumns * kCellWidth + 10, cellY(0)), 0);
    EXPECT_EQ(hitTestDay(2009, 5, cellX(0), kCellTop + kGridRows * kCellHeight), 0);
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
