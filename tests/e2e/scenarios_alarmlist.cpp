// The alarm list: its rows, delete and on/off, export, import and cleanup,
// driven through the real dialog and the system's file dialogs.
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

const int kListId = 1006, kCleanupId = 1037;

// The program with the alarm list open over it.
struct Run : Session {
    HWND list = nullptr;  // the dialog
    HWND view = nullptr;  // its list view
};

AlarmRecord alarm(int minute, const char* text) {
    AlarmRecord r = emptyAlarm();
    r.minute = static_cast<int8_t>(minute);
    r.repeatCount = 1;
    r.intervalMinutes = 5;
    std::strcpy(r.text, text);
    return r;
}

void openList(Run& run, const char* name, const std::vector<AlarmRecord>& alarms, const char* localTime = nullptr) {
    prepare(run, name, defaultSettings(), alarms);
    launch(run, localTime);
    PostMessageA(run.clock, WM_COMMAND, 32772, 0);
    E2E_CHECK_MSG(run.list = waitDialog(run.pid(), kCleanupId, 5000), "the alarm list did not open");
    run.view = GetDlgItem(run.list, kListId);
}

// Closes the list and the program; the records db.dat holds afterwards.
std::vector<AlarmRecord> closeAndReadSaved(Run& run) {
    PostMessageA(run.list, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(run.list); }, 5000));
    exitProgram(run);
    return readDataFile(run.folder).alarms;
}

}  // namespace

E2E_SCENARIO(list_shows_alarm_rows) {
    std::vector<AlarmRecord> alarms = {alarm(30, "起床"), alarm(5, "上班打卡"), alarm(0, "圣诞快乐"),
                                       alarm(45, "休息一下"), alarm(0, ""), alarm(30, "新年"),
                                       alarm(0, "去年"), alarm(0, "中秋")};
    alarms[0].hourMask = 1u << 8;
    std::strcpy(alarms[0].soundPath, "C:\\Sounds\\morning.wav");
    alarms[1].hourMask = 1u << 7 | 1u << 19;
    alarms[1].weekdayMask = 0x3E;
    alarms[2].yearMask = 1u << 17;
    alarms[2].monthMask = 1u << 11;
    alarms[2].dayMask = 1u << 24;
    alarms[2].hourMask = 1u << 22;
    alarms[2].specialAction = 1;
    alarms[2].disabled = 1;
    std::strcpy(alarms[2].programPath, "C:\\Windows\\notepad.exe");
    alarms[3].temporary = 1;
    // Every hour at :00, without an action: its next ring moves on at 11:00.
    alarms[5].yearMask = yearBit(2027);
    alarms[5].monthMask = monthBit(1);
    alarms[5].dayMask = dayBit(1);
    alarms[5].hourMask = hourBit(8);
    alarms[6].yearMask = yearBit(2025);
    // 八月十五 at 9:00 in the lunar calendar.
    alarms[7].monthMask = monthBit(8);
    alarms[7].dayMask = dayBit(15);
    alarms[7].hourMask = hourBit(9);
    alarms[7].calendarKind = kCalendarLunar;
    Run run;
    openList(run, "list_rows", alarms, "2026-12-07 10:59:40");
    E2E_CHECK_MSG(column(run.view, 8) ==
                      "12月8日 08:30|12月7日 19:05|已禁用|12月7日 11:45|12月7日 11:00|2027年1月1日 08:30|"
                      "不会再响|2027年9月15日 09:00",
                  column(run.view, 8));
    selectRows(run.view, {1});
    // The clock takes no input while the list is up: no second list over this one.
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(run.clock); }, 2000), "the clock stays enabled");

    E2E_CHECK(windowText(run.list) == "闹铃设置");
    std::string headings;
    for (int i = 0; i < 9; ++i)
        headings += heading(run.view, i) + "|";
    E2E_CHECK_MSG(headings == "编号|时间|声音|文字|程序|特殊动作|临时|参数|下次响铃|", headings);
    E2E_CHECK(itemText(run.list, 1007) == "添加闹铃" && itemText(run.list, IDCANCEL) == "关闭");
    E2E_CHECK(rowCount(run.view) == 8);
    E2E_CHECK(column(run.view, 0) == "1|2|3 |||4|5|6|7|8");
    E2E_CHECK_MSG(column(run.view, 1) == "每日 8时 30分 |星期重复 7时 19时 5分 |年月日重复 22时 0分 |每日 每时 45分 |"
                                         "每日 每时 0分 |年月日重复 8时 30分 |年月日重复 每时 0分 |农历年月日重复 9时 0分 ",
                  column(run.view, 1));
    // C:\Sounds\morning.wav is on no disk here.
    E2E_CHECK_MSG(column(run.view, 2) == "morning.wav (文件不存在)|||||||", column(run.view, 2));
    E2E_CHECK(column(run.view, 3) == "起床|上班打卡|圣诞快乐|休息一下||新年|去年|中秋");
    E2E_CHECK(column(run.view, 4) == "||notepad.exe|||||");
    E2E_CHECK(column(run.view, 5) == "||关机|||||");
    E2E_CHECK(column(run.view, 6) == "否|否|否|是|否|否|否|否");
    E2E_CHECK(cell(run.view, 2, 7) == "131072 2048 16777216 4194304 0 0 1 0 0");
    E2E_CHECK(cell(run.view, 7, 7) == "0 128 16384 512 0 0 0 0 1");

    const int widths[9] = {40, 180, 80, 200, 80, 80, 40, 0, 130};
    for (int i = 0; i < 9; ++i)
        E2E_CHECK(SendMessageA(run.view, LVM_GETCOLUMNWIDTH, i, 0) == widths[i]);
    const LONG style = GetWindowLongA(run.view, GWL_STYLE);
    E2E_CHECK((style & LVS_TYPEMASK) == LVS_REPORT && (style & LVS_SHOWSELALWAYS) &&
              !(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING)));
    E2E_CHECK(SendMessageA(run.view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    screenshot("alarm-list", run.list);

    // Past 11:00 the hourly alarm's next ring is 12:00; the rows and the selection stay.
    E2E_CHECK_MSG(waitFor([&] { return cell(run.view, 4, 8) == "12月7日 12:00"; }, 25000),
                  "after 11:00 the next ring reads " + cell(run.view, 4, 8));
    E2E_CHECK(cell(run.view, 3, 8) == "12月7日 11:45" && rowCount(run.view) == 8);
    E2E_CHECK(SendMessageA(run.view, LVM_GETSELECTEDCOUNT, 0, 0) == 1 &&
              SendMessageA(run.view, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 1);

    // Enter closes the list like the close button.
    PostMessageA(run.list, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(run.list); }, 5000));
    E2E_CHECK_MSG(IsWindowEnabled(run.clock), "the clock stays disabled");
}

