// The context menu and the clock's commands.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

HWND openMenuFromKeyboard(const Session& run) {
    PostMessageA(run.clock, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(run.clock), MAKELPARAM(-1, -1));
    return waitMenu(3000);
}

// The sixth entry of the menu is 网络校时 while Tavrel.exe is there and
// 备忘录 otherwise.
const int kSixthItem = 6;

}  // namespace

E2E_SCENARIO(context_menu_from_keyboard_and_time_sync_item) {
    Session run;
    startDefault(run, "menu_time_sync");
    HWND menu = openMenuFromKeyboard(run);
    E2E_CHECK_MSG(menu, "no context menu");
    const RECT clockRect = rectOf(run.clock), menuRect = rectOf(menu);
    E2E_CHECK_MSG(menuRect.left == clockRect.left + 5 && menuRect.top == clockRect.top + 5,
                  "menu at " + std::to_string(menuRect.left) + "," + std::to_string(menuRect.top));
    // Without Tavrel.exe the sixth item is the memo.
    chooseMenuItem(menu, kSixthItem);
    E2E_CHECK_MSG(waitDialog(run.pid(), 1001, 3000), "the sixth item did not open the memo");

    // With the program in place the item is back at the next opening.
    E2E_CHECK(CopyFileA(driverPath().c_str(), (run.folder + "\\Tavrel.exe").c_str(), FALSE));
    menu = openMenuFromKeyboard(run);
    E2E_CHECK(menu);
    chooseMenuItem(menu, kSixthItem);
    std::string ran;
    E2E_CHECK_MSG(waitFor([&] { return readBytes(run.folder + "\\tavrel.txt", ran); }, 5000),
                  "the time-sync program was not started");
    E2E_CHECK(ran == "-c");
    exitProgram(run);
}

E2E_SCENARIO(memo_command_toggles) {
    Session run;
    startDefault(run, "memo_toggle");
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    HWND memo = waitDialog(run.pid(), 1001, 3000);
    E2E_CHECK(memo);
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    E2E_CHECK(waitFor([&] { return !IsWindowVisible(memo); }, 3000));
    PostMessageA(run.clock, WM_COMMAND, 1086, 0);
    E2E_CHECK(waitFor([&] { return IsWindowVisible(memo) != 0; }, 3000));
    exitProgram(run);
}

// "即时" at 10:15:55 targets 10:16:55, so the alarm's minute 16 comes in five
// seconds. It plays the options' quick sound, else the chime beside the
// program, else nothing; the list's 声音 column shows which it took.
E2E_SEAMS_SCENARIO(quick_alarm_rings_and_is_not_saved) {
    const std::string chime = releaseChime();
    const struct {
        const char* quickSound;
        bool chimeBeside;
        const char* listed;
    } cases[] = {{"tone.wav", true, "tone.wav"}, {"", true, "notify.mp3"}, {"", false, ""}};
    for (const auto& c : cases) {
        ClockSettings s = defaultSettings();
        std::strcpy(s.quickSound, c.quickSound);
        s.quickLead = 0;
        Session run;
        prepare(run, "quick_alarm", s);
        E2E_CHECK(writeBytes(run.folder + "\\tone.wav", toneWav(4)));
        if (c.chimeBeside)
            E2E_CHECK(writeBytes(run.folder + "\\notify.mp3", chime));
        launch(run, "2026-12-07 10:15:55");
        PostMessageA(run.clock, WM_COMMAND, 32775, 0);
        HWND mci = mciWindowOf(run.clock);
        E2E_CHECK(mci);
        const std::string which = std::string(" with '") + c.listed + "'";
        if (*c.listed) {
            E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 10000), "the quick alarm did not ring" + which);
        } else {
            E2E_CHECK(waitFor([&] { return itemText(run.clock, 1000).compare(0, 8, "10:16:02") >= 0; }, 10000));
            E2E_CHECK_MSG(!soundPlaying(mci), "a quick alarm without a sound rang");
        }
        PostMessageA(run.clock, WM_COMMAND, 32772, 0);
        HWND list = waitDialog(run.pid(), 1037);
        E2E_CHECK_MSG(list, "the alarm list did not open");
        const std::string sound = column(GetDlgItem(list, 1006), 2);
        E2E_CHECK_MSG(sound == c.listed, "the quick alarm's sound is '" + sound + "'" + which);
        PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
        waitClosed(run, list, "the alarm list");
        E2E_CHECK(seamLog(run.folder).empty());
        exitProgram(run);
        // A quick alarm is temporary: db.dat still holds no alarm.
        E2E_CHECK(readDataFile(run.folder).alarms.empty());
    }
}

E2E_SCENARIO(full_table_refuses_new_alarms) {
    Session run;
    prepare(run, "full_table", defaultSettings(), fullTable());
    launch(run);
    PostMessageA(run.clock, WM_COMMAND, 32773, 0);
    const std::string full = "达到最大闹铃数目了。";
    HWND box = messageBox(run.pid(), 3000);
    E2E_CHECK_MSG(box && itemText(box, 0xFFFF) == full, "no message for a full table");
    E2E_CHECK(!dialogWithItem(run.pid(), 1008));
    // The box belongs to the clock, which waits for it.
    E2E_CHECK(GetWindow(box, GW_OWNER) == run.clock && !IsWindowEnabled(run.clock));
    E2E_CHECK(answer(run.pid(), 3000) == full);
    E2E_CHECK(waitFor([&] { return IsWindowEnabled(run.clock) != 0; }, 2000));
    // A quick alarm is refused the same way.
    PostMessageA(run.clock, WM_COMMAND, 32776, 0);
    const std::string message = answer(run.pid(), 3000);
    E2E_CHECK_MSG(message == full, "for a quick alarm in a full table: " + message);
    exitProgram(run);
    E2E_CHECK(readDataFile(run.folder).alarms.size() == 150);
}

E2E_SCENARIO(about_box) {
    Session run;
    startDefault(run, "about");
    PostMessageA(run.clock, WM_COMMAND, 57664, 0);
    HWND about = waitDialog(run.pid(), 1001, 3000);
    E2E_CHECK(about);
    E2E_CHECK_MSG(windowText(about) == "关于Zentar", "caption '" + windowText(about) + "'");
    const std::string tips = itemText(about, 1001);
    E2E_CHECK_MSG(tips.find("8. ") != std::string::npos && tips.find("db.dat") != std::string::npos,
                  "tips read '" + tips + "'");
    const POINT c = centreOf(about);
    const int dx = c.x - screenWidth() / 2;
    const int dy = c.y - screenHeight() / 2;
    E2E_CHECK_MSG(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1,
                  "off centre by " + std::to_string(dx) + "," + std::to_string(dy));
    screenshot("about", about);
    PostMessageA(about, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(about); }, 3000));
    exitProgram(run);
}

E2E_SCENARIO(double_click_opens_editor) {
    Session run;
    startDefault(run, "double_click");
    const POINT c = centreOf(run.clock);
    mouseDoubleClick(c.x, c.y);
    HWND editor = waitDialog(run.pid(), 1008, 4000);
    E2E_CHECK_MSG(editor, "a double-click did not open the editor");
    // A new alarm, not a quick one: the editor waits for the user.
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    exitProgram(run);
    E2E_CHECK(readDataFile(run.folder).alarms.empty());
}
