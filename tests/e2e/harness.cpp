#include "harness.h"

#include "alarm/schedule.h"
#include "calendarui/calendartext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace e2e {

namespace {

Setup theSetup;

struct Entry {
    const char* name;
    ScenarioFn fn;
    bool seams;
};

// The program under test, and a build of the same sources with the recording
// seams for the scenarios that need them (the same file when it has them).
std::string productPath, seamsPath;
bool scenarioHasSeams = true;

std::vector<Entry>& registry() {
    static std::vector<Entry> entries;
    return entries;
}

std::string currentFailure;

void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

// Independent of the program's own conversions on purpose: with a shared one,
// a program that converted by the wrong code page would read back right.
std::wstring wideFromGbk(const std::string& gbk) {
    const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], n);
    return wide;
}

std::string gbkFromWide(const wchar_t* wide, int length) {
    if (length < 0)
        length = lstrlenW(wide);
    const int n = WideCharToMultiByte(936, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string gbk(n, '\0');
    WideCharToMultiByte(936, 0, wide, length, &gbk[0], n, nullptr, nullptr);
    return gbk;
}

const Setup& setup() { return theSetup; }

namespace {
int screenSize[2];
}

int screenWidth() { return screenSize[0]; }
int screenHeight() { return screenSize[1]; }

std::string scenarioFolder(const std::string& name) {
    const std::string folder = name.find(':') != std::string::npos ? name : theSetup.workRoot + "\\" + name;
    removeTree(wideFromGbk(folder));
    makeFolder(theSetup.workRoot);
    makeFolder(folder);
    return folder;
}

bool makeFolder(const std::string& path) { return CreateDirectoryW(wideFromGbk(path).c_str(), nullptr) != 0; }

bool copyFile(const std::string& from, const std::string& to) {
    return CopyFileW(wideFromGbk(from).c_str(), wideFromGbk(to).c_str(), FALSE) != 0;
}

bool installProgram(const std::string& folder) { return copyFile(theSetup.programPath, folder + "\\Zentar.exe"); }

bool writeBytes(const std::string& path, const std::string& bytes) {
    FILE* f = _wfopen(wideFromGbk(path).c_str(), L"wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool readBytes(const std::string& path, std::string& bytes) {
    FILE* f = _wfopen(wideFromGbk(path).c_str(), L"rb");
    if (!f)
        return false;
    bytes.clear();
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.append(buffer, n);
    std::fclose(f);
    return true;
}

bool fileExists(const std::string& path) {
    return GetFileAttributesW(wideFromGbk(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<FoundFile> filesIn(const std::string& folder) {
    std::vector<FoundFile> files;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(wideFromGbk(folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return files;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(FoundFile{gbkFromWide(found.cFileName), found});
    while (FindNextFileW(h, &found));
    FindClose(h);
    return files;
}

bool Program::launch(const std::string& commandLine, const std::string& currentDir) {
    std::wstring mutableLine = wideFromGbk(commandLine);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    // Right after a kill the old image may still be held for a moment.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                           wideFromGbk(currentDir).c_str(), &si, &info_))
            return true;
        Sleep(200);
    }
    return false;
}

bool Program::start(const std::string& folder, const std::string& commandLine,
                    const std::string& currentDir) {
    const std::string line = commandLine.empty() ? "\"" + folder + "\\Zentar.exe\"" : commandLine;
    return launch(line, currentDir.empty() ? folder : currentDir);
}

namespace {
std::string environment(const char* name, const char* otherwise) {
    char value[MAX_PATH] = {};
    return GetEnvironmentVariableA(name, value, sizeof value) && value[0] ? value : otherwise;
}
}  // namespace

std::string unixPath(const std::string& windowsPath) {
    std::string path = windowsPath;
    if (path.size() > 2 && path[1] == ':')
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

bool Program::startFaked(const std::string& folder, const std::string& fakeClock,
                         const std::string& currentDir) {
    // libfaketime must be preloaded by the Unix side of a fresh `wine` start;
    // a Windows CreateProcess does not carry it into the new process. So a
    // shell starts the program, and the clock window tells its process.
    // scripts/e2e.sh names the loader (the 64-bit one also starts 32-bit
    // programs) and a preload path that fits both word sizes ($LIB).
    const std::string line =
        "/bin/sh -c \"cd '" + unixPath(currentDir.empty() ? folder : currentDir) +
        "' && exec env LD_PRELOAD='" + environment("E2E_FAKETIME", "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1") +
        "' NO_FAKE_STAT=1 FAKETIME_DONT_FAKE_MONOTONIC=1 " + fakeClock + " " + environment("E2E_WINE", "wine") + " '" +
        unixPath(folder) + "/Zentar.exe'\"";
    adoptFromWindow_ = true;
    return launch(line, folder);
}

bool Program::startWithClockFile(const std::string& folder, const std::string& clockFile,
                                 const std::string& currentDir) {
    // Read again at every call: a new time in the file is the program's at once.
    return startFaked(folder, "FAKETIME_TIMESTAMP_FILE='" + unixPath(clockFile) + "' FAKETIME_NO_CACHE=1",
                      currentDir);
}

bool setClockFile(const std::string& clockFile, const std::string& localTime) {
    // Replaced in one step: a reader between truncation and write would see
    // no setting and fall back to the real time.
    const std::string next = clockFile + ".new";
    return writeBytes(next, "@" + localTime + "\n") &&
           MoveFileExW(wideFromGbk(next).c_str(), wideFromGbk(clockFile).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

Program::~Program() {
    kill();
    if (info_.hProcess) {
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Program::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Program::waitExit(DWORD milliseconds, DWORD* exitCode) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, milliseconds * slowFactor()) != WAIT_OBJECT_0)
        return false;
    if (exitCode)
        GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

void Program::kill() {
    if (running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

HWND Program::clock(DWORD milliseconds, Where where) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND h : adoptFromWindow_ ? windowsOf(0) : windowsOf(pid())) {
                char cls[32] = {};
                GetClassNameA(h, cls, sizeof cls);
                if (std::strcmp(cls, "#32770") == 0 && GetDlgItem(h, 1000) && IsWindowVisible(h)) {
                    found = h;
                    return true;
                }
            }
            return !adoptFromWindow_ && !running();
        },
        milliseconds, "the clock window", where);
    if (found && adoptFromWindow_) {
        // From now on this object stands for the program itself.
        DWORD pid = 0;
        const DWORD thread = GetWindowThreadProcessId(found, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        if (process) {
            if (info_.hProcess) {  // none for the Unix shell; see runUnix
                CloseHandle(info_.hProcess);
                CloseHandle(info_.hThread);
            }
            info_.hProcess = process;
            info_.hThread = OpenThread(SYNCHRONIZE, FALSE, thread);
            info_.dwProcessId = pid;
            adoptFromWindow_ = false;
        }
    }
    return found;
}

std::vector<HWND> windowsOf(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == s->pid || (s->pid == 0 && owner != GetCurrentProcessId()))
                s->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string windowText(HWND hwnd) {
    wchar_t text[1024] = {};
    // Captions of dialogs and the texts of statics and buttons are kept by
    // the system and read without a message; only controls that keep their
    // own text (edits) are asked. Fewer cross-process messages, fewer of
    // Wine's rare stuck sends.
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 || lstrcmpiA(cls, "Button") == 0 || lstrcmpiA(cls, "#32770") == 0) {
        const int n = GetWindowTextW(hwnd, text, ARRAYSIZE(text));
        return gbkFromWide(text, n > 0 ? n : 0);
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, ARRAYSIZE(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 3000 * slowFactor(), &length))
        return std::string();
    return gbkFromWide(text, static_cast<int>(length));
}

std::string itemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? windowText(control) : std::string();
}

void expectText(HWND dialog, int id, const std::string& text, DWORD milliseconds, Where where) {
    E2E_CHECK_MSG(waitFor([&] { return itemText(dialog, id) == text; }, milliseconds, "a control's text", where),
                  "control " + std::to_string(id) + " reads '" + itemText(dialog, id) + "', not '" + text + "'");
}

namespace {
DWORD theSlowFactor = 1;

// The latest wait of the scenario, and the latest that ran out.
struct WaitNote {
    bool any = false;
    std::string where, what;
    DWORD waited = 0, limit = 0;
    bool held = false;
};
WaitNote lastWait, lastTimeout;

std::string describe(const WaitNote& w) {
    char text[512];
    std::snprintf(text, sizeof text, "%s%s%s (%s) %s after %lu ms of %lu ms", w.what.empty() ? "" : "for ",
                  w.what.c_str(), w.what.empty() ? "a wait" : "", w.where.c_str(),
                  w.held ? "held" : "ran out", static_cast<unsigned long>(w.waited),
                  static_cast<unsigned long>(w.limit));
    return text;
}
}  // namespace

DWORD slowFactor() { return theSlowFactor; }

void noteWait(const Where& where, const char* what, DWORD waited, DWORD limit, bool held) {
    const char* file = std::strrchr(where.file, '/');
    WaitNote note;
    note.any = true;
    note.where = std::string(file ? file + 1 : where.file) + ":" + std::to_string(where.line);
    note.what = what ? what : "";
    note.waited = waited;
    note.limit = limit;
    note.held = held;
    lastWait = note;
    if (!held)
        lastTimeout = note;
}

void sleepMs(DWORD milliseconds) { Sleep(milliseconds * slowFactor()); }

void sleepWall(DWORD milliseconds) { Sleep(milliseconds); }

void fail(const char* file, int line, const std::string& what) {
    char where[512];
    std::snprintf(where, sizeof where, "%s:%d: ", file, line);
    currentFailure = where + what;
    // Slow or wrong: the waits say which.
    if (lastWait.any)
        currentFailure += "\n           last wait: " + describe(lastWait);
    if (lastTimeout.any && (lastTimeout.where != lastWait.where || lastWait.held))
        currentFailure += "\n           last wait that ran out: " + describe(lastTimeout);
    throw Failure();
}

ScenarioRegistrar::ScenarioRegistrar(const char* name, ScenarioFn fn, bool seams) {
    registry().push_back(Entry{name, fn, seams});
}

// Ends every program left with a clock window, so that a failed scenario
// cannot hold the single-instance mutex for the next one.
void killStrayClocks() {
    for (HWND h : windowsOf(0)) {
        char cls[16] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") != 0 || !GetDlgItem(h, 1000))
            continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

const char kBackdropClass[] = "ZentarE2EBackdrop";

// A desktop-blue window at the bottom of the stacking order, so that
// screenshots show the program's windows as on a desktop (Xvfb's root is black).
DWORD WINAPI backdropThread(void*) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = CreateSolidBrush(RGB(0x3a, 0x6e, 0xa5));
    wc.lpszClassName = kBackdropClass;
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, "", WS_POPUP, 0, 0,
                             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                             nullptr, wc.hInstance, nullptr);
    ShowWindow(h, SW_SHOWNOACTIVATE);
    SetWindowPos(h, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

// Under Wine a cross-process send now and then never returns, whatever its
// time-out. A watchdog ends the program under test when a scenario runs far
// too long, which releases the send; the scenario then fails and is run once
// more, and the output says so.
volatile LONG scenarioStart = 0;
volatile LONG scenarioLimit = 0;
volatile LONG watchdogFired = 0;

DWORD WINAPI watchdogThread(void*) {
    for (;;) {
        Sleep(1000);
        const LONG start = scenarioStart, limit = scenarioLimit;
        if (start && limit && static_cast<LONG>(GetTickCount() - start) > limit && !watchdogFired) {
            watchdogFired = 1;
            std::printf("         (stuck for %ld s: ending the program under test)\n", limit / 1000);
            std::fflush(stdout);
            killStrayClocks();
        }
    }
}

DWORD WINAPI OtherWindows::run(void* self) {
    auto* w = static_cast<OtherWindows*>(self);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "ZentarE2EOther";
    RegisterClassA(&wc);
    // Small, in the top right corner, where no scenario clicks, and never activated.
    const int x = screenWidth() - 60;
    HWND topmost = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST, wc.lpszClassName, "",
                                   WS_POPUP, x, 0, 30, 20, nullptr, nullptr, wc.hInstance, nullptr);
    HWND ordinary = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, "", WS_POPUP, x + 30, 0,
                                    30, 20, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(topmost, SW_SHOWNOACTIVATE);
    ShowWindow(ordinary, SW_SHOWNOACTIVATE);
    w->topmost = topmost;
    w->ordinary = ordinary;
    SetEvent(w->ready_);
    // The windows go with the thread.
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

OtherWindows::OtherWindows() {
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, run, this, 0, &threadId_);
    WaitForSingleObject(ready_, 5000);
}

OtherWindows::~OtherWindows() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
    CloseHandle(ready_);
}

bool above(HWND upper, HWND lower) {
    for (HWND h = GetWindow(upper, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT))
        if (h == lower)
            return true;
    return false;
}

bool atBottom(HWND window) {
    for (HWND h = GetWindow(window, GW_HWNDNEXT); h; h = GetWindow(h, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (std::strcmp(cls, kBackdropClass) != 0)
            return false;
    }
    return true;
}

int runScenarios(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: zentar_e2e PROGRAM WORKROOT [SCENARIO...]\n");
        return 2;
    }
    // Real pixels, as the program (DPI aware itself) sees them.
    SetProcessDPIAware();
    char wantedDpi[16] = {};
    if (GetEnvironmentVariableA("E2E_DPI", wantedDpi, sizeof wantedDpi) && std::atoi(wantedDpi) != screenDpi()) {
        std::printf("e2e: the screen runs at %d DPI, not at %s\n", screenDpi(), wantedDpi);
        return 1;
    }
    // A pass meant for a non-Chinese Windows proves nothing under code page 936.
    char expectAcp[16] = {};
    if (GetEnvironmentVariableA("E2E_EXPECT_ACP", expectAcp, sizeof expectAcp) &&
        std::strcmp(expectAcp, "not936") == 0) {
        std::printf("e2e: code page for non-Unicode programs %u\n", GetACP());
        if (GetACP() == 936) {
            std::printf("e2e: FAIL: this pass must run under a code page other than 936\n");
            return 1;
        }
    }
    char slow[16] = {};
    if (GetEnvironmentVariableA("E2E_SLOW", slow, sizeof slow) && std::atoi(slow) > 1)
        theSlowFactor = static_cast<DWORD>(std::atoi(slow));
    if (theSlowFactor > 1)
        std::printf("e2e: waits for the program are %lu times as long in this pass\n",
                    static_cast<unsigned long>(theSlowFactor));
    screenSize[0] = GetSystemMetrics(SM_CXSCREEN);
    screenSize[1] = GetSystemMetrics(SM_CYSCREEN);
    productPath = argv[1];
    theSetup.workRoot = argv[2];
    char seams[MAX_PATH] = {};
    seamsPath = GetEnvironmentVariableA("E2E_SEAMS_PROGRAM", seams, sizeof seams) && seams[0] ? seams : productPath;

    char shots[MAX_PATH] = {};
    if (GetEnvironmentVariableA("E2E_SHOTS", shots, sizeof shots) && shots[0]) {
        CreateThread(nullptr, 0, backdropThread, nullptr, 0, nullptr);
        Sleep(500);
    }

    CreateThread(nullptr, 0, watchdogThread, nullptr, 0, nullptr);
    int passed = 0, failed = 0;
    std::string failures;  // repeated after the pass, where a CI log's tail shows it
    const DWORD passStart = GetTickCount();
    for (const Entry& e : registry()) {
        // Long-running scenarios (soak_*) run only when named.
        bool selected = argc == 3 && std::strncmp(e.name, "soak_", 5) != 0;
        // A name ending in '*' selects every scenario it begins.
        for (int i = 3; i < argc; ++i) {
            const size_t n = std::strlen(argv[i]);
            selected = selected || std::strcmp(argv[i], e.name) == 0 ||
                       (n > 0 && argv[i][n - 1] == '*' && std::strncmp(argv[i], e.name, n - 1) == 0);
        }
        if (!selected)
            continue;
        theSetup.programPath = e.seams ? seamsPath : productPath;
        scenarioHasSeams = e.seams || seamsPath == productPath;
        std::printf("[ RUN  ] %s\n", e.name);
        std::fflush(stdout);
        const DWORD start = GetTickCount();
        bool ok = true;
        for (int attempt = 0; attempt < 2; ++attempt) {
            watchdogFired = 0;
            lastWait = lastTimeout = WaitNote();
            // A slower pass gets longer before a scenario counts as stuck.
            scenarioLimit = std::strncmp(e.name, "soak_", 5) == 0 ? 20 * 60 * 1000
                                                                 : 150 * 1000 * std::min<LONG>(slowFactor(), 2);
            scenarioStart = static_cast<LONG>(GetTickCount());
            ok = true;
            try {
                e.fn();
            } catch (const Failure&) {
                ok = false;
            }
            scenarioStart = 0;
            if (ok || !watchdogFired)
                break;
            killStrayClocks();
            std::printf("         (run again after a stuck send)\n");
        }
        killStrayClocks();
        const double seconds = (GetTickCount() - start) / 1000.0;
        if (ok) {
            ++passed;
            std::printf("[  OK  ] %s (%.1f s)\n", e.name, seconds);
        } else {
            ++failed;
            char line[160];
            std::snprintf(line, sizeof line, "[ FAIL ] %s (%.1f s)\n", e.name, seconds);
            failures += line + ("         " + currentFailure + "\n");
            std::fputs(line, stdout);
            std::printf("         %s\n", currentFailure.c_str());
        }
        std::fflush(stdout);
    }
    std::printf("e2e: the pass took %lu s\n", (GetTickCount() - passStart + 500) / 1000);
    std::fputs(failures.c_str(), stdout);
    char label[32] = {};
    if (GetEnvironmentVariableA("E2E_LABEL", label, sizeof label) && label[0] && expectAcp[0])
        std::printf("e2e (%s, code page %u): %d passed, %d failed\n", label, GetACP(), passed, failed);
    else if (label[0])
        std::printf("e2e (%s): %d passed, %d failed\n", label, passed, failed);
    else
        std::printf("e2e: %d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace e2e

#include "model/pixels.h"
#include "model/records.h"

namespace e2e {

std::string driverPath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return gbkFromWide(path);
}

std::vector<HWND> windowsOfClass(DWORD pid, const char* className) {
    std::vector<HWND> found;
    for (HWND h : windowsOf(pid)) {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        if (lstrcmpiA(cls, className) == 0)
            found.push_back(h);
    }
    return found;
}

HWND visibleOfClass(DWORD pid, const char* className) {
    for (HWND h : windowsOfClass(pid, className))
        if (IsWindowVisible(h))
            return h;
    return nullptr;
}

HWND dialogWithItem(DWORD pid, int id, bool visibleOnly) {
    for (HWND h : windowsOfClass(pid, "#32770"))
        if (GetDlgItem(h, id) && (!visibleOnly || IsWindowVisible(h)))
            return h;
    return nullptr;
}

bool narrowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    BOOL wow64 = FALSE;
    const bool narrow = process && IsWow64Process(process, &wow64) && wow64;
    if (process)
        CloseHandle(process);
    return narrow;
}

RemoteBlock::RemoteBlock(HWND window, size_t size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    narrow_ = narrowProcess(window);
    if (process_)
        base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
}

RemoteBlock::~RemoteBlock() {
    if (base_)
        VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_)
        CloseHandle(process_);
}

bool RemoteBlock::put(size_t offset, const void* p, size_t n) const {
    return base_ && WriteProcessMemory(process_, base_ + offset, p, n, nullptr);
}

bool RemoteBlock::get(size_t offset, void* p, size_t n) const {
    return base_ && ReadProcessMemory(process_, base_ + offset, p, n, nullptr);
}

namespace {

// In characters; the remote buffers hold UTF-16, twice as many bytes.
const size_t kRemoteTextSize = 512;

// The layouts a 32-bit program gives the structures written into it: its
// pointers and handles are 32 bits wide (the texts are UTF-16 all the same).
struct LvItem32 {
    UINT mask;
    int iItem, iSubItem;
    UINT state, stateMask;
    uint32_t pszText;
    int cchTextMax, iImage;
    uint32_t lParam;
    int iIndent, iGroupId;
    UINT cColumns;
    uint32_t puColumns, piColFmt;
    int iGroup;
};
struct HdItem32 {
    UINT mask;
    int cxy;
    uint32_t pszText, hbm;
    int cchTextMax, fmt;
    uint32_t lParam;
    int iImage, iOrder;
    UINT type;
    uint32_t pvFilter;
    UINT state;
};
struct ToolInfo32 {
    UINT cbSize, uFlags;
    uint32_t hwnd, uId;
    RECT rect;
    uint32_t hinst, lpszText, lParam, lpReserved;
};
static_assert(sizeof(LvItem32) == 60 && sizeof(HdItem32) == 48 && sizeof(ToolInfo32) == 48,
              "the 32-bit layouts of LVITEMW, HDITEMW and TTTOOLINFOW");

void pointAt(LPWSTR& field, char* p) { field = reinterpret_cast<LPWSTR>(p); }
void pointAt(uint32_t& field, char* p) { field = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
uint32_t handle32(const void* h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

// Sends a message whose structure, info, points its text at the buffer right
// behind it; both live in the window's process. Returns the text put there.
template <typename Info, typename Text>
std::string remoteText(HWND window, UINT message, WPARAM wp, Info info, Text Info::*text,
                       const char* failure) {
    RemoteBlock block(window, sizeof info + kRemoteTextSize * sizeof(wchar_t));
    pointAt(info.*text, block.at(sizeof info));
    const wchar_t zero = 0;
    if (!block.put(0, &info, sizeof info) || !block.put(sizeof info, &zero, sizeof zero))
        return failure;
    DWORD_PTR ignored;
    SendMessageTimeoutW(window, message, wp, reinterpret_cast<LPARAM>(block.at(0)), SMTO_ABORTIFHUNG, 3000 * slowFactor(),
                        &ignored);
    wchar_t buffer[kRemoteTextSize + 1] = {};
    block.get(sizeof info, buffer, kRemoteTextSize * sizeof(wchar_t));
    return gbkFromWide(buffer);
}

}  // namespace

std::string tooltipText(HWND tooltip, HWND tool, UINT_PTR toolId) {
    if (narrowProcess(tooltip)) {
        ToolInfo32 narrow = {sizeof narrow, 0, handle32(tool), static_cast<uint32_t>(toolId), {}, 0, 0, 0, 0};
        return remoteText(tooltip, TTM_GETTEXTW, kRemoteTextSize, narrow, &ToolInfo32::lpszText, "");
    }
    TTTOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = tool;
    info.uId = toolId;
    return remoteText(tooltip, TTM_GETTEXTW, kRemoteTextSize, info, &TTTOOLINFOW::lpszText, "");
}

void setTooltipText(HWND tooltip, HWND tool, UINT_PTR toolId, const std::string& text) {
    TTTOOLINFOW info = {};
    info.cbSize = sizeof info;
    info.hwnd = tool;
    info.uId = toolId;
    const std::wstring wide = wideFromGbk(text);
    const size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    RemoteBlock block(tooltip, sizeof info + bytes);
    pointAt(info.lpszText, block.at(sizeof info));
    if (block.narrow()) {
        ToolInfo32 narrow = {sizeof narrow, 0, handle32(tool), static_cast<uint32_t>(toolId), {}, 0, 0, 0, 0};
        pointAt(narrow.lpszText, block.at(sizeof info));
        E2E_CHECK(block.put(0, &narrow, sizeof narrow));
    } else {
        E2E_CHECK(block.put(0, &info, sizeof info));
    }
    E2E_CHECK(block.put(sizeof info, wide.c_str(), bytes));
    DWORD_PTR ignored;
    SendMessageTimeoutW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(block.at(0)), SMTO_ABORTIFHUNG,
                        3000 * slowFactor(), &ignored);
}

int rowCount(HWND view) { return static_cast<int>(SendMessageA(view, LVM_GETITEMCOUNT, 0, 0)); }

std::string cell(HWND view, int row, int column) {
    if (narrowProcess(view)) {
        LvItem32 narrow = {};
        narrow.iSubItem = column;
        narrow.cchTextMax = kRemoteTextSize;
        return remoteText(view, LVM_GETITEMTEXTW, row, narrow, &LvItem32::pszText, "<no remote memory>");
    }
    LVITEMW item = {};
    item.iSubItem = column;
    item.cchTextMax = kRemoteTextSize;
    return remoteText(view, LVM_GETITEMTEXTW, row, item, &LVITEMW::pszText, "<no remote memory>");
}

std::string heading(HWND view, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(view, LVM_GETHEADER, 0, 0));
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.cchTextMax = kRemoteTextSize;
    HdItem32 narrow = {};
    narrow.mask = HDI_TEXT;
    narrow.cchTextMax = kRemoteTextSize;
    return narrowProcess(header) ? remoteText(header, HDM_GETITEMW, column, narrow, &HdItem32::pszText, "")
                                 : remoteText(header, HDM_GETITEMW, column, item, &HDITEMW::pszText, "");
}

std::string column(HWND view, int column) {
    std::string cells;
    for (int i = 0; i < rowCount(view); ++i)
        cells += (i ? "|" : "") + cell(view, i, column);
    return cells;
}

void selectRows(HWND view, const std::vector<int>& rows) {
    RemoteBlock block(view, sizeof(LVITEMW));
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    E2E_CHECK(block.put(0, &item, sizeof item));
    SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(block.at(0)));
    item.state = LVIS_SELECTED;
    E2E_CHECK(block.put(0, &item, sizeof item));
    for (int row : rows)
        SendMessageA(view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.at(0)));
}

POINT rowCentre(HWND view, int row) {
    RemoteBlock block(view, sizeof(RECT));
    RECT r = {LVIR_BOUNDS, 0, 0, 0};
    block.put(0, &r, sizeof r);
    SendMessageA(view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.at(0)));
    block.get(0, &r, sizeof r);
    POINT p = {40, (r.top + r.bottom) / 2};
    ClientToScreen(view, &p);
    return p;
}

std::string toneWav(int seconds) {
    const int rate = 22050, samples = seconds * rate;
    std::string pcm;
    pcm.reserve(samples * 2);
    for (int i = 0; i < samples; ++i) {
        const int16_t v = static_cast<int16_t>(12000 * std::sin(2 * 3.14159265 * 880 * i / rate));
        pcm.append(reinterpret_cast<const char*>(&v), 2);
    }
    auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](uint16_t v) { return std::string(reinterpret_cast<const char*>(&v), 2); };
    return "RIFF" + u32(36 + pcm.size()) + "WAVEfmt " + u32(16) + u16(1) + u16(1) + u32(rate) +
           u32(rate * 2) + u16(2) + u16(16) + "data" + u32(pcm.size()) + pcm;
}

std::string dataFileBytes(const ClockSettings& settings, const AlarmRecord* records, int count) {
    std::string bytes(reinterpret_cast<const char*>(&settings), sizeof settings);
    const int32_t n = count;
    bytes.append(reinterpret_cast<const char*>(&n), 4);
    for (int i = 0; i < count; ++i)
        bytes.append(reinterpret_cast<const char*>(&records[i]), sizeof(AlarmRecord));
    return bytes;
}

std::vector<AlarmRecord> fullTable() {
    std::vector<AlarmRecord> alarms(kMaxAlarms, emptyAlarm());
    for (AlarmRecord& a : alarms) {
        a.minute = 30;
        a.repeatCount = 1;
        a.intervalMinutes = 5;
        std::strcpy(a.text, "x");
    }
    return alarms;
}

void runUnix(const std::string& line) {
    std::wstring mutableLine = wideFromGbk(line);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    // For a Unix program Wine hands back no process handle and a stray thread
    // handle; closing that one could close any handle of ours, stdout included.
    if (CreateProcessW(nullptr, &mutableLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &si, &pi) && pi.hProcess) {
        WaitForSingleObject(pi.hProcess, 20000);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
}

namespace {
// Real X input through xdotool: Wine runs Unix programs from CreateProcess,
// and input from the X server reaches the program exactly as a user's would.
void xdotool(const std::string& arguments) {
    runUnix("/usr/bin/xdotool " + arguments);
    Sleep(100);
}

std::string at(int x, int y) { return std::to_string(x) + " " + std::to_string(y); }
}  // namespace

// Wine starts Unix programs from CreateProcess, which gives the driver real
// X input (xdotool) and screenshots (ImageMagick).


void screenshot(const char* name, HWND window) {
    char folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("E2E_SHOTS", folder, sizeof folder) || !folder[0])
        return;
    Sleep(700);  // let the window finish painting
    RECT r;
    GetWindowRect(window, &r);
    const int margin = 16;
    const int x = r.left > margin ? r.left - margin : 0, y = r.top > margin ? r.top - margin : 0;
    const std::string suffix = screenDpi() == kBaseDpi ? "" : "-" + std::to_string(screenDpi());
    const std::string unixPath = std::string(folder) + "/" + name + suffix + ".png";
    std::string windowsPath = "Z:" + unixPath;
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    DeleteFileW(wideFromGbk(windowsPath).c_str());
    runUnix("/usr/bin/import -window root -crop " + std::to_string(r.right - r.left + 2 * margin) + "x" +
            std::to_string(r.bottom - r.top + 2 * margin) + "+" + std::to_string(x) + "+" +
            std::to_string(y) + " +repage " + unixPath);
    // A Unix process's handle is signalled at once: wait for the picture itself.
    waitFor([&] { return fileExists(windowsPath); }, 5000);
    Sleep(300);
}

void mouseMoveTo(int x, int y) { xdotool("mousemove " + at(x, y)); }

void mouseClick(int x, int y, bool right) {
    xdotool("mousemove " + at(x, y) + (right ? " click 3" : " click 1"));
}

void mouseDoubleClick(int x, int y) {
    xdotool("mousemove " + at(x, y) + " click --repeat 2 --delay 80 1");
}

void mouseDrag(int fromX, int fromY, int toX, int toY) {
    std::string steps = "mousemove " + at(fromX, fromY) + " sleep 0.2 mousedown 1 sleep 0.4";
    for (int i = 1; i <= 6; ++i)
        steps += " mousemove " + at(fromX + (toX - fromX) * i / 6, fromY + (toY - fromY) * i / 6) +
                 " sleep 0.05";
    xdotool(steps + " sleep 0.2 mouseup 1");
}

void typeText(const char* ascii) { xdotool(std::string("type --delay 60 \"") + ascii + "\""); }

void typeInto(HWND edit, const char* ascii) {
    const RECT r = rectOf(edit);
    mouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    typeText(ascii);
}

std::string releaseChime() {
    char chime[MAX_PATH] = {};
    E2E_CHECK_MSG(GetEnvironmentVariableA("E2E_CHIME", chime, sizeof chime) && chime[0],
                  "E2E_CHIME does not name the synthesised notify.mp3 (scripts/e2e.sh makes it)");
    std::string bytes;
    E2E_CHECK_MSG(readBytes(chime, bytes) && bytes.size() > 8000, std::string("no chime at ") + chime);
    return bytes;
}

namespace {

bool isWakeLine(const std::string& line) { return line.rfind("wake ", 0) == 0 || line.rfind("awake ", 0) == 0; }

std::vector<std::string> seamLines(const std::string& folder, bool wake) {
    E2E_CHECK_MSG(scenarioHasSeams, "reads zentar-seams.log, but runs a program without seams: "
                                    "register it with E2E_SEAMS_SCENARIO");
    std::string bytes;
    std::vector<std::string> lines;
    if (!readBytes(folder + "\\zentar-seams.log", bytes))
        return lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') {
            const std::string line = bytes.substr(start, i - start);
            if (isWakeLine(line) == wake)
                lines.push_back(line);
            start = i + 1;
        }
    return lines;
}

}  // namespace

std::vector<std::string> seamLog(const std::string& folder) { return seamLines(folder, false); }

std::vector<std::string> wakeLog(const std::string& folder) { return seamLines(folder, true); }

RECT rectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

POINT centreOf(HWND window) {
    const RECT r = rectOf(window);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    sleepMs(300);
}

void setText(HWND dialog, int id, const std::string& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideFromGbk(text).c_str()));
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

