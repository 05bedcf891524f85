// Alarms falling due at a chosen moment: texts into the memo, sounds,
// programs and power actions with their countdown.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "alarm/schedule.h"
#include "calendar/lunar.h"
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

void startWithAlarms(Session& run, const char* name, const std::vector<AlarmRecord>& alarms) {
    prepare(run, name, defaultSettings(), alarms);
    launch(run, kBeforeTheHour);
}

int count(const std::vector<std::string>& lines, const std::string& line) {
    int n = 0;
    for (const auto& l : lines)
        n += l == line;
    return n;
}

// All of a long text: the harness reads only short ones.
std::string longText(HWND edit) {
    std::vector<wchar_t> text(256 * 1024);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 3000 * slowFactor(), &length))
        return std::string();
    return gbkFromWide(text.data(), static_cast<int>(length));
}

// The clock's menu opened as the context-menu key does, and the entry
// `downs` from the top chosen.
void chooseFromMenu(const Session& run, int downs) {
    PostMessageA(run.clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(run.clock), MAKELPARAM(-1, -1));
    HWND menu = waitMenu(3000);
    E2E_CHECK_MSG(menu, "no context menu");
    chooseMenuItem(menu, downs);
}

// The alarm list's rows: next ring, sound, text and temporary, joined by "|".
std::string listedRow(const Session& run, int row) {
    PostMessageA(run.clock, WM_COMMAND, 32772, 0);
    HWND list = waitDialog(run.pid(), 1037);
    E2E_CHECK_MSG(list, "the alarm list did not open");
    HWND view = GetDlgItem(list, 1006);
    const std::string shown = cell(view, row, 8) + "|" + cell(view, row, 2) + "|" + cell(view, row, 3) + "|" +
                              cell(view, row, 6);
    PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    waitClosed(run, list, "the alarm list");
    return shown;
}

}  // namespace

