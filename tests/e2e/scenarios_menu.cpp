// The context menu and the clock's commands.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

struct Run {
    std::string folder;
    Program program;
    HWND clock = nullptr;
};

void start(Run& run, const char* name, const ClockSettings& settings, const AlarmRecord* alarms = nullptr,
           int count = 0, const char* at = nullptr) {
    run.folder = scenarioFolder(name);
    E2E_CHECK(installProgram(run.folder));
    E2E_CHECK(writeBytes(run.folder + "\\db.dat", dataFileBytes(settings, alarms, count)));
    E2E_CHECK(at ? run.program.startAt(run.folder, at) : run.program.start(run.folder));
    run.clock = run.program.clock();
    E2E_CHECK_MSG(run.clock, "no clock window appeared");
}

void exitProgram(Run& run) {
    PostMessageA(run.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(run.program.waitExit(10000));
}

HWND openMenuFromKeyboard(Run& run) {
    PostMessageA(run.clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(run.clock), MAKELPARAM(-1, -1));
    HWND menu = nullptr;
    waitFor([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr && IsWindowVisible(menu); }, 3000);
    return menu;
}

void choose(HWND menu, int downs) {
    for (int i = 0; i < downs; ++i) {
        PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        sleepMs(60);
    }
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
}

// A message box of the program showing exactly this text.
HWND messageBoxWith(DWORD pid, const std::string& text) {
    for (HWND h : windowsOfClass(pid, "#32770"))
        if (IsWindowVisible(h) && itemText(h, 0xFFFF) == text)
            return h;
    return nullptr;
}

// The sixth entry of the menu is 网络校时 while Tavrel.exe is there and
// 备忘录 otherwise.
const int kSixthItem = 6;

}  // namespace

E2E_SCENARIO(context_menu_from_keyboard_and_time_sync_item) {
    Run run;
    start(run, "menu_time_sync", defaultSettings());
    HWND menu = openMenuFromKeyboard(run);
    E2E_CHECK_MSG(menu, "no context menu");
    RECT clockRect, menuRect;
    GetWindowRect(run.clock, &clockRect);
    GetWindowRect(menu, &menuRect);
    E2E_CHECK_MSG(menuRect.left == clockRect.left + 5 && menuRect.top == clockRect.top + 5,
                  "menu at " + std::to_string(menuRect.left) + "," + std::to_string(menuRect.top));
    // Without Tavrel.exe the sixth item is the memo.
    choose(menu, kSixthItem);
    E2E_CHECK_MSG(waitFor([&] { return dialogWithItem(run.program.pid(), 1001) != nullptr; }, 3000),
                  "the sixth item did not open the memo");

    // With the program in place the item is back at the next opening.
    E2E_CHECK(CopyFileA(driverPath().c_str(), (run.folder + "\\Tavrel.exe").c_str(), FALSE));
    menu = openMenuFromKeyboard(run);
    E2E_CHECK(menu);
    choose(menu, kSixthItem);
    std::string ran;
    E2E_CHECK_MSG(waitFor([&] { return readBytes(run.folder + "\\tavrel.txt", ran); }, 5000),
                  "the time-sync program was not started");
    E2E_CHECK(ran == "-c");
    exitProgram(run);
}

E2E_SCENARIO(memo_command_toggles) {
    Run run;
    start(run, "memo_toggle", defaultSettings());
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    HWND memo = nullptr;
    E2E_CHECK(waitFor([&] { return (memo = dialogWithItem(run.program.pid(), 1001)) != nullptr; }, 3000));
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    E2E_CHECK(waitFor([&] { return !IsWindowVisible(memo); }, 3000));
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    E2E_CHECK(waitFor([&] { return IsWindowVisible(memo) != 0; }, 3000));
    exitProgram(run);
}

