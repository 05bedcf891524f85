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

#include "model/localtime.h"
#include "model/records.h"

namespace e2e {

// Where a wait was asked for: the caller's file and line, filled in by the
// compiler at the call, so that a failure can name the wait that ran out.
struct Where {
    Where(const char* f = __builtin_FILE(), int l = __builtin_LINE()) : file(f), line(l) {}
    const char* file;
    int line;
};

// How many times slower than the 64-bit passes this pass runs the program:
// E2E_SLOW, which the runner sets (the i686 pass runs every Windows call
// through qemu), 1 when unset. Every wait for the program is that many times
// longer; a wait still ends as soon as what it waits for holds, so a green
// pass is no slower for it.
DWORD slowFactor();

// Records a wait that ended: a failing scenario prints its last wait and its
// last wait that ran out, with how long each took of how long it had.
void noteWait(const Where& where, const char* what, DWORD waited, DWORD limit, bool held);

// Polls cond every 50 ms until it holds or milliseconds (times slowFactor)
// are up; what says what it waits for, where the caller does not.
template <typename Cond>
bool waitFor(Cond cond, DWORD milliseconds, const char* what = nullptr, Where where = {}) {
    const DWORD limit = milliseconds * slowFactor();
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) {
            noteWait(where, what, GetTickCount() - start, limit, true);
            return true;
        }
        if (GetTickCount() - start > limit) {
            noteWait(where, what, GetTickCount() - start, limit, false);
            return false;
        }
        Sleep(50);
    }
}

// Where the program under test and the scenarios' folders live.
struct Setup {
    std::string programPath;  // the built Zentar.exe this scenario runs
    std::string workRoot;     // scenario folders are made below it
};
const Setup& setup();

// GBK to and from UTF-16 by code page 936, whatever the system's code page
// for non-Unicode programs is: every text the driver reads or writes at the
// edge to Windows goes through these.
std::wstring wideFromGbk(const std::string& gbk);
std::string gbkFromWide(const wchar_t* wide, int length = -1);
inline std::string gbkFromWide(const std::wstring& wide) { return gbkFromWide(wide.c_str(), static_cast<int>(wide.size())); }

// The screen's size as read when the driver started. (Under Wine a console
// driver's GetSystemMetrics can later report 0 for it.)
int screenWidth();
int screenHeight();

// A fresh, empty folder for one scenario (the name keeps runs readable), below
// the work root unless it is a full path.
std::string scenarioFolder(const std::string& name);
// Copies the program under test into folder as Zentar.exe.
bool installProgram(const std::string& folder);

bool writeBytes(const std::string& path, const std::string& bytes);
bool readBytes(const std::string& path, std::string& bytes);
bool fileExists(const std::string& path);
// The files of a folder (not its subfolders), with their dates and GBK names.
struct FoundFile {
    std::string name;
    WIN32_FIND_DATAW data;
};
std::vector<FoundFile> filesIn(const std::string& folder);
bool makeFolder(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);

class Program {
public:
    // commandLine defaults to the full path of folder\Zentar.exe; currentDir
    // defaults to folder.
    bool start(const std::string& folder, const std::string& commandLine = "",
               const std::string& currentDir = "");
    // Starts the program seeing the time that clockFile holds, read again at
    // every call, so that setClockFile moves its clock while it runs. It
    // starts in currentDir (default: folder) with its full path as command.
    bool startWithClockFile(const std::string& folder, const std::string& clockFile,
                            const std::string& currentDir = "");
    ~Program();

    DWORD pid() const { return info_.dwProcessId; }
    bool running() const;
    // Waits for the process to end; the time is scaled as waitFor scales it.
    bool waitExit(DWORD milliseconds, DWORD* exitCode = nullptr);
    // Ends the process if it still runs.
    void kill();