std::string listEntry(HWND dialog, int id, int index) {
    wchar_t wide[128] = {};
    SendMessageW(GetDlgItem(dialog, id), LB_GETTEXT, index, reinterpret_cast<LPARAM>(wide));
    return gbkFromWide(wide);
}

Texts selected(HWND dialog, int id) {
    HWND list = GetDlgItem(dialog, id);
    Texts texts;
    for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i)
        if (SendMessageA(list, LB_GETSEL, i, 0) > 0)
            texts.push_back(listEntry(dialog, id, i));
    return texts;
}

void selectEntries(HWND dialog, int id, const std::vector<int>& indices) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int i : indices)
        SendMessageA(list, LB_SETSEL, TRUE, i);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    sleepMs(200);
}

void clickEntry(HWND dialog, int id, int index) {
    HWND list = GetDlgItem(dialog, id);
    SendMessageA(list, LB_SETTOPINDEX, index, 0);
    const int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    POINT p = {12, (index - top) * height + height / 2};
    ClientToScreen(list, &p);
    mouseClick(p.x, p.y);
    sleepMs(300);
}

std::string comboItem(HWND combo, int index) {
    wchar_t wide[128] = {};
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide));
    return gbkFromWide(wide);
}

HWND waitDialog(DWORD pid, int id, DWORD milliseconds, Where where) {
    HWND found = nullptr;
    const std::string what = "a dialog with control " + std::to_string(id);
    waitFor([&] { return (found = dialogWithItem(pid, id)) != nullptr; }, milliseconds, what.c_str(), where);
    return found;
}

