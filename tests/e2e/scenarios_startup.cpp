// Start-up, single instance and every way the program ends.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "alarm/schedule.h"
#include "clock/clocktext.h"
#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

AlarmRecord alarm(int minute, const char* text, bool temporary) {
    AlarmRecord r = emptyAlarm();
    r.minute = static_cast<int8_t>(minute);
    r.hourMask = 1u << 7;
    std::strcpy(r.text, text);
    r.repeatCount = 1;
    r.intervalMinutes = 1;
    r.temporary = temporary ? 1 : 0;
    return r;
}

LocalTime now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wDayOfWeek};
}

// The clock shows the time of this second or of one just before (the program
// refreshes five times a second, and a busy start may delay a refresh).
bool showsCurrentTime(HWND clock, std::string* shown) {
    *shown = itemText(clock, 1000);
    const LocalTime after = now();
    const ClockSettings s = defaultSettings();
    for (int back = 0; back <= 2; ++back)
        if (*shown == formatClockText(s, addSeconds(after, -back)))
            return true;
    return false;
}

}  // namespace

E2E_SCENARIO(clock_starts_in_empty_folder) {
    Session zentar;
    prepare(zentar, "empty_folder");
    launch(zentar);
    HWND clock = zentar.clock;

    const LONG style = GetWindowLongA(clock, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(clock, GWL_EXSTYLE);
    E2E_CHECK(style & WS_POPUP);
    E2E_CHECK((style & WS_CAPTION) == 0);
    E2E_CHECK(exStyle & WS_EX_TOOLWINDOW);
    E2E_CHECK(GetWindowTextLengthA(clock) == 0);

    std::string first;
    E2E_CHECK_MSG(showsCurrentTime(clock, &first), "clock shows '" + first + "'");
    // The face changes from one second to the next.
    std::string later;
    E2E_CHECK(waitFor([&] { return itemText(clock, 1000) != first; }, 2500));
    E2E_CHECK_MSG(showsCurrentTime(clock, &later), "clock shows '" + later + "'");

    // Missing files are a first start, nothing to tell the user about.
    E2E_CHECK(!messageBox(zentar.pid(), 0));

    // Enter and Escape pressed on the clock leave it running.
    for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        HWND face = GetDlgItem(clock, 1000);
        PostMessageA(face, WM_KEYDOWN, key, 1);
        PostMessageA(face, WM_KEYUP, key, 0xC0000001);
        sleepMs(700);
        E2E_CHECK_MSG(zentar.program.running() && IsWindowVisible(clock),
                      key == VK_RETURN ? "Enter ended the clock" : "Escape ended the clock");
    }
    exitProgram(zentar);
    // An empty folder gets both files on the way out.
    E2E_CHECK(fileExists(zentar.folder + "\\db.dat"));
    E2E_CHECK(fileExists(zentar.folder + "\\note.txt"));
}

E2E_SCENARIO(second_copy_exits_silently) {
    Session first;
    prepare(first, "second_copy");
    launch(first);
    HWND clock = first.clock;

    Program second;
    E2E_CHECK(second.start(first.folder));
    bool showedWindow = false;
    const bool ended = waitFor(
        [&] {
            for (HWND h : windowsOf(second.pid()))
                showedWindow = showedWindow || IsWindowVisible(h);
            return !second.running();
        },
        10000);
    DWORD code = 1;
    E2E_CHECK_MSG(ended && second.waitExit(0, &code), "the second copy kept running");
    E2E_CHECK(code == 0);
    E2E_CHECK(!showedWindow);

    // The first copy is unaffected and still ticking.
    E2E_CHECK(first.program.running());
    const std::string before = itemText(clock, 1000);
    E2E_CHECK(waitFor([&] { return itemText(clock, 1000) != before; }, 2500));
    PostMessageA(clock, WM_CLOSE, 0, 0);
    E2E_CHECK(first.program.waitExit(10000));
}