    // The clock window (dialog with static 1000), waiting for it to appear.
    HWND clock(DWORD milliseconds = 15000, Where where = {});

private:
    bool launch(const std::string& commandLine, const std::string& currentDir);
    // Under libfaketime, with fakeClock the environment that sets its clock.
    bool startFaked(const std::string& folder, const std::string& fakeClock, const std::string& currentDir);
    PROCESS_INFORMATION info_ = {};
    bool adoptFromWindow_ = false;
};

// Sets a clock file to the local wall-clock time "YYYY-MM-DD hh:mm:ss".
bool setClockFile(const std::string& clockFile, const std::string& localTime);

// The top-level windows of a process (0: of every other process), visible or not.
std::vector<HWND> windowsOf(DWORD pid);
std::string windowText(HWND hwnd);
std::string itemText(HWND dialog, int id);
// Waits until a control reads text; the check fails showing what it read.
void expectText(HWND dialog, int id, const std::string& text, DWORD milliseconds = 2000, Where where = {});

// A pause for the program to act where there is no state to wait for:
// milliseconds times slowFactor.
void sleepMs(DWORD milliseconds);
// A pause on the wall clock, the same in every pass: a sound heard for a
// moment, a second of the clock, a moment within a burst.
void sleepWall(DWORD milliseconds);

// The Unix path of a path on the drive that maps the Unix root (Z:).
std::string unixPath(const std::string& windowsPath);
// Starts a Unix command line; Wine gives no handle to wait on, so the caller
// waits for what the command does.
void runUnix(const std::string& line);

// The driver's own path: it doubles as a program for alarms to start.
std::string driverPath();

// Windows of a process with a given class, visible or not.
std::vector<HWND> windowsOfClass(DWORD pid, const char* className);
// The first visible one of them, or null.
HWND visibleOfClass(DWORD pid, const char* className);
// The dialog of a process holding a control with this id.
HWND dialogWithItem(DWORD pid, int id, bool visibleOnly = true);

// Memory in another window's process, for the messages whose pointers Wine
// does not marshal (list-view items, tooltip texts). A 32-bit process reads
// its structures in its own layout: narrow() says to write that one.
bool narrowProcess(HWND window);
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size);
    ~RemoteBlock();
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* at(size_t offset) const { return base_ + offset; }
    bool put(size_t offset, const void* p, size_t n) const;
    bool get(size_t offset, void* p, size_t n) const;
    bool narrow() const { return narrow_; }

private:
    HANDLE process_ = nullptr;
    bool narrow_ = false;
    char* base_ = nullptr;
};

// The text of a tooltip's tool, read and replaced through memory in the owning process.
std::string tooltipText(HWND tooltip, HWND tool, UINT_PTR toolId);
void setTooltipText(HWND tooltip, HWND tool, UINT_PTR toolId, const std::string& text);

// A report-view list: its rows, a cell's text, one column's cells joined by
// "|", selecting exactly the given rows, and the middle of a row on screen.
int rowCount(HWND view);
std::string cell(HWND view, int row, int column);
std::string column(HWND view, int column);
std::string heading(HWND view, int column);
void selectRows(HWND view, const std::vector<int>& rows);
POINT rowCentre(HWND view, int row);

// An 880 Hz tone of the given length as a 16-bit mono WAV file. Wine does
// not loop MCI sounds, so a tone must outlast the checks made while it plays.
std::string toneWav(int seconds);

// db.dat bytes built field by field, independently of the program's writer.
std::string dataFileBytes(const ClockSettings& settings, const AlarmRecord* records, int count);
// A full table: kMaxAlarms alarms, each a text at minute 30 of every hour.
std::vector<AlarmRecord> fullTable();

// Real input, as the user would give it, in screen coordinates.
void mouseMoveTo(int x, int y);
void mouseClick(int x, int y, bool right = false);
void mouseDoubleClick(int x, int y);
void mouseDrag(int fromX, int fromY, int toX, int toY);
void typeText(const char* ascii);
// Types into an edit field as a user does: a click into it, all of its text
// selected, then the keys.
void typeInto(HWND edit, const char* ascii);

