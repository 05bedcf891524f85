#include "clock/AlarmSeamsWin32.h"

#include <windows.h>
#include <shellapi.h>
#include <vfw.h>

#include "alarm/CountdownDlg.h"
#include "alarm/actions.h"
#include "alarm/power_win32.h"
#include "clock/ClockDlg.h"
#include "memo/MemoDlg.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {
// The MCI drivers take the name on in the system's code page for
// non-Unicode programs (Wine's do), which may lack its characters: a name
// beyond ASCII goes by its short 8.3 form when that is all ASCII.
std::wstring mciFileName(const char* gbk) {
    const std::wstring path = win::wideFromGbk(gbk);
    const auto ascii = [](const std::wstring& s) {
        for (wchar_t c : s)
            if (c > 0x7F)
                return false;
        return true;
    };
    if (ascii(path))
        return path;
    const std::wstring shortPath = win::shortPathOf(path);
    return !shortPath.empty() && ascii(shortPath) ? shortPath : path;
}
}  // namespace

bool Win32AlarmSeams::fileExists(const char* path) { return win::isFile(path); }

void Win32AlarmSeams::playLooping(const char* path) {
    HWND mci = clock_.mciWindow;
    if (!mci)
        return;
    // One sound at a time: every start replaces what was playing.
    MCIWndStop(mci);
    // Closing first: without it some MCI drivers leave every later start stopped.
    MCIWndClose(mci);
    const std::wstring file = mciFileName(path);
    SendMessageW(mci, MCIWNDM_OPENW, 0, reinterpret_cast<LPARAM>(file.c_str()));
    MCIWndSetRepeat(mci, TRUE);
    MCIWndPlay(mci);
}

bool Win32AlarmSeams::openWithShell(const char* path) {
    const INT_PTR result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", win::wideFromGbk(path).c_str(), L"", L"", SW_SHOW));
    return result > 32;
}

bool Win32AlarmSeams::runCommandLine(const char* commandLine) {
    // CreateProcess may write into the command line.
    std::wstring line = win::wideFromGbk(commandLine);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    // The program is not tracked; keeping its handles would only leak them.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

void Win32AlarmSeams::beep(int frequency, int milliseconds) { alarmBeep(frequency, milliseconds); }

void Win32AlarmSeams::appendMemoLine(const char* text) {
    CMemoDlg* memo = clock_.memo();
    if (!memo)
        return;
    memo->AppendText(text);
    // In front, but the keys stay with the window the user is typing in.
    SetWindowPos(memo->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

CountdownAnswer Win32AlarmSeams::confirmPowerAction(int code) {
    const char* name = actionName(code);
    if (!name || !*name)
        return CountdownAnswer::Cancel;
    // The sound that came with the alarm goes on beside the countdown, and so does its window.
    clock_.followRing();
    CCountdownDlg countdown;
    countdown.actionName = name;
    const INT_PTR result = countdown.DoModal(nullptr);
    if (result == IDOK)
        return CountdownAnswer::Run;
    return result == IDC_COUNTDOWN_POSTPONE ? CountdownAnswer::Postpone : CountdownAnswer::Cancel;
}

void Win32AlarmSeams::runPowerAction(int code) { ::runPowerAction(code); }

void Win32AlarmSeams::postponePowerAlarm(const AlarmRecord& alarm) { clock_.postponePowerAlarm(alarm); }

void Win32AlarmSeams::stopSound() {
    // The ring window follows once the second is done.
    if (clock_.mciWindow)
        MCIWndStop(clock_.mciWindow);
}
