// The clock: the program's one permanent window and the owner of all its state.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "clock/AlarmSeamsWin32.h"
#include "clock/SaveNoticeWin32.h"
#include "alarm/tick.h"
#include "model/paths.h"
#include "model/datafiles.h"
#include "model/localtime.h"
#include "model/records.h"
#include "win/Dialog.h"

class CMemoDlg;
class CCalendarDlg;
class CRingDlg;

class CClockDlg : public win::Dialog {
public:
    CClockDlg();
    ~CClockDlg() override;

    ClockSettings settings;
    AlarmTable table;
    std::string memoText;
    ProgramPaths paths;
    bool defaultSoundExists = false;
    HWND mciWindow = nullptr;

    // Stores the window position and writes db.dat and note.txt. A file not
    // written is told in a box owned by owner, the window whose action saved
    // (null: the default owner), at its first failure and at a new cause.
    void saveDataFiles(HWND owner = nullptr);
    // The one memo window, created on first use.
    CMemoDlg* memo();
    // A power alarm's countdown was put off: it comes again as a temporary
    // alarm, unless the table is full (the message says so).
    void postponePowerAlarm(const AlarmRecord& alarm);
    // Arms the wake timer 60 s before the next moment an alarm makes itself
    // heard (nextWake), or cancels it with the alarm service or the wake
    // option off or nothing to come. Called after every change of the table
    // or the settings; does nothing when the answer stays the same.
    void rearmWake();
    // The ring window shows what rings now, or goes when nothing does.
    void followRing();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
    bool PreTranslateMessage(MSG& msg) override;
    void OnOK() override { OnExit(); }
    void OnCancel() override { OnExit(); }

private:
    void OnTimer();
    void OnDestroy();
    // The exit command and the close box: saved first, and asked while a file is not.
    void OnExit();
    // The save itself, told to nobody.
    DataFilesSave writeDataFiles();
    // Says which data files could not be read and so stay untouched this run.
    void OnUnreadableFiles();
    void OnPowerCommand(int id);
    void OnContextMenu(int x, int y);
    void OnAddAlarm();
    void OnAlarmList();
    void OnQuickAlarm(int id);
    void OnSnooze(int id);
    // An alarm the clock made itself joins the table and is saved.
    void appendAlarm(const AlarmRecord& record, HWND owner = nullptr);
    // Whether a sound an alarm started is still to be heard.
    bool alarmRinging() const;
    // The user answered the alarm: the sound stops, the ring window goes.
    void stopAlarmSound();
    void OnMemo();
    void OnTimeSync();
    void OnCalendar();
    void OnOptions();
    void restack();
    // A full table refuses new alarms with a message; true when there is room.
    bool roomForAlarm();
    void applyFont(int fontSize);
    void applyTransparency(bool fullTransparent, int level, COLORREF colourKey);
    // Brush, colour key and face again after the colours in the settings changed.
    void applyColours();
    // Every tick; newSecond: the tick began a new second.
    void updateHover(bool newSecond = true);
    void placeWindow();
    bool createTooltip();
    void updateTooltip(const LocalTime& time);
    void showTime(const LocalTime& time);

    Win32AlarmSeams seams_;
    ClockTick tick_;
    std::unique_ptr<CMemoDlg> memoWindow_;
    std::unique_ptr<CCalendarDlg> calendarWindow_;
    std::unique_ptr<CRingDlg> ringWindow_;
    HWND tooltip_ = nullptr;
    HWND face_ = nullptr;  // static 1000
    std::string tooltipText_;  // what the tooltip shows; it changes once a day
    bool hovered_ = true;
    DWORD lastInputTime_ = 0;  // of the input after which the cursor was last looked up
    bool layeredStyleSet_ = false;
    HICON icon_;
    HBRUSH backBrush_ = nullptr;
    COLORREF paintedBackColor_ = 0;  // what backBrush_ and the colour key were made from
    COLORREF paintedTextColor_ = 0;
    DataFilesLoad loaded_;
    SaveNoticeWin32 saveNotice_;
    bool ending_ = false;  // the exit is decided: nothing is asked or told any more
    HFONT clockFont_ = nullptr;
    LocalTime lastTick_;
    SIZE templateSize_ = {};

    // Once a second: the computer kept on once the wake timer fired, let go
    // three minutes after the alarm minute; the timer re-armed once the
    // moment it was armed for has come.
    void followWake(const LocalTime& now);
    void stopKeepingAwake();
    HANDLE wakeTimer_ = nullptr;
    bool wakeKnown_ = false;  // false until armed or cancelled once, and after a time change or resume
    bool wakeArmed_ = false;
    LocalTime wakeFor_ = {};  // the nextWake answer armed for
    LocalTime wakeRing_ = {}; // the alarm minute it belongs to
    LocalTime wakeAt_ = {};   // the moment the timer is set to, 60 s before
    bool awake_ = false;      // the computer and display are kept on
    int64_t awakeUntil_ = 0;  // wall-clock second to let them sleep again
};
