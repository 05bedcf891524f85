#include "alarm/power_win32.h"

#include <windows.h>

#include <cstdio>

namespace {

#ifdef ZENTAR_TEST_SEAMS
// Relative to the current folder, which is the program's folder.
void record(const char* line) {
    if (FILE* f = std::fopen("zentar-seams.log", "ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}
#endif

}  // namespace

void enableShutdownPrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
        return;
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
}

void runPowerAction(int code) {
    enableShutdownPrivilege();
#ifdef ZENTAR_TEST_SEAMS
    char line[32];
    std::snprintf(line, sizeof line, "power %d", code);
    record(line);
#else
    switch (code) {
    case 1:
        ExitWindowsEx(EWX_POWEROFF, 0);
        break;
    case 2:
        ExitWindowsEx(EWX_REBOOT, 0);
        break;
    case 3:
        SetSystemPowerState(TRUE, TRUE);
        break;
    case 4:
        SetSystemPowerState(FALSE, TRUE);
        break;
    case 5:
        ExitWindowsEx(EWX_LOGOFF, 0);
        break;
    }
#endif
}

void startScreenSaver() {
#ifdef ZENTAR_TEST_SEAMS
    record("screensaver");
#else
    PostMessageW(GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 0);
#endif
}

void alarmBeep(int frequency, int milliseconds) {
#ifdef ZENTAR_TEST_SEAMS
    char line[48];
    std::snprintf(line, sizeof line, "beep %d %d", frequency, milliseconds);
    record(line);
#endif
    Beep(frequency, milliseconds);
}

void armWakeTimer(void* timer, const LocalTime& at) {
#ifdef ZENTAR_TEST_SEAMS
    char line[48];
    std::snprintf(line, sizeof line, "wake %04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day, at.hour,
                  at.minute, at.second);
    record(line);
#endif
    if (!timer)
        return;
    // The local moment in UTC by the zone's rule for that day, so that a
    // change of daylight time in between does not move it.
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(at.year);
    local.wMonth = static_cast<WORD>(at.month);
    local.wDayOfWeek = static_cast<WORD>(at.weekday);
    local.wDay = static_cast<WORD>(at.day);
    local.wHour = static_cast<WORD>(at.hour);
    local.wMinute = static_cast<WORD>(at.minute);
    local.wSecond = static_cast<WORD>(at.second);
    SYSTEMTIME utc;
    FILETIME due;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &due)) {
        CancelWaitableTimer(timer);
        return;
    }
    LARGE_INTEGER when;
    when.LowPart = due.dwLowDateTime;
    when.HighPart = static_cast<LONG>(due.dwHighDateTime);
    SetWaitableTimer(timer, &when, 0, nullptr, nullptr, TRUE);
}

void cancelWakeTimer(void* timer) {
#ifdef ZENTAR_TEST_SEAMS
    record("wake none");
#endif
    if (timer)
        CancelWaitableTimer(timer);
}

void keepAwake(bool on) {
#ifdef ZENTAR_TEST_SEAMS
    record(on ? "awake on" : "awake off");
#endif
    SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS);
}