// With E2E_SHOTS set to a folder, saves a picture of the screen around the
// window there as NAME.png (NAME-144.png on a screen at 144 DPI); otherwise
// does nothing.
void screenshot(const char* name, HWND window);

// The bytes of the notify.mp3 the release ships, which the runner makes
// with scripts/make-chime.sh and names in E2E_CHIME.
std::string releaseChime();

// Lines of zentar-seams.log in a program folder (what the test build recorded
// instead of beeping or powering off), without those of the wake timer. Both
// fail a scenario not registered with E2E_SEAMS_SCENARIO when the program
// under test has no seams.
std::vector<std::string> seamLog(const std::string& folder);
// Only the wake timer's lines: "wake YYYY-MM-DD HH:MM:SS", "wake none",
// "awake on", "awake off".
std::vector<std::string> wakeLog(const std::string& folder);

// A window's rectangle and middle on screen.
RECT rectOf(HWND window);
POINT centreOf(HWND window);

// Controls of the program's dialogs, driven from outside.
void press(HWND dialog, int id);  // the button's command, as if pressed
void click(HWND dialog, int id);  // a real click (check boxes change), then a moment to act on it
void setText(HWND dialog, int id, const std::string& text);
bool checked(HWND dialog, int id);
using Texts = std::vector<std::string>;
// A list box's selected entries, one entry and a combo box's item, in GBK.
Texts selected(HWND dialog, int id);
std::string listEntry(HWND dialog, int id, int index);
std::string comboItem(HWND combo, int index);
// A multiple-selection list box holding exactly these entries selected, then
// the notification a user's click sends.
void selectEntries(HWND dialog, int id, const std::vector<int>& indices);
// A real click on one entry of a list box, scrolled into view first.
void clickEntry(HWND dialog, int id, int index);

// A visible dialog of the process holding control id, waited for; null if none came.
HWND waitDialog(DWORD pid, int id, DWORD milliseconds = 8000, Where where = {});
// The program's message box (caption "Zentar", text static 0xFFFF), waited for.
HWND messageBox(DWORD pid, DWORD milliseconds = 5000, Where where = {});
// Reads the message shown, then dismisses it with button (IDOK, IDYES, IDNO);
// "<no message>" when none came.
std::string answer(DWORD pid, DWORD milliseconds = 5000, int button = IDOK, Where where = {});
// Presses a button of dialog that opens a file dialog, and names the file in
// it; with browse, goes to the file's folder in the dialog first.
void chooseFile(DWORD pid, HWND dialog, int button, const std::string& path, bool browse = false);

// The visible context menu, waited for; null if none came.
HWND waitMenu(DWORD milliseconds = 4000, Where where = {});
// Goes `downs` entries down the open menu (then, with subDowns, right into
// the submenu and down that), presses Enter and waits for the menu to close.
void chooseMenuItem(HWND menu, int downs, int subDowns = -1, Where where = {});

// Two windows of the driver standing for other programs on a desktop, for
// the life of the object: a top-most one, as a taskbar is, and an ordinary
// one. (Wine makes no window top-most while the top-most tooltip it owns is
// the only top-most window there is.)
class OtherWindows {
public:
    OtherWindows();
    ~OtherWindows();
    OtherWindows(const OtherWindows&) = delete;
    OtherWindows& operator=(const OtherWindows&) = delete;
    HWND topmost = nullptr;
    HWND ordinary = nullptr;

private:
    static DWORD WINAPI run(void* self);
    HANDLE ready_ = nullptr;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};
// Whether upper lies above lower in the stacking order.
bool above(HWND upper, HWND lower);
// Whether nothing lies below the window but the screenshots' backdrop.
bool atBottom(HWND window);

// The MCI window of the clock that plays the alarm sounds, and whether it plays.
HWND mciWindowOf(HWND clock);
bool soundPlaying(HWND mci);

