// The alarm editor as the clock's add command opens it: the defaults it
// shows, what OK saves, and the input it refuses.
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

struct Editor {
    std::string folder;
    Program program;
    HWND clock = nullptr, d = nullptr;

    // At 10:58:30 with the default lead of 5 the new alarm is 11:04.
    Editor(const char* name, bool withDefaultSound) {
        folder = scenarioFolder(name);
        E2E_CHECK(installProgram(folder));
        E2E_CHECK(!withDefaultSound || writeBytes(folder + "\\notify.mp3", "ID3"));
        E2E_CHECK(program.startAt(folder, "2026-12-07 10:58:30"));
        E2E_CHECK_MSG(clock = program.clock(), "no clock window appeared");
        PostMessageA(clock, WM_COMMAND, 32773, 0);  // add alarm
        E2E_CHECK_MSG(waitFor([&] { return (d = dialogWithItem(program.pid(), 1008)) != nullptr; }, 8000),
                      "the editor did not open");
    }
    // A list's selected entries (W call: Wine's A one returns UTF-16 across processes).
    Texts selected(int id) {
        HWND list = GetDlgItem(d, id);
        Texts texts;
        for (int i = 0; i < SendMessageA(list, LB_GETCOUNT, 0, 0); ++i) {
            wchar_t wide[64] = {};
            char text[128] = {};
            if (SendMessageA(list, LB_GETSEL, i, 0) > 0 && SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide) > 0 &&
                WideCharToMultiByte(936, 0, wide, -1, text, sizeof text, nullptr, nullptr))
                texts.push_back(text);
        }
        return texts;
    }
    bool checked(int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }
    void click(int id) {
        PostMessageA(GetDlgItem(d, id), BM_CLICK, 0, 0);
        sleepMs(300);
    }
    HWND messageBox() {
        for (HWND h : windowsOfClass(program.pid(), "#32770"))
            if (h != clock && h != d && IsWindowVisible(h))
                return h;
        return nullptr;
    }
};

}  // namespace

E2E_SCENARIO(editor_opens_with_new_alarm_defaults) {
    Editor e("editor_defaults", true);
    E2E_CHECK(windowText(e.d) == "闹铃");
    E2E_CHECK(e.selected(1008) == Texts{"2026年"} && e.selected(1009) == Texts{"12月"});
    E2E_CHECK(e.selected(1010) == Texts{"7日"} && e.selected(1011) == Texts{"星期一"});
    E2E_CHECK(e.selected(1012) == Texts{"11时"} && itemText(e.d, 1013) == "4");
    E2E_CHECK(itemText(e.d, 1005) == "4" && itemText(e.d, 1006) == "5分钟" && itemText(e.d, 1007) == "5分钟");
    E2E_CHECK(itemText(e.d, 1015) == e.folder + "\\notify.mp3");
    E2E_CHECK(e.checked(1003) && !e.checked(1004) && e.checked(1020));
    for (int id = 1054; id <= 1058; ++id)
        E2E_CHECK(!e.checked(id) && IsWindowEnabled(GetDlgItem(e.d, id - 1054 + 1008)));
    screenshot("alarm-editor", e.d);
    if (GetEnvironmentVariableA("E2E_SHOTS", nullptr, 0))
        sleepMs(2000);  // the picture is taken by a Unix program that runs on its own

    // Nothing selected means every value: an hourly alarm at minute 4, kept in db.dat.
    for (int id = 1008; id <= 1012; ++id)
        SendMessageA(GetDlgItem(e.d, id), LB_SETSEL, FALSE, -1);
    e.click(1003);
    SetDlgItemTextA(e.d, 1016, "喝水");
    SetDlgItemTextA(e.d, 1005, "7");
    SetDlgItemTextA(e.d, 1007, "x");
    e.click(IDOK);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(e.d); }, 3000), "OK did not close the editor");
    PostMessageA(e.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(e.program.waitExit(10000));
    std::string bytes;
    AlarmRecord a;
    const size_t head = sizeof(ClockSettings) + 4;
    E2E_CHECK(readBytes(e.folder + "\\db.dat", bytes) && bytes.size() == head + sizeof a && bytes[head - 4] == 1);
    std::memcpy(&a, bytes.data() + head, sizeof a);
    E2E_CHECK(a.yearMask == 0 && a.monthMask == 0 && a.dayMask == 0 && a.hourMask == 0 && a.weekdayMask == 0);
    E2E_CHECK(a.minute == 4 && a.temporary == 0 && std::strcmp(a.text, "喝水") == 0);
    E2E_CHECK(a.repeatCount == 7 && a.leadMinutes == 5 && a.intervalMinutes == 5);
}

E2E_SCENARIO(editor_clear_and_refused_input) {
    Editor e("editor_refuses", false);
    // A shortcut box empties and locks its list; unchecked, the list comes back empty.
    e.click(1054);
    E2E_CHECK(!IsWindowEnabled(GetDlgItem(e.d, 1008)) && e.selected(1008).empty());
    e.click(1054);
    E2E_CHECK(IsWindowEnabled(GetDlgItem(e.d, 1008)) && e.selected(1008).empty());

    SetDlgItemTextA(e.d, 1016, "text");
    e.click(1025);  // 注销
    e.click(1003);  // not temporary
    e.click(1026);  // 清空: the time of day stays, the actions go
    E2E_CHECK(e.selected(1009).empty() && e.selected(1010).empty() && e.selected(1011).empty());
    E2E_CHECK(e.selected(1012) == Texts{"11时"} && itemText(e.d, 1013) == "4");
    E2E_CHECK(e.checked(1003) && e.checked(1020) && !e.checked(1025) && itemText(e.d, 1016).empty());
    e.click(IDOK);  // no action: ignored without a word
    E2E_CHECK(IsWindow(e.d) && !e.messageBox());

    // A minute out of range: the standard message, and the editor stays.
    SetDlgItemTextA(e.d, 1016, "开会");
    SetDlgItemTextA(e.d, 1013, "61");
    e.click(IDOK);
    HWND box = nullptr;
    E2E_CHECK_MSG(waitFor([&] { return (box = e.messageBox()) != nullptr; }, 3000), "no message for minute 61");
    E2E_CHECK(itemText(box, 0xFFFF) == "请输入一个介于 0 和 59 之间的整数。");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(box); }, 3000) && IsWindow(e.d));
    SetDlgItemTextA(e.d, 1013, "59");
    e.click(IDOK);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(e.d); }, 3000), "a valid alarm was refused");
}
