#include "alarmui/AlarmListDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include "alarmui/AlarmEditDlg.h"
#include "alarmui/exchange.h"
#include "alarmui/summary.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {

struct Column {
    const char* heading;
    int width;
};

// The parameters column starts closed; the user may drag it open. Widths
// are minimums in 96-DPI pixels: a heading that needs more gets more.
const Column kColumns[kListColumns] = {
    {"编号", 40}, {"时间", 180}, {"声音", 80}, {"文字", 200},
    {"程序", 80}, {"特殊动作", 80}, {"临时", 30}, {"参数", 0}, {"下次响铃", 130},
};

// Checks for a new minute; the next-ring cells change only then.
const UINT_PTR kMinuteTimer = 1;
const UINT kMinuteTimerPeriod = 1000;

void setCell(HWND list, int row, int column, const std::string& text) {
    std::wstring wide = win::wideFromGbk(text);
    LVITEMW cell = {};
    cell.iSubItem = column;
    cell.pszText = &wide[0];
    SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&cell));
}

// An export file is only read and written, never stored, so any name will
// do. The file dialogs leave the working folder alone: alarms may name their
// sounds and programs relative to it.
bool askForFile(HWND owner, bool save, std::string& path) {
    std::wstring chosen;
    const DWORD flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : 0);
    if (!win::chooseFile(owner, save, std::string(), flags, chosen))
        return false;
    path = win::pathFromWide(chosen);
    return true;
}

}  // namespace

CAlarmListDlg::CAlarmListDlg(AlarmTable& table, const ClockSettings& settings,
                             const ProgramPaths& paths, bool defaultSoundExists)
    : win::Dialog(IDD_ALARMLIST),
      table_(table),
      settings_(settings),
      paths_(paths),
      defaultSoundExists_(defaultSoundExists) {}

BOOL CAlarmListDlg::OnInitDialog() {
    win::centreOnScreen(hwnd());
    HWND list = item(IDC_LIST_ALARMS);
    for (int i = 0; i < kListColumns; ++i) {
        std::wstring heading = win::wideFromGbk(kColumns[i].heading);
        LVCOLUMNW column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = win::listColumnWidth(list, kColumns[i].heading, kColumns[i].width);
        column.pszText = &heading[0];
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    FillList();
    SetTimer(hwnd(), kMinuteTimer, kMinuteTimerPeriod, nullptr);
    return TRUE;
}

void CAlarmListDlg::FillList() {
    HWND list = item(IDC_LIST_ALARMS);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    shownMinute_ = win::localNow();
    const int used = usedAlarms(table_);
    for (int i = 0; i < used; ++i) {
        const AlarmRecord& r = table_.alarms[i];
        const std::string sound(r.soundPath, fieldLength(r.soundPath, sizeof r.soundPath));
        const auto cells = alarmRowCells(i, r, shownMinute_, !sound.empty() && !win::isFile(sound.c_str()));
        std::wstring first = win::wideFromGbk(cells[0]);
        LVITEMW row = {};
        row.mask = LVIF_TEXT;
        row.iItem = i;
        row.pszText = &first[0];
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row));
        for (int c = 1; c < kListColumns; ++c)
            setCell(list, i, c, cells[c]);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void CAlarmListDlg::TableChanged() {
    FillList();
    if (onTableChanged)
        onTableChanged();
}

// Rows, order and selection stay; only the next-ring texts are redone, and the
// time texts, where 大小周 names the Saturday of the week.
void CAlarmListDlg::OnMinuteTimer() {
    const LocalTime now = win::localNow();
    if (sameMinute(now, shownMinute_))
        return;
    shownMinute_ = now;
    HWND list = item(IDC_LIST_ALARMS);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int used = usedAlarms(table_);
    for (int i = 0; i < rows && i < used; ++i) {
        setCell(list, i, 1, timeSummary(table_.alarms[i], &now));
        setCell(list, i, kNextRingColumn, nextRingCell(table_.alarms[i], now));
    }
}

void CAlarmListDlg::RemoveAlarmAt(int index) { removeAlarmAt(table_, index); }

std::vector<bool> CAlarmListDlg::SelectedRows() const {
    HWND list = item(IDC_LIST_ALARMS);
    std::vector<bool> rows(static_cast<size_t>(usedAlarms(table_)), false);
    int i = -1;
    while ((i = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, i, LVNI_SELECTED))) >= 0) {
        if (static_cast<size_t>(i) >= rows.size())
            break;
        rows[i] = true;
    }
    return rows;
}