// The middle of a day cell of the calendar: 52 x 25 pixels below a 26-pixel
// header at 96 DPI, scaled to the screen.
POINT dayCell(HWND calendar, int row, int column);

// The screen's DPI as the driver, itself DPI aware, reads it, and a 96-DPI
// pixel size at that DPI.
int screenDpi();
int scaled(int pixels);

// The font the dialog manager gave a dialog of the program (and its
// controls): made here from the dialog template in the program's resources,
// at the screen's DPI. A font cannot be borrowed from another process, but
// the same template in the same prefix makes the same font; the dialog's own
// size is checked against the font's dialog units to prove it.
HFONT dialogFont(HWND dialog, int templateId);
// What is cut in a dialog drawn with font: one line per button, label or
// read-only field whose text does not fit its client area (multi-line labels:
// the wrapped height against the client height); "" when everything fits.
std::string cutTexts(HWND dialog, HFONT font);
// The same for the headings of a report list's open columns.
std::string cutHeadings(HWND list, HFONT font);

// The scenario's own run of the program.
struct Session {
    std::string folder;
    Program program;
    HWND clock = nullptr;
    DWORD pid() const { return program.pid(); }
};
// Makes the scenario folder `name` and installs the program in it; with
// settings, also a db.dat of these settings and alarms.
void prepare(Session& s, const char* name);
void prepare(Session& s, const char* name, const ClockSettings& settings,
             const std::vector<AlarmRecord>& alarms = {});
// Starts the program and waits for its clock; given localTime
// ("YYYY-MM-DD hh:mm:ss"), as launchMovable.
void launch(Session& s, const char* localTime = nullptr);
// Starts the program on a clock the scenario moves with moveClock, and
// returns once it sees localTime, however slowly it started: no minute
// before it has been processed; currentDir as for Program::start.
void launchMovable(Session& s, const char* localTime, const std::string& currentDir = "");
void moveClock(const Session& s, const std::string& localTime);
// "YYYY-MM-DD hh:mm:ss", as the two above and launch take it.
std::string timeText(const LocalTime& t);
// Both, with the default settings and no alarms, at the real time.
void startDefault(Session& s, const char* name);
// The exit command, and the program gone.
void exitProgram(Session& s);
// A modal dialog of the program has been destroyed and the command that ran
// it (with its save) has returned: the clock answers a sent message only once
// it is back in its message loop. Reading db.dat only then matters: a reader
// holding the file open makes the program's save fail.
void waitClosed(const Session& s, HWND dialog, const char* what, Where where = {});

// db.dat as the program left it in a folder; a file of the wrong size fails the scenario.
struct DataFile {
    ClockSettings settings = {};
    std::vector<AlarmRecord> alarms;
};
DataFile readDataFile(const std::string& folder);

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
    ScenarioRegistrar(const char* name, ScenarioFn fn, bool seams = false);
};
#define E2E_SCENARIO(name)                                               \
    static void scenario_##name();                                       \
    static ::e2e::ScenarioRegistrar registrar_##name(#name, scenario_##name); \
    static void scenario_##name()
// A scenario that reads zentar-seams.log (power actions, beeps): it runs the
// build with the recording seams (E2E_SEAMS_PROGRAM) when the program under
// test has none, so that nothing is ever powered off for real.
#define E2E_SEAMS_SCENARIO(name)                                         \
    static void scenario_##name();                                       \
    static ::e2e::ScenarioRegistrar registrar_##name(#name, scenario_##name, true); \
    static void scenario_##name()

int runScenarios(int argc, char** argv);

// Copies the program under test into folder under another file name.
bool installProgramAs(const std::string& folder, const std::string& fileName);

// Opens a file the way a backup or a virus scanner may: for reading, sharing
// nothing, so that every other open fails until CloseHandle.
HANDLE holdFile(const std::string& path);

}  // namespace e2e
