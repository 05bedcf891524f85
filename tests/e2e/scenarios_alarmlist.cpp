// The alarm list: its rows, delete and on/off, export, import and cleanup,
// driven through the real dialog and the system's file dialogs.
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

const int kListId = 1006, kCleanupId = 1037, kFileNameId = 1148;

struct Run {
    std::string folder;
    Program program;
    HWND clock = nullptr;
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
    run.folder = scenarioFolder(name);
    E2E_CHECK(installProgram(run.folder));
    E2E_CHECK(writeBytes(run.folder + "\\db.dat",
                         dataFileBytes(defaultSettings(), alarms.data(), static_cast<int>(alarms.size()))));
    E2E_CHECK(run.program.start(run.folder));
    run.clock = run.program.clock();
    E2E_CHECK_MSG(run.clock, "no clock window appeared");
    PostMessageA(run.clock, WM_COMMAND, 32772, 0);
    E2E_CHECK_MSG(waitFor([&] { return (run.list = dialogWithItem(run.program.pid(), kCleanupId)) != nullptr; }, 5000),
                  "the alarm list did not open");
    run.view = GetDlgItem(run.list, kListId);
}

int rowCount(Run& run) { return static_cast<int>(SendMessageA(run.view, LVM_GETITEMCOUNT, 0, 0)); }

// List-view messages carrying pointers need their structures in the
// program's own memory: Wine does not marshal them.
class RemoteBlock {
public:
    RemoteBlock(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_)
            base_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBlock() {
        if (base_)
            VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
        if (process_)
            CloseHandle(process_);
    }
    char* at(size_t offset) const { return base_ + offset; }
    bool put(size_t offset, const void* p, size_t n) const {
        return base_ && WriteProcessMemory(process_, base_ + offset, p, n, nullptr);
    }
    bool get(size_t offset, void* p, size_t n) const {
        return base_ && ReadProcessMemory(process_, base_ + offset, p, n, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* base_ = nullptr;
};

std::string listViewCell(HWND view, int row, int column) {
    RemoteBlock block(view, sizeof(LVITEMA) + 512);
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = block.at(sizeof item);
    item.cchTextMax = 512;
    const char zero = 0;
    if (!block.put(0, &item, sizeof item) || !block.put(sizeof item, &zero, 1))
        return "<no remote memory>";
    DWORD_PTR ignored;
    SendMessageTimeoutA(view, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block.at(0)),
                        SMTO_ABORTIFHUNG, 3000, &ignored);
    char text[513] = {};
    block.get(sizeof item, text, 512);
    return text;
}

std::string column(Run& run, int col) {
    std::string cells;
    for (int i = 0; i < rowCount(run); ++i)
        cells += (i ? "|" : "") + listViewCell(run.view, i, col);
    return cells;
}

void selectRows(Run& run, const std::vector<int>& rows) {
    RemoteBlock block(run.view, sizeof(LVITEMA));
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    E2E_CHECK(block.put(0, &item, sizeof item));
    SendMessageA(run.view, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(block.at(0)));
    item.state = LVIS_SELECTED;
    E2E_CHECK(block.put(0, &item, sizeof item));
    for (int row : rows)
        SendMessageA(run.view, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.at(0)));
}

// The middle of a row, in screen coordinates.
POINT rowCentre(Run& run, int row) {
    RemoteBlock block(run.view, sizeof(RECT));
    RECT r = {LVIR_BOUNDS, 0, 0, 0};
    block.put(0, &r, sizeof r);
    SendMessageA(run.view, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(block.at(0)));
    block.get(0, &r, sizeof r);
    POINT p = {40, (r.top + r.bottom) / 2};
    ClientToScreen(run.view, &p);
    return p;
}

void press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND messageBox(Run& run, DWORD milliseconds = 5000) {
    HWND box = nullptr;
    waitFor([&] {
        for (HWND h : windowsOfClass(run.program.pid(), "#32770"))
            if (IsWindowVisible(h) && GetDlgItem(h, 0xFFFF))
                return (box = h) != nullptr;
        return false;
    }, milliseconds);
    return box;
}

// Reads the message, then dismisses it.
std::string answer(Run& run) {
    HWND box = messageBox(run);
    if (!box)
        return "<no message>";
    const std::string text = itemText(box, 0xFFFF);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    waitFor([&] { return !IsWindow(box); }, 3000);
    return text;
}

// Presses a button that opens a file dialog and names the file in it.
void chooseFile(Run& run, int button, const std::string& path) {
    press(run.list, button);
    HWND dialog = nullptr;
    E2E_CHECK_MSG(waitFor([&] {
        for (HWND h : windowsOfClass(run.program.pid(), "#32770"))
            if (IsWindowVisible(h) && GetDlgItem(h, kFileNameId))
                return (dialog = h) != nullptr;
        return false;
    }, 10000), "no file dialog");
    SendMessageA(GetDlgItem(dialog, kFileNameId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(dialog); }, 5000), "the file dialog stayed open");
}