E2E_SCENARIO(quick_alarm_rings_and_is_not_saved) {
    // "即时" at 10:15:58 targets 10:16:58, so the alarm's minute 16 comes in two seconds.
    ClockSettings s = defaultSettings();
    std::strcpy(s.quickSound, "tone.wav");
    s.quickLead = 0;
    Run run;
    run.folder = scenarioFolder("quick_alarm");
    E2E_CHECK(installProgram(run.folder));
    E2E_CHECK(writeBytes(run.folder + "\\db.dat", dataFileBytes(s, nullptr, 0)));
    E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(4)));
    E2E_CHECK(run.program.startAt(run.folder, "2026-12-07 10:15:57"));
    run.clock = run.program.clock();
    E2E_CHECK(run.clock);
    PostMessageA(run.clock, WM_COMMAND, 32775, 0);
    HWND mci = FindWindowExA(run.clock, nullptr, "MCIWndClass", nullptr);
    E2E_CHECK(mci);
    E2E_CHECK_MSG(waitFor([&] { return SendMessageA(mci, MCIWNDM_GETMODEA, 0, 0) == 526; }, 6000),
                  "the quick alarm did not ring");
    exitProgram(run);
    // A quick alarm is temporary: db.dat still holds no alarm.
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\db.dat", saved));
    E2E_CHECK(saved.size() == 736);
}

E2E_SCENARIO(full_table_refuses_new_alarms) {
    std::vector<AlarmRecord> alarms(150, emptyAlarm());
    for (auto& a : alarms) {
        a.minute = 30;
        a.repeatCount = 1;
        a.intervalMinutes = 5;
        std::strcpy(a.text, "x");
    }
    Run run;
    start(run, "full_table", defaultSettings(), alarms.data(), 150);
    PostMessageA(run.clock, WM_COMMAND, 32773, 0);
    HWND box = nullptr;
    E2E_CHECK_MSG(waitFor([&] { return (box = messageBoxWith(run.program.pid(), "达到最大闹铃数目了。")) != nullptr; }, 3000),
                  "no message for a full table");
    E2E_CHECK(!dialogWithItem(run.program.pid(), 1008));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(box); }, 3000));
    // A quick alarm is refused the same way.
    PostMessageA(run.clock, WM_COMMAND, 32776, 0);
    E2E_CHECK(waitFor([&] { return (box = messageBoxWith(run.program.pid(), "达到最大闹铃数目了。")) != nullptr; }, 3000));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(box); }, 3000));
    exitProgram(run);
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\db.dat", saved));
    E2E_CHECK(saved.size() == 736 + 150 * 848u);
}

E2E_SCENARIO(about_box) {
    Run run;
    start(run, "about", defaultSettings());
    PostMessageA(run.clock, WM_COMMAND, 57664, 0);
    HWND about = nullptr;
    E2E_CHECK(waitFor([&] { return (about = dialogWithItem(run.program.pid(), 1001)) != nullptr; }, 3000));
    E2E_CHECK_MSG(windowText(about) == "关于Zentar", "caption '" + windowText(about) + "'");
    const std::string tips = itemText(about, 1001);
    E2E_CHECK_MSG(tips.find("8. ") != std::string::npos && tips.find("db.dat") != std::string::npos,
                  "tips read '" + tips + "'");
    RECT r;
    GetWindowRect(about, &r);
    const int dx = (r.left + r.right) / 2 - screenWidth() / 2;
    const int dy = (r.top + r.bottom) / 2 - screenHeight() / 2;
    E2E_CHECK_MSG(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1,
                  "off centre by " + std::to_string(dx) + "," + std::to_string(dy));
    screenshot("about", about);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(about); }, 3000));
    exitProgram(run);
}

E2E_SCENARIO(double_click_opens_editor) {
    Run run;
    start(run, "double_click", defaultSettings());
    RECT r;
    GetWindowRect(run.clock, &r);
    mouseDoubleClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    HWND editor = nullptr;
    E2E_CHECK_MSG(waitFor([&] { return (editor = dialogWithItem(run.program.pid(), 1008)) != nullptr; }, 4000),
                  "a double-click did not open the editor");
    // A new alarm, not a quick one: the editor waits for the user.
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    exitProgram(run);
    std::string saved;
    E2E_CHECK(readBytes(run.folder + "\\db.dat", saved));
    E2E_CHECK(saved.size() == 736);
}
