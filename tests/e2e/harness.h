// The end-to-end harness: starts Zentar.exe in a folder of its own, finds its
// windows and reads what a user would see or what lands on disk.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>
#include <vfw.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

namespace e2e {

// Where the program under test and the scenarios' folders live.
struct Setup {
    std::string programPath;  // the built Zentar.exe
    std::string workRoot;     // scenario folders are made below it
};
const Setup& setup();

// The screen's size as read when the driver started. (Under Wine a console
// driver's GetSystemMetrics can later report 0 for it.)
int screenWidth();
int screenHeight();

// A fresh, empty folder for one scenario (the name keeps runs readable).
std::string scenarioFolder(const std::string& name);
// Copies the program under test into folder as Zentar.exe.
bool installProgram(const std::string& folder);

bool writeBytes(const std::string& path, const std::string& bytes);
bool readBytes(const std::string& path, std::string& bytes);
bool fileExists(const std::string& path);

class Program {
public:
    // commandLine defaults to the full path of folder\Zentar.exe; currentDir
    // defaults to folder.
    bool start(const std::string& folder, const std::string& commandLine = "",
               const std::string& currentDir = "");
    // Starts the program seeing the given local wall-clock time
    // ("YYYY-MM-DD hh:mm:ss") at start, advancing in real time from there.
    bool startAt(const std::string& folder, const std::string& localTime);
    ~Program();

    DWORD pid() const { return info_.dwProcessId; }
    bool running() const;
    // Waits for the process to end; false on time-out.
    bool waitExit(DWORD milliseconds, DWORD* exitCode = nullptr);
    // Ends the process if it still runs.
    void kill();

    // The clock window (dialog with static 1000), waiting for it to appear.
    HWND clock(DWORD milliseconds = 15000);

private:
    bool launch(const std::string& commandLine, const std::string& currentDir, char* environment);
    PROCESS_INFORMATION info_ = {};
    bool adoptFromWindow_ = false;
};

// The top-level windows of a process (0: of every other process), visible or not.
std::vector<HWND> windowsOf(DWORD pid);
std::string windowText(HWND hwnd);
std::string itemText(HWND dialog, int id);

void sleepMs(DWORD milliseconds);

// The driver's own path: it doubles as a program for alarms to start.
std::string driverPath();

// Windows of a process with a given class, visible or not.
std::vector<HWND> windowsOfClass(DWORD pid, const char* className);
// The dialog of a process holding a control with this id.
HWND dialogWithItem(DWORD pid, int id, bool visibleOnly = true);

// The text of a tooltip's tool, read through memory in the owning process.
std::string tooltipText(HWND tooltip, HWND tool, UINT_PTR toolId);

// An 880 Hz tone of the given length as a 16-bit mono WAV file. Wine does
// not loop MCI sounds, so a tone must outlast the checks made while it plays.
std::string toneWav(int seconds);

// db.dat bytes built field by field, independently of the program's writer.
std::string dataFileBytes(const ClockSettings& settings, const AlarmRecord* records, int count);

// Real input, as the user would give it, in screen coordinates.
void mouseMoveTo(int x, int y);
void mouseClick(int x, int y, bool right = false);
void mouseDoubleClick(int x, int y);
void mouseDrag(int fromX, int fromY, int toX, int toY);
void typeText(const char* ascii);

// With E2E_SHOTS set to a folder, saves a picture of the screen around the
// window there as NAME.png; otherwise does nothing.
void screenshot(const char* name, HWND window);

// Lines of zentar-seams.log in a program folder (what the test build recorded
// instead of beeping or powering off).
std::vector<std::string> seamLog(const std::string& folder);

// Polls cond every 50 ms until it holds or the time is up.
template <typename Cond>
bool waitFor(Cond cond, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond())
            return true;
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(50);
    }
}

// Checks: a failed check reports and ends the scenario.
struct Failure {};
void fail(const char* file, int line, const std::string& what);

#define E2E_CHECK(cond)                                                  \
    do {                                                                 \
        if (!(cond))                                                     \
            ::e2e::fail(__FILE__, __LINE__, "check failed: " #cond);    \
    } while (0)
#define E2E_CHECK_MSG(cond, message)                                     \
    do {                                                                 \
        if (!(cond))                                                     \
            ::e2e::fail(__FILE__, __LINE__, message);                    \
    } while (0)

// Scenario registry.
using ScenarioFn = void (*)();
struct ScenarioRegistrar {
    ScenarioRegistrar(const char* name, ScenarioFn fn);
};
#define E2E_SCENARIO(name)                                               \
    static void scenario_##name();                                       \
    static ::e2e::ScenarioRegistrar registrar_##name(#name, scenario_##name); \
    static void scenario_##name()

int runScenarios(int argc, char** argv);

}  // namespace e2e
