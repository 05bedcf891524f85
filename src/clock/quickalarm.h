// The one-click alarms of the context menu.
#pragma once

#include <string>

#include "model/localtime.h"
#include "model/records.h"

// Seconds from now for a quick-alarm command: the nominal delay plus a
// minute, because the alarm keeps only the minute of its target time and
// must never ring before the caption promises.
int quickAlarmOffset(int commandId);

// The sound a quick alarm plays: the options' quick sound, else the default
// chime when it was found at start-up, else none ("").
std::string quickAlarmSound(const ClockSettings& settings, const char* defaultSoundPath,
                            bool defaultSoundExists);

// Minutes a snooze command of the ringing alarm's menu puts off, 0 for any
// other command.
int snoozeMinutes(int commandId);

// A one-shot temporary alarm `minutes` from now by the quick alarms' rule
// (the extra minute, seconds dropped). A snooze keeps the ringing alarm's
// sound and text with one start and no lead; a postponed power action keeps
// its action and text and nothing else.
AlarmRecord snoozeAlarm(const AlarmRecord& ringing, const LocalTime& now, int minutes);
AlarmRecord postponedAlarm(const AlarmRecord& alarm, const LocalTime& now);

// How far a countdown's postpone button puts the power action off.
constexpr int kPostponeMinutes = 10;