HWND messageBox(DWORD pid, DWORD milliseconds, Where where) {
    HWND box = nullptr;
    waitFor(
        [&] {
            for (HWND h : windowsOfClass(pid, "#32770"))
                if (IsWindowVisible(h) && GetDlgItem(h, 0xFFFF) && windowText(h) == "Zentar")
                    return (box = h) != nullptr;
            return false;
        },
        milliseconds, "a message box", where);
    return box;
}

std::string answer(DWORD pid, DWORD milliseconds, int button, Where where) {
    HWND box = messageBox(pid, milliseconds, where);
    if (!box)
        return "<no message>";
    const std::string text = itemText(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, button, 0);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(box); }, 3000, "the message box to close", where),
                  "the message box stayed open: " + text);
    return text;
}

void chooseFile(DWORD pid, HWND dialog, int button, const std::string& path, bool browse) {
    const int kFileName = 1148;
    press(dialog, button);
    HWND files = waitDialog(pid, kFileName, 10000);
    E2E_CHECK_MSG(files, "no file dialog");
    const size_t slash = path.rfind('\\');
    if (browse && slash != std::string::npos) {
        // The folder first, as a user goes there, then the name.
        setText(files, kFileName, path.substr(0, slash));
        PostMessageA(files, WM_COMMAND, IDOK, 0);
        E2E_CHECK_MSG(waitFor([&] { return itemText(files, kFileName).empty(); }, 5000), "the file dialog did not go to the folder");
        setText(files, kFileName, path.substr(slash + 1));
    } else {
        setText(files, kFileName, path);
    }
    PostMessageA(files, WM_COMMAND, IDOK, 0);
    // Saving over an existing file is asked about first, in a message box: yes.
    // A question of the program's own (owned by the dialog) is the scenario's.
    E2E_CHECK_MSG(waitFor([&] {
                      if (!IsWindow(files))
                          return true;
                      HWND ask = dialogWithItem(pid, IDYES);
                      if (ask && GetDlgItem(ask, 0xFFFF) && GetWindow(ask, GW_OWNER) != dialog)
                          PostMessageA(ask, WM_COMMAND, IDYES, 0);
                      return false;
                  }, 5000),
                  "the file dialog stayed open");
}