// The memo holds more than the 32,767 characters a rich edit keeps unless told otherwise.
E2E_SEAMS_SCENARIO(alarm_text_goes_to_memo) {
    std::string old = "旧的备忘";
    for (int line = 1; old.size() < 40000; ++line)
        old += "\r\n" + std::to_string(line) + ": buy milk, call the plumber, water the plants";
    Session run;
    prepare(run, "alarm_text", defaultSettings(), {hourly("第一个提醒"), hourly("second reminder")});
    E2E_CHECK(writeBytes(run.folder + "\\note.txt", old));
    launch(run, kBeforeTheHour);
    E2E_CHECK(!dialogWithItem(run.pid(), 1001));

    HWND memo = waitDialog(run.pid(), 1001);
    E2E_CHECK_MSG(memo, "the memo did not appear");
    HWND edit = GetDlgItem(memo, 1001);
    const std::string expected = old + "\r\n第一个提醒\r\nsecond reminder";
    E2E_CHECK_MSG(waitFor([&] { return longText(edit) == expected; }, 3000),
                  "memo holds " + std::to_string(longText(edit).size()) + " bytes");
    // Windows would have cut the text at the control's limit; Wine does not, so the limit itself is checked.
    const LRESULT limit = SendMessageA(edit, EM_GETLIMITTEXT, 0, 0);
    E2E_CHECK_MSG(limit >= 0x10000000, "the memo keeps at most " + std::to_string(limit) + " characters");
    // The new lines are in view, not the top of the note.
    const LRESULT lines = SendMessageA(edit, EM_GETLINECOUNT, 0, 0);
    const LRESULT first = SendMessageA(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    E2E_CHECK_MSG(first > 0 && lines - first < 20,
                  "line " + std::to_string(first) + " of " + std::to_string(lines) + " is at the top");
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

namespace {

// The ring window once it shows the minute and what rang: its buttons are
// disabled at first and enabled a second later.
HWND expectRing(const Session& run, const char* minute, const char* label) {
    HWND ring = nullptr;
    E2E_CHECK_MSG(waitFor([&] { return (ring = dialogWithItem(run.pid(), 1092)) && itemText(ring, 1094) == label; }, 8000),
                  std::string("no ring window for ") + label);
    const auto enabled = [&] { return IsWindowEnabled(GetDlgItem(ring, 1090)) + IsWindowEnabled(GetDlgItem(ring, 1091)) +
                                      IsWindowEnabled(GetDlgItem(ring, 1092)); };
    E2E_CHECK_MSG(enabled() == 0, "the ring window's buttons are enabled at once");
    expectText(ring, 1093, minute);
    E2E_CHECK(waitFor([&] { return enabled() == 3; }, 3000, "the ring window's buttons enabled"));
    return ring;
}

void expectStopped(HWND mci, HWND ring, const char* by) {
    E2E_CHECK_MSG(waitFor([&] { return !soundPlaying(mci) && !IsWindowVisible(ring); }, 10000, "sound and window gone"),
                  std::string(by) + " left the sound or the ring window on");
}

}  // namespace

// While it rings, the menu offers to snooze it: 5, 10 and 30 minutes above
// 设置选项, only until the sound stops. The ring window shows it beside the
// clock, and with the memo it leaves the keyboard where it was; with
// 响铃持续 at 1分钟 a sound nobody answers stops after a minute.
E2E_SEAMS_SCENARIO(alarm_sound_plays_until_clicked) {
    // Due at 11:01, a minute of lead and one more start at the minute itself.
    AlarmRecord alarm = hourly("起床");
    alarm.minute = 1;
    alarm.leadMinutes = 1;
    alarm.intervalMinutes = 1;
    alarm.repeatCount = 2;
    std::strcpy(alarm.soundPath, "tone.wav");
    AlarmRecord second = hourly("");  // the sound alone at 11:30
    second.hourMask = hourBit(11);
    second.minute = 30;
    std::strcpy(second.soundPath, "tone.wav");
    ClockSettings settings = defaultSettings();
    settings.ringMinutes = 1;
    Session run;
    prepare(run, "alarm_sound", settings, {alarm, second});
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(20)));
    launchMovable(run, kBeforeTheHour);

    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK_MSG(mci, "no MCI window");
    E2E_CHECK(!IsWindowVisible(mci));
    E2E_CHECK(!soundPlaying(mci));
    E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 8000),
                  "the sound did not start at the lead time");
    // Let it be heard for a moment (the runner records the audio device),
    // then a click on the clock silences it. The start belongs to 11:01.
    HWND ring = expectRing(run, "11:01am", "起床");
    E2E_CHECK(soundPlaying(mci));
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK_MSG(waitFor([&] { return !soundPlaying(mci); }, 3000),
                  "a click did not stop the sound");
    expectStopped(mci, ring, "a click on the clock");
    // Another program, started after that click, has the keyboard.
    Program notepad;
    HWND editor = nullptr;
    E2E_CHECK(notepad.start(run.folder, "notepad.exe") &&
              waitFor([&] { return (editor = visibleOfClass(notepad.pid(), "Notepad")) && GetForegroundWindow() == editor; },
                      15000, "notepad in front"));

    // The start at 11:01: the fourth entry is now 设置选项, the second
    // snoozes for 10 minutes, to 11:12.
    E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 65000), "the second start did not ring");
    expectRing(run, "11:01am", "起床");
    E2E_CHECK_MSG(waitDialog(run.pid(), 1001, 5000) && GetForegroundWindow() == editor,
                  "the memo or the ring window took the keyboard from notepad");
    chooseFromMenu(run, 4);
    HWND options = waitDialog(run.pid(), 1062, 15000);
    E2E_CHECK_MSG(options, "the fourth entry of a ringing alarm's menu is not 设置选项");
    PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
    waitClosed(run, options, "the options");
    E2E_CHECK(soundPlaying(mci));
    chooseFromMenu(run, 2);
    E2E_CHECK_MSG(waitFor([&] { return !soundPlaying(mci); }, 3000), "snoozing did not stop the sound");
    expectStopped(mci, ring, "a snooze from the menu");
    std::string row = listedRow(run, 2);
    E2E_CHECK_MSG(row == "12月7日 11:12|tone.wav|起床|是", "the snooze is listed as '" + row + "'");

    // It rings at 11:12; the first entry then snoozes for 5 minutes, and
    // with that the menu is back to its own first entry.
    moveClock(run, "2026-12-07 11:11:57");
    E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 8000), "the snooze did not ring");
    chooseFromMenu(run, 1);
    E2E_CHECK_MSG(waitFor([&] { return !soundPlaying(mci); }, 3000), "snoozing did not stop the sound");
    row = listedRow(run, 3);
    E2E_CHECK_MSG(row == "12月7日 11:18|tone.wav|起床|是", "the second snooze is listed as '" + row + "'");
    chooseFromMenu(run, 1);
    options = waitDialog(run.pid(), 1062, 15000);
    E2E_CHECK_MSG(options, "a silent clock's first entry is not 设置选项");
    PostMessageA(options, WM_COMMAND, IDCANCEL, 0);
    waitClosed(run, options, "the options");

    // At 11:18 the window's 10分钟后再响 does what the menu's entry does.
    moveClock(run, "2026-12-07 11:17:57");
    press(expectRing(run, "11:18am", "起床"), 1091);
    expectStopped(mci, ring, "10分钟后再响");
    row = listedRow(run, 4);
    E2E_CHECK_MSG(row == "12月7日 11:29|tone.wav|起床|是", "the window's snooze is listed as '" + row + "'");
    // At 11:30 the other sound replaces the snooze's in the window; nobody
    // answers, so a minute later it stops and the memo says what rang.
    moveClock(run, "2026-12-07 11:28:57");
    expectRing(run, "11:29am", "起床");
    moveClock(run, "2026-12-07 11:29:57");
    expectRing(run, "11:30am", "tone.wav");
    moveClock(run, "2026-12-07 11:30:55");
    expectStopped(mci, ring, "a minute unanswered");
    const std::string note = itemText(dialogWithItem(run.pid(), 1001), 1001);
    const size_t unanswered = note.find("\r\n[未应答");
    E2E_CHECK_MSG(unanswered != std::string::npos && note.substr(unanswered) == "\r\n[未应答 11:30] tone.wav",
                  "the memo reads '" + note + "'");
    // The texts have their sound, so no beep.
    E2E_CHECK(seamLog(run.folder).empty());
    exitProgram(run);
}

E2E_SEAMS_SCENARIO(alarm_opens_programs) {
    Session run;
    // A document through the shell, a program with arguments through the command line.
    AlarmRecord document = hourly("");
    std::strcpy(document.programPath, "readme.txt");
    AlarmRecord command = hourly("");
    const std::string commandLine = "\"" + driverPath() + "\" --touch touched.txt hello 闹铃";
    std::strcpy(command.programPath, commandLine.c_str());
    AlarmRecord missing = hourly("");
    std::strcpy(missing.programPath, "no-such-program.exe --flag");
    prepare(run, "alarm_program", defaultSettings(), {document, command, missing});
    E2E_CHECK(writeBytes(run.folder + "\\readme.txt", "今天的计划\r\n"));
    launch(run, kBeforeTheHour);

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

// The moment the face shows, on a day it does not show.
LocalTime faceTime(HWND clock, const LocalTime& day) {
    LocalTime t = day;
    t.hour = t.minute = t.second = -1;
    std::sscanf(itemText(clock, 1000).c_str(), "%d:%d:%d", &t.hour, &t.minute, &t.second);
    return t;
}

}  // namespace

