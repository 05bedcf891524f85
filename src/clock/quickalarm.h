// The one-click alarms of the context menu.
#pragma once

#include <string>

#include "model/records.h"

// Seconds from now for a quick-alarm command: the nominal delay plus a
// minute, because the alarm keeps only the minute of its target time and
// must never ring before the caption promises.
int quickAlarmOffset(int commandId);

// The sound a quick alarm plays: the options' quick sound, else the default
// chime when it was found at start-up, else none ("").
std::string quickAlarmSound(const ClockSettings& settings, const char* defaultSoundPath,
                            bool defaultSoundExists);