HWND waitMenu(DWORD milliseconds, Where where) {
    HWND menu = nullptr;
    waitFor([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr && IsWindowVisible(menu); },
            milliseconds, "the context menu", where);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
}

namespace {
// Menus open as top-level #32768 windows, a submenu as one more.
int visibleMenus() {
    int n = 0;
    for (HWND h = FindWindowExA(nullptr, nullptr, "#32768", nullptr); h; h = FindWindowExA(nullptr, h, "#32768", nullptr))
        n += IsWindowVisible(h) ? 1 : 0;
    return n;
}
}  // namespace

void chooseMenuItem(HWND menu, int downs, int subDowns, Where where) {
    // The menu's highlight cannot be read from another process: each key
    // gets a moment, and the submenu is waited for.
    auto down = [&](int n) {
        for (int i = 0; i < n; ++i) {
            PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
            sleepMs(80);
        }
    };
    down(downs);
    if (subDowns >= 0) {
        // Right opens the submenu on its first entry.
        const int open = visibleMenus();
        PostMessageA(menu, WM_KEYDOWN, VK_RIGHT, 0);
        E2E_CHECK_MSG(waitFor([&] { return visibleMenus() > open; }, 3000, "the submenu", where),
                      "the submenu did not open");
        down(subDowns);
    }
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    E2E_CHECK_MSG(waitFor([&] { return visibleMenus() == 0; }, 4000, "the context menu to close", where),
                  "the context menu stayed open");
}