// The wall clock jumps while the program runs. Three minutes forward: the
// alarm in the gap rings late, once, as if its second had been seen. Three
// hours forward: only its text comes, marked as missed; nothing is started.
E2E_SEAMS_SCENARIO(clock_jumps_catch_up_missed_alarms) {
    const LocalTime day = {2026, 12, 7, 0, 0, 0, 1};
    AlarmRecord meeting = hourly("开会");
    meeting.hourMask = hourBit(11);
    std::strcpy(meeting.soundPath, "tone.wav");
    std::strcpy(meeting.programPath, ("\"" + driverPath() + "\" --touch meeting.txt 补上").c_str());
    AlarmRecord lunch = meeting;
    lunch.hourMask = hourBit(12);
    lunch.minute = 30;
    std::strcpy(lunch.text, "午饭");
    std::strcpy(lunch.programPath, ("\"" + driverPath() + "\" --touch lunch.txt").c_str());
    Session run;
    prepare(run, "clock_jumps", defaultSettings(), {meeting, lunch});
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(20)));
    launchMovable(run, "2026-12-07 10:58:10");
    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK(mci);

    const LocalTime start = faceTime(run.clock, day);
    E2E_CHECK_MSG(start.hour == 10 && start.minute == 58, "the clock starts at " + itemText(run.clock, 1000));
    const LocalTime shortJump = addSeconds(start, 180);
    moveClock(run, timeText(shortJump));
    DWORD jumped = GetTickCount();
    HWND memo = waitDialog(run.pid(), 1001, 5000);
    const DWORD textAfter = GetTickCount() - jumped;
    const LocalTime rang = faceTime(run.clock, day);
    E2E_CHECK_MSG(memo, "the alarm in the gap wrote nothing; the clock shows " + itemText(run.clock, 1000));
    std::string touched;
    E2E_CHECK_MSG(waitFor([&] { return readBytes(run.folder + "\\meeting.txt", touched); }, 5000),
                  "the alarm in the gap started no program");
    const DWORD programAfter = GetTickCount() - jumped;
    E2E_CHECK_MSG(rang.hour == 11 && rang.minute == 1, "after the jump the clock shows " + itemText(run.clock, 1000));
    E2E_CHECK(soundPlaying(mci));
    // Once each, also a while later.
    sleepMs(2000);
    E2E_CHECK_MSG(itemText(memo, 1001) == "开会", "the memo reads '" + itemText(memo, 1001) + "'");
    E2E_CHECK_MSG(readBytes(run.folder + "\\meeting.txt", touched) && touched == "补上",
                  "the program left '" + touched + "'");
    // A click on the clock answers it. Until the ring window goes, the click
    // may not have been taken: the long jump would then find the alarm still
    // ringing and, past its minute, say it went unanswered.
    HWND ring = dialogWithItem(run.pid(), 1092);
    E2E_CHECK_MSG(ring && IsWindowVisible(ring), "no ring window for the alarm in the gap");
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    expectStopped(mci, ring, "a click on the clock");

    const LocalTime before = faceTime(run.clock, day);
    const LocalTime longJump = addSeconds(before, 3 * 3600);
    moveClock(run, timeText(longJump));
    jumped = GetTickCount();
    const std::string missed = "开会\r\n[错过 12:30] 午饭";
    E2E_CHECK_MSG(waitFor([&] { return itemText(memo, 1001) == missed; }, 5000),
                  "after three hours the memo reads '" + itemText(memo, 1001) + "'");
    const DWORD missedAfter = GetTickCount() - jumped;
    const LocalTime told = faceTime(run.clock, day);
    E2E_CHECK_MSG(told.hour == 14, "after the long jump the clock shows " + itemText(run.clock, 1000));
    E2E_CHECK(IsWindowVisible(memo));
    sleepMs(2000);
    E2E_CHECK(itemText(memo, 1001) == missed);
    E2E_CHECK_MSG(!fileExists(run.folder + "\\lunch.txt"), "a missed alarm's program ran");
    E2E_CHECK_MSG(!soundPlaying(mci), "a missed alarm's sound started");
    E2E_CHECK(readBytes(run.folder + "\\meeting.txt", touched) && touched == "补上");
    E2E_CHECK(seamLog(run.folder).empty());
    // Clock times as hh:mm:ss.
    auto hms = [](const LocalTime& t) { return timeText(t).substr(11); };
    std::printf("         3-minute jump %s -> %s: the 11:00 alarm's text after %lu ms, its program after %lu ms, "
                "%d s after its minute by the clock; 3-hour jump %s -> %s: the 12:30 alarm's text marked as "
                "missed after %lu ms (clock at %s), no program, no sound\n",
                hms(start).c_str(), hms(shortJump).c_str(), static_cast<unsigned long>(textAfter),
                static_cast<unsigned long>(programAfter), rang.minute * 60 + rang.second, hms(before).c_str(),
                hms(longJump).c_str(), static_cast<unsigned long>(missedAfter), hms(told).c_str());
    exitProgram(run);
}

