#include "clock/quickalarm.h"

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