HWND mciWindowOf(HWND clock) { return FindWindowExA(clock, nullptr, "MCIWndClass", nullptr); }

bool soundPlaying(HWND mci) {
    const LRESULT kModePlaying = 526;
    return SendMessageW(mci, MCIWNDM_GETMODEW, 0, 0) == kModePlaying;
}

POINT dayCell(HWND calendar, int row, int column) {
    // Aimed with the program's own geometry; the pictures and the selected
    // dates tell whether the grid really lies there.
    const RECT grid = rectOf(GetDlgItem(calendar, 1045));
    const GridGeometry g = gridGeometry(screenDpi(), grid.right - grid.left, grid.bottom - grid.top);
    return POINT{grid.left + g.cellLeft + g.cellWidth * column + g.cellWidth / 2,
                 grid.top + g.cellTop + g.cellHeight * row + g.cellHeight / 2};
}

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

int scaled(int pixels) { return scalePixels(pixels, screenDpi()); }

namespace {

// A string or ordinal field of a dialog template: what follows it.
const WORD* skipField(const WORD* p) {
    if (*p == 0xFFFF)
        return p + 2;
    while (*p++ != 0) {
    }
    return p;
}

// The dialog base units of a font as the dialog manager computes them.
SIZE baseUnits(HDC dc) {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent = {};
    GetTextExtentPoint32A(dc, letters, 52, &extent);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    return SIZE{(extent.cx / 26 + 1) / 2, metrics.tmHeight};
}

// A control's text in the font: its single-line extent, or with a width to
// wrap at, the wrapped extent.
SIZE textExtent(HFONT font, const std::string& text, UINT format, int wrapWidth = 0) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = {0, 0, wrapWidth, 0};
    const std::wstring wide = wideFromGbk(text);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, format | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

std::string cutLine(int id, const std::string& text, const char* what, int needed, int has) {
    return std::to_string(id) + " '" + text + "' needs " + std::to_string(needed) + " " + what +
           ", has " + std::to_string(has) + "; ";
}

}  // namespace

