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

    // An alarm for one calendar date at noon.
    void PresetForDate(int year, int month, int day);
    // A temporary one-shot alarm for the given minute with the given sound.
    void PresetForQuickAlarm(int year, int month, int day, int hour, int minute, const char* soundPath);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnClear();
    void OnBrowse(int buttonId);
    void OnShortcut(int boxId);

private:
    // Controls to members with validation, stopping at the first bad value;
    // and members back to the controls.
    bool ReadControls();
    void WriteControls();

    // The values bound to controls; masks and combo texts are read on OK only.
    EditorInput fields_;
};