// Closes the list and the program; the records db.dat holds afterwards.
std::vector<AlarmRecord> closeAndReadSaved(Run& run) {
    PostMessageA(run.list, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(run.list); }, 5000));
    PostMessageA(run.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(run.program.waitExit(10000));
    std::string bytes;
    E2E_CHECK(readBytes(run.folder + "\\db.dat", bytes));
    int32_t n = -1;
    E2E_CHECK(bytes.size() >= 736);
    std::memcpy(&n, bytes.data() + 732, 4);
    E2E_CHECK(n >= 0 && bytes.size() == 736 + 848u * n);
    std::vector<AlarmRecord> records(n);
    if (n > 0)
        std::memcpy(records.data(), bytes.data() + 736, 848u * n);
    return records;
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
    E2E_CHECK(rowCount(run) == 4);
    E2E_CHECK(column(run, 0) == "1|2|3 |||4");
    E2E_CHECK_MSG(column(run, 1) == "每日 8时 30分 |星期重复 7时 19时 5分 |年月日重复 22时 0分 |每日 每时 45分 ",
                  column(run, 1));
    E2E_CHECK(column(run, 2) == "morning.wav|||");
    E2E_CHECK(column(run, 3) == "起床|上班打卡|圣诞快乐|休息一下");
    E2E_CHECK(column(run, 4) == "||notepad.exe|");
    E2E_CHECK(column(run, 5) == "||关机|");
    E2E_CHECK(column(run, 6) == "否|否|否|是");
    E2E_CHECK(listViewCell(run.view, 2, 7) == "131072 2048 16777216 4194304 0 0 1 0 0");

    const int widths[8] = {40, 180, 80, 200, 80, 80, 40, 0};
    for (int i = 0; i < 8; ++i)
        E2E_CHECK(SendMessageA(run.view, LVM_GETCOLUMNWIDTH, i, 0) == widths[i]);
    const LONG style = GetWindowLongA(run.view, GWL_STYLE);
    E2E_CHECK((style & LVS_TYPEMASK) == LVS_REPORT && (style & LVS_SHOWSELALWAYS) &&
              !(style & (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SORTDESCENDING)));
    E2E_CHECK(SendMessageA(run.view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    selectRows(run, {1});
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

    selectRows(run, {1, 4});
    press(run.list, 1009);
    E2E_CHECK(waitFor([&] { return rowCount(run) == 4; }, 3000));
    E2E_CHECK(column(run, 3) == "A|C|D|F");
    E2E_CHECK(column(run, 0) == "1|2 |||3|4");

    // A mixed selection swaps each row on its own.
    selectRows(run, {0, 1});
    press(run.list, 1010);
    E2E_CHECK(waitFor([&] { return column(run, 0) == "1 |||2|3|4"; }, 3000));

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

    chooseFile(run, 1035, file);
    E2E_CHECK(answer(run) == "导出成功。");
    std::string exported;
    E2E_CHECK(readBytes(file, exported));
    E2E_CHECK(exported.size() == 2548);
    E2E_CHECK(exported.substr(0, 4) == std::string("\x03\0\0\0", 4));
    E2E_CHECK(std::memcmp(exported.data() + 4, alarms.data(), 3 * 848) == 0);

    // One byte short: refused as a whole.
    E2E_CHECK(writeBytes(run.folder + "\\short.bin", exported.substr(0, 2547)));
    chooseFile(run, 1036, run.folder + "\\short.bin");
    E2E_CHECK(answer(run) == "文件大小不正确。");
    E2E_CHECK(rowCount(run) == 3);

    // A good file comes in without a word.
    chooseFile(run, 1036, file);
    E2E_CHECK(waitFor([&] { return rowCount(run) == 6; }, 3000));
    sleepMs(300);
    E2E_CHECK(!messageBox(run, 0));
    E2E_CHECK(column(run, 3) == "one|two|three|one|two|three");

    press(run.list, kCleanupId);
    E2E_CHECK(answer(run) == "重复闹铃已经标记为临时，下次启动将不存在。");
    E2E_CHECK(column(run, 6) == "否|否|否|是|是|是");
    E2E_CHECK(column(run, 0) == "1|2 |||3|4|5 |||6");

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
    auto editorOpens = [&] {
        return waitFor([&] { return (editor = dialogWithItem(run.program.pid(), kMinuteId)) != nullptr; }, 5000);
    };

    selectRows(run, {2, 1});
    press(run.list, 1008);
    E2E_CHECK_MSG(editorOpens(), "the edit button opened no editor");
    E2E_CHECK(itemText(editor, kMinuteId) == "22");
    SendMessageA(GetDlgItem(editor, kMinuteId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("44"));
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return listViewCell(run.view, 1, 1) == "每日 每时 44分 "; }, 5000));
    E2E_CHECK(column(run, 3) == "a|b|c");

    // A double-click on a row edits that row; cancelling changes nothing.
    const POINT p = rowCentre(run, 2);
    mouseDoubleClick(p.x, p.y);
    E2E_CHECK_MSG(editorOpens(), "a double-click opened no editor");
    E2E_CHECK(itemText(editor, kMinuteId) == "33");
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    E2E_CHECK(column(run, 1) == "每日 每时 11分 |每日 每时 44分 |每日 每时 33分 ");
}
