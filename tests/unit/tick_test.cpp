#include "alarm/tick.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "testtime.h"

namespace {

std::string hm(const LocalTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%02d %02d:%02d", t.month, t.day, t.hour, t.minute);
    return buf;
}

// Records every request in order; results are set per test.
class RecordingSeams : public AlarmSeams {
public:
    std::vector<std::string> log;
    std::set<std::string> files;
    bool shellWorks = true;
    bool commandWorks = true;
    std::function<bool(int)> onConfirm = [](int) { return false; };
    bool postpone = false;  // what a countdown that is not confirmed answers

    bool fileExists(const char* path) override {
        log.push_back(std::string("exists ") + path);
        return files.count(path) != 0;
    }
    void playLooping(const char* path) override { log.push_back(std::string("play ") + path); }
    bool openWithShell(const char* path) override {
        log.push_back(std::string("shell ") + path);
        return shellWorks;
    }
    bool runCommandLine(const char* commandLine) override {
        log.push_back(std::string("cmd ") + commandLine);
        return commandWorks;
    }
    void beep(int frequency, int milliseconds) override {
        log.push_back("beep " + std::to_string(frequency) + "/" + std::to_string(milliseconds));
    }
    void appendMemoLine(const char* text) override { log.push_back(std::string("memo ") + text); }
    CountdownAnswer confirmPowerAction(int code) override {
        log.push_back("confirm " + std::to_string(code));
        if (onConfirm(code)) return CountdownAnswer::Run;
        return postpone ? CountdownAnswer::Postpone : CountdownAnswer::Cancel;
    }
    void runPowerAction(int code) override { log.push_back("power " + std::to_string(code)); }
    void postponePowerAlarm(const AlarmRecord& a) override {
        log.push_back("postpone " + std::to_string(a.specialAction) + " " + a.text);
    }
    void stopSound() override { log.push_back("stop"); }
};

template <size_t N>
void put(char (&field)[N], const char* text) {
    std::strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

AlarmRecord alarm(int hour, int minute, const char* text = "", const char* sound = "") {
    AlarmRecord a = emptyAlarm();
    a.hourMask = hourBit(hour);
    a.minute = static_cast<int8_t>(minute);
    put(a.text, text);
    put(a.soundPath, sound);
    a.repeatCount = 1;
    a.intervalMinutes = 5;
    return a;
}

const TimeZoneRecord kUtc8{-480, 0, 0, {}, {}};

struct TickFixture : ::testing::Test {
    // Most cases leap hours or days between seconds; how long a sound lasts has a case of its own.
    TickFixture() { settings.ringMinutes = kRingMinutesNever; }
    ClockSettings settings = defaultSettings();
    AlarmTable table{};
    RecordingSeams seams;
    ClockTick tick{settings, table, seams};

    void add(const AlarmRecord& a) { table.alarms[table.alarmCount++] = a; }

    // What the clock window does on each timer message.
    void pump(const LocalTime& now) {
        if (tick.enterSecond(now)) tick.runSecond(now, kUtc8);
    }

    // Runs second 0 of every minute in [from, from + minutes) and returns the
    // log lines, each prefixed with the minute it happened in.
    std::vector<std::string> minutes(const LocalTime& from, int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            const LocalTime now = addSeconds(from, int64_t{i} * 60);
            seams.log.clear();
            pump(now);
            for (const std::string& line : seams.log) out.push_back(hm(now) + " " + line);
        }
        return out;
    }
};

using TickFire = TickFixture;
using TickSchedule = TickFixture;
using TickReentry = TickFixture;
using TickGap = TickFixture;

}  // namespace

TEST_F(TickFire, SoundNeedsAPathAndAnExistingFile) {
    seams.files = {"ring.mp3"};
    startSound(alarm(8, 0), seams);
    startSound(alarm(8, 0, "", "ring.mp3"), seams);
    startDefaultSound("notify.mp3", seams);
    EXPECT_EQ(seams.log, (std::vector<std::string>{"exists ring.mp3", "play ring.mp3", "play notify.mp3"}));
}

TEST_F(TickFire, AMissingSoundPlaysTheDefaultSoundOrBeeps) {
    seams.files = {"C:\\Zentar\\notify.mp3"};
    startSound(alarm(8, 0, "", "gone.mp3"), seams, "C:\\Zentar\\notify.mp3");
    EXPECT_EQ(seams.log, (std::vector<std::string>{"exists gone.mp3", "exists C:\\Zentar\\notify.mp3",
                                                   "play C:\\Zentar\\notify.mp3"}));
    // Without the default sound, or with it gone too, three beeps.
    for (const char* fallback : {static_cast<const char*>(nullptr), "", "D:\\notify.mp3"}) {
        seams.log.clear();
        startSound(alarm(8, 0, "", "gone.mp3"), seams, fallback);
        std::vector<std::string> want = {"exists gone.mp3"};
        if (fallback && *fallback) want.push_back(std::string("exists ") + fallback);
        want.insert(want.end(), 3, "beep 1000/200");
        EXPECT_EQ(seams.log, want);
    }
    // An empty path stays silent, default sound or not.
    seams.log.clear();
    startSound(alarm(8, 0), seams, "C:\\Zentar\\notify.mp3");
    EXPECT_TRUE(seams.log.empty());
}