namespace {

HWND waitForCountdown(const Session& run) { return waitDialog(run.pid(), 1042); }

void startShutdownAlarm(Session& run, const char* name, const char* at = kBeforeTheHour) {
    AlarmRecord alarm = hourly("");
    alarm.specialAction = 1;
    prepare(run, name, defaultSettings(), {alarm});
    launch(run, at);
}

}  // namespace

E2E_SEAMS_SCENARIO(shutdown_alarm_counts_down_and_cancels) {
    Session run;
    // The About box is open when the alarm falls due: the countdown comes over it.
    startShutdownAlarm(run, "countdown_cancel", "2026-12-07 10:59:53");
    PostMessageA(run.clock, WM_COMMAND, 57664, 0);
    HWND about = waitDialog(run.pid(), 1001, 3000);
    E2E_CHECK(about);
    E2E_CHECK(!dialogWithItem(run.pid(), 1042, false));
    HWND countdown = waitForCountdown(run);
    E2E_CHECK_MSG(countdown, "no countdown appeared");
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(about) && !IsWindowEnabled(run.clock); }, 2000),
                  "the About box or the clock takes input under the countdown");
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
    // Each loop gives back exactly what it took: the About box is usable
    // again, and the clock only once that is closed too.
    E2E_CHECK_MSG(IsWindowEnabled(about) && !IsWindowEnabled(run.clock), "wrong windows enabled after the countdown");
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(about); }, 3000));
    E2E_CHECK(IsWindowEnabled(run.clock));
    sleepMs(500);
    E2E_CHECK(seamLog(run.folder).empty());
    exitProgram(run);
}

// Put off by 10 minutes, the action waits for the countdown at 11:11.
E2E_SEAMS_SCENARIO(shutdown_alarm_runs_on_ok) {
    Session run;
    AlarmRecord alarm = hourly("");
    alarm.specialAction = 1;
    prepare(run, "countdown_ok", defaultSettings(), {alarm});
    launchMovable(run, kBeforeTheHour);
    HWND countdown = waitForCountdown(run);
    E2E_CHECK(countdown);
    // OK, 推迟10分钟, 取消 from the left; 取消 is the default and first.
    HWND ok = GetDlgItem(countdown, IDOK), later = GetDlgItem(countdown, 1087), cancel = GetDlgItem(countdown, IDCANCEL);
    E2E_CHECK(windowText(later) == "推迟10分钟");
    E2E_CHECK(rectOf(ok).right < rectOf(later).left && rectOf(later).right < rectOf(cancel).left);
    E2E_CHECK(GetNextDlgTabItem(countdown, nullptr, FALSE) == cancel &&
              (GetWindowLongA(cancel, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON);
    PostMessageA(countdown, WM_COMMAND, 1087, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(countdown); }, 3000));
    moveClock(run, "2026-12-07 11:10:58");
    sleepMs(1500);
    E2E_CHECK_MSG(seamLog(run.folder).empty(), "a power action ran before the postponed minute");
    countdown = waitForCountdown(run);
    E2E_CHECK_MSG(countdown, "the postponed countdown did not come");
    E2E_CHECK(windowText(countdown) == "定时关机");
    E2E_CHECK(itemText(run.clock, 1000).compare(0, 5, "11:11") == 0);
    E2E_CHECK(seamLog(run.folder).empty());
    PostMessageA(countdown, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !seamLog(run.folder).empty(); }, 3000));
    sleepMs(500);
    const auto log = seamLog(run.folder);
    E2E_CHECK(log.size() == 1 && log[0] == "power 1");
    exitProgram(run);
}

E2E_SEAMS_SCENARIO(shutdown_alarm_runs_when_time_is_up) {
    Session run;
    startShutdownAlarm(run, "countdown_runs_out");
    HWND countdown = waitForCountdown(run);
    E2E_CHECK(countdown);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(countdown); }, 40000), "the countdown never ended");
    E2E_CHECK(waitFor([&] { return !seamLog(run.folder).empty(); }, 2000));
    const auto log = seamLog(run.folder);
    E2E_CHECK(log.size() == 1 && log[0] == "power 1");
    exitProgram(run);
}

E2E_SEAMS_SCENARIO(power_commands_act_at_once) {
    Session run;
    prepare(run, "power_menu");
    launch(run);
    for (int id = 32788; id <= 32793; ++id)
        PostMessageA(run.clock, WM_COMMAND, id, 0);
    E2E_CHECK(waitFor([&] { return seamLog(run.folder).size() == 6; }, 3000));
    const auto log = seamLog(run.folder);
    const char* expected[] = {"screensaver", "power 1", "power 2", "power 3", "power 4", "power 5"};
    for (int i = 0; i < 6; ++i)
        E2E_CHECK_MSG(log[i] == expected[i], "recorded '" + log[i] + "'");
    // No countdown on the menu's path.
    E2E_CHECK(!dialogWithItem(run.pid(), 1042, false));
    exitProgram(run);
}

// Heard from a folder whose names only the wide file functions reach.
E2E_SCENARIO(alarm_sound_from_chinese_folder) {
    const std::string sound = "C:\\中文目录\\铃声\\起床铃声.wav";
    AlarmRecord alarm = hourly("起床");
    std::strcpy(alarm.soundPath, sound.c_str());
    Session run;
    prepare(run, "alarm_sound_chinese_folder", defaultSettings(), {alarm});
    makeFolder("C:\\中文目录");
    makeFolder("C:\\中文目录\\铃声");
    E2E_CHECK(writeBytes(sound, toneWav(10)));
    launch(run, kBeforeTheHour);
    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK_MSG(mci && waitFor([&] { return soundPlaying(mci); }, 8000), "the sound did not play");
    sleepWall(1500);  // heard for a moment: the runner records the audio device
    exitProgram(run);
}

