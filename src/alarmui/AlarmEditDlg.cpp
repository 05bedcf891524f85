#include "alarmui/AlarmEditDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <string>

#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {

// In TimeList order, and the shortcut box above each list.
const int kListIds[kTimeListCount] = {IDC_EDIT_YEARS, IDC_EDIT_MONTHS, IDC_EDIT_DAYS,
                                      IDC_EDIT_WEEKDAYS, IDC_EDIT_HOURS};
const int kShortcutIds[kTimeListCount] = {IDC_EDIT_EVERY_YEAR, IDC_EDIT_EVERY_MONTH,
                                          IDC_EDIT_EVERY_DAY, IDC_EDIT_EVERY_WEEKDAY,
                                          IDC_EDIT_EVERY_HOUR};
const int kActionCount = 6;  // radios IDC_EDIT_ACTION_NONE … IDC_EDIT_ACTION_LOGOFF

const char kSoundFilter[] = "声音文件(*.mp3; *.wav; *.wma; *.mid)|*.MP3; *.WMA; *.WAV; *.mid||";
const char kProgramFilter[] = "待打开文件*.*|*.*||";

template <size_t N>
void addItems(HWND combo, const int (&values)[N], std::string (*format)(int)) {
    for (int v : values)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(format(v)).c_str()));
}

void deselectAll(HWND list) { SendMessageW(list, LB_SETSEL, FALSE, -1); }

}  // namespace

CAlarmEditDlg::CAlarmEditDlg(const ClockSettings& settings, const LocalTime& now,
                             const char* defaultSoundPath, bool defaultSoundExists)
    : win::Dialog(IDD_ALARMEDIT),
      record(newAlarmDefaults(settings, now, defaultSoundPath, defaultSoundExists)) {
    std::memset(&fields_, 0, sizeof fields_);
}

bool CAlarmEditDlg::PresetForDate(int year, int month, int day) {
    if (!presetForDate(record, year, month, day))
        return false;
    preset_ = PresetDate{year, month, day};
    return true;
}

void CAlarmEditDlg::PresetForQuickAlarm(int year, int month, int day, int hour, int minute,
                                        const char* soundPath) {
    presetForQuickAlarm(record, year, month, day, hour, minute, soundPath);
}

BOOL CAlarmEditDlg::OnInitDialog() {
    win::centreOnScreen(hwnd());

    HWND spin = item(IDC_EDIT_MINUTE_SPIN);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(item(IDC_EDIT_MINUTE)), 0);
    SendMessageW(spin, UDM_SETRANGE32, 0, 59);

    lunar_ = isLunarAlarm(record);
    CheckDlgButton(hwnd(), IDC_EDIT_LUNAR, lunar_ ? BST_CHECKED : BST_UNCHECKED);
    for (int l = 0; l < kTimeListCount; ++l)
        FillTimeList(l, timeListMask(record, static_cast<TimeList>(l)));

    nextRingRect_ = win::childRect(item(IDC_EDIT_NEXT_RING));
    hintRect_ = win::childRect(item(IDC_EDIT_HINT));
    HWND rules = item(IDC_EDIT_DAY_RULE);
    for (const char* name : kDayRuleItems)
        SendMessageW(rules, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(name).c_str()));
    ruleItem_ = dayRuleItem(record.dayRule, win::localNow());
    SendMessageW(rules, CB_SETCURSEL, ruleItem_, 0);
    weekdaysBeforeRule_ = record.weekdayMask;
    ShowRuleState();

    addItems(item(IDC_EDIT_MINUTE), kMinuteItems, numberText);
    addItems(item(IDC_EDIT_REPEAT), kRepeatItems, numberText);
    addItems(item(IDC_EDIT_LEAD), kLeadItems, minutesText);
    addItems(item(IDC_EDIT_INTERVAL), kIntervalItems, minutesText);
    SendMessageW(item(IDC_EDIT_SOUND), EM_LIMITTEXT, kSoundLimit, 0);
    SendMessageW(item(IDC_EDIT_TEXT), EM_LIMITTEXT, kTextLimit, 0);
    SendMessageW(item(IDC_EDIT_PROGRAM), EM_LIMITTEXT, kProgramLimit, 0);

    fields_.temporary = record.temporary != 0;
    fields_.minute = record.minute;
    storeText(fields_.program, record.programPath);
    storeText(fields_.sound, record.soundPath);
    storeText(fields_.text, record.text);
    fields_.specialAction = record.specialAction;
    fields_.disabled = record.disabled != 0;
    WriteControls();

    WriteText(IDC_EDIT_REPEAT, numberText(record.repeatCount).c_str());
    WriteText(IDC_EDIT_LEAD, minutesText(record.leadMinutes).c_str());
    WriteText(IDC_EDIT_INTERVAL, minutesText(record.intervalMinutes).c_str());
    UpdatePreview();
    return TRUE;
}

