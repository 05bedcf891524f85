#include <gtest/gtest.h>

#include <cstring>

#include "alarm/schedule.h"
#include "clock/quickalarm.h"

TEST(QuickAlarm, OffsetsAreTheCaptionPlusAMinute) {
    const int expected[] = {60, 660, 1260, 1860, 2460, 3060, 3660, 5460, 7260, 10860, 14460};
    for (int id = 32775; id <= 32785; ++id)
        EXPECT_EQ(quickAlarmOffset(id), expected[id - 32775]) << id;
    // Anything outside the range behaves like "within a minute".
    EXPECT_EQ(quickAlarmOffset(32774), 60);
    EXPECT_EQ(quickAlarmOffset(32786), 60);
    EXPECT_EQ(quickAlarmOffset(-1), 60);
}

TEST(QuickAlarm, TargetMinuteNeverComesEarlierThanPromised) {
    // At 10:15:30 "10分钟后" targets 10:26 (the seconds are dropped later).
    const LocalTime t = addSeconds(LocalTime{2026, 12, 7, 10, 15, 30, 1}, quickAlarmOffset(32776));
    EXPECT_EQ(t.hour, 10);
    EXPECT_EQ(t.minute, 26);
    // "1小时30分后" at 23:30 on New Year's Eve lands in the next year.
    const LocalTime late = addSeconds(LocalTime{2026, 12, 31, 23, 30, 0, 4}, quickAlarmOffset(32782));
    EXPECT_EQ(late.year, 2027);
    EXPECT_EQ(late.month, 1);
    EXPECT_EQ(late.day, 1);
    EXPECT_EQ(late.hour, 1);
    EXPECT_EQ(late.minute, 1);
}

TEST(QuickAlarm, SoundIsTheQuickSoundElseTheChimeElseNone) {
    ClockSettings s = defaultSettings();
    EXPECT_EQ(quickAlarmSound(s, "C:\\z\\notify.mp3", true), "C:\\z\\notify.mp3");
    EXPECT_EQ(quickAlarmSound(s, "C:\\z\\notify.mp3", false), "");
    std::strcpy(s.quickSound, "bell.wav");
    EXPECT_EQ(quickAlarmSound(s, "C:\\z\\notify.mp3", true), "bell.wav");
    std::memset(s.quickSound, 'q', sizeof s.quickSound);  // a damaged db.dat: no terminator
    EXPECT_EQ(quickAlarmSound(s, "", false), std::string(sizeof s.quickSound, 'q'));
}