HFONT dialogFont(HWND dialog, int templateId) {
    HMODULE program = LoadLibraryExW(wideFromGbk(setup().programPath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    E2E_CHECK_MSG(program, "cannot read the program's resources");
    HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
    const WORD* t = found ? static_cast<const WORD*>(LockResource(LoadResource(program, found))) : nullptr;
    // An extended template with a font: version 1, signature 0xFFFF, DS_SETFONT.
    E2E_CHECK_MSG(t && t[0] == 1 && t[1] == 0xFFFF && (t[6] & DS_SETFONT),
                  "dialog template " + std::to_string(templateId) + " names no font");
    const SIZE units = {static_cast<short>(t[11]), static_cast<short>(t[12])};
    const WORD* p = skipField(skipField(t + 13));  // menu, class
    p = skipField(p);                              // caption
    const int points = p[0], weight = p[1], italic = LOBYTE(p[2]);
    const HFONT font = CreateFontW(-MulDiv(points, screenDpi(), 72), 0, 0, 0, weight, italic, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                   FF_DONTCARE, reinterpret_cast<const wchar_t*>(p + 3));
    FreeLibrary(program);

    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    const SIZE base = baseUnits(dc);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    RECT client = {};
    GetClientRect(dialog, &client);
    const int width = MulDiv(units.cx, base.cx, 4), height = MulDiv(units.cy, base.cy, 8);
    E2E_CHECK_MSG(std::abs(client.right - width) <= 1 && std::abs(client.bottom - height) <= 1,
                  "dialog " + std::to_string(templateId) + " is " + std::to_string(client.right) + "x" +
                      std::to_string(client.bottom) + ", its font's dialog units make " +
                      std::to_string(width) + "x" + std::to_string(height));
    return font;
}

std::string cutTexts(HWND dialog, HFONT font) {
    std::string cut;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    int zero = 0;
    GetCharWidth32A(dc, '0', '0', &zero);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        const std::string text = windowText(control);
        if (!IsWindowVisible(control) || text.empty())
            continue;
        char cls[32] = {};
        GetClassNameA(control, cls, sizeof cls);
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        const int id = GetDlgCtrlID(control);
        RECT client = {};
        GetClientRect(control, &client);
        if (lstrcmpiA(cls, "Button") == 0) {
            // Room the button itself takes from the text: its raised edges, a
            // check box with half a digit's gap, or a group box's insets.
            int frame = 0;
            switch (style & BS_TYPEMASK) {
            case BS_PUSHBUTTON:
            case BS_DEFPUSHBUTTON: frame = 4 * GetSystemMetrics(SM_CXEDGE); break;
            case BS_GROUPBOX: frame = 14; break;
            default: frame = MulDiv(12, screenDpi(), 96) + 1 + zero / 2; break;
            }
            const int needed = textExtent(font, text, DT_SINGLELINE).cx + frame;
            if (needed > client.right)
                cut += cutLine(id, text, "px wide", needed, client.right);
        } else if (lstrcmpiA(cls, "Static") == 0) {
            const LONG type = style & SS_TYPEMASK;
            if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP &&
                type != SS_SIMPLE)
                continue;
            const UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
            if ((style & SS_CENTERIMAGE) || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE) {
                const int needed = textExtent(font, text, DT_SINGLELINE | DT_EXPANDTABS | prefix).cx;
                if (needed > client.right)
                    cut += cutLine(id, text, "px wide", needed, client.right);
            } else {
                const SIZE wrapped =
                    textExtent(font, text, DT_WORDBREAK | DT_EXPANDTABS | prefix, client.right);
                if (wrapped.cy > client.bottom)
                    cut += cutLine(id, text, "px high", wrapped.cy, client.bottom);
                if (wrapped.cx > client.right)
                    cut += cutLine(id, text, "px wide", wrapped.cx, client.right);
            }
        } else if (lstrcmpiA(cls, "Edit") == 0 && (style & ES_READONLY)) {
            const LRESULT margins = SendMessageA(control, EM_GETMARGINS, 0, 0);
            const int needed = textExtent(font, text, DT_SINGLELINE | DT_NOPREFIX).cx + LOWORD(margins) +
                               HIWORD(margins);
            if (needed > client.right)
                cut += cutLine(id, text, "px wide", needed, client.right);
        }
    }
    return cut;
}

