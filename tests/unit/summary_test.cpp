#include "alarmui/summary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "alarmui/editorlogic.h"
#include "testtime.h"

namespace {

AlarmRecord alarmAt(uint32_t hourMask, int minute) {
    AlarmRecord r = emptyAlarm();
    r.hourMask = hourMask;
    r.minute = static_cast<int8_t>(minute);
    return r;
}

// Record i is filled with byte 'a' + i, padding included.
std::unique_ptr<AlarmTable> tableOf(int count) {
    auto t = std::make_unique<AlarmTable>();
    for (int i = 0; i < count; ++i) std::memset(&t->alarms[i], 'a' + i, sizeof(AlarmRecord));
    t->alarmCount = count;
    return t;
}

std::string order(const AlarmTable& t) {
    std::string s;
    for (int i = 0; i < t.alarmCount; ++i) s += static_cast<char>(t.alarms[i].yearMask & 0xFF);
    return s;
}

}  // namespace

TEST(SummaryTime, RepetitionWordHoursAndMinute) {
    EXPECT_EQ(timeSummary(alarmAt(hourBit(8), 30)), "每日 8时 30分 ");
    EXPECT_EQ(timeSummary(alarmAt(0, 0)), "每日 每时 0分 ");
    AlarmRecord r = alarmAt(hourBit(7) | hourBit(19), 5);
    r.weekdayMask = weekdayBit(1);
    EXPECT_EQ(timeSummary(r), "星期重复 7时 19时 5分 ");
    r.dayMask = dayBit(31);
    EXPECT_EQ(timeSummary(r), "指定日期 7时 19时 5分 ");
    r.weekdayMask = 0;
    EXPECT_EQ(timeSummary(r), "年月日重复 7时 19时 5分 ");

    // Hour bits past 23 are never listed; a mask of only such bits matches no
    // hour at the tick, so it does not read as hourly either.
    EXPECT_EQ(timeSummary(alarmAt(0xFF000000u | hourBit(0) | hourBit(23), 0)), "每日 0时 23时 0分 ");
    EXPECT_EQ(timeSummary(alarmAt(uint32_t{1} << 24, 0)), "每日 0分 ");
    EXPECT_EQ(timeSummary(alarmAt(0, -128)), "每日 每时 -128分 ");

    // A day rule in place of the repetition word, or after the date's; 大小周
    // as the editor names it in now's week.
    AlarmRecord ruled = alarmAt(hourBit(8), 25);
    ruled.dayRule = kDayRuleWorkdays;
    EXPECT_EQ(timeSummary(ruled), "法定工作日 8时 25分 ");
    ruled.monthMask = monthBit(3);
    ruled.dayRule = kDayRuleSixDays;
    EXPECT_EQ(timeSummary(ruled), "年月日重复 单休 8时 25分 ");
    ruled.monthMask = 0;
    ruled.dayRule = kDayRuleOddSaturdays;
    const LocalTime now = at(2026, 12, 9);
    EXPECT_EQ(timeSummary(ruled), "大小周 8时 25分 ");
    EXPECT_EQ(timeSummary(ruled, &now), std::string(kDayRuleItems[dayRuleItem(ruled.dayRule, now)]) + " 8时 25分 ");
    ruled.dayRule = 77;
    EXPECT_EQ(timeSummary(ruled), "每日 8时 25分 ");
}

TEST(SummaryCells, NineCellsOfARow) {
    AlarmRecord r = alarmAt(hourBit(8), 30);
    std::strcpy(r.soundPath, "C:\\Sounds\\ring.mp3");
    std::strcpy(r.programPath, "notepad.exe");
    std::strcpy(r.text, "起床");
    r.specialAction = 5;
    r.temporary = 1;
    r.disabled = 1;
    const std::array<std::string, kListColumns> expected = {
        "3 ||", "每日 8时 30分 ", "ring.mp3", "起床", "notepad.exe", "注销", "是", "0 0 0 256 0 30 5 1 0", "已禁用"};
    EXPECT_EQ(alarmRowCells(2, r, at(2026, 12, 7, 10, 0)), expected);

    r.disabled = r.temporary = 0;
    for (int32_t action : {0, -1, 6}) {
        r.specialAction = action;
        const auto cells = alarmRowCells(0, r, at(2026, 12, 7, 10, 0));
        EXPECT_EQ(cells[0] + cells[5] + cells[6], "1否") << action;
    }
}

