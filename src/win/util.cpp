#include "win/util.h"

namespace win {

namespace {
HWND theMainWindow = nullptr;
}

void setMainWindow(HWND hwnd) { theMainWindow = hwnd; }

HWND mainWindow() { return theMainWindow && IsWindow(theMainWindow) ? theMainWindow : nullptr; }

HWND defaultOwner() {
    HWND main = mainWindow();
    if (!main)
        return nullptr;
    // A popup put away since (the memo, the calendar) must not own what opens now.
    HWND popup = GetLastActivePopup(main);
    return popup && IsWindowVisible(popup) ? popup : main;
}

int messageBox(HWND owner, const char* text, UINT type) {
    return MessageBoxA(owner ? owner : defaultOwner(), text, "Zentar", type);
}

void centreOnScreen(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    SetWindowPos(hwnd, nullptr, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win

namespace win {

LocalTime localNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
}

}  // namespace win