std::string cutHeadings(HWND list, HFONT font) {
    std::string cut;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < columns; ++i) {
        const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
        const std::string text = heading(list, i);
        if (width == 0)
            continue;
        // The header draws its text three edges in from each side of an item
        // and ends it in "..." when that is too little.
        const int needed = textExtent(font, text, DT_SINGLELINE | DT_NOPREFIX).cx + 6 * GetSystemMetrics(SM_CXEDGE);
        if (needed > width)
            cut += cutLine(i, text, "px wide", needed, width);
    }
    return cut;
}

void prepare(Session& s, const char* name) {
    s.folder = scenarioFolder(name);
    E2E_CHECK_MSG(installProgram(s.folder), "cannot install the program in " + s.folder);
}

void prepare(Session& s, const char* name, const ClockSettings& settings, const std::vector<AlarmRecord>& alarms) {
    prepare(s, name);
    E2E_CHECK_MSG(writeBytes(s.folder + "\\db.dat",
                             dataFileBytes(settings, alarms.data(), static_cast<int>(alarms.size()))),
                  "cannot write db.dat in " + s.folder);
}

void launch(Session& s, const char* localTime) {
    if (localTime) {
        launchMovable(s, localTime);
        return;
    }
    E2E_CHECK_MSG(s.program.start(s.folder), "the program did not start");
    E2E_CHECK_MSG(s.clock = s.program.clock(), "no clock window appeared");
}