TEST(SummaryCells, NextRingAndLunarRows) {
    const LocalTime now = at(2026, 12, 7, 10, 0);
    AlarmRecord r = alarmAt(hourBit(8), 30);
    EXPECT_EQ(nextRingCell(r, now), "12月8日 08:30");
    r.monthMask = monthBit(1);
    r.dayMask = dayBit(1);
    EXPECT_EQ(nextRingCell(r, now), "2027年1月1日 08:30");
    r.monthMask = monthBit(2);
    r.dayMask = dayBit(30);
    EXPECT_EQ(nextRingCell(r, now), "不会再响");
    r.disabled = 1;
    EXPECT_EQ(nextRingCell(r, now), "已禁用");

    // 八月十五 at 9:00 in the lunar calendar: 2027-09-15.
    AlarmRecord lunar = alarmAt(hourBit(9), 0);
    lunar.monthMask = monthBit(8);
    lunar.dayMask = dayBit(15);
    lunar.calendarKind = kCalendarLunar;
    const auto cells = alarmRowCells(0, lunar, now);
    EXPECT_EQ(cells[1] + "|" + cells[7] + "|" + cells[8],
              "农历年月日重复 9时 0分 |0 128 16384 512 0 0 0 0 1|2027年9月15日 09:00");
    // Any other kind reads as Gregorian.
    lunar.calendarKind = 2;
    EXPECT_EQ(timeSummary(lunar), "年月日重复 9时 0分 ");
    EXPECT_EQ(nextRingCell(lunar, now), "2027年8月15日 09:00");
}

TEST(SummaryCells, ImportedRecordsAreReadWithinTheirFields) {
    AlarmRecord r;
    std::memset(&r, 'x', sizeof r);  // no terminator anywhere
    r.soundPath[289] = '\\';
    const auto cells = alarmRowCells(0, r, at(2026, 12, 7, 10, 0));
    EXPECT_EQ(cells[2], std::string(10, 'x'));
    EXPECT_EQ(cells[3], std::string(196, 'x'));
    EXPECT_EQ(cells[4], std::string(320, 'x'));

    AlarmRecord p = alarmAt(0x80000000u, -1);  // masks and bytes print signed
    p.yearMask = 0xFFFFFFFFu;
    p.weekdayMask = 0x80;
    p.temporary = 0xFF;
    p.specialAction = -7;
    p.calendarKind = 0xFE;
    EXPECT_EQ(parametersCell(p), "-1 0 0 -2147483648 -128 -1 -7 -1 -2");

    // A GBK trail byte may be 0x5C and does not split a name.
    EXPECT_EQ(fileNameCell("D:\\music\\\xD5\x5C.mp3", 40), "\xD5\x5C.mp3");
    EXPECT_EQ(fileNameCell("dir\\", 20), "");
    EXPECT_EQ(fileNameCell("ab\\cd\\ef", 5), "cd");
}

TEST(SummaryTable, RemoveDeleteAndToggle) {
    auto t = tableOf(6);
    EXPECT_FALSE(removeAlarmAt(*t, 6));
    EXPECT_FALSE(removeAlarmAt(*t, -1));
    deleteSelectedAlarms(*t, {false, true, false, false, true, false});
    EXPECT_EQ(order(*t), "acdf");
    AlarmRecord c;
    std::memset(&c, 'c', sizeof c);
    EXPECT_EQ(std::memcmp(&t->alarms[1], &c, sizeof c), 0);  // whole images moved

    t->alarms[0].disabled = 0;
    t->alarms[2].disabled = 1;
    toggleSelectedAlarms(*t, {true, false, true, true, true, true});  // rows past the table ignored
    EXPECT_EQ(t->alarms[0].disabled, 1);
    EXPECT_EQ(t->alarms[1].disabled, 'c');
    EXPECT_EQ(t->alarms[2].disabled, 0);
    EXPECT_EQ(t->alarms[3].disabled, 0);  // any non-zero value is off

    t->alarmCount = 400;  // a damaged count never reaches past the array
    EXPECT_FALSE(removeAlarmAt(*t, 150));
    EXPECT_TRUE(removeAlarmAt(*t, 149));
    EXPECT_EQ(t->alarmCount, 149);
}