namespace {

enum class Ending { ExitCommand, Close, EndSessionTrue, EndSessionFalse };

void endAndCheckFiles(const char* name, Ending ending) {
    Session s;
    const AlarmRecord record = alarm(30, "早会", false);
    prepare(s, name, defaultSettings(), {record});
    const std::string folder = s.folder, memo = "备忘：买牛奶\r\n第二行";
    E2E_CHECK(writeBytes(folder + "\\note.txt", memo));
    launch(s);
    Program& zentar = s.program;
    HWND clock = s.clock;
    DeleteFileA((folder + "\\db.dat").c_str());
    DeleteFileA((folder + "\\note.txt").c_str());
    SetWindowPos(clock, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    E2E_CHECK(waitFor([&] { return GetWindowRect(clock, &r) && r.left == 123 && r.top == 77; }, 3000));

    switch (ending) {
    case Ending::ExitCommand:
        PostMessageA(clock, WM_COMMAND, 57665, 0);
        E2E_CHECK(zentar.waitExit(10000));
        break;
    case Ending::Close:
        PostMessageA(clock, WM_CLOSE, 0, 0);
        E2E_CHECK(zentar.waitExit(10000));
        break;
    case Ending::EndSessionTrue:
    case Ending::EndSessionFalse: {
        DWORD_PTR answer = 0;
        E2E_CHECK(SendMessageTimeoutA(clock, WM_ENDSESSION, ending == Ending::EndSessionTrue, 0,
                                      SMTO_ABORTIFHUNG, 10000 * slowFactor(), &answer));
        break;
    }
    }

    const DataFile saved = readDataFile(folder);
    std::string savedMemo;
    E2E_CHECK(readBytes(folder + "\\note.txt", savedMemo));
    E2E_CHECK(saved.settings.posX == 123 && saved.settings.posY == 77);
    E2E_CHECK(saved.alarms.size() == 1 && std::memcmp(&saved.alarms[0], &record, sizeof record) == 0);
    E2E_CHECK(savedMemo == memo);

    if (zentar.running()) {  // the session did not really end: the clock lives on
        E2E_CHECK(!itemText(clock, 1000).empty());
        PostMessageA(clock, WM_CLOSE, 0, 0);
        E2E_CHECK(zentar.waitExit(10000));
    }
    // No temporary file is left beside the data (the test build's own
    // record of the wake timer, zentar-seams.log, is no file of the product).
    std::string stray;
    for (const FoundFile& file : filesIn(folder)) {
        const std::string& name = file.name;
        if (name != "Zentar.exe" && name != "db.dat" && name != "note.txt" && name != "zentar-seams.log")
            stray += " " + name;
    }
    E2E_CHECK_MSG(stray.empty(), "stray files beside the program:" + stray);
}

}  // namespace

E2E_SCENARIO(exit_command_saves) { endAndCheckFiles("exit_command", Ending::ExitCommand); }
E2E_SCENARIO(close_saves) { endAndCheckFiles("close", Ending::Close); }
E2E_SCENARIO(end_session_saves) { endAndCheckFiles("end_session_true", Ending::EndSessionTrue); }
E2E_SCENARIO(cancelled_end_session_saves) {
    endAndCheckFiles("end_session_false", Ending::EndSessionFalse);
}

// Started as 運鐘.exe from a folder named 時計運: 運 is DF 5C in GBK, a
// backslash byte that must not split either path.
E2E_SCENARIO(temporary_alarm_left_out_after_restart) {
    ClockSettings s = defaultSettings();
    s.posX = 200;
    s.posY = 150;
    const std::vector<AlarmRecord> records = {alarm(1, "第一", false), alarm(2, "第二", true),
                                              alarm(3, "第三", false)};
    Session zentar;
    zentar.folder = scenarioFolder("temporary_alarm_時計運");
    const std::string program = "運鐘.exe";
    E2E_CHECK(installProgramAs(zentar.folder, program));
    E2E_CHECK(writeBytes(zentar.folder + "\\db.dat", dataFileBytes(s, records.data(), 3)));
    E2E_CHECK(zentar.program.start(zentar.folder, "\"" + zentar.folder + "\\" + program + "\""));
    E2E_CHECK_MSG(zentar.clock = zentar.program.clock(), "no clock window appeared");
    const RECT r = rectOf(zentar.clock);
    E2E_CHECK_MSG(r.left == 200 && r.top == 150, "db.dat beside the program was not read");
    E2E_CHECK(DeleteFileA((zentar.folder + "\\db.dat").c_str()));
    exitProgram(zentar);

    const DataFile saved = readDataFile(zentar.folder);
    E2E_CHECK(saved.alarms.size() == 2);
    E2E_CHECK(std::memcmp(&saved.alarms[0], &records[0], sizeof(AlarmRecord)) == 0);
    E2E_CHECK(std::memcmp(&saved.alarms[1], &records[2], sizeof(AlarmRecord)) == 0);
}

// Started from elsewhere out of a folder whose name only the wide calls
// reach, the program keeps its files beside itself.
E2E_SCENARIO(chinese_folder_keeps_files_beside_program) {
    Session s;
    prepare(s, "C:\\闹钟 運");
    const std::string elsewhere = "C:\\windows", driver = driverPath();
    E2E_CHECK(s.program.start(s.folder, "", elsewhere) && (s.clock = s.program.clock()));
    PostMessageA(s.clock, WM_COMMAND, 32773, 0);  // add alarm
    HWND editor = waitDialog(s.pid(), 1008);
    E2E_CHECK_MSG(editor, "the editor did not open");
    setText(editor, 1016, "中文目录里的闹铃");
    click(editor, 1003);  // not temporary: saved
    click(editor, IDOK);
    waitClosed(s, editor, "the editor");
    exitProgram(s);
    for (const std::string& other : {elsewhere, elsewhere + "\\system32", driver.substr(0, driver.rfind('\\'))})
        E2E_CHECK_MSG(!fileExists(other + "\\db.dat") && !fileExists(other + "\\note.txt"), "data files in " + other);
    const DataFile saved = readDataFile(s.folder);
    E2E_CHECK(saved.alarms.size() == 1 && std::strcmp(saved.alarms[0].text, "中文目录里的闹铃") == 0);
    E2E_CHECK(fileExists(s.folder + "\\note.txt"));
}

E2E_SCENARIO(relative_start_keeps_files_beside_program) {
    const std::string root = scenarioFolder("relative_start");
    const std::string programFolder = root + "\\prog";
    const std::string elsewhere = root + "\\elsewhere";
    CreateDirectoryA(programFolder.c_str(), nullptr);
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    CreateDirectoryA((elsewhere + "\\prog").c_str(), nullptr);
    E2E_CHECK(installProgram(programFolder));
    ClockSettings s = defaultSettings();
    s.posX = 321;
    s.posY = 45;
    E2E_CHECK(writeBytes(programFolder + "\\db.dat", dataFileBytes(s, nullptr, 0)));

    // The command line names the program relative to this process's folder
    // while the program starts in another one.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(root.c_str());
    Program zentar;
    const bool started = zentar.start(programFolder, "prog\\Zentar.exe", elsewhere);
    SetCurrentDirectoryA(previous);
    E2E_CHECK(started);
    HWND clock = zentar.clock();
    E2E_CHECK(clock);
    const RECT r = rectOf(clock);
    E2E_CHECK_MSG(r.left == 321 && r.top == 45, "db.dat beside the program was not read");
    PostMessageA(clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(zentar.waitExit(10000));

    E2E_CHECK(fileExists(programFolder + "\\note.txt"));
    E2E_CHECK(!fileExists(elsewhere + "\\db.dat"));
    E2E_CHECK(!fileExists(elsewhere + "\\prog\\db.dat"));

    // Started from elsewhere again, an alarm's program named relative to the
    // program's folder runs there, also after a sound was chosen in another
    // folder through the options.
    AlarmRecord relative = alarm(0, "", false);
    relative.hourMask = 0;
    std::strcpy(relative.programPath, "toucher.exe --touch ran.txt 相对");
    E2E_CHECK(CopyFileA(driverPath().c_str(), (programFolder + "\\toucher.exe").c_str(), FALSE));
    E2E_CHECK(writeBytes(programFolder + "\\db.dat", dataFileBytes(s, &relative, 1)));
    E2E_CHECK(writeBytes(elsewhere + "\\ding.wav", toneWav(1)));
    Session again;
    again.folder = programFolder;
    launchMovable(again, "2026-12-07 10:59:57", elsewhere);
    const std::string ran = programFolder + "\\ran.txt";
    E2E_CHECK_MSG(waitFor([&] { return fileExists(ran); }, 8000), "the relative program did not run beside the program");
    PostMessageA(again.clock, WM_COMMAND, 32771, 0);
    HWND options = waitDialog(again.pid(), 1063);
    E2E_CHECK(options);
    chooseFile(again.pid(), options, 1053, elsewhere + "\\ding.wav", true);
    E2E_CHECK(itemText(options, 1052) == elsewhere + "\\ding.wav");
    PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
    waitClosed(again, options, "the options");
    E2E_CHECK(DeleteFileA(ran.c_str()));
    moveClock(again, "2026-12-07 11:59:57");
    E2E_CHECK_MSG(waitFor([&] { return fileExists(ran); }, 8000),
                  "after choosing a sound elsewhere the relative program did not run beside the program");
    E2E_CHECK(!fileExists(elsewhere + "\\ran.txt"));
    exitProgram(again);
}

// A backup or a virus scanner holds both data files while the program starts.
// Once the clock runs the program says so, file by file, and it never
// replaces them during this run, not even after they are free again.
E2E_SCENARIO(held_data_files_are_never_replaced) {
    Session zentar;
    prepare(zentar, "held_files", defaultSettings(), {alarm(30, "早会", false)});
    const std::string dbPath = zentar.folder + "\\db.dat", notePath = zentar.folder + "\\note.txt";
    const std::string memo = "别丢了我的备忘";
    // db.dat held as it is; note.txt left under its backup name by a kill mid-save,
    // the backup held too, so that the start cannot put it back.
    const std::string noteBackup = notePath + ".~bak";
    std::string db;
    E2E_CHECK(readBytes(dbPath, db) && writeBytes(noteBackup, memo));
    HANDLE heldDb = holdFile(dbPath), heldMemo = holdFile(noteBackup);
    E2E_CHECK(heldDb != INVALID_HANDLE_VALUE && heldMemo != INVALID_HANDLE_VALUE);

    const DWORD start = GetTickCount();
    E2E_CHECK(zentar.program.start(zentar.folder));
    zentar.clock = zentar.program.clock(30000);
    const DWORD clockShown = GetTickCount() - start;
    E2E_CHECK_MSG(zentar.clock, "no clock window appeared");
    HWND box = messageBox(zentar.pid());
    const DWORD messageShown = GetTickCount() - start;
    E2E_CHECK_MSG(box, "nothing said about db.dat");
    E2E_CHECK(itemText(box, 0xFFFF) == "无法读取闹铃数据文件 db.dat，本次运行不会覆盖它，新的修改不会保存。");
    // The clock keeps running under the message.
    const std::string face = itemText(zentar.clock, 1000);
    E2E_CHECK_MSG(waitFor([&] { return itemText(zentar.clock, 1000) != face; }, 2500),
                  "the clock stopped under the message");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(box); }, 3000));
    E2E_CHECK(answer(zentar.pid(), 3000) == "无法读取备忘录文件 note.txt，本次运行不会覆盖它，新的修改不会保存。");
    std::printf("         with db.dat held (and note.txt's backup): clock shown after %lu ms, the message after %lu ms\n",
                static_cast<unsigned long>(clockShown), static_cast<unsigned long>(messageShown));

    CloseHandle(heldDb);
    CloseHandle(heldMemo);
    PostMessageA(zentar.clock, WM_COMMAND, 32771, 0);
    HWND options = waitDialog(zentar.pid(), 1063);
    E2E_CHECK(options);
    PostMessageA(options, WM_COMMAND, IDOK, 0);
    waitClosed(zentar, options, "the options");
    std::string bytes;
    E2E_CHECK_MSG(readBytes(dbPath, bytes) && bytes == db, "options OK replaced db.dat");
    E2E_CHECK_MSG(!fileExists(notePath) && readBytes(noteBackup, bytes) && bytes == memo,
                  "options OK wrote note.txt over the waiting backup");
    exitProgram(zentar);
    E2E_CHECK_MSG(readBytes(dbPath, bytes) && bytes == db, "the exit replaced db.dat");
    E2E_CHECK_MSG(!fileExists(notePath) && readBytes(noteBackup, bytes) && bytes == memo,
                  "the exit wrote note.txt over the waiting backup");
}
