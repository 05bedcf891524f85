#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "alarm/schedule.h"
#include "alarmui/editorlogic.h"
#include "testtime.h"

namespace {

using Masks = std::vector<uint32_t>;  // year, month, day, hour, weekday
Masks masks(const AlarmRecord& r) { return {r.yearMask, r.monthMask, r.dayMask, r.hourMask, r.weekdayMask}; }
// Packs small fields into one number so that a mismatch shows all of them.
int flags(const AlarmRecord& r) { return r.specialAction * 100 + r.temporary * 10 + r.disabled; }
int sounds(const AlarmRecord& r) { return r.repeatCount * 10000 + r.leadMinutes * 100 + r.intervalMinutes; }

AlarmRecord filledWithX() {
    AlarmRecord r;
    std::memset(&r, 'x', sizeof r);
    return r;
}

TEST(EditorDefaults, NewAlarmSelectsNowPlusLeadPlusOneMinute) {
    ClockSettings s = defaultSettings();  // lead 5, repeat 4, interval 5
    AlarmRecord r = newAlarmDefaults(s, LocalTime{2026, 12, 7, 10, 58, 30, 1}, "C:\\z\\notify.mp3", true);
    EXPECT_EQ(masks(r), (Masks{yearBit(2026), monthBit(12), dayBit(7), hourBit(11), weekdayBit(1)}));
    EXPECT_EQ(r.minute, 4);
    EXPECT_STREQ(r.soundPath, "C:\\z\\notify.mp3");
    EXPECT_EQ(flags(r), 10);
    EXPECT_EQ(sounds(r), 40505);

    // Across the year's end the weekday follows the new date; a missing sound stays out.
    s.quickLead = 10;
    r = newAlarmDefaults(s, LocalTime{2026, 12, 31, 23, 55, 0, 4}, "notify.mp3", false);
    EXPECT_EQ(masks(r), (Masks{yearBit(2027), 1, 1, 1, weekdayBit(5)}));
    EXPECT_EQ(r.minute, 6);
    EXPECT_EQ(std::string(r.soundPath, sizeof r.soundPath), std::string(sizeof r.soundPath, '\0'));
}

TEST(EditorDefaults, YearsOutsideTheListSelectNoYearOrRefuseThePreset) {
    // 2029 runs on into 2030, a listed year now.
    AlarmRecord r = newAlarmDefaults(defaultSettings(), at(2029, 12, 31, 23, 58), "", false);
    EXPECT_EQ(r.yearMask, yearBit(2030));
    EXPECT_TRUE(entrySelected(r.yearMask, 21));
    // Past 2040 no entry is selected: every year, as the editor then shows.
    r = newAlarmDefaults(defaultSettings(), at(2040, 12, 31, 23, 58), "", false);
    EXPECT_EQ(masks(r), (Masks{0, monthBit(1), dayBit(1), hourBit(0), weekdayBit(2)}));
    // A one-shot alarm made while the clock says 2008 still rings at its minute.
    presetForQuickAlarm(r, 2008, 3, 1, 8, 0, "");
    EXPECT_EQ(r.yearMask, 0u);
    EXPECT_TRUE(isDue(at(2008, 3, 1, 8, 0), r));

    // The calendar's dates outside 2009..2040 make no alarm at all.
    const AlarmRecord untouched = filledWithX();
    for (int year : {1901, 2008, 2041, 2050}) {
        r = untouched;
        EXPECT_FALSE(presetForDate(r, year, 10, 1)) << year;
        EXPECT_EQ(0, std::memcmp(&r, &untouched, sizeof r)) << year;
    }
    ASSERT_TRUE(presetForDate(r, 2035, 10, 1));
    EXPECT_EQ(r.yearMask, yearBit(2035));
    ASSERT_TRUE(presetForDate(r, 2040, 10, 1));
    EXPECT_TRUE(isDue(at(2040, 10, 1, 12), r));
    EXPECT_FALSE(isDue(at(2041, 10, 1, 12), r));
}

TEST(EditorPresets, DateKeepsActionsQuickAlarmClearsThem) {
    AlarmRecord r = filledWithX();
    presetForDate(r, 2026, 2, 28);
    EXPECT_EQ(masks(r), (Masks{yearBit(2026), monthBit(2), dayBit(28), hourBit(12), 0}));
    EXPECT_EQ(std::string(r.soundPath, 2), std::string("\0x", 2));  // only the terminator is written
    EXPECT_EQ(r.minute * 100 + r.temporary * 10 + r.disabled, 0);
    EXPECT_EQ(std::string() + r.programPath[0] + r.text[0] + char(r.repeatCount), "xxx");

    r = filledWithX();
    presetForQuickAlarm(r, 2027, 1, 1, 2, 30, "闹钟.wav");
    EXPECT_EQ(masks(r), (Masks{yearBit(2027), 1, 1, hourBit(2), 0}));
    EXPECT_EQ(r.minute, 30);
    EXPECT_EQ(std::string(r.soundPath, 10), std::string("闹钟.wav\0x", 10));
    EXPECT_EQ(std::string(r.programPath, sizeof r.programPath) + std::string(r.text, sizeof r.text),
              std::string(sizeof r.programPath + sizeof r.text, '\0'));
    EXPECT_EQ(flags(r), 10);
    EXPECT_EQ(r.intervalMinutes, 'x');
}

TEST(EditorLists, EntriesAndMaskRoundTrip) {
    const char* const last[kTimeListCount] = {"2040年", "12月", "31日", "星期六", "23时"};
    for (int l = 0; l < kTimeListCount; ++l) {
        const TimeList list = static_cast<TimeList>(l);
        const int n = timeListSize(list);
        EXPECT_EQ(timeListEntry(list, n - 1) + "|" + timeListEntry(list, n), std::string(last[l]) + "|");
        const int ends[2] = {0, n - 1};
        AlarmRecord r = emptyAlarm();
        setTimeListMask(r, list, maskOfSelection(ends, 2));
        EXPECT_EQ(timeListMask(r, list), (1u << (n - 1)) | 1u) << l;
    }
    EXPECT_FALSE(entrySelected(0xFFFFFFFFu, 32));
    EXPECT_EQ(timeListEntry(TimeList::Years, 0) + timeListEntry(TimeList::Weekdays, 0), "2009年星期日");
    EXPECT_EQ(timeListSize(TimeList::Years), 32);

    // Lunar mode renames months and days only; its day list ends with 三十.
    const char* const lunarLast[kTimeListCount] = {"2040年", "腊月", "三十", "星期六", "23时"};
    for (int l = 0; l < kTimeListCount; ++l) {
        const TimeList list = static_cast<TimeList>(l);
        const int n = timeListSize(list, true);
        EXPECT_EQ(timeListEntry(list, n - 1, true) + "|" + timeListEntry(list, n, true),
                  std::string(lunarLast[l]) + "|");
    }
    EXPECT_EQ(timeListEntry(TimeList::Months, 0, true) + timeListEntry(TimeList::Days, 19, true) +
                  timeListEntry(TimeList::Days, 20, true),
              "正月二十廿一");
}

TEST(EditorOk, EncodesEveryFieldReplacesZerosAndNeedsAnAction) {
    EditorInput in;
    std::memset(&in, 0, sizeof in);
    AlarmRecord r = filledWithX();
    const AlarmRecord before = r;
    EXPECT_FALSE(applyEditorInput(r, in));
    EXPECT_EQ(0, std::memcmp(&r, &before, sizeof r));
    EXPECT_TRUE(hasAction(0, "", "", "calc.exe") && hasAction(0, "a.wav", "", "") && hasAction(0, "", "t", ""));

    const uint32_t selected[kTimeListCount] = {1u << 20, 1u << 11, 1u << 30, 0x41, 1u << 23};
    std::memcpy(in.masks, selected, sizeof selected);
    in.minute = 59;
    in.temporary = true;
    in.specialAction = 5;  // log off alone is an action
    const struct { const char *repeat, *lead, *interval; int expected; } cases[] = {
        {"3", "10分钟", "15分钟", 31015}, {"0", "0分钟", "7", 10007}, {"x", "", "0", 10005}, {"10", "-5", "x", 99505}};
    for (const auto& c : cases) {
        std::strcpy(in.repeat, c.repeat);
        std::strcpy(in.lead, c.lead);
        std::strcpy(in.interval, c.interval);
        ASSERT_TRUE(applyEditorInput(r, in));
        EXPECT_EQ(sounds(r), c.expected) << c.repeat << c.lead << c.interval;
    }
    EXPECT_EQ(masks(r), (Masks{1u << 20, 1u << 11, 1u << 30, 1u << 23, 0x41}));
    EXPECT_EQ(r.minute, 59);
    EXPECT_EQ(flags(r), 510);
    // Empty texts: a terminator each, the old bytes behind it, the calendar
    // kind and the day rule (each set by its own control) stay.
    EXPECT_EQ(std::string(r.text, 2) + r.programPath[1] + r.soundPath[1] + char(r.calendarKind) + char(r.dayRule),
              std::string("\0xxxxx", 6));
}

TEST(EditorNextRing, PreviewTextsAndTheQuestionBeforeSaving) {
    AlarmRecord r = emptyAlarm();
    r.monthMask = monthBit(12);
    r.dayMask = dayBit(9);
    r.hourMask = hourBit(8);
    r.minute = 30;
    const LocalTime now = at(2026, 12, 7, 10, 0);
    EXPECT_EQ(nextRingPreview(r, now), "下次响铃：2026年12月9日 星期三 08:30");
    EXPECT_FALSE(asksBeforeSaving(r, now));
    r.dayMask = dayBit(3) | dayBit(4);
    r.monthMask = monthBit(1);
    r.hourMask = hourBit(5);
    r.minute = 7;
    EXPECT_EQ(nextRingPreview(r, now), "下次响铃：2027年1月3日 星期日 05:07");

    r.monthMask = monthBit(2);
    r.dayMask = dayBit(30);
    EXPECT_EQ(nextRingPreview(r, now), "按此设置，闹铃不会再响。");
    EXPECT_TRUE(asksBeforeSaving(r, now));
    EXPECT_STREQ(kNeverRingsQuestion, "按此设置，闹铃不会再响。仍然保存吗？");
    // A switched-off alarm says so, and is saved without a question.
    r.disabled = 1;
    EXPECT_EQ(nextRingPreview(r, now), "此闹铃已禁用。");
    EXPECT_FALSE(asksBeforeSaving(r, now));
}

// The two 大小周 items name this week's Saturday, so the value each stores
// depends on the week; the rule then takes the weekday mask's place, and a
// year without a schedule is named on the next-ring line.
TEST(EditorDayRule, ItemsNameThisWeeksSaturdayAndTheLineAnUncoveredYear) {
    const WorkCalendar plain;
    const LocalTime wednesday = at(2026, 12, 9, 10, 0), nextWeek = at(2026, 12, 16, 10, 0);
    for (const LocalTime& now : {wednesday, nextWeek}) {
        const int saturday = dayNumber(now.year, now.month, now.day + 3);
        EXPECT_TRUE(dayRuleAllows(dayRuleOfItem(4, now), saturday, 6, plain)) << show(now);
        EXPECT_FALSE(dayRuleAllows(dayRuleOfItem(5, now), saturday, 6, plain)) << show(now);
        for (int item = 0; item < kDayRuleCount; ++item)
            EXPECT_EQ(dayRuleItem(dayRuleOfItem(item, now), now), item) << show(now);
    }
    EXPECT_NE(dayRuleOfItem(4, wednesday), dayRuleOfItem(4, nextWeek));
    EXPECT_EQ(dayRuleItem(9, wednesday), 0);

    AlarmRecord r = emptyAlarm();
    r.weekdayMask = 0x3E;
    setDayRule(r, 9);
    EXPECT_EQ(r.dayRule, kDayRuleNone);
    EXPECT_EQ(r.weekdayMask, 0x3E);
    setDayRule(r, kDayRuleSixDays);
    EXPECT_EQ(r.dayRule, kDayRuleSixDays);
    EXPECT_EQ(r.weekdayMask, 0);

    r.hourMask = hourBit(8);
    r.yearMask = yearBit(2031);
    EXPECT_EQ(nextRingPreview(r, wednesday),
              "下次响铃：2031年1月1日 星期三 08:00（2031年的放假安排未录入，暂按平常的星期计算）");
    r.yearMask = 0;
    EXPECT_EQ(nextRingPreview(r, wednesday), "下次响铃：2026年12月10日 星期四 08:00");
    r.dayRule = kDayRuleNone;
    r.yearMask = yearBit(2031);
    EXPECT_EQ(nextRingPreview(r, wednesday), "下次响铃：2031年1月1日 星期三 08:00");
}

TEST(EditorLunar, MasksOfTheClickedDayRingOnItEveryLunarYear) {
    uint32_t month = 0, day = 0;
    const struct { int y, m, d; uint32_t month, day; } cases[] = {
        {2027, 9, 15, monthBit(8), dayBit(15)},
        {2020, 5, 23, monthBit(4), dayBit(1)},   // the leap fourth month: the regular one's mask
        {2020, 1, 24, monthBit(12), dayBit(30)}, // 除夕 of a long 腊月
        {1901, 1, 1, monthBit(11), dayBit(11)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(lunarDateMasks(c.y, c.m, c.d, month, day)) << c.y << c.m << c.d;
        EXPECT_EQ(month * 100 + day, c.month * 100 + c.day) << c.y << c.m << c.d;
    }
    const int bad[][3] = {{2101, 1, 1}, {1900, 12, 31}, {2021, 2, 29}};
    for (const auto& b : bad) EXPECT_FALSE(lunarDateMasks(b[0], b[1], b[2], month, day)) << b[0];

    AlarmRecord r = emptyAlarm();
    r.calendarKind = kCalendarLunar;
    ASSERT_TRUE(lunarDateMasks(2027, 9, 15, r.monthMask, r.dayMask));
    r.hourMask = hourBit(9);
    EXPECT_EQ(nextRingPreview(r, at(2027, 9, 16)), "下次响铃：2028年10月3日 星期二 09:00");
}

TEST(EditorLunar, TheBoxSwitchesThePresetDateOrKeepsEntriesByIndex) {
    // 2035-02-14 is 正月初七.
    const PresetDate valentine{2035, 2, 14};
    uint32_t month = monthBit(2), day = dayBit(14);
    switchCalendar(month, day, true, valentine);
    EXPECT_EQ(month * 100 + day, monthBit(1) * 100 + dayBit(7));
    switchCalendar(month, day, false, valentine);
    EXPECT_EQ(month * 100 + day, monthBit(2) * 100 + dayBit(14));

    // Once the user has chosen other entries, or without a preset date, the
    // entries stay by index; 31 has no lunar entry.
    const PresetDate none;
    for (const PresetDate& preset : {valentine, none}) {
        month = monthBit(2) | monthBit(3);
        day = dayBit(14) | dayBit(31);
        switchCalendar(month, day, true, preset);
        EXPECT_EQ(month * 100 + day, (monthBit(2) | monthBit(3)) * 100 + dayBit(14));
        switchCalendar(month, day, false, preset);
        EXPECT_EQ(month * 100 + day, (monthBit(2) | monthBit(3)) * 100 + dayBit(14));
    }
    // The preset's month with another day is the user's own choice too.
    month = monthBit(2);
    day = dayBit(15);
    switchCalendar(month, day, true, valentine);
    EXPECT_EQ(month * 100 + day, monthBit(2) * 100 + dayBit(15));
    day = dayBit(14);
    switchCalendar(month, day, true, none);
    EXPECT_EQ(month * 100 + day, monthBit(2) * 100 + dayBit(14));
    // 三十 stays when the list goes back to Gregorian days.
    day = dayBit(30);
    switchCalendar(month, day, false, none);
    EXPECT_EQ(day, dayBit(30));
}

}  // namespace

TEST(EditorNextRing, AMissingSoundFileIsNamedAtTheEnd) {
    AlarmRecord r = emptyAlarm();
    r.hourMask = hourBit(8);
    r.minute = 30;
    const LocalTime now = at(2026, 12, 7, 10, 0);
    EXPECT_EQ(nextRingPreview(r, now, true), "下次响铃：2026年12月8日 星期二 08:30（声音文件不存在，将以默认铃声代替）");
    EXPECT_EQ(nextRingPreview(r, now, false), "下次响铃：2026年12月8日 星期二 08:30");
    r.disabled = 1;
    EXPECT_EQ(nextRingPreview(r, now, true), "此闹铃已禁用。（声音文件不存在，将以默认铃声代替）");
    EXPECT_STREQ(kMissingSoundNote, "（声音文件不存在，将以默认铃声代替）");
}