TEST_F(TickSchedule, EveryStartOfAMissingSoundUsesTheDefaultSound) {
    tick.setDefaultSound("notify.mp3", true);
    seams.files = {"notify.mp3"};
    AlarmRecord a = alarm(8, 0, "起床", "moved\\ring.mp3");
    a.leadMinutes = 5;
    a.repeatCount = 2;
    add(a);
    EXPECT_EQ(minutes(at(2015, 6, 10, 7, 54), 8),
              (std::vector<std::string>{"06-10 07:55 exists moved\\ring.mp3", "06-10 07:55 exists notify.mp3",
                                        "06-10 07:55 play notify.mp3", "06-10 08:00 exists moved\\ring.mp3",
                                        "06-10 08:00 exists notify.mp3", "06-10 08:00 play notify.mp3",
                                        "06-10 08:00 memo 起床"}));
    // Without the chime it beeps instead: never silent.
    tick.setDefaultSound("notify.mp3", false);
    seams.files.clear();
    const auto beeps = minutes(at(2015, 6, 11, 7, 55), 1);
    EXPECT_EQ(beeps, (std::vector<std::string>{"06-11 07:55 exists moved\\ring.mp3", "06-11 07:55 exists notify.mp3",
                                               "06-11 07:55 beep 1000/200", "06-11 07:55 beep 1000/200",
                                               "06-11 07:55 beep 1000/200"}));
}

TEST_F(TickFire, ProgramFallsBackToCommandLineThenBeeps) {
    AlarmRecord a = alarm(8, 0);
    put(a.programPath, "notepad.exe todo.txt");
    fireAlarm(a, seams);
    seams.shellWorks = false;
    fireAlarm(a, seams);
    seams.commandWorks = false;
    fireAlarm(a, seams);
    EXPECT_EQ(seams.log, (std::vector<std::string>{
                             "shell notepad.exe todo.txt",
                             "shell notepad.exe todo.txt", "cmd notepad.exe todo.txt",
                             "shell notepad.exe todo.txt", "cmd notepad.exe todo.txt",
                             "beep 100/100"}));
}

TEST_F(TickFire, TextBeepsOnlyWhenTheAlarmHasNoSound) {
    fireAlarm(alarm(8, 0, "起床"), seams);
    fireAlarm(alarm(8, 0, "开会", "missing.mp3"), seams);  // a named sound, even a missing one, is enough
    fireAlarm(alarm(8, 0, "", ""), seams);
    EXPECT_EQ(seams.log,
              (std::vector<std::string>{"memo 起床", "beep 1000/100", "memo 开会"}));
}

TEST_F(TickFire, ActionsRunInOrderAndPowerNeedsConfirmation) {
    AlarmRecord a = alarm(8, 0, "bye");
    put(a.programPath, "backup.bat");
    a.specialAction = 1;
    seams.onConfirm = [](int) { return true; };
    fireAlarm(a, seams);
    EXPECT_EQ(seams.log, (std::vector<std::string>{"shell backup.bat", "memo bye",
                                                   "beep 1000/100", "confirm 1", "power 1"}));

    seams.log.clear();
    seams.onConfirm = [](int) { return false; };
    AlarmRecord plain = alarm(8, 0);
    for (int code : {5, 0, 6, -1, 1000}) {
        plain.specialAction = code;
        fireAlarm(plain, seams);
    }
    EXPECT_EQ(seams.log, (std::vector<std::string>{"confirm 5"}));

    // Put off, the action does not run; the alarm goes back to the clock.
    seams.log.clear();
    seams.postpone = true;
    fireAlarm(a, seams);
    EXPECT_EQ(seams.log, (std::vector<std::string>{"shell backup.bat", "memo bye", "beep 1000/100",
                                                   "confirm 1", "postpone 1 bye"}));
}

TEST_F(TickFire, UnterminatedFieldsEndAtTheirWidth) {
    AlarmRecord a = emptyAlarm();
    std::memset(a.soundPath, 's', sizeof a.soundPath);
    std::memset(a.programPath, 'p', sizeof a.programPath);
    std::memset(a.text, 't', sizeof a.text);
    seams.files = {std::string(sizeof a.soundPath, 's')};
    seams.shellWorks = false;
    startSound(a, seams);
    fireAlarm(a, seams);
    const std::string s(300, 's'), p(320, 'p'), t(196, 't');
    EXPECT_EQ(seams.log, (std::vector<std::string>{"exists " + s, "play " + s, "shell " + p,
                                                   "cmd " + p, "memo " + t}));
}

TEST_F(TickSchedule, LeadAndIntervalPlaceTheSoundStarts) {
    seams.files = {"a.mp3"};
    AlarmRecord a = alarm(8, 0, "go", "a.mp3");
    a.leadMinutes = 10;
    a.intervalMinutes = 5;
    a.repeatCount = 3;
    add(a);
    EXPECT_EQ(minutes(at(2015, 6, 10, 7, 40), 40),
              (std::vector<std::string>{"06-10 07:50 exists a.mp3", "06-10 07:50 play a.mp3",
                                        "06-10 07:55 exists a.mp3", "06-10 07:55 play a.mp3",
                                        "06-10 08:00 exists a.mp3", "06-10 08:00 play a.mp3",
                                        "06-10 08:00 memo go"}));
}

