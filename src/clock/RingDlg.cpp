#include "clock/RingDlg.h"

#include "alarm/tick.h"
#include "clock/clocktext.h"
#include "clock/ringplace.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {
const UINT_PTR kGuardTimer = 1;
const UINT kGuardMilliseconds = 1000;
const int kButtons[] = {IDC_RING_SNOOZE_5, IDC_RING_SNOOZE_10, IDC_RING_CLOSE};

ScreenBox box(const RECT& r) { return ScreenBox{r.left, r.top, r.right, r.bottom}; }
}  // namespace

CRingDlg::CRingDlg(HWND clock) : win::Dialog(IDD_RING), clock_(clock) {}

BOOL CRingDlg::OnInitDialog() {
    // The minute in the dialog's face, as large as its static allows at this DPI.
    LOGFONTW face = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof face, &face);
    RECT r = {};
    GetClientRect(item(IDC_RING_TIME), &r);
    face.lfHeight = -(r.bottom * 4 / 5);
    face.lfWidth = 0;
    face.lfWeight = FW_BOLD;
    timeFont_ = CreateFontIndirectW(&face);
    if (timeFont_)
        SendMessageW(item(IDC_RING_TIME), WM_SETFONT, reinterpret_cast<WPARAM>(timeFont_), FALSE);
    return FALSE;  // no focus: it would activate the window
}

void CRingDlg::Follow(const AlarmRecord* ringing, const LocalTime& minute, const ClockSettings& settings) {
    const bool shown = IsWindowVisible(hwnd()) != FALSE;
    if (!ringing) {
        if (shown) {
            KillTimer(hwnd(), kGuardTimer);
            ShowWindow(hwnd(), SW_HIDE);
        }
        return;
    }
    const std::string time = formatClockMinute(settings, minute);
    const std::string label = ringLabel(*ringing);
    if (shown && time == minute_ && label == label_)
        return;
    minute_ = time;
    label_ = label;
    EnableButtons(false);
    win::setWindowText(item(IDC_RING_TIME), minute_.c_str());
    win::setWindowText(item(IDC_RING_TEXT), label_.c_str());
    SetTimer(hwnd(), kGuardTimer, kGuardMilliseconds, nullptr);
    // Placed afresh each time it comes: the clock may have moved meanwhile.
    if (!shown)
        PlaceBesideClock();
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CRingDlg::PlaceBesideClock() {
    RECT clock = {}, self = {};
    GetWindowRect(clock_, &clock);
    GetWindowRect(hwnd(), &self);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(clock_, MONITOR_DEFAULTTONEAREST), &monitor))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    const ScreenSpot at = placeBeside(box(clock), box(monitor.rcWork), self.right - self.left,
                                      self.bottom - self.top, win::scaled(4));
    SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CRingDlg::EnableButtons(bool enable) {
    for (int id : kButtons)
        EnableWindow(item(id), enable ? TRUE : FALSE);
}

void CRingDlg::OnCancel() {
    // Esc and the close box wait for the buttons, as 关闭 does.
    if (IsWindowEnabled(item(IDC_RING_CLOSE)))
        PostMessageW(clock_, WM_COMMAND, IDC_RING_CLOSE, 0);
}

bool CRingDlg::OnCommand(int id, int code, HWND control) {
    // Posted, not sent: the clock hides this window as it acts.
    switch (id) {
    case IDC_RING_SNOOZE_5:
        PostMessageW(clock_, WM_COMMAND, ID_SNOOZE_5, 0);
        return true;
    case IDC_RING_SNOOZE_10:
        PostMessageW(clock_, WM_COMMAND, ID_SNOOZE_10, 0);
        return true;
    case IDC_RING_CLOSE:
        OnCancel();
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

INT_PTR CRingDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, bool&) {
    if (msg == WM_TIMER && wp == kGuardTimer) {
        KillTimer(hwnd(), kGuardTimer);
        EnableButtons(true);
    } else if (msg == WM_DESTROY && timeFont_) {
        DeleteObject(timeFont_);
        timeFont_ = nullptr;
    }
    return 0;
}
