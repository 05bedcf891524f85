// The system side of power actions, the screen saver and the alarm beeps.
// The Windows test build records them in zentar-seams.log beside the program
// instead, so that no test ever shuts a machine down.
#pragma once

void enableShutdownPrivilege();
// Codes 1..5: shut down, restart, standby, hibernate, log off; others nothing.
void runPowerAction(int code);
void startScreenSaver();
void alarmBeep(int frequency, int milliseconds);