namespace {

std::string clockFileOf(const Session& s) { return s.folder + ".clock"; }

// Seconds into a 12-hour turn of h:mm:ss.
int secondsOfTurn(int h, int m, int sec) { return (h % 12) * 3600 + m * 60 + sec; }

// What the face shows, as secondsOfTurn; -1 when it shows no seconds.
int faceSecondsOfTurn(HWND clock) {
    int h = 0, m = 0, sec = 0;
    if (std::sscanf(itemText(clock, 1000).c_str(), "%d:%d:%d", &h, &m, &sec) != 3)
        return -1;
    return secondsOfTurn(h, m, sec);
}

}  // namespace

void launchMovable(Session& s, const char* localTime, const std::string& currentDir) {
    // The faked clock runs from the moment the process starts, and Wine may
    // take seconds to get the program to its first tick (the i686 pass under
    // qemu most of all, more on a busy machine). Started at localTime itself,
    // the program could first look at the clock after the very minute the
    // scenario is about, and no alarm of that minute would ring. So it starts
    // at second 1 of the same minute (of the minute before for second 0) and
    // is moved to localTime once its clock shows: no minute begins in the gap
    // but localTime's own, which the tick then catches up as if it had seen it.
    LocalTime at{};
    E2E_CHECK_MSG(std::sscanf(localTime, "%d-%d-%d %d:%d:%d", &at.year, &at.month, &at.day, &at.hour, &at.minute,
                              &at.second) == 6,
                  std::string("not a time: ") + localTime);
    const std::string early = timeText(addSeconds(at, -((at.second + 59) % 60)));
    E2E_CHECK_MSG(setClockFile(clockFileOf(s), early), "cannot write the clock file");
    E2E_CHECK_MSG(s.program.startWithClockFile(s.folder, clockFileOf(s), currentDir), "the program did not start");
    E2E_CHECK_MSG(s.clock = s.program.clock(), "no clock window appeared");
    moveClock(s, localTime);
    // The face (when it shows seconds) reaches localTime: from here on the
    // scenario's clock is the one it asked for.
    const int target = secondsOfTurn(at.hour, at.minute, at.second);
    E2E_CHECK_MSG(waitFor(
                      [&] {
                          const int face = faceSecondsOfTurn(s.clock);
                          return face < 0 || (face - target + 43200) % 43200 < 21600;
                      },
                      3000, "the face at the start time"),
                  std::string("the clock shows ") + itemText(s.clock, 1000) + ", not " + localTime);
}

void moveClock(const Session& s, const std::string& localTime) {
    E2E_CHECK_MSG(setClockFile(clockFileOf(s), localTime), "cannot move the clock");
}

std::string timeText(const LocalTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

void startDefault(Session& s, const char* name) {
    prepare(s, name, defaultSettings());
    launch(s);
}

void exitProgram(Session& s) {
    PostMessageA(s.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK_MSG(s.program.waitExit(10000), "the program did not exit");
}

void waitClosed(const Session& s, HWND dialog, const char* what, Where where) {
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(dialog); }, 5000, what, where), std::string(what) + " stayed open");
    DWORD_PTR ignored;
    E2E_CHECK_MSG(SendMessageTimeoutA(s.clock, WM_NULL, 0, 0, SMTO_NORMAL, 10000 * slowFactor(), &ignored),
                  std::string("the clock did not answer after ") + what);
}

DataFile readDataFile(const std::string& folder) {
    DataFile saved;
    std::string bytes;
    E2E_CHECK_MSG(readBytes(folder + "\\db.dat", bytes), "no db.dat");
    const size_t head = sizeof(ClockSettings) + 4;
    int32_t n = -1;
    if (bytes.size() >= head)
        std::memcpy(&n, bytes.data() + sizeof(ClockSettings), 4);
    E2E_CHECK_MSG(n >= 0 && bytes.size() == head + sizeof(AlarmRecord) * n,
                  "db.dat: count " + std::to_string(n) + ", " + std::to_string(bytes.size()) + " bytes");
    std::memcpy(&saved.settings, bytes.data(), sizeof saved.settings);
    saved.alarms.resize(n);
    if (n > 0)
        std::memcpy(saved.alarms.data(), bytes.data() + head, sizeof(AlarmRecord) * n);
    return saved;
}

bool installProgramAs(const std::string& folder, const std::string& fileName) {
    return copyFile(setup().programPath, folder + "\\" + fileName);
}

HANDLE holdFile(const std::string& path) {
    return CreateFileW(wideFromGbk(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace e2e