// The editor is owned by the list, so that the list cannot change the table
// while an edit is under way.
void CAlarmListDlg::OnAdd() {
    if (usedAlarms(table_) >= kMaxAlarms) {
        win::messageBox(hwnd(), "达到最大闹铃数目了。");
        return;
    }
    CAlarmEditDlg editor(settings_, win::localNow(), paths_.defaultSoundPath, defaultSoundExists_);
    if (editor.DoModal(hwnd()) != IDOK)
        return;
    // The clock's own commands may have filled the table meanwhile.
    const int used = usedAlarms(table_);
    if (used >= kMaxAlarms) {
        win::messageBox(hwnd(), "达到最大闹铃数目了。");
        return;
    }
    table_.alarms[used] = editor.record;
    table_.alarmCount = used + 1;
    TableChanged();
}

void CAlarmListDlg::OnEdit() {
    const int i = static_cast<int>(
        SendMessageW(item(IDC_LIST_ALARMS), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (i < 0 || i >= usedAlarms(table_))
        return;
    CAlarmEditDlg editor(settings_, win::localNow(), paths_.defaultSoundPath, defaultSoundExists_);
    editor.record = table_.alarms[i];
    if (editor.DoModal(hwnd()) != IDOK)
        return;
    table_.alarms[i] = editor.record;
    TableChanged();
}

void CAlarmListDlg::OnDelete() {
    deleteSelectedAlarms(table_, SelectedRows());
    TableChanged();
}

void CAlarmListDlg::OnToggle() {
    toggleSelectedAlarms(table_, SelectedRows());
    TableChanged();
}

void CAlarmListDlg::OnExport() {
    std::string path;
    if (!askForFile(hwnd(), true, path))
        return;
    // The file is replaced whole, so a failed write is reported and leaves no partial file.
    win::messageBox(hwnd(), exportAlarms(path, table_) ? "导出成功。" : "导出失败。");
}

void CAlarmListDlg::OnImport() {
    std::string path;
    if (!askForFile(hwnd(), false, path))
        return;
    // The file is read once: what the question names is what goes in.
    std::vector<AlarmRecord> records;
    ImportResult result = readImportFile(path, table_, records);
    if (result == ImportResult::Imported) {
        const LocalTime now = win::localNow();
        const std::string question = importQuestion(records.data(), static_cast<int>(records.size()), &now);
        if (!question.empty() && win::messageBox(hwnd(), question.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        result = appendImported(table_, records);
    }
    switch (result) {
    case ImportResult::Imported:
        TableChanged();
        break;
    case ImportResult::Unreadable:
        win::messageBox(hwnd(), "导入失败。");
        break;
    case ImportResult::WrongSize:
        win::messageBox(hwnd(), "文件大小不正确。");
        break;
    case ImportResult::TooMany:
        win::messageBox(hwnd(), "无法导入，达到最大闹钟限制。");
        break;
    }
}

void CAlarmListDlg::OnCleanup() {
    markDuplicateAlarms(table_);
    TableChanged();
    win::messageBox(hwnd(), "重复闹铃已经标记为临时，下次启动将不存在。");
}

bool CAlarmListDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_LIST_ADD: OnAdd(); return true;
    case IDC_LIST_EDIT: OnEdit(); return true;
    case IDC_LIST_DELETE: OnDelete(); return true;
    case IDC_LIST_TOGGLE: OnToggle(); return true;
    case IDC_LIST_EXPORT: OnExport(); return true;
    case IDC_LIST_IMPORT: OnImport(); return true;
    case IDC_LIST_CLEANUP: OnCleanup(); return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

INT_PTR CAlarmListDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool&) {
    if (msg == WM_TIMER && wp == kMinuteTimer)
        OnMinuteTimer();
    if (msg == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom == IDC_LIST_ALARMS && header->code == static_cast<UINT>(NM_DBLCLK))
            OnEdit();
    }
    return 0;
}
