// The alarm editor as the clock's add command opens it: the defaults it
// shows, what OK saves, and the input it refuses.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

// At 10:58:30 with the default lead of 5 the new alarm is 11:04.
HWND openEditor(Session& e, const char* name, bool withDefaultSound) {
    prepare(e, name);
    E2E_CHECK(!withDefaultSound || writeBytes(e.folder + "\\notify.mp3", "ID3"));
    launch(e, "2026-12-07 10:58:30");
    PostMessageA(e.clock, WM_COMMAND, 32773, 0);  // add alarm
    HWND editor = waitDialog(e.pid(), 1008);
    E2E_CHECK_MSG(editor, "the editor did not open");
    return editor;
}

}  // namespace

E2E_SCENARIO(editor_opens_with_new_alarm_defaults) {
    Session e;
    HWND d = openEditor(e, "editor_defaults", true);
    E2E_CHECK(windowText(d) == "闹铃");
    E2E_CHECK(selected(d, 1008) == Texts{"2026年"} && selected(d, 1009) == Texts{"12月"});
    E2E_CHECK(selected(d, 1010) == Texts{"7日"} && selected(d, 1011) == Texts{"星期一"});
    E2E_CHECK(selected(d, 1012) == Texts{"11时"} && itemText(d, 1013) == "4");
    E2E_CHECK(itemText(d, 1005) == "4" && itemText(d, 1006) == "5分钟" && itemText(d, 1007) == "5分钟");
    E2E_CHECK(itemText(d, 1015) == e.folder + "\\notify.mp3");
    E2E_CHECK(checked(d, 1003) && !checked(d, 1004) && checked(d, 1020));
    for (int id = 1054; id <= 1058; ++id)
        E2E_CHECK(!checked(d, id) && IsWindowEnabled(GetDlgItem(d, id - 1054 + 1008)));
    screenshot("alarm-editor", d);
    if (GetEnvironmentVariableA("E2E_SHOTS", nullptr, 0))
        sleepMs(2000);  // the picture is taken by a Unix program that runs on its own

    // Nothing selected means every value: an hourly alarm at minute 4, kept in db.dat.
    for (int id = 1008; id <= 1012; ++id)
        SendMessageA(GetDlgItem(d, id), LB_SETSEL, FALSE, -1);
    click(d, 1003);
    setText(d, 1016, "喝水");
    setText(d, 1005, "7");
    setText(d, 1007, "x");
    click(d, IDOK);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(d); }, 3000), "OK did not close the editor");
    exitProgram(e);
    const DataFile saved = readDataFile(e.folder);
    E2E_CHECK(saved.alarms.size() == 1);
    const AlarmRecord& a = saved.alarms[0];
    E2E_CHECK(a.yearMask == 0 && a.monthMask == 0 && a.dayMask == 0 && a.hourMask == 0 && a.weekdayMask == 0);
    E2E_CHECK(a.minute == 4 && a.temporary == 0 && std::strcmp(a.text, "喝水") == 0);
    E2E_CHECK(a.repeatCount == 7 && a.leadMinutes == 5 && a.intervalMinutes == 5);
}

E2E_SCENARIO(editor_clear_and_refused_input) {
    Session e;
    HWND d = openEditor(e, "editor_refuses", false);
    // A shortcut box empties and locks its list; unchecked, the list comes back empty.
    click(d, 1054);
    E2E_CHECK(!IsWindowEnabled(GetDlgItem(d, 1008)) && selected(d, 1008).empty());
    click(d, 1054);
    E2E_CHECK(IsWindowEnabled(GetDlgItem(d, 1008)) && selected(d, 1008).empty());

    setText(d, 1016, "text");
    click(d, 1025);  // 注销
    click(d, 1003);  // not temporary
    click(d, 1026);  // 清空: the time of day stays, the actions go
    E2E_CHECK(selected(d, 1009).empty() && selected(d, 1010).empty() && selected(d, 1011).empty());
    E2E_CHECK(selected(d, 1012) == Texts{"11时"} && itemText(d, 1013) == "4");
    E2E_CHECK(checked(d, 1003) && checked(d, 1020) && !checked(d, 1025) && itemText(d, 1016).empty());
    click(d, IDOK);  // no action: ignored without a word
    E2E_CHECK(IsWindow(d) && !messageBox(e.pid(), 0));

    // A minute out of range: the standard message, and the editor stays.
    setText(d, 1016, "开会");
    setText(d, 1013, "61");
    click(d, IDOK);
    const std::string message = answer(e.pid(), 3000);
    E2E_CHECK_MSG(message == "请输入一个介于 0 和 59 之间的整数。", "for minute 61: " + message);
    E2E_CHECK(IsWindow(d));
    setText(d, 1013, "59");
    click(d, IDOK);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(d); }, 3000), "a valid alarm was refused");
}