TEST_F(TickSchedule, ProbesCrossMidnightMonthAndYearEnds) {
    seams.files = {"x.mp3"};
    // 00:02 on the 1st: its first start is on the evening before.
    AlarmRecord first = alarm(0, 2, "", "x.mp3");
    first.dayMask = dayBit(1);
    first.leadMinutes = 5;
    add(first);
    EXPECT_EQ(minutes(at(2015, 1, 31, 23, 55), 4),
              (std::vector<std::string>{"01-31 23:57 exists x.mp3", "01-31 23:57 play x.mp3"}));
    EXPECT_TRUE(minutes(at(2015, 1, 30, 23, 55), 4).empty());
    // Leap year: 28 February is not the month's last evening.
    EXPECT_TRUE(minutes(at(2024, 2, 28, 23, 55), 4).empty());
    EXPECT_EQ(minutes(at(2023, 2, 28, 23, 55), 4).size(), 2u);
    EXPECT_EQ(minutes(at(2024, 2, 29, 23, 55), 4).size(), 2u);
    // Without a year mask 2030 is a year like any other; a mask ends with 2040.
    EXPECT_EQ(minutes(at(2029, 12, 31, 23, 55), 4).size(), 2u);
    table.alarms[0].yearMask = 0xFFFFFFFFu;
    EXPECT_EQ(minutes(at(2039, 12, 31, 23, 55), 4).size(), 2u);
    EXPECT_TRUE(minutes(at(2040, 12, 31, 23, 55), 4).empty());
    // A lunar 初一: the first start falls on the last evening of the lunar month.
    table.alarms[0].yearMask = 0;
    table.alarms[0].dayMask = dayBit(1);
    table.alarms[0].calendarKind = kCalendarLunar;
    EXPECT_EQ(minutes(at(2020, 1, 24, 23, 55), 4).size(), 2u);  // lunar 2019/12/30
    EXPECT_TRUE(minutes(at(2020, 1, 25, 23, 55), 4).empty());
}

TEST_F(TickSchedule, LaterStartsBelongToTheDayBeforeMidnight) {
    seams.files = {"eve.mp3"};
    // 23:58 on New Year's Eve of 2010 only; starts at 23:58, 00:03, 00:08.
    AlarmRecord a = alarm(23, 58, "", "eve.mp3");
    a.yearMask = yearBit(2010);
    a.monthMask = monthBit(12);
    a.dayMask = dayBit(31);
    a.repeatCount = 3;
    add(a);
    const auto played = [this](const LocalTime& from) {
        std::vector<std::string> out;
        for (const std::string& line : minutes(from, 30))
            if (line.find("play") != std::string::npos) out.push_back(line.substr(0, 11));
        return out;
    };
    EXPECT_EQ(played(at(2010, 12, 31, 23, 50)), (std::vector<std::string>{"12-31 23:58", "01-01 00:03", "01-01 00:08"}));
    EXPECT_TRUE(minutes(at(2011, 12, 31, 23, 50), 30).empty());
    // The same for 除夕 of the lunar year: the starts after midnight fall on 初一.
    table.alarms[0].yearMask = 0;
    table.alarms[0].monthMask = monthBit(12);
    table.alarms[0].dayMask = dayBit(30);
    table.alarms[0].calendarKind = kCalendarLunar;
    // 初一 itself at 00:03 is not mistaken for the day the earlier probe looked at.
    AlarmRecord first = alarm(0, 3, "", "eve.mp3");
    first.dayMask = dayBit(1);
    first.calendarKind = kCalendarLunar;
    add(first);
    EXPECT_EQ(played(at(2020, 1, 24, 23, 50)),
              (std::vector<std::string>{"01-24 23:58", "01-25 00:03", "01-25 00:03", "01-25 00:08"}));
}

TEST_F(TickSchedule, UnusualLeadAndIntervalValuesStillCountWholeMinutes) {
    seams.files = {"far.mp3", "same.mp3"};
    // Imported records may hold values the editor never offers.
    AlarmRecord far = alarm(12, 0, "", "far.mp3");
    far.leadMinutes = 64;
    far.intervalMinutes = 120;
    far.repeatCount = 5;
    add(far);
    AlarmRecord same = alarm(12, 0, "", "same.mp3");
    same.intervalMinutes = 0;  // every start falls on the alarm minute itself
    same.repeatCount = 3;
    add(same);
    std::vector<std::string> played;
    for (const std::string& line : minutes(at(2015, 6, 10, 10, 0), 600))
        if (line.find("play") != std::string::npos) played.push_back(line);
    EXPECT_EQ(played, (std::vector<std::string>{
                          "06-10 10:56 play far.mp3", "06-10 12:00 play same.mp3",
                          "06-10 12:00 play same.mp3", "06-10 12:00 play same.mp3",
                          "06-10 12:56 play far.mp3", "06-10 14:56 play far.mp3",
                          "06-10 16:56 play far.mp3", "06-10 18:56 play far.mp3"}));
}

