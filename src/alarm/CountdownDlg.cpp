#include "alarm/CountdownDlg.h"

#include <commctrl.h>

#include "alarm/actions.h"
#include "res/resource.h"
#include "win/wide.h"

namespace {
const UINT_PTR kStepTimer = 1;
}

CCountdownDlg::CCountdownDlg() : win::Dialog(IDD_COUNTDOWN) {}

BOOL CCountdownDlg::OnInitDialog() {
    win::setWindowText(hwnd(), countdownCaption(actionName.c_str()).c_str());
    messageText_ = countdownMessage(actionName.c_str(), kCountdownSeconds);
    WriteText(IDC_COUNTDOWN_TEXT, messageText_.c_str());
    SetTimer(hwnd(), kStepTimer, 1000, nullptr);
    progressBar_ = item(IDC_COUNTDOWN_PROGRESS);
    SendMessageW(progressBar_, PBM_SETRANGE32, 0, kCountdownSeconds);
    SendMessageW(progressBar_, PBM_SETPOS, 0, 0);
    SendMessageW(progressBar_, PBM_SETSTEP, 1, 0);
    return TRUE;  // the focus goes to the first tab stop: Cancel
}

void CCountdownDlg::OnTimer() {
    // Kept in front on every step, so the warning cannot hide behind other windows.
    SetForegroundWindow(hwnd());
    SendMessageW(progressBar_, PBM_STEPIT, 0, 0);
    const int position = static_cast<int>(SendMessageW(progressBar_, PBM_GETPOS, 0, 0));
    messageText_ = countdownMessage(actionName.c_str(), kCountdownSeconds - position);
    WriteText(IDC_COUNTDOWN_TEXT, messageText_.c_str());
    if (position >= kCountdownSeconds) {
        KillTimer(hwnd(), kStepTimer);
        EndDialog(IDOK);
    }
}

bool CCountdownDlg::OnCommand(int id, int code, HWND control) {
    if (id != IDC_COUNTDOWN_POSTPONE)
        return win::Dialog::OnCommand(id, code, control);
    KillTimer(hwnd(), kStepTimer);
    EndDialog(IDC_COUNTDOWN_POSTPONE);
    return true;
}

INT_PTR CCountdownDlg::OnMessage(UINT msg, WPARAM, LPARAM, bool&) {
    if (msg == WM_TIMER)
        OnTimer();
    return 0;
}