void CAlarmEditDlg::FillTimeList(int l, uint32_t mask) {
    const TimeList list = static_cast<TimeList>(l);
    HWND box = item(kListIds[l]);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    int firstSelected = -1;
    for (int i = 0; i < timeListSize(list, lunar_); ++i) {
        SendMessageW(box, LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(win::wideFromGbk(timeListEntry(list, i, lunar_)).c_str()));
        if (entrySelected(mask, i)) {
            SendMessageW(box, LB_SETSEL, TRUE, i);
            if (firstSelected < 0)
                firstSelected = i;
        }
    }
    // A selected year or hour far down the list is scrolled into view.
    SendMessageW(box, LB_SETTOPINDEX, firstSelected > 0 ? firstSelected : 0, 0);
}

uint32_t CAlarmEditDlg::SelectedMask(int l) const {
    int selected[32];
    const LRESULT n =
        SendMessageW(item(kListIds[l]), LB_GETSELITEMS, 32, reinterpret_cast<LPARAM>(selected));
    return n > 0 ? maskOfSelection(selected, static_cast<size_t>(n)) : 0;
}

void CAlarmEditDlg::UpdatePreview(bool minuteFromSelection) {
    wchar_t picked[64] = {};
    HWND minuteBox = item(IDC_EDIT_MINUTE);
    const LRESULT index = minuteFromSelection ? SendMessageW(minuteBox, CB_GETCURSEL, 0, 0) : CB_ERR;
    const bool fromList = index != CB_ERR && SendMessageW(minuteBox, CB_GETLBTEXTLEN, index, 0) < 64 &&
                          SendMessageW(minuteBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(picked)) != CB_ERR;
    // Anything GBK lacks is no digit anyway.
    bool lost = false;
    const std::string text = win::gbkFromWideLossy(fromList ? std::wstring(picked) : win::windowText(minuteBox), lost);
    // An unreadable minute shows nothing here; OK has its own message for it.
    int minute = 0;
    if (wholeInteger(text.c_str(), 0, 59, minute) != WholeInteger::Ok) {
        WriteText(IDC_EDIT_NEXT_RING, "");
        return;
    }
    AlarmRecord trial = record;
    for (int l = 0; l < kTimeListCount; ++l)
        setTimeListMask(trial, static_cast<TimeList>(l), SelectedMask(l));
    trial.minute = static_cast<int8_t>(minute);
    trial.disabled = IsDlgButtonChecked(hwnd(), IDC_EDIT_DISABLED) == BST_CHECKED ? 1 : 0;
    trial.calendarKind = lunar_ ? kCalendarLunar : kCalendarGregorian;
    setDayRule(trial, SelectedRule());
    // A sound that is not there will be replaced by the default chime.
    std::string sound;
    const bool soundMissing = win::gbkFromWide(win::windowText(item(IDC_EDIT_SOUND)), sound) &&
                              !sound.empty() && !win::isFile(sound.c_str());
    WriteText(IDC_EDIT_NEXT_RING, nextRingPreview(trial, win::localNow(), soundMissing).c_str());
}

bool CAlarmEditDlg::ReadControls() {
    fields_.temporary = IsDlgButtonChecked(hwnd(), IDC_EDIT_TEMPORARY) == BST_CHECKED;
    fields_.disabled = IsDlgButtonChecked(hwnd(), IDC_EDIT_DISABLED) == BST_CHECKED;
    // No radio checked (a record with an unknown action): the action stays as it was.
    for (int i = 0; i < kActionCount; ++i)
        if (IsDlgButtonChecked(hwnd(), IDC_EDIT_ACTION_NONE + i) == BST_CHECKED)
            fields_.specialAction = i;
    // The minute comes last, so that a mistyped minute loses none of the texts.
    return ReadText(IDC_EDIT_PROGRAM, fields_.program, sizeof fields_.program, kProgramLimit) &&
           ReadText(IDC_EDIT_SOUND, fields_.sound, sizeof fields_.sound, kSoundLimit) &&
           ReadText(IDC_EDIT_TEXT, fields_.text, sizeof fields_.text, kTextLimit) &&
           ReadInt(IDC_EDIT_MINUTE, 0, 59, fields_.minute);
}

