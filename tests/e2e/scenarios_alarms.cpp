// Alarms falling due at a chosen moment: texts into the memo, sounds,
// programs and power actions with their countdown.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

// Due at minute 0 of every hour: started at hh:59:57 it fires three seconds later.
const char kBeforeTheHour[] = "2026-12-07 10:59:57";

AlarmRecord hourly(const char* text) {
    AlarmRecord r = emptyAlarm();
    r.minute = 0;
    r.repeatCount = 1;
    r.intervalMinutes = 1;
    std::strcpy(r.text, text);
    return r;
}

struct Run {
    std::string folder;
    Program program;
    HWND clock = nullptr;
};

void prepare(Run& run, const char* name, const AlarmRecord* alarms, int count,
             const std::string& memo = "") {
    run.folder = scenarioFolder(name);
    E2E_CHECK(installProgram(run.folder));
    E2E_CHECK(writeBytes(run.folder + "\\db.dat", dataFileBytes(defaultSettings(), alarms, count)));
    if (!memo.empty())
        E2E_CHECK(writeBytes(run.folder + "\\note.txt", memo));
}

void launch(Run& run, const char* at = kBeforeTheHour) {
    E2E_CHECK(run.program.startAt(run.folder, at));
    run.clock = run.program.clock();
    E2E_CHECK_MSG(run.clock, "no clock window appeared");
}

void startWithAlarms(Run& run, const char* name, const AlarmRecord* alarms, int count,
                     const std::string& memo = "") {
    prepare(run, name, alarms, count, memo);
    launch(run);
}

void exitProgram(Run& run) {
    PostMessageA(run.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(run.program.waitExit(10000));
}

int count(const std::vector<std::string>& lines, const std::string& line) {
    int n = 0;
    for (const auto& l : lines)
        n += l == line;
    return n;
}

HWND mciWindowOf(HWND clock) {
    return FindWindowExA(clock, nullptr, "MCIWndClass", nullptr);
}

const LRESULT kModePlaying = 526;

}  // namespace

E2E_SCENARIO(alarm_text_goes_to_memo) {
    const AlarmRecord alarms[2] = {hourly("第一个提醒"), hourly("second reminder")};
    Run run;
    startWithAlarms(run, "alarm_text", alarms, 2, "旧的备忘");
    E2E_CHECK(!dialogWithItem(run.program.pid(), 1001));

    HWND memo = nullptr;
    E2E_CHECK_MSG(waitFor([&] { return (memo = dialogWithItem(run.program.pid(), 1001)) != nullptr; }, 8000),
                  "the memo did not appear");
    const std::string expected = "旧的备忘\r\n第一个提醒\r\nsecond reminder";
    std::string text;
    E2E_CHECK_MSG(waitFor([&] { return (text = itemText(memo, 1001)) == expected; }, 3000),
                  "memo reads '" + text + "'");
    screenshot("memo", memo);
    // Texts without a sound still make themselves heard, once per alarm.
    const auto log = seamLog(run.folder);
    E2E_CHECK(count(log, "beep 1000 100") == 2);
    E2E_CHECK(log.size() == 2);

    exitProgram(run);
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\note.txt", saved));
    E2E_CHECK(saved == expected);
}

