#include "app/ClockApp.h"

#include <commctrl.h>

#include <memory>

#include "clock/ClockDlg.h"

namespace {
const wchar_t kInstanceMutex[] = L"{ZENTAR_2009-04-20-10-50-06}";
}

bool CClockApp::InitInstance() {
    instanceMutex_ = CreateMutexW(nullptr, FALSE, kInstanceMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return false;  // another copy runs: end silently

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"riched20.dll");  // the memo's rich edit

    // The clock owns the alarm table; too big for the stack of a small thread.
    auto clock = std::make_unique<CClockDlg>();
    clock->DoModal(nullptr);
    return false;
}

int CClockApp::ExitInstance() {
    if (instanceMutex_)
        CloseHandle(instanceMutex_);
    instanceMutex_ = nullptr;
    return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CClockApp app;
    app.InitInstance();
    return app.ExitInstance();
}
