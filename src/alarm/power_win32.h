// The system side of power actions, the screen saver and the alarm beeps.
// The Windows test build records them in zentar-seams.log beside the program
// instead, so that no test ever shuts a machine down.
#pragma once

#include "model/localtime.h"

void enableShutdownPrivilege();
// Codes 1..5: shut down, restart, standby, hibernate, log off; others nothing.
void runPowerAction(int code);
void startScreenSaver();
void alarmBeep(int frequency, int milliseconds);

// The wake timer (a handle from CreateWaitableTimerA): armed for the local
// moment `at`, resuming the computer from standby or hibernation, or
// cancelled. The test build records each in zentar-seams.log as
// "wake YYYY-MM-DD HH:MM:SS" and "wake none", and arms the timer as well.
void armWakeTimer(void* timer, const LocalTime& at);
void cancelWakeTimer(void* timer);
// Keeps the computer and its display on until called with false (the test
// build records "awake on" and "awake off").
void keepAwake(bool on);