void CAlarmEditDlg::WriteControls() {
    CheckDlgButton(hwnd(), IDC_EDIT_TEMPORARY, fields_.temporary ? BST_CHECKED : BST_UNCHECKED);
    WriteInt(IDC_EDIT_MINUTE, fields_.minute);
    WriteText(IDC_EDIT_PROGRAM, fields_.program);
    WriteText(IDC_EDIT_SOUND, fields_.sound);
    WriteText(IDC_EDIT_TEXT, fields_.text);
    for (int i = 0; i < kActionCount; ++i)
        CheckDlgButton(hwnd(), IDC_EDIT_ACTION_NONE + i,
                       fields_.specialAction == i ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_EDIT_DISABLED, fields_.disabled ? BST_CHECKED : BST_UNCHECKED);
}

void CAlarmEditDlg::OnOK() {
    if (!ReadControls())
        return;
    EditorInput input = fields_;
    for (int l = 0; l < kTimeListCount; ++l)
        input.masks[l] = SelectedMask(l);
    if (!ReadComboText(IDC_EDIT_REPEAT, input.repeat, sizeof input.repeat) ||
        !ReadComboText(IDC_EDIT_LEAD, input.lead, sizeof input.lead) ||
        !ReadComboText(IDC_EDIT_INTERVAL, input.interval, sizeof input.interval))
        return;
    // The working copy changes only once OK really succeeds. Without any
    // action OK is ignored; the action group's caption says why.
    AlarmRecord trial = record;
    if (!applyEditorInput(trial, input))
        return;
    trial.calendarKind = lunar_ ? kCalendarLunar : kCalendarGregorian;
    setDayRule(trial, SelectedRule());
    if (asksBeforeSaving(trial, win::localNow()) &&
        win::messageBox(hwnd(), kNeverRingsQuestion, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    record = trial;
    EndDialog(IDOK);
}

bool CAlarmEditDlg::OnCommand(int id, int code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_EDIT_CLEAR:
            OnClear();
            return true;
        case IDC_EDIT_BROWSE_SOUND:
        case IDC_EDIT_BROWSE_PROGRAM:
            OnBrowse(id);
            return true;
        case IDC_EDIT_EVERY_YEAR:
        case IDC_EDIT_EVERY_MONTH:
        case IDC_EDIT_EVERY_DAY:
        case IDC_EDIT_EVERY_WEEKDAY:
        case IDC_EDIT_EVERY_HOUR:
            OnShortcut(id);
            UpdatePreview();
            return true;
        case IDC_EDIT_DISABLED:
            UpdatePreview();
            return true;
        case IDC_EDIT_LUNAR:
            OnLunar();
            return true;
        }
    }
    if (id >= IDC_EDIT_YEARS && id <= IDC_EDIT_HOURS && code == LBN_SELCHANGE) {
        UpdatePreview();
        return true;
    }
    if (id == IDC_EDIT_MINUTE && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)) {
        UpdatePreview(code == CBN_SELCHANGE);
        return true;
    }
    if (id == IDC_EDIT_DAY_RULE && code == CBN_SELCHANGE) {
        OnDayRule();
        return true;
    }
    if (id == IDC_EDIT_SOUND && code == EN_CHANGE) {
        UpdatePreview();
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

INT_PTR CAlarmEditDlg::OnMessage(UINT msg, WPARAM, LPARAM lp, bool&) {
    // The up-down control has written its new position into the minute box.
    if (msg == WM_VSCROLL && reinterpret_cast<HWND>(lp) == item(IDC_EDIT_MINUTE_SPIN))
        UpdatePreview();
    return 0;
}

void CAlarmEditDlg::OnLunar() {
    const bool lunar = IsDlgButtonChecked(hwnd(), IDC_EDIT_LUNAR) == BST_CHECKED;
    if (lunar != lunar_) {
        const int months = static_cast<int>(TimeList::Months), days = static_cast<int>(TimeList::Days);
        uint32_t monthMask = SelectedMask(months), dayMask = SelectedMask(days);
        switchCalendar(monthMask, dayMask, lunar, preset_);
        lunar_ = lunar;
        FillTimeList(months, monthMask);
        FillTimeList(days, dayMask);
    }
    UpdatePreview();
}

uint8_t CAlarmEditDlg::SelectedRule() const { return dayRuleOfItem(ruleItem_, win::localNow()); }

void CAlarmEditDlg::OnDayRule() {
    const LRESULT picked = SendMessageW(item(IDC_EDIT_DAY_RULE), CB_GETCURSEL, 0, 0);
    const int itemNow = picked > 0 && picked < kDayRuleCount ? static_cast<int>(picked) : 0;
    const int weekdays = static_cast<int>(TimeList::Weekdays);
    if ((ruleItem_ == 0) != (itemNow == 0)) {
        if (itemNow != 0) {
            weekdaysBeforeRule_ = SelectedMask(weekdays);
            everyWeekdayBeforeRule_ = IsDlgButtonChecked(hwnd(), IDC_EDIT_EVERY_WEEKDAY) == BST_CHECKED;
        }
        ruleItem_ = itemNow;
        ShowRuleState();
    }
    ruleItem_ = itemNow;
    UpdatePreview();
}

// With a rule the weekday list is empty and out of use; without one it shows
// what it held before the rule was chosen.
void CAlarmEditDlg::ShowRuleState() {
    const int weekdays = static_cast<int>(TimeList::Weekdays);
    const bool ruled = ruleItem_ != 0;
    HWND list = item(kListIds[weekdays]);
    FillTimeList(weekdays, ruled ? 0 : weekdaysBeforeRule_);
    CheckDlgButton(hwnd(), IDC_EDIT_EVERY_WEEKDAY, !ruled && everyWeekdayBeforeRule_ ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(item(IDC_EDIT_EVERY_WEEKDAY), !ruled);
    EnableWindow(list, !ruled && !everyWeekdayBeforeRule_);
    // A rule's line may also say that a year's schedule is still unknown.
    ShowWindow(item(IDC_EDIT_HINT), ruled ? SW_HIDE : SW_SHOW);
    const RECT& r = nextRingRect_;
    const int top = ruled ? hintRect_.top : r.top;
    MoveWindow(item(IDC_EDIT_NEXT_RING), r.left, top, r.right - r.left, r.bottom - top, TRUE);
}

void CAlarmEditDlg::OnShortcut(int boxId) {
    for (int l = 0; l < kTimeListCount; ++l) {
        if (kShortcutIds[l] != boxId)
            continue;
        // Either way the list ends up empty: "every value" is an empty mask.
        HWND list = item(kListIds[l]);
        deselectAll(list);
        EnableWindow(list, IsDlgButtonChecked(hwnd(), boxId) != BST_CHECKED);
    }
}

void CAlarmEditDlg::OnBrowse(int buttonId) {
    ReadControls();  // a bad value has shown its message; the choice goes on
    const bool sound = buttonId == IDC_EDIT_BROWSE_SOUND;
    const std::string filter = fileFilter(sound ? kSoundFilter : kProgramFilter);
    std::string path;
    // Alarms may name their files relative to the program's folder.
    if (!win::chooseStoredFile(hwnd(), filter, OFN_EXPLORER | OFN_NOCHANGEDIR, path))
        return;
    storeText(sound ? fields_.sound : fields_.program, path.c_str());
    WriteControls();
    // The control gets the whole path even when it is too long, so that OK
    // reports it instead of saving a cut one.
    WriteText(sound ? IDC_EDIT_SOUND : IDC_EDIT_PROGRAM, path.c_str());
}

void CAlarmEditDlg::OnClear() {
    ReadControls();
    // The hours and the minute stay: the cleared alarm keeps its time of day.
    for (int l = 0; l < kTimeListCount; ++l)
        if (static_cast<TimeList>(l) != TimeList::Hours)
            deselectAll(item(kListIds[l]));
    fields_.temporary = true;
    fields_.sound[0] = '\0';
    fields_.text[0] = '\0';
    fields_.program[0] = '\0';
    fields_.specialAction = 0;
    WriteControls();
    // The days are cleared, so is their rule.
    if (ruleItem_ != 0) {
        ruleItem_ = 0;
        weekdaysBeforeRule_ = 0;
        everyWeekdayBeforeRule_ = false;
        SendMessageW(item(IDC_EDIT_DAY_RULE), CB_SETCURSEL, 0, 0);
        ShowRuleState();
    }
    UpdatePreview();
}
