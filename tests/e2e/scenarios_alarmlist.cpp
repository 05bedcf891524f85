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

void openList(Run& run, const char* name, const std::vector<AlarmRecord>& alarms) {
    prepare(run, name, defaultSettings(), alarms);
    launch(run);
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
                                       alarm(45, "休息一下")};
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
    Run run;
    openList(run, "list_rows", alarms);

    E2E_CHECK(windowText(run.list) == "闹铃设置");
    E2E_CHECK(rowCount(run.view) == 4);
    E2E_CHECK(column(run.view, 0) == "1|2|3 |||4");
    E2E_CHECK_MSG(column(run.view, 1) == "每日 8时 30分 |星期重复 7时 19时 5分 |年月日重复 22时 0分 |每日 每时 45分 ",
                  column(run.view, 1));
    E2E_CHECK(column(run.view, 2) == "morning.wav|||");
    E2E_CHECK(column(run.view, 3) == "起床|上班打卡|圣诞快乐|休息一下");
    E2E_CHECK(column(run.view, 4) == "||notepad.exe|");
    E2E_CHECK(column(run.view, 5) == "||关机|");
    E2E_CHECK(column(run.view, 6) == "否|否|否|是");
    E2E_CHECK(cell(run.view, 2, 7) == "131072 2048 16777216 4194304 0 0 1 0");

    const int widths[8] = {40, 180, 80, 200, 80, 80, 40, 0};
    for (int i = 0; i < 8; ++i)
        E2E_CHECK(SendMessageA(run.view, LVM_GETCOLUMNWIDTH, i, 0) == widths[i]);
    const LONG style = GetWindowLongA(run.view, GWL_STYLE);
    E2E_CHECK((style & LVS_TYPEMASK) == LVS_REPORT && (style & LVS_SHOWSELALWAYS) &&
              !(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING)));
    E2E_CHECK(SendMessageA(run.view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    selectRows(run.view, {1});
    screenshot("alarm-list", run.list);

    // Enter closes the list like the close button.
    PostMessageA(run.list, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(run.list); }, 5000));
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
    sleepMs(300);
    E2E_CHECK(!messageBox(run.pid(), 0));
    E2E_CHECK(column(run.view, 3) == "one|two|three|one|two|three");

    press(run.list, kCleanupId);
    E2E_CHECK(answer(run.pid()) == "重复闹铃已经标记为临时，下次启动将不存在。");
    E2E_CHECK(column(run.view, 6) == "否|否|否|是|是|是");
    E2E_CHECK(column(run.view, 0) == "1|2 |||3|4|5 |||6");

    // The marked copies stay out of db.dat.
    const auto saved = closeAndReadSaved(run);
    E2E_CHECK(saved.size() == 3);
    E2E_CHECK(std::memcmp(saved.data(), alarms.data(), 3 * 848) == 0);
}

E2E_SCENARIO(list_edit_opens_the_top_selected_row) {
    Run run;
    openList(run, "list_edit", {alarm(11, "a"), alarm(22, "b"), alarm(33, "c")});
    const int kMinuteId = 1013;
    HWND editor = nullptr;
    auto editorOpens = [&] { return (editor = waitDialog(run.pid(), kMinuteId, 5000)) != nullptr; };

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
}
