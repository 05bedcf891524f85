// The alarm editor: one working copy of an AlarmRecord, shown in five
// multi-selection lists (selecting none means every value) and the action
// fields, and encoded back into the copy on OK.
#pragma once

#include "alarmui/editorlogic.h"
#include "model/localtime.h"
#include "model/records.h"
#include "win/Dialog.h"

class CAlarmEditDlg : public win::Dialog {
public:
    // record starts with the new-alarm defaults for the moment `now`.
    CAlarmEditDlg(const ClockSettings& settings, const LocalTime& now, const char* defaultSoundPath,
                  bool defaultSoundExists);

    // The working copy: callers may overwrite it before DoModal and read it
    // after DoModal returned IDOK.
    AlarmRecord record;

    // An alarm for one calendar date at noon; false, and nothing changed,
    // for a year no year entry can hold.
    bool PresetForDate(int year, int month, int day);
    // A temporary one-shot alarm for the given minute with the given sound.
    void PresetForQuickAlarm(int year, int month, int day, int hour, int minute, const char* soundPath);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
    void OnClear();
    void OnBrowse(int buttonId);
    void OnShortcut(int boxId);
    void OnLunar();
    // The day rule list changed: a rule takes the weekday list out of use.
    void OnDayRule();

private:
    // Controls to members with validation, stopping at the first bad value;
    // and members back to the controls.
    bool ReadControls();
    void WriteControls();
    // A time list's entries in the current calendar, with mask's entries selected.
    void FillTimeList(int list, uint32_t mask);
    uint32_t SelectedMask(int list) const;
    // Refreshes the next-ring line from the controls as they stand. A minute
    // just picked from the drop-down is not in the edit field yet.
    void UpdatePreview(bool minuteFromSelection = false);

    // The values bound to controls; masks and combo texts are read on OK only.
    EditorInput fields_;
    // Whether the month and day lists follow the lunar calendar (box 1061).
    bool lunar_ = false;
    // The day rule list's item, and what the weekday list and its 每周每天
    // box held before a rule took them out of use: they come back with 不跟随.
    int ruleItem_ = 0;
    uint32_t weekdaysBeforeRule_ = 0;
    bool everyWeekdayBeforeRule_ = false;
    uint8_t SelectedRule() const;
    void ShowRuleState();
    // The next-ring line's place without a rule; with one, the weekday hint
    // above it has nothing to say and the line takes its room too.
    RECT nextRingRect_ = {};
    RECT hintRect_ = {};
    PresetDate preset_;
};
