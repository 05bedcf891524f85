// The one-click alarms of the context menu.
#pragma once

// Seconds from now for a quick-alarm command: the nominal delay plus a
// minute, because the alarm keeps only the minute of its target time and
// must never ring before the caption promises.
int quickAlarmOffset(int commandId);