E2E_SCENARIO(memo_edit_reaches_note_file) {
    Session run;
    startWithAlarms(run, "memo_edit", {hourly("闹铃文字")});
    HWND memo = waitDialog(run.pid(), 1001);
    E2E_CHECK(memo);
    HWND editor = GetDlgItem(memo, 1001);
    E2E_CHECK_MSG(!IsWindowEnabled(editor), "the memo starts in edit mode");
    // Double-click to edit, click into the text, type at its end.
    const POINT m = centreOf(memo);
    mouseDoubleClick(m.x, m.y);
    E2E_CHECK(waitFor([&] { return IsWindowEnabled(editor) != 0; }, 3000));
    mouseClick(m.x, m.y);
    SendMessageA(editor, EM_SETSEL, -1, -1);
    typeText(" ok");
    // A character GBK lacks becomes "?", said once when editing ends.
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"\xD83D\xDE00"));
    // Clicking the clock ends editing.
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(editor); }, 3000), "still editing");
    const std::string said = answer(run.pid(), 3000);
    E2E_CHECK_MSG(said == "备忘录中含有无法保存的字符，已用“?”代替。", "the memo said " + said);
    E2E_CHECK(!messageBox(run.pid(), 1000));
    // The end of editing saved note.txt, and said nothing of it.
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\note.txt", saved));
    E2E_CHECK_MSG(saved == "闹铃文字 ok?", "note.txt holds '" + saved + "'");
    // The message took the click's button-up, so the clock is being dragged
    // with no button held; Esc ends that.
    PostMessageA(run.clock, WM_KEYDOWN, VK_ESCAPE, 0);
    exitProgram(run);
}

namespace {

// Starts the program of `folder` at `start`, a few seconds before 9:00, and
// returns what the memo shows once the tick at 9:00:00 has acted ("" when
// no memo came), then ends the program. The memo starts empty every time.
std::string memoAtNine(const std::string& folder, const char* start) {
    E2E_CHECK(writeBytes(folder + "\\note.txt", ""));
    Session run;
    run.folder = folder;
    launch(run, start);
    E2E_CHECK_MSG(waitFor([&] { return itemText(run.clock, 1000).rfind(" 9:00:0", 0) == 0; }, 8000, "9:00 on the face"),
                  "the clock shows " + itemText(run.clock, 1000));
    sleepMs(2000);  // time for the tick at 9:00:00 to act
    HWND memo = dialogWithItem(run.pid(), 1001);
    const std::string shown = memo ? itemText(memo, 1001) : "";
    exitProgram(run);
    return shown;
}

}  // namespace

// A lunar 八月十五 alarm at 9:00 writes its text on the day the calendar
// names so, 2027-09-15, and not on the day before.
E2E_SEAMS_SCENARIO(lunar_alarm_rings_on_its_lunar_day) {
    LunarDate eve = {}, festival = {};
    E2E_CHECK(lunarDateOf(2027, 9, 14, eve) && eve.month == 8 && eve.day == 14 && !eve.leap);
    E2E_CHECK(lunarDateOf(2027, 9, 15, festival) && festival.month == 8 && festival.day == 15 && !festival.leap);
    AlarmRecord moon = hourly("中秋赏月");
    moon.monthMask = monthBit(8);
    moon.dayMask = dayBit(15);
    moon.hourMask = hourBit(9);
    moon.calendarKind = kCalendarLunar;
    Session first;
    prepare(first, "lunar_alarm", defaultSettings(), {moon});
    for (const char* start : {"2027-09-14 08:59:57", "2027-09-15 08:59:57"}) {
        const bool due = start[9] == '5';
        const std::string shown = memoAtNine(first.folder, start);
        E2E_CHECK_MSG(shown == (due ? "中秋赏月" : ""), "the memo reads '" + shown + "' at " + start);
        std::string note;
        readBytes(first.folder + "\\note.txt", note);
        E2E_CHECK_MSG(note == shown, "note.txt holds '" + note + "' after " + start);
    }
}

