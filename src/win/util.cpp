#include "win/util.h"

#include <commctrl.h>

#include "model/pixels.h"

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

int screenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
        if (screen)
            ReleaseDC(nullptr, screen);
        return value > 0 ? value : kBaseDpi;
    }();
    return dpi;
}

int scaled(int pixels) { return scalePixels(pixels, screenDpi()); }

int listColumnWidth(HWND list, const char* heading, int width) {
    if (width <= 0)
        return 0;
    // The header insets its text by three edges on each side, inside its
    // raised border of one edge on each side.
    const int padding = 8 * GetSystemMetrics(SM_CXEDGE);
    const int needed = static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0,
                                                     reinterpret_cast<LPARAM>(heading))) + padding;
    const int wanted = scaled(width);
    return needed > wanted ? needed : wanted;
}

}  // namespace win

namespace win {

LocalTime localNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
}

bool isFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace win
