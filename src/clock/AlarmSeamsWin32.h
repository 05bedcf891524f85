// The alarm engine's requests carried out with the real system calls; the
// clock's adapter, since sounds play in its MCI window and texts go to its memo.
#pragma once

#include "alarm/tick.h"

class CClockDlg;

class Win32AlarmSeams : public AlarmSeams {
public:
    explicit Win32AlarmSeams(CClockDlg& clock) : clock_(clock) {}

    bool fileExists(const char* path) override;
    void playLooping(const char* path) override;
    bool openWithShell(const char* path) override;
    bool runCommandLine(const char* commandLine) override;
    void beep(int frequency, int milliseconds) override;
    void appendMemoLine(const char* text) override;
    CountdownAnswer confirmPowerAction(int code) override;
    void runPowerAction(int code) override;
    void postponePowerAlarm(const AlarmRecord& alarm) override;
    void stopSound() override;

private:
    CClockDlg& clock_;
};