TEST_F(TickSchedule, AgreesWithProbingEveryStartNaively) {
    // Any byte values an imported record may hold, against the plain definition.
    uint64_t seed = 99;
    auto next = [&seed](int below) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % static_cast<uint64_t>(below));
    };
    int plays = 0, fires = 0;
    for (int round = 0; round < 400; ++round) {
        table.alarmCount = 0;
        seams.files.clear();
        for (int i = 0; i < 20; ++i) {
            const std::string name = std::to_string(i);
            AlarmRecord a = alarm(0, next(64) - 2, ("t" + name).c_str(), ("s" + name).c_str());
            a.hourMask = next(3) == 0 ? hourBit(next(24)) : 0;
            a.dayMask = next(4) == 0 ? dayBit(next(31) + 1) : 0;
            a.leadMinutes = static_cast<int8_t>(next(256) - 128);
            a.intervalMinutes = static_cast<int8_t>(next(256) - 128);
            a.repeatCount = static_cast<int8_t>(next(24) - 2);
            a.disabled = next(10) == 0;
            add(a);
            seams.files.insert("s" + name);
        }
        const LocalTime now = addSeconds(at(2008, 12, 31, 0, 0), int64_t{next(7671)} * 86400 +
                                                                     int64_t{next(1440)} * 60);
        std::vector<std::string> want;
        for (int i = 0; i < table.alarmCount; ++i) {
            const AlarmRecord& a = table.alarms[i];
            if (a.disabled) continue;
            for (int j = 0; j < a.repeatCount; ++j) {
                const int64_t offset = a.leadMinutes - j * a.intervalMinutes;
                if (isDue(addSeconds(now, offset * 60), a)) {
                    want.push_back(std::string("exists ") + a.soundPath);
                    want.push_back(std::string("play ") + a.soundPath);
                    ++plays;
                }
            }
            if (isDue(now, a)) {
                want.push_back(std::string("memo ") + a.text);
                ++fires;
            }
        }
        seams.log.clear();
        tick.runSecond(now, kUtc8);
        ASSERT_EQ(seams.log, want) << round;
    }
    // The comparison above must not pass by finding nothing at all.
    EXPECT_GT(plays, 50);
    EXPECT_GT(fires, 10);
}

TEST_F(TickSchedule, TableOrderSoundsBeforeActionsLaterSoundLast) {
    seams.files = {"a.mp3", "b.mp3"};
    add(alarm(9, 0, "first", "a.mp3"));
    AlarmRecord off = alarm(9, 0, "skipped", "a.mp3");
    off.disabled = 1;
    add(off);
    add(alarm(9, 0, "second", "b.mp3"));
    AlarmRecord silent = alarm(9, 0, "no starts", "a.mp3");
    silent.repeatCount = 0;
    add(silent);
    silent.repeatCount = -3;
    add(silent);
    pump(at(2015, 6, 10, 9, 0));
    EXPECT_EQ(seams.log,
              (std::vector<std::string>{"exists a.mp3", "play a.mp3", "memo first", "exists b.mp3",
                                        "play b.mp3", "memo second", "memo no starts",
                                        "memo no starts"}));
}

TEST_F(TickSchedule, OnlyNewSecondsAndOnlySecondZeroAct) {
    add(alarm(9, 0, "once"));
    const LocalTime nine = at(2015, 6, 10, 9, 0);
    EXPECT_TRUE(tick.enterSecond(nine));
    EXPECT_FALSE(tick.enterSecond(nine));
    tick.runSecond(at(2015, 6, 10, 9, 0, 1), kUtc8);
    EXPECT_TRUE(seams.log.empty());
    tick.runSecond(nine, kUtc8);
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo once", "beep 1000/100"}));
    // A clock set back to a processed second shows it again.
    EXPECT_TRUE(tick.enterSecond(at(2015, 6, 10, 9, 0, 5)));
    EXPECT_TRUE(tick.enterSecond(nine));
}

TEST_F(TickSchedule, ServiceOffSilencesEverythingButTheOffsetIsKept) {
    settings.alarmService = 0;
    tick.setDefaultSound("notify.mp3", true);
    add(alarm(11, 55, "x"));
    tick.runSecond(at(2015, 6, 10, 11, 55), TimeZoneRecord{0, 0, 0, {}, {}});
    EXPECT_TRUE(seams.log.empty());
    EXPECT_EQ(tick.zoneOffset(), 28800);
}

TEST_F(TickSchedule, AlarmCountIsClampedToTheTable) {
    for (int i = 0; i < kMaxAlarms; ++i) add(alarm(9, 0));
    table.alarms[kMaxAlarms - 1] = alarm(9, 0, "last");
    table.alarmCount = kMaxAlarms + 20;
    pump(at(2015, 6, 10, 9, 0));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo last", "beep 1000/100"}));
    seams.log.clear();
    table.alarmCount = -4;
    pump(at(2015, 6, 10, 10, 0));
    EXPECT_TRUE(seams.log.empty());
}

