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
    std::vector<char> text(256 * 1024);
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 3000, &length))
        return std::string();
    return std::string(text.data(), length);
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

E2E_SEAMS_SCENARIO(alarm_sound_plays_until_clicked) {
    // Due at 11:01, a minute of lead and one more start at the minute itself.
    AlarmRecord alarm = hourly("");
    alarm.minute = 1;
    alarm.leadMinutes = 1;
    alarm.intervalMinutes = 1;
    alarm.repeatCount = 2;
    std::strcpy(alarm.soundPath, "tone.wav");
    Session run;
    prepare(run, "alarm_sound", defaultSettings(), {alarm});
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(4)));
    launch(run, kBeforeTheHour);

    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK_MSG(mci, "no MCI window");
    E2E_CHECK(!IsWindowVisible(mci));
    E2E_CHECK(!soundPlaying(mci));
    E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 8000),
                  "the sound did not start at the lead time");
    // Let it be heard for a moment (the runner records the audio device),
    // then a click on the clock silences it.
    sleepMs(1000);
    E2E_CHECK(soundPlaying(mci));
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK_MSG(waitFor([&] { return !soundPlaying(mci); }, 3000),
                  "a click did not stop the sound");
    // No text, so no beep.
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
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(6)));
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
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK(waitFor([&] { return !soundPlaying(mci); }, 3000));

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

E2E_SEAMS_SCENARIO(shutdown_alarm_runs_on_ok) {
    Session run;
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
    // Clicking the clock ends editing.
    const POINT c = centreOf(run.clock);
    mouseClick(c.x, c.y);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(editor); }, 3000), "still editing");
    exitProgram(run);
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\note.txt", saved));
    E2E_CHECK_MSG(saved == "闹铃文字 ok", "note.txt holds '" + saved + "'");
}

// A lunar 八月十五 alarm at 9:00 writes its text on the day the calendar
// names so, 2027-09-15, and not on the day before.
E2E_SCENARIO(lunar_alarm_rings_on_its_lunar_day) {
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
        Session run;
        run.folder = first.folder;
        launch(run, start);
        E2E_CHECK_MSG(waitFor([&] { return itemText(run.clock, 1000).rfind(" 9:00:0", 0) == 0; }, 8000),
                      "the clock shows " + itemText(run.clock, 1000));
        sleepMs(2000);  // time for the tick at 9:00:00 to act
        const bool due = start[9] == '5';
        HWND memo = dialogWithItem(run.pid(), 1001);
        E2E_CHECK_MSG((memo != nullptr) == due, std::string("memo shown: ") + (memo ? "yes" : "no") + " at " + start);
        if (memo)
            expectText(memo, 1001, "中秋赏月");
        exitProgram(run);
        std::string note;
        readBytes(run.folder + "\\note.txt", note);
        E2E_CHECK_MSG(note == (due ? "中秋赏月" : ""), "note.txt holds '" + note + "' after " + start);
    }
}