// China's work calendar at 9:00: a 法定工作日 alarm rings on the make-up
// Sunday before 国庆节 and keeps still on its Monday off, where a plain
// Monday-to-Friday alarm does the opposite. 2027 is not built in: its first
// day is a Friday like any until holidays\2027.json says otherwise; and a
// line of holidays.txt makes a Saturday a workday.
E2E_SEAMS_SCENARIO(work_calendar_rules_follow_the_official_days) {
    AlarmRecord workdays = hourly("上班");
    workdays.hourMask = hourBit(9);
    workdays.dayRule = kDayRuleWorkdays;
    AlarmRecord weekdays = hourly("周一到周五");
    weekdays.hourMask = hourBit(9);
    weekdays.weekdayMask = 0x3E;
    Session first;
    prepare(first, "work_calendar", defaultSettings(), {workdays, weekdays});
    const std::string folder = first.folder;
    const std::string both = "上班\r\n周一到周五";
    const struct {
        const char* start;
        std::string memo;
    } days[] = {
        {"2026-09-20 08:59:57", "上班"},        // Sunday, 班
        {"2026-10-05 08:59:57", "周一到周五"},  // Monday, 休
        {"2027-01-01 08:59:57", both},          // Friday, not covered
    };
    for (const auto& d : days) {
        const std::string shown = memoAtNine(folder, d.start);
        E2E_CHECK_MSG(shown == d.memo, "the memo reads '" + shown + "' at " + d.start);
    }
    E2E_CHECK(makeFolder(folder + "\\holidays"));
    E2E_CHECK(writeBytes(folder + "\\holidays\\2027.json",
                         u8R"({"year": 2027, "papers": [], "days": [{"name": "元旦", "date": "2027-01-01", "isOffDay": true}]})"));
    std::string shown = memoAtNine(folder, "2027-01-01 08:59:57");
    E2E_CHECK_MSG(shown == "周一到周五", "with 2027.json the memo reads '" + shown + "'");
    E2E_CHECK(memoAtNine(folder, "2026-12-12 08:59:57").empty());
    E2E_CHECK(writeBytes(folder + "\\holidays.txt", "# 公司的安排\r\n2026-12-12 班 年终加班\r\n"));
    shown = memoAtNine(folder, "2026-12-12 08:59:57");
    E2E_CHECK_MSG(shown == "上班", "with holidays.txt the memo reads '" + shown + "' on Saturday 2026-12-12");
}

namespace {

// The wake timer's armings and cancellings so far ("wake ..." lines only:
// whether the timer itself fires depends on the real clock of the
// wineserver, which a faked clock does not move).
std::vector<std::string> wakeLines(const std::string& folder) {
    std::vector<std::string> lines;
    for (const std::string& line : wakeLog(folder))
        if (line.rfind("wake ", 0) == 0)
            lines.push_back(line);
    return lines;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& line : lines)
        s += (s.empty() ? "" : " | ") + line;
    return s;
}

// Waits until the wake lines are exactly `expected`.
void expectWakeLines(const Session& run, const std::vector<std::string>& expected, const char* when) {
    E2E_CHECK_MSG(waitFor([&] { return wakeLines(run.folder) == expected; }, 5000),
                  std::string(when) + ": the wake lines read " + joined(wakeLines(run.folder)));
}

HWND openOptions(const Session& run) {
    PostMessageA(run.clock, WM_COMMAND, 32771, 0);
    HWND options = waitDialog(run.pid(), 1063);
    E2E_CHECK_MSG(options, "the options dialog did not open");
    return options;
}

// Clicks one check box of the options and confirms them.
void toggleOption(const Session& run, int box) {
    HWND options = openOptions(run);
    click(options, box);
    click(options, IDOK);
    waitClosed(run, options, "the options dialog");
}

}  // namespace

// The wake timer follows the table: armed 60 s before the next alarm that
// makes itself heard (a text alone does not), after start-up, an edit and
// a firing; cancelled with the option or the alarm service off. On the real
// clock a timer whose moment has come keeps the computer awake until the
// user clicks the clock.
E2E_SEAMS_SCENARIO(wake_timer_follows_the_table) {
    AlarmRecord sound = hourly("响铃");
    sound.minute = 1;
    std::strcpy(sound.soundPath, "tone.wav");
    AlarmRecord textOnly = hourly("只有文字");
    AlarmRecord off = hourly("");
    std::strcpy(off.soundPath, "tone.wav");
    off.disabled = 1;
    Session run;
    prepare(run, "wake_timer", defaultSettings(), {textOnly, sound, off});
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(2)));
    launch(run, "2026-12-07 10:59:30");
    std::vector<std::string> expected = {"wake 2026-12-07 11:00:00"};
    expectWakeLines(run, expected, "after start-up");

    // The sound alarm moved to minute 0 in the list's editor.
    PostMessageA(run.clock, WM_COMMAND, 32772, 0);
    HWND list = waitDialog(run.pid(), 1037);
    E2E_CHECK_MSG(list, "the alarm list did not open");
    HWND view = GetDlgItem(list, 1006);
    selectRows(view, {1});
    press(list, 1008);
    HWND editor = waitDialog(run.pid(), 1013);
    E2E_CHECK_MSG(editor, "no editor");
    setText(editor, 1013, "0");
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    expected.push_back("wake 2026-12-07 10:59:00");
    expectWakeLines(run, expected, "after an edit");
    const std::string edited = itemText(run.clock, 1000);
    E2E_CHECK_MSG(edited.compare(0, 5, "10:59") == 0, "the edit came too late, at " + edited);
    PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    waitClosed(run, list, "the alarm list");

    // 11:00: both alarms ring; the next is the sound's at 12:00.
    HWND memo = waitDialog(run.pid(), 1001, 30000);
    E2E_CHECK_MSG(memo, "the alarms did not ring");
    expected.push_back("wake 2026-12-07 11:59:00");
    expectWakeLines(run, expected, "after the alarm fired");

    // The option off and on again, then the alarm service off.
    toggleOption(run, 1064);
    expected.push_back("wake none");
    expectWakeLines(run, expected, "with the option off");
    E2E_CHECK(readDataFile(run.folder).settings.noWake == 1);
    toggleOption(run, 1064);
    expected.push_back("wake 2026-12-07 11:59:00");
    expectWakeLines(run, expected, "with the option on again");
    E2E_CHECK(readDataFile(run.folder).settings.noWake == 0);
    toggleOption(run, 1040);
    expected.push_back("wake none");
    expectWakeLines(run, expected, "with the alarm service off");
    std::printf("         wake lines: %s\n", joined(expected).c_str());
    exitProgram(run);

    // On the real clock: an alarm at the next minute arms the timer for a
    // moment already past, so it fires at once and the computer is kept
    // awake; a click on the clock lets it sleep again.
    SYSTEMTIME now;
    E2E_CHECK(waitFor([&] { GetLocalTime(&now); return now.wSecond >= 5 && now.wSecond <= 45; }, 61000));
    AlarmRecord soon = hourly("");
    soon.minute = static_cast<int8_t>((now.wMinute + 1) % 60);
    std::strcpy(soon.soundPath, "tone.wav");
    Session real;
    prepare(real, "wake_timer_real", defaultSettings(), {soon});
    E2E_CHECK(writeBytes(real.folder + "\\tone.wav", toneWav(2)));
    launch(real);
    E2E_CHECK_MSG(waitFor([&] { const auto w = wakeLog(real.folder); return w.size() == 2 && w[1] == "awake on"; }, 5000),
                  "the timer armed for a past moment kept nothing awake: " + joined(wakeLog(real.folder)));
    const POINT c = centreOf(real.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK_MSG(waitFor([&] { const auto w = wakeLog(real.folder); return w.size() == 3 && w[2] == "awake off"; }, 3000),
                  "a click did not let the computer sleep: " + joined(wakeLog(real.folder)));
    std::printf("         on the real clock: %s\n", joined(wakeLog(real.folder)).c_str());
    exitProgram(real);
}