E2E_SCENARIO(list_delete_and_toggle_selected_rows) {
    std::vector<AlarmRecord> alarms;
    for (int i = 0; i < 6; ++i)
        alarms.push_back(alarm(i, std::string(1, static_cast<char>('A' + i)).c_str()));
    alarms[2].disabled = 1;
    Run run;
    openList(run, "list_delete", alarms);

    selectRows(run.view, {1, 4});
    press(run.list, 1009);
    E2E_CHECK(waitFor([&] { return rowCount(run.view) == 4; }, 3000));
    E2E_CHECK(column(run.view, 3) == "A|C|D|F");
    E2E_CHECK(column(run.view, 0) == "1|2 |||3|4");

    // A mixed selection swaps each row on its own.
    selectRows(run.view, {0, 1});
    press(run.list, 1010);
    E2E_CHECK(waitFor([&] { return column(run.view, 0) == "1 |||2|3|4"; }, 3000));

    const auto saved = closeAndReadSaved(run);
    E2E_CHECK(saved.size() == 4);
    const char texts[] = "ACDF";
    for (int i = 0; i < 4; ++i) {
        E2E_CHECK(saved[i].text[0] == texts[i]);
        E2E_CHECK(saved[i].disabled == (i == 0));
    }
}

E2E_SCENARIO(list_export_import_and_cleanup) {
    std::vector<AlarmRecord> alarms = {alarm(1, "one"), alarm(2, "two"), alarm(3, "three")};
    alarms[1].disabled = 1;
    Run run;
    openList(run, "list_exchange", alarms);
    const std::string file = run.folder + "\\alarms.bin";

    chooseFile(run.pid(), run.list, 1035, file);
    E2E_CHECK(answer(run.pid()) == "导出成功。");
    std::string exported;
    E2E_CHECK(readBytes(file, exported));
    E2E_CHECK(exported.size() == 2548);
    E2E_CHECK(exported.substr(0, 4) == std::string("\x03\0\0\0", 4));
    E2E_CHECK(std::memcmp(exported.data() + 4, alarms.data(), 3 * 848) == 0);

    // One byte short: refused as a whole.
    E2E_CHECK(writeBytes(run.folder + "\\short.bin", exported.substr(0, 2547)));
    chooseFile(run.pid(), run.list, 1036, run.folder + "\\short.bin");
    E2E_CHECK(answer(run.pid()) == "文件大小不正确。");
    E2E_CHECK(rowCount(run.view) == 3);
    // More than a table holds, though well formed: read only in part, its
    // length still tells the capacity message from the size message.
    const std::string tooMany = std::string("\x97\0\0\0", 4) + std::string(151 * 848, 'x');
    E2E_CHECK(writeBytes(run.folder + "\\big.bin", tooMany));
    chooseFile(run.pid(), run.list, 1036, run.folder + "\\big.bin");
    E2E_CHECK(answer(run.pid()) == "无法导入，达到最大闹钟限制。");
    E2E_CHECK(rowCount(run.view) == 3);

    // A good file comes in without a word.
    chooseFile(run.pid(), run.list, 1036, file);
    E2E_CHECK(waitFor([&] { return rowCount(run.view) == 6; }, 3000));
    E2E_CHECK(!messageBox(run.pid(), 300));
    E2E_CHECK(column(run.view, 3) == "one|two|three|one|two|three");

    press(run.list, kCleanupId);
    E2E_CHECK(answer(run.pid()) == "重复闹铃已经标记为临时，下次启动将不存在。");
    E2E_CHECK(column(run.view, 6) == "否|否|否|是|是|是");
    E2E_CHECK(column(run.view, 0) == "1|2 |||3|4|5 |||6");

    // A file whose alarms run a program or power the computer off asks
    // first, with Yes and No; No brings in nothing, Yes the whole file.
    std::vector<AlarmRecord> risky = {alarm(4, "plain"), alarm(5, "prog"), alarm(6, "off")};
    for (AlarmRecord& r : risky)
        r.yearMask = yearBit(2010);  // never due while the scenario runs
    std::strcpy(risky[1].programPath, "C:\\tools\\wipe.exe /all");
    risky[2].specialAction = 1;
    risky[2].hourMask = hourBit(23);
    const int32_t three = 3;
    E2E_CHECK(writeBytes(run.folder + "\\risky.bin", std::string(reinterpret_cast<const char*>(&three), 4) +
                                                         std::string(reinterpret_cast<const char*>(risky.data()), 3 * 848)));
    const std::string question = "导入的闹铃中有2个会运行程序或关机、重启、待机、休眠、注销，确定导入吗？"
                                 "\r\n年月日重复 每时 5分 C:\\tools\\wipe.exe /all\r\n年月日重复 23时 6分 关机";
    chooseFile(run.pid(), run.list, 1036, run.folder + "\\risky.bin");
    std::string asked = answer(run.pid(), 5000, IDNO);
    E2E_CHECK_MSG(asked == question, "the import asked '" + asked + "'");
    E2E_CHECK(!messageBox(run.pid(), 300) && rowCount(run.view) == 6);
    chooseFile(run.pid(), run.list, 1036, run.folder + "\\risky.bin");
    asked = answer(run.pid(), 5000, IDYES);
    E2E_CHECK_MSG(asked == question, "the import asked '" + asked + "'");
    E2E_CHECK(waitFor([&] { return rowCount(run.view) == 9; }, 3000));
    E2E_CHECK(!messageBox(run.pid(), 300));
    E2E_CHECK(column(run.view, 3) == "one|two|three|one|two|three|plain|prog|off");
    E2E_CHECK(column(run.view, 5) == "||||||||关机");

    // The marked copies stay out of db.dat.
    const auto saved = closeAndReadSaved(run);
    E2E_CHECK(saved.size() == 6);
    E2E_CHECK(std::memcmp(saved.data(), alarms.data(), 3 * 848) == 0);
    E2E_CHECK(std::memcmp(saved.data() + 3, risky.data(), 3 * 848) == 0);
}