E2E_SCENARIO(alarm_sound_plays_until_clicked) {
    // Due at 11:01, a minute of lead and one more start at the minute itself.
    AlarmRecord alarm = hourly("");
    alarm.minute = 1;
    alarm.leadMinutes = 1;
    alarm.intervalMinutes = 1;
    alarm.repeatCount = 2;
    std::strcpy(alarm.soundPath, "tone.wav");
    Run run;
    prepare(run, "alarm_sound", &alarm, 1);
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(4)));
    launch(run);

    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK_MSG(mci, "no MCI window");
    E2E_CHECK(!IsWindowVisible(mci));
    E2E_CHECK(SendMessageA(mci, MCIWNDM_GETMODEA, 0, 0) != kModePlaying);
    E2E_CHECK_MSG(waitFor([&] { return SendMessageA(mci, MCIWNDM_GETMODEA, 0, 0) == kModePlaying; }, 8000),
                  "the sound did not start at the lead time");
    // Let it be heard for a moment (the runner records the audio device),
    // then a click on the clock silences it.
    sleepMs(1000);
    E2E_CHECK(SendMessageA(mci, MCIWNDM_GETMODEA, 0, 0) == kModePlaying);
    const RECT r = [&] { RECT w; GetWindowRect(run.clock, &w); return w; }();
    mouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    E2E_CHECK_MSG(waitFor([&] { return SendMessageA(mci, MCIWNDM_GETMODEA, 0, 0) != kModePlaying; }, 3000),
                  "a click did not stop the sound");
    // No text, so no beep.
    E2E_CHECK(seamLog(run.folder).empty());
    exitProgram(run);
}

E2E_SCENARIO(alarm_opens_programs) {
    Run run;
    // A document through the shell, a program with arguments through the command line.
    AlarmRecord document = hourly("");
    std::strcpy(document.programPath, "readme.txt");
    AlarmRecord command = hourly("");
    const std::string commandLine = "\"" + driverPath() + "\" --touch touched.txt hello 闹铃";
    std::strcpy(command.programPath, commandLine.c_str());
    AlarmRecord missing = hourly("");
    std::strcpy(missing.programPath, "no-such-program.exe --flag");
    const AlarmRecord alarms[3] = {document, command, missing};
    prepare(run, "alarm_program", alarms, 3);
    E2E_CHECK(writeBytes(run.folder + "\\readme.txt", "今天的计划\r\n"));
    launch(run);

    std::string touched;
    E2E_CHECK_MSG(waitFor([&] { return readBytes(run.folder + "\\touched.txt", touched) && !touched.empty(); }, 8000),
                  "the command line did not run");
    E2E_CHECK(touched == "hello 闹铃");
    // Wine's notepad opens the document.
    E2E_CHECK_MSG(waitFor([&] { return FindWindowA("Notepad", nullptr) != nullptr; }, 8000),
                  "the document was not opened");
    // What cannot be opened either way gives one low beep.
    E2E_CHECK(waitFor([&] { return count(seamLog(run.folder), "beep 100 100") == 1; }, 3000));
    E2E_CHECK(seamLog(run.folder).size() == 1);
    PostMessageA(FindWindowA("Notepad", nullptr), WM_CLOSE, 0, 0);
    exitProgram(run);
}

namespace {

HWND waitForCountdown(Run& run) {
    HWND dialog = nullptr;
    waitFor([&] { return (dialog = dialogWithItem(run.program.pid(), 1042)) != nullptr; }, 8000);
    return dialog;
}

void startShutdownAlarm(Run& run, const char* name) {
    AlarmRecord alarm = hourly("");
    alarm.specialAction = 1;
    startWithAlarms(run, name, &alarm, 1);
}

}  // namespace

E2E_SCENARIO(shutdown_alarm_counts_down_and_cancels) {
    Run run;
    startShutdownAlarm(run, "countdown_cancel");
    HWND countdown = waitForCountdown(run);
    E2E_CHECK_MSG(countdown, "no countdown appeared");
    E2E_CHECK(windowText(countdown) == "定时关机");
    const std::string first = itemText(countdown, 1086);
    E2E_CHECK_MSG(first == "你设定计算机定时关机,如果不取消，30秒后会执行操作。" ||
                      first == "你设定计算机定时关机,如果不取消，29秒后会执行操作。",
                  "countdown reads '" + first + "'");
    E2E_CHECK(waitFor([&] {
        return itemText(countdown, 1086) == "你设定计算机定时关机,如果不取消，28秒后会执行操作。";
    }, 4000));
    const LRESULT position = SendMessageA(GetDlgItem(countdown, 1042), PBM_GETPOS, 0, 0);
    screenshot("countdown", countdown);
    E2E_CHECK(position == 2 || position == 3);
    // The clock keeps running under the countdown.
    const std::string face = itemText(run.clock, 1000);
    E2E_CHECK(waitFor([&] { return itemText(run.clock, 1000) != face; }, 2500));

    PostMessageA(countdown, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(countdown); }, 3000));
    sleepMs(500);
    E2E_CHECK(seamLog(run.folder).empty());
    exitProgram(run);
}

