// The alarm list: every alarm of the live table with its summary, and the
// buttons that add, edit, delete, switch, export, import and de-duplicate.
#pragma once

#include <functional>
#include <vector>

#include "model/paths.h"
#include "model/localtime.h"
#include "model/records.h"
#include "win/Dialog.h"

class CAlarmListDlg : public win::Dialog {
public:
    // Works directly on the live table; the caller saves after each change.
    CAlarmListDlg(AlarmTable& table, const ClockSettings& settings, const ProgramPaths& paths,
                  bool defaultSoundExists);

    void FillList();
    void RemoveAlarmAt(int index);

    // Called after every change the list makes to the table, once its rows show it.
    std::function<void()> onTableChanged;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void OnAdd();
    void OnEdit();
    void OnDelete();
    void OnToggle();
    void OnExport();
    void OnImport();
    void OnCleanup();
    void OnMinuteTimer();
    // The rows again after a change, and the caller told.
    void TableChanged();
    // One flag per row of the list, true where the row is selected.
    std::vector<bool> SelectedRows() const;

    AlarmTable& table_;
    const ClockSettings& settings_;
    const ProgramPaths& paths_;
    bool defaultSoundExists_;
    // The minute the next-ring column was computed for.
    LocalTime shownMinute_ = {};
};