TEST_F(TickSchedule, AutomaticAlarmComesFirstAndNeedsTheDefaultSound) {
    seams.files = {"mine.mp3"};
    add(alarm(11, 55, "", "mine.mp3"));
    pump(at(2015, 6, 10, 11, 55));  // no default sound known yet
    EXPECT_EQ(seams.log, (std::vector<std::string>{"exists mine.mp3", "play mine.mp3"}));

    seams.log.clear();
    tick.setDefaultSound("notify.mp3", true);
    pump(at(2015, 6, 11, 11, 55));
    pump(at(2015, 6, 11, 11, 55, 1));
    pump(at(2015, 6, 11, 12, 55));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"play notify.mp3", "exists mine.mp3",
                                                   "play mine.mp3"}));

    seams.log.clear();
    settings.dstAdjust = 2;  // an hour later
    pump(at(2015, 6, 12, 11, 55));
    pump(at(2015, 6, 12, 12, 55));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"exists mine.mp3", "play mine.mp3",
                                                   "play notify.mp3"}));

    seams.log.clear();
    tick.setDefaultSound("notify.mp3", false);
    pump(at(2015, 6, 13, 12, 55));
    EXPECT_TRUE(seams.log.empty());
}

// Snoozing needs to know whose sound plays: the last alarm that started one,
// until the chime replaces it or the clock stops it.
TEST_F(TickSchedule, RingingAlarmIsTheLastStartedAlarmSound) {
    seams.files = {"mine.mp3"};
    tick.setDefaultSound("notify.mp3", true);
    add(alarm(9, 0, "gone", "missing.mp3"));
    add(alarm(10, 0, "起床", "mine.mp3"));
    pump(at(2015, 6, 10, 9, 0));
    EXPECT_EQ(tick.ringingAlarm(), nullptr);  // no sound was started
    pump(at(2015, 6, 10, 10, 0));
    ASSERT_NE(tick.ringingAlarm(), nullptr);
    EXPECT_STREQ(tick.ringingAlarm()->text, "起床");
    EXPECT_STREQ(tick.ringingAlarm()->soundPath, "mine.mp3");
    pump(at(2015, 6, 11, 9, 0));  // a missing sound replaces nothing
    EXPECT_STREQ(tick.ringingAlarm()->text, "起床");
    pump(at(2015, 6, 11, 11, 55));  // the chime
    EXPECT_EQ(tick.ringingAlarm(), nullptr);
    pump(at(2015, 6, 12, 10, 0));
    EXPECT_NE(tick.ringingAlarm(), nullptr);
    tick.soundStopped();
    EXPECT_EQ(tick.ringingAlarm(), nullptr);
    // An hourly alarm's second start meets the next hour's first: the later ring is the one heard.
    table.alarms[1].hourMask = 0;
    table.alarms[1].intervalMinutes = 60;
    table.alarms[1].repeatCount = 2;
    pump(at(2015, 6, 13, 9, 0));
    EXPECT_EQ(hm(tick.ringingMinute()), "06-13 09:00");
}

// A sound nobody answers stops ringMinutes after its latest start, and the memo
// says what rang for which minute; after a click or the chime nothing comes.
TEST_F(TickSchedule, AnUnansweredSoundStopsAfterItsTime) {
    using Lines = std::vector<std::string>;
    seams.files = {"D:\\铃声\\ring.mp3"};
    AlarmRecord wake = alarm(8, 0, "起床", "D:\\铃声\\ring.mp3");
    wake.leadMinutes = 5;
    wake.repeatCount = 2;  // 07:55 and 08:00, both for 08:00
    add(wake);
    const auto stops = [this](const LocalTime& from, int count) {
        Lines out;
        for (const std::string& line : minutes(from, count))
            if (line.find(" stop") != std::string::npos || line.find("未应答") != std::string::npos) out.push_back(line);
        return out;
    };
    // The start at 08:00 renews five minutes as they run out.
    settings.ringMinutes = 5;
    pump(at(2015, 6, 10, 7, 55));
    EXPECT_EQ(hm(tick.ringingMinute()), "06-10 08:00");
    EXPECT_EQ(stops(at(2015, 6, 10, 7, 56), 12), (Lines{"06-10 08:05 stop", "06-10 08:05 memo [未应答 08:00] 起床"}));
    // A click, or the chime (11:55 in a UTC+8 zone), comes first: no line.
    settings.ringMinutes = 1;
    pump(at(2015, 6, 12, 8, 0));
    tick.soundStopped();
    EXPECT_TRUE(stops(at(2015, 6, 12, 8, 1), 3).empty());
    tick.setDefaultSound("notify.mp3", true);
    table.alarms[0] = alarm(11, 55, "", "D:\\铃声\\ring.mp3");
    table.alarms[0].leadMinutes = 1;
    EXPECT_TRUE(stops(at(2015, 6, 12, 11, 54), 4).empty());
    // A clock set back by days while it rings counts from where it then stands;
    // without a text, the sound file's name says what rang.
    tick.setDefaultSound("notify.mp3", false);
    pump(at(2015, 6, 13, 11, 54));
    EXPECT_EQ(stops(at(2015, 6, 10, 9, 0), 2), (Lines{"06-10 09:01 stop", "06-10 09:01 memo [未应答 11:55] ring.mp3"}));
    settings.ringMinutes = kRingMinutesNever;  // 不限
    EXPECT_TRUE(stops(at(2015, 6, 14, 11, 54), 600).empty());
}

