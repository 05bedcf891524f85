// The ring window: while an alarm's sound plays, its minute and what rang,
// with two snoozes and 关闭. Modeless, top-most, owned by the clock, and never
// taking the focus from the window the user is typing in.
#pragma once

#include <windows.h>

#include <string>

#include "model/localtime.h"
#include "model/records.h"
#include "win/Dialog.h"

class CRingDlg : public win::Dialog {
public:
    explicit CRingDlg(HWND clock);

    bool Create() { return win::Dialog::Create(clock_); }
    // Shows the ringing alarm beside the clock, or hides the window when
    // nothing rings. Other contents than those shown disable the buttons
    // again for a second, so that a click meant for another window cannot
    // dismiss the alarm.
    void Follow(const AlarmRecord* ringing, const LocalTime& minute, const ClockSettings& settings);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}  // Enter while the buttons wait: nothing
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void EnableButtons(bool enable);
    void PlaceBesideClock();

    HWND clock_;
    HFONT timeFont_ = nullptr;
    std::string minute_;
    std::string label_;
};
