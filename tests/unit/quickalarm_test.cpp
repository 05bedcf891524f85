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

TEST(QuickAlarm, SnoozeAndPostponeRingOnceByTheQuickRule) {
    AlarmRecord ringing = emptyAlarm();
    std::strcpy(ringing.soundPath, "bell.wav");
    std::strcpy(ringing.text, "起床");
    std::strcpy(ringing.programPath, "backup.bat");
    ringing.specialAction = 1;
    ringing.repeatCount = 5;
    ringing.leadMinutes = 3;
    ringing.weekdayMask = weekdayBit(1);
    EXPECT_EQ(snoozeMinutes(32850), 5);
    EXPECT_EQ(snoozeMinutes(32851), 10);
    EXPECT_EQ(snoozeMinutes(32852), 30);
    EXPECT_EQ(snoozeMinutes(32849), 0);
    EXPECT_EQ(snoozeMinutes(32853), 0);

    // At 23:55:30 on New Year's Eve ten minutes later is 00:06 of the next year.
    const LocalTime now{2026, 12, 31, 23, 55, 30, 4};
    const AlarmRecord snooze = snoozeAlarm(ringing, now, snoozeMinutes(32851));
    LocalTime ring{};
    ASSERT_TRUE(nextRing(snooze, now, ring));
    EXPECT_EQ(wallSeconds(ring) - wallSeconds(now), 630);
    LocalTime again{};
    EXPECT_FALSE(nextRing(snooze, ring, again));  // once only
    EXPECT_STREQ(snooze.soundPath, "bell.wav");
    EXPECT_STREQ(snooze.text, "起床");
    EXPECT_EQ(snooze.programPath[0], '\0');
    EXPECT_EQ(snooze.specialAction, 0);
    EXPECT_EQ(snooze.repeatCount, 1);
    EXPECT_EQ(snooze.leadMinutes, 0);
    EXPECT_EQ(snooze.temporary, 1);
    EXPECT_EQ(snooze.disabled, 0);

    const AlarmRecord later = postponedAlarm(ringing, LocalTime{2026, 12, 7, 11, 0, 0, 1});
    EXPECT_EQ(later.hourMask, hourBit(11));
    EXPECT_EQ(later.minute, 11);
    EXPECT_EQ(later.specialAction, 1);
    EXPECT_STREQ(later.text, "起床");
    EXPECT_EQ(later.soundPath[0], '\0');
    EXPECT_EQ(later.programPath[0], '\0');
    EXPECT_EQ(later.temporary, 1);
}