TEST_F(TickReentry, InnerTicksAndTableChangesDoNotDisturbTheOuterSecond) {
    seams.files = {"b.mp3"};
    AlarmRecord shutdown = alarm(10, 0, "A");
    shutdown.specialAction = 1;
    add(shutdown);
    add(alarm(10, 0, "B", "b.mp3"));
    add(alarm(10, 0, "C"));

    // The countdown's modal loop: the timer keeps firing, the user empties the
    // table and adds a new alarm, a later minute passes, then Cancel.
    seams.onConfirm = [this](int) {
        for (int s = 0; s < 3; ++s) pump(at(2015, 6, 10, 10, 0, s));  // second 0 already done
        std::memset(&table.alarms[1], 0xEE, 2 * sizeof(AlarmRecord));
        table.alarmCount = 0;
        add(alarm(10, 1, "D"));
        for (int s = 0; s < 60; ++s) pump(at(2015, 6, 10, 10, 1, s));
        table.alarmCount = 1;
        return false;
    };
    pump(at(2015, 6, 10, 10, 0));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo A", "beep 1000/100", "confirm 1",
                                                   "memo D", "beep 1000/100",
                                                   "exists b.mp3", "play b.mp3", "memo B",
                                                   "memo C", "beep 1000/100"}));
}

TEST_F(TickReentry, NestedCountdownsEachRunTheirOwnAction) {
    AlarmRecord first = alarm(10, 0, "A");
    first.specialAction = 1;
    add(first);
    add(alarm(10, 0, "B"));
    AlarmRecord second = alarm(10, 1, "X");
    second.specialAction = 2;
    add(second);

    seams.onConfirm = [this](int code) {
        if (code == 1) {
            pump(at(2015, 6, 10, 10, 1));  // opens the restart countdown on top
            return true;
        }
        // Inside the second countdown the table shrinks and grows again.
        table.alarmCount = 0;
        pump(at(2015, 6, 10, 10, 2));
        add(alarm(10, 3, "Y"));
        pump(at(2015, 6, 10, 10, 3));
        return false;
    };
    pump(at(2015, 6, 10, 10, 0));
    EXPECT_EQ(seams.log,
              (std::vector<std::string>{"memo A", "beep 1000/100", "confirm 1", "memo X",
                                        "beep 1000/100", "confirm 2", "memo Y", "beep 1000/100",
                                        "power 1", "memo B", "beep 1000/100"}));
}

TEST_F(TickGap, MinutesOfAShortGapRingLateInOrderOnce) {
    seams.files = {"s.mp3"};
    tick.setDefaultSound("notify.mp3", true);  // rings at 12:00 in a UTC+8 zone
    add(alarm(12, 1, "one"));
    add(alarm(12, 0, "zero", "s.mp3"));
    add(alarm(12, 1, "one too", "s.mp3"));
    add(alarm(12, 2, "two"));
    pump(at(2015, 6, 10, 11, 59, 30));
    seams.log.clear();
    pump(at(2015, 6, 10, 12, 2, 30));  // three minutes unseen
    for (int s = 31; s < 60; ++s) pump(at(2015, 6, 10, 12, 2, s));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"play notify.mp3", "exists s.mp3", "play s.mp3", "memo zero",
                                                   "memo one", "beep 1000/100", "exists s.mp3", "play s.mp3",
                                                   "memo one too", "memo two", "beep 1000/100"}));

    // Up to 300 seconds are replayed; one more is a long gap.
    const AlarmRecord noon = alarm(12, 0, "z");
    tick.setDefaultSound("notify.mp3", false);
    table.alarmCount = 0;
    add(noon);
    pump(at(2015, 6, 11, 11, 55, 1));
    seams.log.clear();
    pump(at(2015, 6, 11, 12, 0, 1));
    pump(at(2015, 6, 12, 11, 55, 0));
    pump(at(2015, 6, 12, 12, 0, 1));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo z", "beep 1000/100", "memo [错过 12:00] z"}));
}