// A right click on a day of the calendar marks it in holidays.txt, and the
// next ring of a 法定工作日 alarm follows at once: on Friday 2026-12-11 it is
// Monday's, with Saturday marked 班 it is Saturday's, and back again.
E2E_SEAMS_SCENARIO(calendar_day_marks_move_the_next_ring) {
    AlarmRecord workdays = hourly("");
    workdays.hourMask = hourBit(9);
    workdays.dayRule = kDayRuleWorkdays;
    std::strcpy(workdays.soundPath, "tone.wav");
    Session run;
    prepare(run, "calendar_day_marks", defaultSettings(), {workdays});
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(2)));
    launch(run, "2026-12-11 10:00:00");
    std::vector<std::string> expected = {"wake 2026-12-14 08:59:00"};
    expectWakeLines(run, expected, "after start-up");

    PostMessageA(run.clock, WM_COMMAND, 32774, 0);
    HWND calendar = waitDialog(run.pid(), 1045);
    E2E_CHECK_MSG(calendar, "the calendar did not open");
    // December 2026 begins on a Tuesday: Saturday the 12th is row 1, column 6.
    const POINT saturday = dayCell(calendar, 1, 6);
    const std::string holidays = run.folder + "\\holidays.txt";
    const struct {
        int downs;
        const char* file;
        const char* line;
        const char* wake;
    } steps[] = {
        {2, "2026-12-12 班\r\n", "2026年12月12日 星期六  班", "wake 2026-12-12 08:59:00"},  // 设为上班日
        {3, "", "2026年12月12日 星期六", "wake 2026-12-14 08:59:00"},                        // 按法定安排
    };
    for (const auto& step : steps) {
        mouseClick(saturday.x, saturday.y, true);
        HWND menu = waitMenu();
        E2E_CHECK_MSG(menu, "no menu on a day");
        chooseMenuItem(menu, step.downs);
        std::string written;
        E2E_CHECK_MSG(waitFor([&] { return readBytes(holidays, written) && written == step.file; }, 3000, "holidays.txt"),
                      "holidays.txt holds '" + written + "'");
        expectText(calendar, 1044, step.line);
        expected.push_back(step.wake);
        expectWakeLines(run, expected, step.line);
    }
    std::printf("         wake lines: %s\n", joined(expected).c_str());
    exitProgram(run);
}

