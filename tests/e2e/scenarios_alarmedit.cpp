// The alarm editor as the clock's add command opens it: the defaults it
// shows, what OK saves, and the input it refuses.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

const int kLunarBox = 1061, kNextRing = 1060;

void expectPreview(HWND editor, const std::string& text) { expectText(editor, kNextRing, text); }

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
    E2E_CHECK(windowText(d) == "闹铃" && itemText(d, 1004) == "禁用此闹铃");
    E2E_CHECK(selected(d, 1008) == Texts{"2026年"} && selected(d, 1009) == Texts{"12月"});
    E2E_CHECK(selected(d, 1010) == Texts{"7日"} && selected(d, 1011) == Texts{"星期一"});
    E2E_CHECK(selected(d, 1012) == Texts{"11时"} && itemText(d, 1013) == "4");
    E2E_CHECK(itemText(d, 1005) == "4" && itemText(d, 1006) == "5分钟" && itemText(d, 1007) == "5分钟");
    E2E_CHECK(itemText(d, 1015) == e.folder + "\\notify.mp3");
    E2E_CHECK(checked(d, 1003) && !checked(d, 1004) && checked(d, 1020) && !checked(d, kLunarBox));
    for (int id = 1054; id <= 1058; ++id)
        E2E_CHECK(!checked(d, id) && IsWindowEnabled(GetDlgItem(d, id - 1054 + 1008)));
    // Every year a mask can hold, up to 2040.
    E2E_CHECK(SendDlgItemMessageA(d, 1008, LB_GETCOUNT, 0, 0) == 32 && listEntry(d, 1008, 31) == "2040年");
    expectPreview(d, "下次响铃：2026年12月7日 星期一 11:04");
    screenshot("alarm-editor", d);
    if (GetEnvironmentVariableA("E2E_SHOTS", nullptr, 0))
        sleepMs(2000);  // the picture is taken by a Unix program that runs on its own

    // The line follows the minute however it changes: picked from the
    // drop-down, stepped by the arrows, typed.
    HWND minute = GetDlgItem(d, 1013);
    const RECT box = rectOf(minute);
    mouseClick(box.right - 6, (box.top + box.bottom) / 2);
    HWND dropped = nullptr;
    E2E_CHECK_MSG(waitFor([&] {
                      for (HWND h : windowsOfClass(e.pid(), "ComboLBox"))
                          if (IsWindowVisible(h))
                              return (dropped = h) != nullptr;
                      return false;
                  }, 3000),
                  "the minute list did not drop down");
    const int itemHeight = static_cast<int>(SendMessageA(dropped, LB_GETITEMHEIGHT, 0, 0));
    POINT thirty = {10, 3 * itemHeight + itemHeight / 2};
    ClientToScreen(dropped, &thirty);
    mouseClick(thirty.x, thirty.y);
    expectPreview(d, "下次响铃：2026年12月7日 星期一 11:30");
    const RECT spin = rectOf(GetDlgItem(d, 1059));
    mouseClick((spin.left + spin.right) / 2, spin.top + 3);
    E2E_CHECK(waitFor([&] { return itemText(d, 1013) == "31"; }, 2000));
    expectPreview(d, "下次响铃：2026年12月7日 星期一 11:31");
    HWND typed = FindWindowExA(minute, nullptr, "Edit", nullptr);
    for (const char* bad : {"61", "x"}) {
        typeInto(typed, bad);
        expectPreview(d, "");
    }
    typeInto(typed, "4");
    expectPreview(d, "下次响铃：2026年12月7日 星期一 11:04");

    // Nothing selected means every value. Each shortcut box empties and locks
    // its own list only, and the line follows each step.
    selectEntries(d, 1008, {});
    selectEntries(d, 1012, {10});
    expectPreview(d, "下次响铃：2037年12月7日 星期一 10:04");
    const struct {
        int box;
        const char* preview;
    } shortcuts[] = {{1057, "下次响铃：2027年12月7日 星期二 10:04"},
                     {1055, "下次响铃：2027年1月7日 星期四 10:04"},
                     {1056, "下次响铃：2026年12月8日 星期二 10:04"},
                     {1058, "下次响铃：2026年12月7日 星期一 11:04"}};
    Texts before[5];
    for (int l = 0; l < 5; ++l)
        before[l] = selected(d, 1008 + l);
    for (const auto& s : shortcuts) {
        click(d, s.box);
        const int own = s.box - 1054;
        before[own].clear();
        for (int l = 0; l < 5; ++l) {
            E2E_CHECK_MSG(selected(d, 1008 + l) == before[l], "box " + std::to_string(s.box) + ", list " +
                                                                  std::to_string(1008 + l));
            E2E_CHECK(!IsWindowEnabled(GetDlgItem(d, 1008 + l)) == checked(d, 1054 + l));
        }
        expectPreview(d, s.preview);
    }
    click(d, 1004);
    expectPreview(d, "此闹铃已禁用。");
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
    E2E_CHECK(a.minute == 4 && a.temporary == 0 && a.disabled == 1 && std::strcmp(a.text, "喝水") == 0);
    E2E_CHECK(a.repeatCount == 7 && a.leadMinutes == 5 && a.intervalMinutes == 5 && a.calendarKind == 0);
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
    expectPreview(d, "下次响铃：2026年12月7日 星期一 11:04");

    // 30 February, clicked as a user clicks: never. Still, without an action
    // OK is ignored without a word, before any question.
    clickEntry(d, 1009, 1);
    expectPreview(d, "下次响铃：2027年2月1日 星期一 11:04");
    clickEntry(d, 1010, 29);
    E2E_CHECK(selected(d, 1009) == Texts{"2月"} && selected(d, 1010) == Texts{"30日"});
    expectPreview(d, "按此设置，闹铃不会再响。");
    click(d, IDOK);
    E2E_CHECK(IsWindow(d) && !messageBox(e.pid(), 0));

    // A minute out of range: the standard message, not the question, and the editor stays.
    setText(d, 1016, "开会");
    setText(d, 1013, "61");
    click(d, IDOK);
    std::string message = answer(e.pid(), 3000);
    E2E_CHECK_MSG(message == "请输入一个介于 0 和 59 之间的整数。", "for minute 61: " + message);
    E2E_CHECK(IsWindow(d));
    setText(d, 1013, "59");

    // A character GBK lacks is refused once, with the focus back on the text.
    SendMessageW(GetDlgItem(d, 1016), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"开会\xD83D\xDE00"));
    click(d, IDOK);
    E2E_CHECK_MSG((message = answer(e.pid(), 3000)) == "文字中含有无法保存的字符。", "for an emoji: " + message);
    GUITHREADINFO focus = {};
    focus.cbSize = sizeof focus;
    E2E_CHECK(GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &focus));
    E2E_CHECK(IsWindow(d) && !messageBox(e.pid(), 500) && focus.hwndFocus == GetDlgItem(d, 1016));
    setText(d, 1016, "开会");

    // Each ">>" fills its own field through the system's file dialog.
    const std::string sound = e.folder + "\\bell.wav", program = e.folder + "\\todo.txt";
    E2E_CHECK(writeBytes(sound, toneWav(1)) && writeBytes(program, "x"));
    chooseFile(e.pid(), d, 1018, sound);
    E2E_CHECK(waitFor([&] { return itemText(d, 1015) == sound; }, 2000) && itemText(d, 1017).empty());
    chooseFile(e.pid(), d, 1019, program);
    E2E_CHECK(waitFor([&] { return itemText(d, 1017) == program; }, 2000) && itemText(d, 1015) == sound);

    // An alarm that never rings is saved only when the user says so.
    click(d, 1003);
    click(d, IDOK);
    const std::string question = answer(e.pid(), 3000, IDNO);
    E2E_CHECK_MSG(question == "按此设置，闹铃不会再响。仍然保存吗？", "OK asked: " + question);
    sleepMs(300);
    E2E_CHECK(IsWindow(d) && selected(d, 1009) == Texts{"2月"} && selected(d, 1010) == Texts{"30日"});
    click(d, IDOK);
    E2E_CHECK(answer(e.pid(), 3000, IDYES) == question);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(d); }, 3000), "Yes did not save the alarm");
    exitProgram(e);
    const DataFile saved = readDataFile(e.folder);
    E2E_CHECK(saved.alarms.size() == 1);
    const AlarmRecord& a = saved.alarms[0];
    E2E_CHECK(a.yearMask == 0 && a.monthMask == monthBit(2) && a.dayMask == dayBit(30) && a.weekdayMask == 0);
    E2E_CHECK(a.hourMask == hourBit(11) && a.minute == 59 && std::strcmp(a.text, "开会") == 0);
    E2E_CHECK(sound == a.soundPath && program == a.programPath && a.specialAction == 0);
}