TEST_F(TickGap, LongGapWritesEachMissedTextOnceAndPlaysNothing) {
    seams.files = {"s.mp3"};
    tick.setDefaultSound("notify.mp3", true);
    add(alarm(10, 30, "meeting", "s.mp3"));
    AlarmRecord hourly = alarm(0, 15, "hourly");
    hourly.hourMask = 0;
    add(hourly);
    add(alarm(10, 30, "notes"));
    AlarmRecord off = alarm(10, 0, "off");
    off.disabled = 1;
    add(off);
    AlarmRecord power = alarm(11, 0, "", "s.mp3");
    put(power.programPath, "backup.bat");
    power.specialAction = 1;
    add(power);
    add(alarm(12, 0, "on time"));
    add(alarm(8, 50, "seen"));
    pump(at(2015, 6, 10, 8, 50));
    seams.log.clear();
    pump(at(2015, 6, 10, 12, 0));  // three hours asleep
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo [错过 10:30] meeting", "memo [错过 10:30] notes",
                                                   "memo [错过 11:15] hourly", "play notify.mp3",
                                                   "memo on time", "beep 1000/100"}));

    // Only the last day of a longer gap counts, and each alarm's latest ring.
    table.alarmCount = 0;
    AlarmRecord daily = alarm(7, 0, "daily");
    add(daily);
    AlarmRecord monday = alarm(9, 0, "monday");
    monday.weekdayMask = weekdayBit(1);
    add(monday);
    AlarmRecord ninth = alarm(9, 5, "ninth");
    ninth.dayMask = dayBit(9);
    add(ninth);
    pump(at(2015, 6, 7, 8, 0));
    seams.log.clear();
    pump(at(2015, 6, 10, 8, 0, 30));  // Wednesday; the window opens Tuesday 08:00:30
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo [错过 09:05] ninth", "memo [错过 07:00] daily"}));

    seams.log.clear();
    settings.alarmService = 0;
    pump(at(2015, 6, 14, 8, 0));
    EXPECT_TRUE(seams.log.empty());
}

TEST_F(TickGap, BackwardJumpsAndTheFirstSecondReplayNothing) {
    add(alarm(11, 59, "a"));
    add(alarm(12, 0, "b"));
    AlarmRecord daily = alarm(0, 30, "earlier today");
    daily.hourMask = 0;
    add(daily);
    // The first second after start-up: neither 11:59 nor the texts of the day before.
    pump(at(2015, 6, 10, 12, 0, 5));
    EXPECT_TRUE(seams.log.empty());
    // Set back past 11:59:00, which is not replayed, then on to 12:00:00,
    // which lies before the latest second processed: the clock went back
    // over it, so it is not taken again.
    pump(at(2015, 6, 10, 11, 59, 30));
    pump(at(2015, 6, 10, 11, 59, 30));
    EXPECT_TRUE(seams.log.empty());
    pump(at(2015, 6, 10, 12, 0, 0));
    EXPECT_TRUE(seams.log.empty());
    // Past that second the tick acts as before.
    pump(at(2015, 6, 10, 12, 0, 6));
    pump(at(2015, 6, 10, 12, 30, 0));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo earlier today", "beep 1000/100"}));
}

// The case: 08:00:04 back to 07:59:50, and a whole hour back, after
// an alarm with a text, a program, two sound starts and a shutdown at 08:00.
TEST_F(TickGap, AClockSetBackRingsNothingTwice) {
    seams.files = {"s.mp3"};
    AlarmRecord eight = alarm(8, 0, "起床", "s.mp3");
    put(eight.programPath, "backup.bat");
    eight.specialAction = 1;
    eight.leadMinutes = 1;
    eight.intervalMinutes = 1;
    eight.repeatCount = 2;
    add(eight);
    add(alarm(8, 1, "next"));
    const std::vector<std::string> once = {"exists s.mp3", "play s.mp3", "exists s.mp3", "play s.mp3",
                                           "shell backup.bat", "memo 起床", "confirm 1"};
    for (int back : {14, 3600}) {
        ClockTick clock(settings, table, seams);  // a fresh run for each
        const auto go = [&](const LocalTime& t) {
            if (clock.enterSecond(t)) clock.runSecond(t, kUtc8);
        };
        const LocalTime mark = at(2015, 6, 10, 8, 0, 4);
        seams.log.clear();
        for (LocalTime t = at(2015, 6, 10, 7, 58, 58); wallSeconds(t) <= wallSeconds(mark); t = addSeconds(t, 1)) go(t);
        EXPECT_EQ(seams.log, once) << back;
        // Set back, then on to 08:00:30 (by seconds, or by minutes over the hour):
        // shown, but the sound starts and the firing do not come again.
        seams.log.clear();
        const LocalTime end = at(2015, 6, 10, 8, 0, 30);
        for (LocalTime t = addSeconds(mark, -back); wallSeconds(t) <= wallSeconds(end); t = addSeconds(t, back > 60 ? 60 : 1))
            go(t);
        go(at(2015, 6, 10, 7, 59, 0));
        go(at(2015, 6, 10, 8, 0, 0));
        go(end);
        EXPECT_TRUE(seams.log.empty()) << back << ": " << (seams.log.empty() ? "" : seams.log[0]);
        // Past the latest second processed everything rings as usual.
        go(at(2015, 6, 10, 8, 1, 0));
        EXPECT_EQ(seams.log, (std::vector<std::string>{"memo next", "beep 1000/100"})) << back;
    }
}

TEST_F(TickGap, TheAutomaticChimeAndCatchUpsStayOnceAfterASetBack) {
    seams.files = {"notify.mp3"};
    tick.setDefaultSound("notify.mp3", true);  // 11:55 in a UTC+8 zone
    add(alarm(11, 56, "a"));
    pump(at(2015, 6, 10, 11, 54, 59));
    pump(at(2015, 6, 10, 11, 55, 0));
    pump(at(2015, 6, 10, 11, 55, 4));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"play notify.mp3"}));
    seams.log.clear();
    pump(at(2015, 6, 10, 11, 54, 50));
    pump(at(2015, 6, 10, 11, 55, 0));
    EXPECT_TRUE(seams.log.empty());
    // A forward jump from a set-back clock catches up from the mark: 11:56 once, late.
    pump(at(2015, 6, 10, 11, 57, 30));
    pump(at(2015, 6, 10, 11, 57, 31));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo a", "beep 1000/100"}));
    // Back over 11:56 once more: nothing.
    seams.log.clear();
    pump(at(2015, 6, 10, 11, 56, 0));
    EXPECT_TRUE(seams.log.empty());
}