E2E_SCENARIO(shutdown_alarm_runs_on_ok) {
    Run run;
    startShutdownAlarm(run, "countdown_ok");
    HWND countdown = waitForCountdown(run);
    E2E_CHECK(countdown);
    PostMessageA(countdown, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !seamLog(run.folder).empty(); }, 3000));
    sleepMs(500);
    const auto log = seamLog(run.folder);
    E2E_CHECK(log.size() == 1 && log[0] == "power 1");
    exitProgram(run);
}

E2E_SCENARIO(shutdown_alarm_runs_when_time_is_up) {
    Run run;
    startShutdownAlarm(run, "countdown_runs_out");
    HWND countdown = waitForCountdown(run);
    E2E_CHECK(countdown);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(countdown); }, 40000), "the countdown never ended");
    E2E_CHECK(waitFor([&] { return !seamLog(run.folder).empty(); }, 2000));
    const auto log = seamLog(run.folder);
    E2E_CHECK(log.size() == 1 && log[0] == "power 1");
    exitProgram(run);
}

E2E_SCENARIO(power_commands_act_at_once) {
    const std::string folder = scenarioFolder("power_menu");
    E2E_CHECK(installProgram(folder));
    Program program;
    E2E_CHECK(program.start(folder));
    HWND clock = program.clock();
    E2E_CHECK(clock);
    for (int id = 32788; id <= 32793; ++id)
        PostMessageA(clock, WM_COMMAND, id, 0);
    E2E_CHECK(waitFor([&] { return seamLog(folder).size() == 6; }, 3000));
    const auto log = seamLog(folder);
    const char* expected[] = {"screensaver", "power 1", "power 2", "power 3", "power 4", "power 5"};
    for (int i = 0; i < 6; ++i)
        E2E_CHECK_MSG(log[i] == expected[i], "recorded '" + log[i] + "'");
    // No countdown on the menu's path.
    E2E_CHECK(!dialogWithItem(program.pid(), 1042, false));
    PostMessageA(clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(program.waitExit(10000));
}

E2E_SCENARIO(memo_edit_reaches_note_file) {
    Run run;
    const AlarmRecord alarm = hourly("闹铃文字");
    startWithAlarms(run, "memo_edit", &alarm, 1);
    HWND memo = nullptr;
    E2E_CHECK(waitFor([&] { return (memo = dialogWithItem(run.program.pid(), 1001)) != nullptr; }, 8000));
    HWND editor = GetDlgItem(memo, 1001);
    E2E_CHECK_MSG(!IsWindowEnabled(editor), "the memo starts in edit mode");
    RECT r;
    GetWindowRect(memo, &r);
    // Double-click to edit, click into the text, type at its end.
    mouseDoubleClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    E2E_CHECK(waitFor([&] { return IsWindowEnabled(editor) != 0; }, 3000));
    mouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(editor, EM_SETSEL, -1, -1);
    typeText(" ok");
    // Clicking the clock ends editing.
    RECT c;
    GetWindowRect(run.clock, &c);
    mouseClick((c.left + c.right) / 2, (c.top + c.bottom) / 2);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(editor); }, 3000), "still editing");
    exitProgram(run);
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\note.txt", saved));
    E2E_CHECK_MSG(saved == "闹铃文字 ok", "note.txt holds '" + saved + "'");
}
