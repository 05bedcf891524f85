#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "alarm/schedule.h"
#include "alarmui/editorlogic.h"

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

TEST(EditorDefaults, YearsOutsideTheListNeverRing) {
    // 2029-12-31 23:58 plus six minutes lands in 2030: no year entry is selected.
    AlarmRecord r = newAlarmDefaults(defaultSettings(), LocalTime{2029, 12, 31, 23, 58, 0, 1}, "", false);
    for (int i = 0; i < timeListSize(TimeList::Years); ++i)
        EXPECT_FALSE(entrySelected(r.yearMask, i)) << i;
    // A one-shot alarm made while the clock says 2008 must not come back in 2009.
    presetForQuickAlarm(r, 2008, 3, 1, 8, 0, "");
    EXPECT_FALSE(isDue(LocalTime{2009, 3, 1, 8, 0, 0, 0}, r));
    presetForDate(r, 1950, 10, 1);
    EXPECT_FALSE(isDue(LocalTime{2010, 10, 1, 12, 0, 0, 5}, r));
    presetForDate(r, 2029, 10, 1);
    EXPECT_TRUE(isDue(LocalTime{2029, 10, 1, 12, 0, 0, 1}, r));
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
    const char* const last[kTimeListCount] = {"2029年", "12月", "31日", "星期六", "23时"};
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
    // Empty texts: a terminator each, the old bytes behind it and the padding stay.
    EXPECT_EQ(std::string(r.text, 2) + r.programPath[1] + r.soundPath[1] + char(r.pad837[0]), std::string("\0xxxx", 5));
}

}  // namespace
