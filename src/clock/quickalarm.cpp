#include "clock/quickalarm.h"

#include <cstring>

#include "alarm/schedule.h"
#include "res/resource.h"

int quickAlarmOffset(int commandId) {
    // 1 h 30 min, 2 h, 3 h and 4 h, each with the extra minute.
    static const int kLong[] = {5460, 7260, 10860, 14460};
    if (commandId >= ID_QUICK_FIRST && commandId <= ID_QUICK_FIRST + 6)
        return 600 * (commandId - ID_QUICK_FIRST) + 60;
    if (commandId > ID_QUICK_FIRST + 6 && commandId <= ID_QUICK_LAST)
        return kLong[commandId - ID_QUICK_FIRST - 7];
    return 60;
}

std::string quickAlarmSound(const ClockSettings& settings, const char* defaultSoundPath,
                            bool defaultSoundExists) {
    const size_t length = fieldLength(settings.quickSound, sizeof settings.quickSound);
    if (length != 0) return std::string(settings.quickSound, length);
    // A quick alarm has no text or program: without a sound it would do nothing.
    if (defaultSoundExists && defaultSoundPath) return defaultSoundPath;
    return std::string();
}

int snoozeMinutes(int commandId) {
    switch (commandId) {
    case ID_SNOOZE_5:
        return 5;
    case ID_SNOOZE_10:
        return 10;
    case ID_SNOOZE_30:
        return 30;
    }
    return 0;
}

namespace {

// The single minute of now + minutes + 60 s, on no particular weekday.
AlarmRecord oneShotIn(const LocalTime& now, int minutes) {
    const LocalTime t = addSeconds(now, (int64_t{minutes} + 1) * 60);
    AlarmRecord r = emptyAlarm();
    r.yearMask = yearBit(t.year);
    r.monthMask = monthBit(t.month);
    r.dayMask = dayBit(t.day);
    r.hourMask = hourBit(t.hour);
    r.minute = static_cast<int8_t>(t.minute);
    r.repeatCount = 1;
    r.intervalMinutes = 1;
    r.temporary = 1;
    return r;
}

}  // namespace

AlarmRecord snoozeAlarm(const AlarmRecord& ringing, const LocalTime& now, int minutes) {
    AlarmRecord r = oneShotIn(now, minutes);
    std::memcpy(r.soundPath, ringing.soundPath, sizeof r.soundPath);
    std::memcpy(r.text, ringing.text, sizeof r.text);
    return r;
}

AlarmRecord postponedAlarm(const AlarmRecord& alarm, const LocalTime& now) {
    AlarmRecord r = oneShotIn(now, kPostponeMinutes);
    std::memcpy(r.text, alarm.text, sizeof r.text);
    r.specialAction = alarm.specialAction;
    return r;
}
