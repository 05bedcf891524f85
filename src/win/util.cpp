#include "win/util.h"

#include <commctrl.h>
#include <commdlg.h>

#include "model/pixels.h"
#include "win/wide.h"

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
    return MessageBoxW(owner ? owner : defaultOwner(), wideFromGbk(text).c_str(), L"Zentar", type);
}

bool chooseFile(HWND owner, bool save, const std::string& filter, DWORD flags, std::wstring& path) {
    wchar_t chosen[MAX_PATH] = L"";
    const std::wstring wideFilter = wideFromGbk(filter);
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = wideFilter.empty() ? nullptr : wideFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = chosen;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = flags;
    if (!(save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)))
        return false;
    path = chosen;
    return true;
}

std::wstring shortPathOf(const std::wstring& path) {
    wchar_t shortPath[MAX_PATH] = L"";
    const DWORD n = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(shortPath) : std::wstring();
}

bool storablePath(HWND owner, const std::wstring& path, std::string& gbk) {
    if (gbkFromWide(path, gbk))
        return true;
    std::wstring shortPath = shortPathOf(path);
    if (shortPath.empty()) {
        // A file still to be made has no short name; its folder may.
        const size_t slash = path.find_last_of(L'\\');
        if (slash != std::wstring::npos) {
            shortPath = shortPathOf(path.substr(0, slash + 1));
            if (!shortPath.empty())
                shortPath += path.substr(slash + 1);
        }
    }
    if (!shortPath.empty() && gbkFromWide(shortPath, gbk))
        return true;
    messageBox(owner, "文件路径中含有无法保存的字符。");
    return false;
}

bool chooseStoredFile(HWND owner, const std::string& filter, DWORD flags, std::string& gbk) {
    std::wstring path;
    return chooseFile(owner, false, filter, flags, path) && storablePath(owner, path, gbk);
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

RECT childRect(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
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
    const std::wstring text = wideFromGbk(heading);
    const int needed = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0,
                                                     reinterpret_cast<LPARAM>(text.c_str()))) + padding;
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
    const DWORD attributes = GetFileAttributesW(wideFromGbk(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace win
