// The 30-second countdown that announces a power action and lets the user
// cancel it. OK, or the end of the countdown, confirms; the postpone button
// ends it with its own id.
#pragma once

#include <string>

#include "win/Dialog.h"

class CCountdownDlg : public win::Dialog {
public:
    CCountdownDlg();

    std::string actionName;

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
    // The postpone button ends the dialog with its own id.
    bool OnCommand(int id, int code, HWND control) override;

private:
    void OnTimer();

    HWND progressBar_ = nullptr;
    std::string messageText_;
};
