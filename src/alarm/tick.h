// The per-second work of the clock: the automatic alarm and the walk over the
// alarm table, acting only through the seams below.
#pragma once

#include <cstdint>
#include <string>

#include "alarm/schedule.h"
#include "model/localtime.h"
#include "model/records.h"

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
    virtual bool confirmPowerAction(int code) = 0;            // the modal countdown; true = run it
    virtual void runPowerAction(int code) = 0;
};

// Plays the alarm's sound in a loop; an empty path or a missing file does
// nothing at all, not even a beep.
void startSound(const AlarmRecord& alarm, AlarmSeams& seams);

// The automatic alarm's sound, whose file was found at start-up.
void startDefaultSound(const char* defaultSoundPath, AlarmSeams& seams);

// The alarm's actions in order: program (shell, then command line, then a
// 100 Hz beep), text (memo line; a 1000 Hz beep when the alarm has no
// sound), then a power action 1..5 after its countdown. May block in the
// countdown, during which the tick runs again.
void fireAlarm(const AlarmRecord& alarm, AlarmSeams& seams);

class ClockTick {
public:
    ClockTick(const ClockSettings& settings, AlarmTable& table, AlarmSeams& seams);

    void setDefaultSound(const char* path, bool exists);

    // True when `now` is a new second (and remembers it); the caller then
    // refreshes the face and tooltip and calls runSecond.
    bool enterSecond(const LocalTime& now);

    // The zone offset, the automatic alarm at second 0, then the sound starts
    // and due alarms of the table for this second.
    void runSecond(const LocalTime& now, const TimeZoneRecord& zone);

    // The offset to UTC+8 wall-clock time of the last runSecond.
    int32_t zoneOffset() const { return zoneOffset_; }

private:
    const ClockSettings& settings_;
    AlarmTable& table_;
    AlarmSeams& seams_;
    std::string defaultSound_;
    bool defaultSoundExists_ = false;
    bool haveLastTick_ = false;
    LocalTime lastTick_{};
    int32_t zoneOffset_ = 0;
};
