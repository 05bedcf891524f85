// The yardstick for the clock's idle work and start-up: the least a Win32
// clock does. A window whose 200 ms timer, once a second, sets a static's
// text and a tooltip's. scripts/cpu-use.sh runs it beside Zentar.exe.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace {

HWND face = nullptr;
HWND tip = nullptr;
WORD shownSecond = 0xFFFF;

void onTimer(HWND window) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wSecond == shownSecond)
        return;
    shownSecond = now.wSecond;
    char text[64];
    std::snprintf(text, sizeof text, "%2d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
    SetWindowTextA(face, text);
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    tool.lpszText = text;
    SendMessageA(tip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK windowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        onTimer(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "MinClock";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, wc.lpszClassName, "MinClock",
                                  WS_POPUP | WS_VISIBLE, 500, 40, 120, 30, nullptr, nullptr, instance, nullptr);
    face = CreateWindowA("STATIC", "12:00:00", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 120, 30, window,
                         nullptr, instance, nullptr);
    tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, instance, nullptr);
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    GetClientRect(window, &tool.rect);
    tool.lpszText = const_cast<char*>("time");
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SetTimer(window, 1, 200, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
