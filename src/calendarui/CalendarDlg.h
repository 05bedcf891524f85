// The perpetual calendar: one month of 1901..2100 as a grid of days with
// their lunar labels, and the selected day described in full. Modeless; one
// instance, hidden on close.
#pragma once

#include <cstdint>
#include <functional>

#include "calendarui/calendartext.h"
#include "model/localtime.h"
#include "model/paths.h"
#include "model/records.h"
#include "win/Dialog.h"

class CCalendarDlg : public win::Dialog {
public:
    // The double-click adds alarms to the live table (at most kMaxAlarms).
    CCalendarDlg(HWND parentWindow, AlarmTable& table, const ClockSettings& settings,
                 const ProgramPaths& paths, bool defaultSoundExists);
    ~CCalendarDlg() override;

    bool Create();
    // Refreshes the three description lines (also on message 0x7F4).
    void UpdateInfoLines();

    // Called after the double-click has added an alarm to the table.
    std::function<void()> onTableChanged;
    // Called after the user marked a day: every alarm's next ring may move.
    std::function<void()> onScheduleChanged;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void OnPaint();
    void PaintGrid(HDC dc, const RECT& grid);
    // The small 休 (red) or 班 (dark) in the corner of the day cell at (x, y).
    void PaintDayMark(HDC dc, int x, int y, DayMark mark);
    void OnLButtonDown(LPARAM lp);
    void OnLButtonDblClk(LPARAM lp);
    // The day menu: the user's own 休 or 班 for a day, or back to the official schedule.
    void OnContextMenu(LPARAM lp);
    void MarkSelectedDay(DayMark mark);
    void OnMonthChange();
    void OnYearChange();
    void OnToday();
    // The day under a point in screen coordinates, or 0.
    int HitTestDay(POINT screenPoint) const;
    int DayUnderMouse(LPARAM lp) const;
    // Shows now's month with today selected.
    void ShowToday();
    void SelectBoxes();
    void OpenAlarmEditor();

    LocalTime now;
    uint16_t shownYear = 0;
    uint16_t shownMonth = 0;
    uint16_t selectedDay = 0;
    const COLORREF gridBackColor;
    const COLORREF dayTextColor;
    const COLORREF selectedFillColor;
    const COLORREF selectedTextColor;
    const COLORREF headerFillColor;
    const COLORREF headerTextColor;
    const COLORREF markedTextColor;
    const COLORREF selectedMarkedTextColor;
    const COLORREF offMarkColor;
    const COLORREF workMarkColor;
    RECT gridRect = {};
    GridGeometry geometry_;
    HFONT gridFont = nullptr;
    HFONT markFont = nullptr;
    HWND yearBox = nullptr;
    HWND monthBox = nullptr;

    HWND parentWindow_;
    AlarmTable& table_;
    const ClockSettings& settings_;
    const ProgramPaths& paths_;
    bool defaultSoundExists_;
};