TEST(SummaryTable, CleanupMarksLaterExactCopies) {
    auto t = tableOf(7);
    for (int i = 0; i < 7; ++i) {
        t->alarms[i] = emptyAlarm();
        std::strcpy(t->alarms[i].text, "same");
    }
    t->alarms[3].temporary = 1;  // every byte counts: the flag,
    t->alarms[4].text[100] = 'z';  // bytes behind a terminator,
    t->alarms[5].pad846[1] = 1;  // and padding
    const AlarmRecord first = t->alarms[0];
    EXPECT_EQ(markDuplicateAlarms(*t), 3);
    EXPECT_EQ(std::memcmp(&t->alarms[0], &first, sizeof first), 0);
    const int expected[7] = {0, 1, 1, 1, 0, 0, 1};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(t->alarms[i].temporary, expected[i]) << i;

    // A doubled table: exactly the second half is marked.
    auto d = tableOf(3);
    for (int i = 0; i < 3; ++i) {
        d->alarms[i].temporary = i == 1;
        d->alarms[i + 3] = d->alarms[i];
    }
    d->alarmCount = 6;
    markDuplicateAlarms(*d);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(d->alarms[i].temporary, i >= 3 || i == 1) << i;
}

TEST(SummaryCells, AMissingSoundFileIsMarkedInItsCell) {
    AlarmRecord r = alarmAt(hourBit(8), 30);
    std::strcpy(r.soundPath, "C:\\Sounds\\morning.wav");
    EXPECT_EQ(soundCell(r, false), "morning.wav");
    EXPECT_EQ(soundCell(r, true), "morning.wav (文件不存在)");
    EXPECT_EQ(alarmRowCells(0, r, at(2026, 12, 7), true)[2], "morning.wav (文件不存在)");
    EXPECT_EQ(alarmRowCells(0, r, at(2026, 12, 7))[2], "morning.wav");
    // No sound, nothing to miss.
    r.soundPath[0] = '\0';
    EXPECT_EQ(soundCell(r, true), "");
}

TEST(SummaryImport, TheQuestionNamesEveryRecordThatRunsSomething) {
    std::vector<AlarmRecord> records(3, alarmAt(hourBit(8), 30));
    std::strcpy(records[0].text, "只是提醒");
    std::strcpy(records[0].soundPath, "ring.wav");
    EXPECT_EQ(importQuestion(records.data(), 3), "");
    EXPECT_EQ(importQuestion(nullptr, 0), "");
    std::strcpy(records[1].programPath, "C:\\tools\\wipe.exe /all");
    records[2].specialAction = 1;
    records[2].weekdayMask = weekdayBit(5);
    records[2].hourMask = hourBit(23);
    records[2].minute = 0;
    const std::string head = "导入的闹铃中有2个会运行程序或关机、重启、待机、休眠、注销，确定导入吗？";
    EXPECT_EQ(importQuestion(records.data(), 3),
              head + "\r\n每日 8时 30分 C:\\tools\\wipe.exe /all\r\n星期重复 23时 0分 关机");
    // Both at once, a disabled record too; an action outside 1..5 is none.
    records[1].specialAction = 5;
    records[1].disabled = 1;
    records[0].specialAction = 9;
    EXPECT_EQ(importQuestion(records.data(), 3),
              head + "\r\n每日 8时 30分 C:\\tools\\wipe.exe /all 注销\r\n星期重复 23时 0分 关机");
    EXPECT_TRUE(runsProgramOrPower(records[1]) && runsProgramOrPower(records[2]) && !runsProgramOrPower(records[0]));

    // At most ten lines, then "……"; the count is of them all.
    std::vector<AlarmRecord> many(12, alarmAt(0, 0));
    for (int i = 0; i < 12; ++i) {
        many[i].minute = static_cast<int8_t>(i);
        many[i].specialAction = 2;
    }
    const std::string question = importQuestion(many.data(), 12);
    EXPECT_EQ(question.rfind("导入的闹铃中有12个", 0), 0u);
    EXPECT_NE(question.find("\r\n每日 每时 9分 重启"), std::string::npos);
    EXPECT_EQ(question.find("每日 每时 10分 "), std::string::npos);
    const std::string ellipsis = "\r\n……";
    EXPECT_EQ(question.substr(question.size() - ellipsis.size()), ellipsis);
    int lines = 0;
    for (size_t at = question.find("\r\n"); at != std::string::npos; at = question.find("\r\n", at + 1)) ++lines;
    EXPECT_EQ(lines, 11);
    // A program path filling its field to the end is read within it.
    AlarmRecord full = alarmAt(hourBit(8), 30);
    std::memset(full.programPath, 'p', sizeof full.programPath);
    EXPECT_EQ(importQuestion(&full, 1), "导入的闹铃中有1个会运行程序或关机、重启、待机、休眠、注销，确定导入吗？\r\n每日 8时 30分 " +
                                            std::string(sizeof full.programPath, 'p'));
}