// The clock goes back over an alarm that has rung: 14 s (08:00:04 back to
// 07:59:50, the issue's case) and an hour. The repeated stretch is shown but
// rings nothing again; the next alarm after it rings as usual.
E2E_SEAMS_SCENARIO(clock_set_back_rings_nothing_twice) {
    const LocalTime day = {2026, 12, 7, 0, 0, 0, 1};
    AlarmRecord eight = hourly("起床");
    eight.hourMask = hourBit(8);
    std::strcpy(eight.programPath, ("\"" + driverPath() + "\" --touch ran.txt 起床").c_str());
    AlarmRecord next = hourly("下一个");
    next.hourMask = hourBit(8);
    next.minute = 1;
    Session run;
    prepare(run, "clock_set_back", defaultSettings(), {eight, next});
    launchMovable(run, "2026-12-07 07:59:55");
    HWND memo = waitDialog(run.pid(), 1001, 15000);
    E2E_CHECK_MSG(memo, "the 08:00 alarm did not ring; the clock shows " + itemText(run.clock, 1000));
    std::string ran;
    E2E_CHECK(waitFor([&] { return readBytes(run.folder + "\\ran.txt", ran) && ran == "起床"; }, 5000));
    E2E_CHECK_MSG(itemText(memo, 1001) == "起床", "the memo reads '" + itemText(memo, 1001) + "'");

    auto hms = [](const LocalTime& t) { return timeText(t).substr(11); };
    auto shown = [&] { return wallSeconds(faceTime(run.clock, day)); };
    auto runs = [&] {
        std::string bytes;
        readBytes(run.folder + "\\ran.txt", bytes);
        int n = 0;
        for (size_t at = bytes.find("起床"); at != std::string::npos; at = bytes.find("起床", at + 1)) ++n;
        return n;
    };
    std::string results;
    for (int back : {14, 3600}) {
        // Set back from where the clock stands: 08:00:04 the first time.
        E2E_CHECK(waitFor([&] { return shown() >= wallSeconds(LocalTime{2026, 12, 7, 8, 0, 4, 1}); }, 8000));
        const LocalTime from = faceTime(run.clock, day);
        const LocalTime to = addSeconds(from, -back);
        moveClock(run, timeText(to));
        E2E_CHECK_MSG(waitFor([&] { return shown() < wallSeconds(from); }, 5000),
                      "the clock shows " + itemText(run.clock, 1000) + " after going back");
        const LocalTime seen = faceTime(run.clock, day);
        if (back > 60) {
            // An hour earlier, then on to just before 08:00 again.
            moveClock(run, "2026-12-07 07:59:55");
            E2E_CHECK(waitFor([&] { return faceTime(run.clock, day).minute == 59; }, 5000));
        }
        // Through 08:00:00 once more, and three seconds past where it was.
        E2E_CHECK_MSG(waitFor([&] { return shown() >= wallSeconds(from) + 3; }, 25000),
                      "the clock shows " + itemText(run.clock, 1000));
        sleepMs(500);
        const std::string memoText = itemText(memo, 1001);
        E2E_CHECK_MSG(memoText == "起床", "after going back " + std::to_string(back) + " s the memo reads '" + memoText + "'");
        E2E_CHECK_MSG(runs() == 1, "after going back " + std::to_string(back) + " s the program ran " +
                                       std::to_string(runs()) + " times");
        results += (results.empty() ? "" : "; ") + std::string("set back ") + std::to_string(back) + " s, " +
                   hms(from) + " -> " + hms(seen) + (back > 60 ? " -> 07:59:55" : "") + " -> " +
                   hms(faceTime(run.clock, day)) + ": memo '" + memoText + "', program run " +
                   std::to_string(runs()) + " time";
    }
    // Past the latest second processed, 08:01 rings once.
    E2E_CHECK_MSG(waitFor([&] { return itemText(memo, 1001) == "起床\r\n下一个"; }, 65000),
                  "the 08:01 alarm: the memo reads '" + itemText(memo, 1001) + "'");
    sleepMs(1500);
    E2E_CHECK(itemText(memo, 1001) == "起床\r\n下一个");
    E2E_CHECK(seamLog(run.folder).size() == 2);  // the two texts' beeps, nothing more
    std::printf("         %s; 08:01 then rang once\n", results.c_str());
    exitProgram(run);
}

// A sound file that is gone plays notify.mp3 in its place, or beeps three
// times without it; the list and the editor say the file is missing.
E2E_SEAMS_SCENARIO(missing_sound_file_still_heard) {
    AlarmRecord moved = hourly("换了电脑");
    std::strcpy(moved.soundPath, "gone.wav");
    Session run;
    prepare(run, "missing_sound", defaultSettings(), {moved});
    E2E_CHECK(writeBytes(run.folder + "\\notify.mp3", releaseChime()));
    launch(run, kBeforeTheHour);
    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK_MSG(mci, "no MCI window");
    E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 8000), "nothing played for the missing sound");
    // The chime of two seconds, not silence.
    const LRESULT length = SendMessageA(mci, MCIWNDM_GETLENGTH, 0, 0);
    E2E_CHECK_MSG(length >= 1900 && length <= 2200, "the stand-in lasts " + std::to_string(length));
    E2E_CHECK(seamLog(run.folder).empty());

    PostMessageA(run.clock, WM_COMMAND, 32772, 0);
    HWND list = waitDialog(run.pid(), 1037);
    E2E_CHECK_MSG(list, "the alarm list did not open");
    HWND view = GetDlgItem(list, 1006);
    E2E_CHECK_MSG(cell(view, 0, 2) == "gone.wav (文件不存在)", "the sound cell reads '" + cell(view, 0, 2) + "'");
    selectRows(view, {0});
    press(list, 1008);
    HWND editor = waitDialog(run.pid(), 1013);
    E2E_CHECK_MSG(editor, "no editor");
    const std::string note = "（声音文件不存在，将以默认铃声代替）";
    const std::string withNote = "下次响铃：2026年12月7日 星期一 12:00" + note;
    expectText(editor, 1060, withNote);
    // The line fits its place, note and all.
    const std::string cut = cutTexts(editor, dialogFont(editor, 132));
    E2E_CHECK_MSG(cut.empty(), "cut in the editor: " + cut);
    setText(editor, 1015, "notify.mp3");
    expectText(editor, 1060, "下次响铃：2026年12月7日 星期一 12:00");
    setText(editor, 1015, "still-gone.mp3");
    expectText(editor, 1060, withNote);
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    waitClosed(run, list, "the alarm list");
    exitProgram(run);

    // Without notify.mp3: three beeps through the beep seam, nothing else.
    E2E_CHECK(DeleteFileA((run.folder + "\\notify.mp3").c_str()));
    Session again;
    again.folder = run.folder;
    launch(again, kBeforeTheHour);
    E2E_CHECK_MSG(waitFor([&] { return seamLog(again.folder).size() >= 3; }, 8000), "no beeps for the missing sound");
    sleepMs(1000);
    const auto log = seamLog(again.folder);
    E2E_CHECK_MSG(log.size() == 3 && count(log, "beep 1000 200") == 3, "recorded: " + joined(log));
    exitProgram(again);
}