E2E_SCENARIO(list_edit_opens_the_top_selected_row) {
    Run run;
    // An hour before any of the alarms rings: the power actions chosen below stay unused.
    openList(run, "list_edit", {alarm(11, "a"), alarm(22, "b"), alarm(33, "c")}, "2026-12-07 10:00:30");
    const int kMinuteId = 1013, kLunarBox = 1061, kMonths = 1009, kDays = 1010;
    HWND editor = nullptr;
    auto editorOpens = [&] { return (editor = waitDialog(run.pid(), kMinuteId, 5000)) != nullptr; };
    auto editRow = [&](int row) {
        selectRows(run.view, {row});
        press(run.list, 1008);
        E2E_CHECK_MSG(editorOpens(), "the edit button opened no editor");
    };
    auto confirm = [&] {
        PostMessageA(editor, WM_COMMAND, IDOK, 0);
        E2E_CHECK_MSG(waitFor([&] { return !IsWindow(editor); }, 3000), "OK left the editor open");
    };

    selectRows(run.view, {2, 1});
    press(run.list, 1008);
    E2E_CHECK_MSG(editorOpens(), "the edit button opened no editor");
    E2E_CHECK(itemText(editor, kMinuteId) == "22");
    setText(editor, kMinuteId, "44");
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return cell(run.view, 1, 1) == "每日 每时 44分 "; }, 5000));
    E2E_CHECK(column(run.view, 3) == "a|b|c");

    // A double-click on a row edits that row; cancelling changes nothing.
    const POINT p = rowCentre(run.view, 2);
    mouseDoubleClick(p.x, p.y);
    E2E_CHECK_MSG(editorOpens(), "a double-click opened no editor");
    E2E_CHECK(itemText(editor, kMinuteId) == "33");
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    E2E_CHECK(column(run.view, 1) == "每日 每时 11分 |每日 每时 44分 |每日 每时 33分 ");

    // Each special-action radio reaches the record, and so does "禁用此闹铃".
    const char* const actions[] = {"", "关机", "重启", "待机", "休眠", "注销"};
    for (int i = 5; i >= 0; --i) {
        editRow(0);
        E2E_CHECK(!checked(editor, 1020 + i));
        click(editor, 1020 + i);
        if (i == 0)
            click(editor, 1004);
        confirm();
        E2E_CHECK_MSG(waitFor([&] { return cell(run.view, 0, 5) == actions[i]; }, 3000),
                      "radio " + std::to_string(1020 + i) + " gave '" + cell(run.view, 0, 5) + "'");
    }
    E2E_CHECK(cell(run.view, 0, 0) == "1 ||" && cell(run.view, 0, 8) == "已禁用");

    // Lunar months and days: ticked, chosen, saved, and shown again on the next edit.
    editRow(2);
    E2E_CHECK(!checked(editor, kLunarBox) && listEntry(editor, kMonths, 0) == "1月");
    click(editor, kLunarBox);
    E2E_CHECK(waitFor([&] { return listEntry(editor, kMonths, 0) == "正月"; }, 2000));
    E2E_CHECK(SendDlgItemMessageA(editor, kDays, LB_GETCOUNT, 0, 0) == 30 && listEntry(editor, kDays, 29) == "三十");
    selectEntries(editor, kMonths, {7});
    selectEntries(editor, kDays, {14});
    E2E_CHECK(selected(editor, kMonths) == Texts{"八月"} && selected(editor, kDays) == Texts{"十五"});
    expectText(editor, 1060, "下次响铃：2027年9月15日 星期三 00:33");
    confirm();
    E2E_CHECK(waitFor([&] { return cell(run.view, 2, 1) == "农历年月日重复 每时 33分 "; }, 3000));
    E2E_CHECK(cell(run.view, 2, 8) == "2027年9月15日 00:33");
    editRow(2);
    E2E_CHECK(checked(editor, kLunarBox) && listEntry(editor, kMonths, 11) == "腊月");
    E2E_CHECK(selected(editor, kMonths) == Texts{"八月"} && selected(editor, kDays) == Texts{"十五"});
    expectText(editor, 1060, "下次响铃：2027年9月15日 星期三 00:33");
    screenshot("alarm-editor-lunar", editor);
    // Unticked, the same entries read as Gregorian ones; a lunar 三十 has its 30日.
    selectEntries(editor, kDays, {14, 29});
    click(editor, kLunarBox);
    E2E_CHECK(waitFor([&] { return selected(editor, kMonths) == Texts{"8月"}; }, 2000));
    E2E_CHECK(selected(editor, kDays) == (Texts{"15日", "30日"}) &&
              SendDlgItemMessageA(editor, kDays, LB_GETCOUNT, 0, 0) == 31);
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));

    const auto saved = closeAndReadSaved(run);
    E2E_CHECK(saved.size() == 3);
    E2E_CHECK(saved[0].specialAction == 0 && saved[0].disabled == 1 && saved[0].calendarKind == 0);
    E2E_CHECK(saved[1].minute == 44 && saved[1].calendarKind == 0);
    E2E_CHECK(saved[2].calendarKind == kCalendarLunar && saved[2].monthMask == monthBit(8) &&
              saved[2].dayMask == dayBit(15) && saved[2].minute == 33);
}
