// The per-second work of the clock: the automatic alarm and the walk over the
// alarm table, acting only through the seams below.
#pragma once

#include <cstdint>
#include <string>

#include "alarm/schedule.h"
#include "model/localtime.h"
#include "model/records.h"

// How a power action's countdown ended.
enum class CountdownAnswer { Cancel, Run, Postpone };

// What the tick asks the platform to do. The Win32 side implements it with
// real calls; tests record.
class AlarmSeams {
public:
    virtual ~AlarmSeams() = default;
    virtual bool fileExists(const char* path) = 0;            // existence only
    virtual void playLooping(const char* path) = 0;           // stop, open, repeat on, play
    virtual bool openWithShell(const char* path) = 0;         // false when the shell failed
    virtual bool runCommandLine(const char* commandLine) = 0; // false when nothing started
    virtual void beep(int frequency, int milliseconds) = 0;
    virtual void appendMemoLine(const char* text) = 0;        // append, then show the memo
    virtual CountdownAnswer confirmPowerAction(int code) = 0; // the modal countdown
    virtual void runPowerAction(int code) = 0;
    // The countdown was put off: the alarm comes again as a temporary one.
    virtual void postponePowerAlarm(const AlarmRecord& alarm) = 0;
    virtual void stopSound() = 0;                             // an alarm's sound ran its time
};

// How long an alarm's sound goes on after its latest start, in minutes, as
// the settings say (ringMinutes 0 is the default, kRingMinutesNever never
// stops); 0 when it goes on until someone stops it.
constexpr uint8_t kRingMinutesDefault = 10;
constexpr uint8_t kRingMinutesNever = 255;
int ringLimitMinutes(const ClockSettings& settings);

// What rang, in a word: the alarm's text, or its sound file's name when it has none.
std::string ringLabel(const AlarmRecord& alarm);

// Plays the alarm's sound in a loop; an empty path does nothing at all. A
// file that does not exist is replaced by the default sound, through
// startDefaultSound, when defaultSoundPath names a file that exists; else
// the alarm beeps three times (1000 Hz, 200 ms), so it is never silent.
// True when a sound was started.
bool startSound(const AlarmRecord& alarm, AlarmSeams& seams, const char* defaultSoundPath = nullptr);

// The default sound: the automatic alarm's, whose file was found at
// start-up, and the stand-in for an alarm's missing sound.
void startDefaultSound(const char* defaultSoundPath, AlarmSeams& seams);

// The alarm's actions in order: program (shell, then command line, then a
// 100 Hz beep), text (memo line; a 1000 Hz beep when the alarm has no
// sound), then a power action 1..5 after its countdown. May block in the
// countdown, during which the tick runs again.
void fireAlarm(const AlarmRecord& alarm, AlarmSeams& seams);

// The clock's per-second work, including seconds it did not see: the timer
// calls enterSecond on every tick and, when it says so, shows the time and
// calls runSecond for the same moment.
class ClockTick {
public:
    ClockTick(const ClockSettings& settings, AlarmTable& table, AlarmSeams& seams);

    void setDefaultSound(const char* path, bool exists);

    // True when `now` is a new second. It then claims every second since the
    // latest one claimed (only `now` itself on the first call), so that a
    // nested tick never takes a second this one owns. A clock set back by at
    // most kSetBackHold claims nothing until it passes that latest second
    // again: the time shows, but no alarm, sound start or chime comes twice.
    // Set back further, it starts afresh from `now`, as a start-up does.
    bool enterSecond(const LocalTime& now);

    // Processes the seconds enterSecond claimed for `now`, or `now` alone when
    // it claimed none for it; nothing but the zone offset for a second it held
    // back after the clock was set back. A gap of up to kCatchUpSeconds replays each
    // missed second in order, exactly as if it had been seen; after a longer
    // one, the texts of the alarms that fell due in its last day go to the
    // memo marked as missed, and nothing else is replayed. `now` itself is
    // processed last, as any second: the zone offset, the automatic alarm at
    // second 0, then the sound starts and due alarms of the table.
    void runSecond(const LocalTime& now, const TimeZoneRecord& zone);

    // The alarm whose sound was started last, while no other sound has
    // replaced it, nobody stopped it and it has not run its time
    // (ringLimitMinutes, after which the memo gets "[未应答 HH:MM] " and what
    // rang); null otherwise.
    const AlarmRecord* ringingAlarm() const { return ringing_ ? &ringingAlarm_ : nullptr; }
    // The alarm minute that latest start belongs to: a start `lead` minutes
    // early belongs to the minute it announces.
    const LocalTime& ringingMinute() const { return ringMinute_; }
    void soundStopped() { ringing_ = false; }

    // The offset to UTC+8 wall-clock time of the last second processed.
    int32_t zoneOffset() const { return zoneOffset_; }

    // The moment after which the tick acts again on a clock showing `now`:
    // `now` itself, or the latest second claimed while a set-back clock
    // stands behind it (by at most kSetBackHold).
    LocalTime actsAfter(const LocalTime& now) const;

    static constexpr int64_t kCatchUpSeconds = 300;
    static constexpr int64_t kMissedTextWindow = 24 * 3600;
    static constexpr int64_t kSetBackHold = 26 * 3600;

private:
    void processSecond(const LocalTime& now, const TimeZoneRecord& zone);
    // Second 0 with the alarm service on: the automatic alarm, then the table.
    void processMinute(const LocalTime& now);
    // Once the ringing alarm's sound has run its time: stopped, and said in the memo.
    void stopUnansweredSound(const LocalTime& now);
    // Appends "[错过 HH:MM] text" for every enabled alarm with a text whose
    // latest due moment t has lastSeen < t < now and lies within a day of now.
    void reportMissed(int64_t lastSeen, const LocalTime& now);

    const ClockSettings& settings_;
    AlarmTable& table_;
    AlarmSeams& seams_;
    std::string defaultSound_;
    bool defaultSoundExists_ = false;
    bool haveLastSecond_ = false;
    int64_t lastSecond_ = 0;   // wall-clock second last entered (shown)
    bool haveMark_ = false;
    int64_t mark_ = 0;         // the latest wall-clock second claimed in this run
    bool haveClaim_ = false;   // seconds (claimFrom_, claimTo_] wait for runSecond
    int64_t claimFrom_ = 0;
    int64_t claimTo_ = 0;
    int32_t zoneOffset_ = 0;
    bool ringing_ = false;
    AlarmRecord ringingAlarm_{};
    LocalTime ringMinute_{};
    int64_t ringStart_ = 0;    // wall-clock second of its latest start
};
