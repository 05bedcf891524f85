#include <gtest/gtest.h>

#include <cstring>

#include "clock/clocktext.h"
#include "testtime.h"

namespace {

TEST(ClockText, TwelveHourDialKeepsNoonAndTurnsMidnightIntoTwelve) {
    ClockSettings s = defaultSettings();
    s.hour12 = 1;
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 0, 5, 9)), "12:05:09am");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 12, 30, 0)), "12:30:00pm");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 13, 0, 0)), " 1:00:00pm");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 11, 59, 59)), "11:59:59am");
    // A minute on the same dial, unpadded.
    EXPECT_EQ(formatClockMinute(s, at(2026, 12, 7, 0, 5, 9)), "12:05am");
    EXPECT_EQ(formatClockMinute(s, at(2026, 12, 7, 13, 0, 0)), "1:00pm");
}

TEST(ClockText, TwentyFourHourDialStillShowsTheMarks) {
    ClockSettings s = defaultSettings();
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 13, 0, 0)), "13:00:00pm");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 0, 0, 0)), " 0:00:00am");
    s.amMark[0] = '\0';
    s.pmMark[0] = '\0';
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 13, 0, 0)), "13:00:00");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 9, 8, 7)), " 9:08:07");
    EXPECT_EQ(formatClockMinute(s, at(2026, 12, 7, 9, 8, 7)), "9:08");
}

TEST(ClockText, ChineseAndFullWidthMarks) {
    ClockSettings s = defaultSettings();
    std::strcpy(s.amMark, "上午");
    std::strcpy(s.pmMark, "下午");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 8, 0, 0)), " 8:00:00上午");
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 20, 0, 0)), "20:00:00下午");
}

TEST(ClockText, MarkWithoutTerminatorStopsAtItsField) {
    ClockSettings s = defaultSettings();
    std::memset(s.pmMark, 'p', sizeof s.pmMark);     // no NUL anywhere in the field
    std::memset(s.reserved, 'X', sizeof s.reserved);  // a neighbour that must not leak in
    s.dstAdjust = 'Y';
    EXPECT_EQ(formatClockText(s, at(2026, 12, 7, 15, 1, 2)), "15:01:02" + std::string(11, 'p'));
}

}  // namespace

namespace {

TEST(ClockTooltip, OrdinaryDayShowsLunarDateAndWeekday) {
    // 2020-01-25 is the first day of lunar 2020, a Saturday.
    EXPECT_EQ(tooltipText(at(2020, 1, 25, 9)), "2020年1月25日 庚子(鼠)年正月初一 星期六");
}

TEST(ClockTooltip, SolarTermDayNamesTheTermBeforeTheWeekday) {
    // 立春 2020-02-04, a Tuesday, lunar 2020-01-11.
    EXPECT_EQ(tooltipText(at(2020, 2, 4, 12)), "2020年2月4日 庚子(鼠)年正月十一 立春 星期二");
}

TEST(ClockTooltip, LeapMonthDayCarriesTheMonthItFollows) {
    // 2020-05-23 opens the leap fourth month.
    EXPECT_EQ(tooltipText(at(2020, 5, 23, 0)), "2020年5月23日 庚子(鼠)年四月初一 星期六");
}

TEST(ClockTooltip, OutsideTheLunarTablesOnlyTheDateAndWeekday) {
    EXPECT_EQ(tooltipText(at(2101, 1, 1, 0)), "2101年1月1日 星期六");
    EXPECT_EQ(tooltipText(at(1900, 12, 31, 0)), "1900年12月31日 星期一");
    // The last supported day still converts.
    EXPECT_EQ(tooltipText(at(2100, 12, 31, 0)), "2100年12月31日 庚申(猴)年腊月初一 星期五");
}

}  // namespace