TEST_F(TickGap, SetBackBeyondTwentySixHoursStartsAfresh) {
    add(alarm(8, 0, "daily"));
    pump(at(2015, 6, 10, 7, 59, 59));
    pump(at(2015, 6, 10, 8, 0, 0));
    pump(at(2015, 6, 10, 8, 0, 4));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo daily", "beep 1000/100"}));
    // Exactly 26 hours back is still held: 2015-06-09 08:00 does not ring.
    seams.log.clear();
    pump(at(2015, 6, 9, 6, 0, 4));
    EXPECT_EQ(show(tick.actsAfter(at(2015, 6, 9, 6, 0, 4))), show(at(2015, 6, 10, 8, 0, 4)));
    pump(at(2015, 6, 9, 8, 0, 0));
    EXPECT_TRUE(seams.log.empty());
    // A second more: the clock was simply wrong, and it starts afresh from its new time.
    pump(at(2015, 6, 9, 6, 0, 3));
    EXPECT_EQ(show(tick.actsAfter(at(2015, 6, 9, 6, 0, 3))), show(at(2015, 6, 9, 6, 0, 3)));
    pump(at(2015, 6, 9, 7, 59, 59));
    pump(at(2015, 6, 9, 8, 0, 0));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo daily", "beep 1000/100"}));
    // A forward jump keeps the catch-up rules: three hours later, a missed text.
    seams.log.clear();
    pump(at(2015, 6, 10, 9, 0, 0));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo [错过 08:00] daily"}));
}

TEST_F(TickGap, ActsAfterFollowsTheMark) {
    const LocalTime now = at(2015, 6, 10, 8, 0, 4);
    EXPECT_EQ(show(tick.actsAfter(now)), show(now));  // nothing seen yet
    pump(now);
    EXPECT_EQ(show(tick.actsAfter(now)), show(now));
    EXPECT_EQ(show(tick.actsAfter(at(2015, 6, 10, 9, 0))), show(at(2015, 6, 10, 9, 0)));
    EXPECT_EQ(show(tick.actsAfter(at(2015, 6, 10, 7, 0))), show(now));
    EXPECT_EQ(show(tick.actsAfter(at(2015, 6, 9, 6, 0, 3))), show(at(2015, 6, 9, 6, 0, 3)));
}

TEST_F(TickReentry, ASetBackDuringACountdownTakesNothingTwice) {
    AlarmRecord shutdown = alarm(10, 0, "A");
    shutdown.specialAction = 1;
    add(shutdown);
    add(alarm(10, 0, "B"));
    add(alarm(10, 1, "C"));
    int countdowns = 0;
    seams.onConfirm = [this, &countdowns](int) {
        if (countdowns++ > 0) return false;
        for (int s = 1; s < 4; ++s) pump(at(2015, 6, 10, 10, 0, s));
        // The clock goes back over 10:00 while the countdown runs, then on past 10:01.
        for (int s = 50; s < 60; ++s) pump(at(2015, 6, 10, 9, 59, s));
        for (int s = 0; s < 5; ++s) pump(at(2015, 6, 10, 10, 0, s));
        pump(at(2015, 6, 10, 10, 1, 0));
        return false;
    };
    pump(at(2015, 6, 10, 9, 59, 59));
    pump(at(2015, 6, 10, 10, 0, 0));
    EXPECT_EQ(countdowns, 1);
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo A", "beep 1000/100", "confirm 1", "memo C",
                                                   "beep 1000/100", "memo B", "beep 1000/100"}));
}

TEST_F(TickReentry, CountdownDuringACatchUpTakesOnlyLaterSeconds) {
    AlarmRecord shutdown = alarm(10, 0, "A");
    shutdown.specialAction = 1;
    add(shutdown);
    add(alarm(10, 1, "B"));
    add(alarm(10, 2, "C"));
    add(alarm(10, 3, "D"));
    // A second countdown would mean A ran twice; it shows in the log instead of looping.
    int countdowns = 0;
    seams.onConfirm = [this, &countdowns](int) {
        if (countdowns++ > 0) return false;
        for (int s = 31; s < 60; ++s) pump(at(2015, 6, 10, 10, 2, s));
        pump(at(2015, 6, 10, 10, 3, 0));
        return false;
    };
    pump(at(2015, 6, 10, 9, 59, 30));
    pump(at(2015, 6, 10, 10, 2, 30));
    pump(at(2015, 6, 10, 10, 3, 1));
    EXPECT_EQ(seams.log, (std::vector<std::string>{"memo A", "beep 1000/100", "confirm 1", "memo D",
                                                   "beep 1000/100", "memo B", "beep 1000/100", "memo C",
                                                   "beep 1000/100"}));
}
