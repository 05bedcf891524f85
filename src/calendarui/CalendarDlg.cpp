#include "calendarui/CalendarDlg.h"

#include <windowsx.h>

#include <cstdio>

#include "alarmui/AlarmEditDlg.h"
#include "calendar/lunar.h"
#include "calendar/workcalendar.h"
#include "calendarui/calendartext.h"
#include "calendarui/schedulefiles.h"
#include "model/records.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {

// Sent by anyone who wants the description lines redrawn; both parameters are ignored.
const UINT kRefreshInfoMessage = 0x7F4;
const int kFirstYear = kLunarFirstYear;
const int kLastYear = kLunarLastYear;

// A solid rectangle without a brush; leaves the background colour changed.
void fillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    const RECT r = {left, top, right, bottom};
    SetBkColor(dc, color);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void drawText(HDC dc, int x, int y, const char* text) {
    const std::wstring wide = win::wideFromGbk(text);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

}  // namespace

CCalendarDlg::CCalendarDlg(HWND parentWindow, AlarmTable& table, const ClockSettings& settings,
                           const ProgramPaths& paths, bool defaultSoundExists)
    : win::Dialog(IDD_CALENDAR),
      now(win::localNow()),
      gridBackColor(RGB(255, 255, 255)),
      dayTextColor(RGB(0, 0, 0)),
      selectedFillColor(RGB(150, 150, 230)),
      selectedTextColor(RGB(255, 255, 255)),
      headerFillColor(RGB(122, 150, 223)),
      headerTextColor(RGB(255, 255, 0)),
      markedTextColor(RGB(0, 255, 0)),
      selectedMarkedTextColor(RGB(255, 0, 255)),
      offMarkColor(RGB(220, 0, 0)),
      workMarkColor(RGB(64, 64, 64)),
      parentWindow_(parentWindow),
      table_(table),
      settings_(settings),
      paths_(paths),
      defaultSoundExists_(defaultSoundExists) {}

CCalendarDlg::~CCalendarDlg() {
    if (gridFont)
        DeleteObject(gridFont);
    if (markFont)
        DeleteObject(markFont);
}

bool CCalendarDlg::Create() { return win::Dialog::Create(parentWindow_); }

BOOL CCalendarDlg::OnInitDialog() {
    win::centreOnScreen(hwnd());
    yearBox = item(IDC_CAL_YEAR);
    monthBox = item(IDC_CAL_MONTH);
    char number[16];
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        std::snprintf(number, sizeof number, "%d", year);
        SendMessageW(yearBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(number).c_str()));
    }
    for (int month = 1; month <= 12; ++month) {
        std::snprintf(number, sizeof number, "%d", month);
        SendMessageW(monthBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(number).c_str()));
    }

    // The hidden frame's exact client rectangle, so that painting and hit
    // testing agree whatever the border metrics are.
    gridRect = win::childRect(item(IDC_CAL_GRID));

    // The grid's pixels at the screen's DPI, for painting and hit testing alike.
    geometry_ = gridGeometry(win::screenDpi(), gridRect.right - gridRect.left,
                             gridRect.bottom - gridRect.top);
    gridFont = CreateFontW(geometry_.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           VARIABLE_PITCH | FF_ROMAN, win::wideFromGbk("宋体").c_str());
    markFont = CreateFontW(geometry_.markFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                           VARIABLE_PITCH | FF_ROMAN, win::wideFromGbk("宋体").c_str());
    ShowToday();
    return TRUE;
}

void CCalendarDlg::ShowToday() {
    // The boxes stop at 1901 and 2100; a clock outside them shows the nearest end.
    const int year = now.year < kFirstYear ? kFirstYear : now.year > kLastYear ? kLastYear : now.year;
    shownYear = static_cast<uint16_t>(year);
    shownMonth = static_cast<uint16_t>(now.month);
    selectedDay = clampDay(shownYear, shownMonth, static_cast<uint16_t>(now.day));
    SelectBoxes();
    UpdateInfoLines();
}

void CCalendarDlg::SelectBoxes() {
    SendMessageW(yearBox, CB_SETCURSEL, shownYear - kFirstYear, 0);
    SendMessageW(monthBox, CB_SETCURSEL, shownMonth - 1, 0);
}

void CCalendarDlg::UpdateInfoLines() {
    if (!hwnd())
        return;
    const WorkCalendar& schedule = workCalendar();
    win::setWindowText(item(IDC_CAL_SELECTED_DATE),
                       (gregorianInfoLine(shownYear, shownMonth, selectedDay) +
                        workdayInfo(schedule, shownYear, shownMonth, selectedDay)).c_str());
    win::setWindowText(item(IDC_CAL_SELECTED_LUNAR),
                       lunarInfoLine(shownYear, shownMonth, selectedDay).c_str());
    win::setWindowText(item(IDC_CAL_YEAR_NAME), yearInfoLine(shownYear).c_str());
    win::setWindowText(item(IDC_CAL_SCHEDULE_NOTE), scheduleNote(schedule, shownYear).c_str());
}

// Enter presses the default button (转到今天), never OK.
void CCalendarDlg::OnOK() {}

void CCalendarDlg::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

bool CCalendarDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_CAL_MONTH:
        if (code == CBN_SELCHANGE)
            OnMonthChange();
        return true;
    case IDC_CAL_YEAR:
        if (code == CBN_SELCHANGE)
            OnYearChange();
        return true;
    case IDC_CAL_TODAY:
        OnToday();
        return true;
    case ID_CAL_MARK_OFF:
        MarkSelectedDay(DayMark::Off);
        return true;
    case ID_CAL_MARK_WORK:
        MarkSelectedDay(DayMark::Work);
        return true;
    case ID_CAL_MARK_OFFICIAL:
        MarkSelectedDay(DayMark::None);
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

INT_PTR CCalendarDlg::OnMessage(UINT msg, WPARAM, LPARAM lp, bool& handled) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        handled = true;
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(lp);
        break;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(lp);
        break;
    case WM_CONTEXTMENU:
        OnContextMenu(lp);
        handled = true;
        break;
    case kRefreshInfoMessage:
        UpdateInfoLines();
        handled = true;
        break;
    }
    return 0;
}

void CCalendarDlg::OnMonthChange() {
    const LRESULT index = SendMessageW(monthBox, CB_GETCURSEL, 0, 0);
    if (index < 0 || index >= 12)
        return;
    shownMonth = static_cast<uint16_t>(index + 1);
    selectedDay = clampDay(shownYear, shownMonth, selectedDay);
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateInfoLines();
}

void CCalendarDlg::OnYearChange() {
    const LRESULT index = SendMessageW(yearBox, CB_GETCURSEL, 0, 0);
    if (index < 0 || index > kLastYear - kFirstYear)
        return;
    shownYear = static_cast<uint16_t>(kFirstYear + index);
    selectedDay = clampDay(shownYear, shownMonth, selectedDay);
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateInfoLines();
}

void CCalendarDlg::OnToday() {
    now = win::localNow();
    ShowToday();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

int CCalendarDlg::HitTestDay(POINT screenPoint) const {
    POINT p = screenPoint;
    ScreenToClient(hwnd(), &p);
    return hitTestDay(shownYear, shownMonth, p.x - gridRect.left, p.y - gridRect.top, geometry_);
}

int CCalendarDlg::DayUnderMouse(LPARAM lp) const {
    POINT p = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ClientToScreen(hwnd(), &p);
    return HitTestDay(p);
}

void CCalendarDlg::OnLButtonDown(LPARAM lp) {
    const int day = DayUnderMouse(lp);
    if (day != 0 && day != selectedDay) {
        selectedDay = static_cast<uint16_t>(day);
        InvalidateRect(hwnd(), nullptr, FALSE);
        UpdateInfoLines();
    }
    // Out of the combo boxes, so that the wheel or a key does not change the month.
    SetFocus(hwnd());
}

void CCalendarDlg::OnLButtonDblClk(LPARAM lp) {
    // Only a day cell makes an alarm: a double-click on the margin, the
    // header or an empty cell is not taken as a request.
    if (DayUnderMouse(lp) == 0)
        return;
    OpenAlarmEditor();
}

void CCalendarDlg::OnContextMenu(LPARAM lp) {
    POINT at = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    const WorkCalendar& schedule = workCalendar();
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: the selected day, at its cell.
        const MonthGrid month = monthGrid(shownYear, shownMonth);
        const int cell = selectedDay - 1 + month.firstWeekday;
        at = {gridRect.left + geometry_.cellLeft + geometry_.cellWidth * (cell % kGridColumns + 1) - 2,
              gridRect.top + geometry_.cellTop + geometry_.cellHeight * (cell / kGridColumns) + 2};
        ClientToScreen(hwnd(), &at);
    } else {
        // Only on a day, which it selects first, as a left click would.
        const int day = HitTestDay(at);
        if (day == 0)
            return;
        if (day != selectedDay) {
            selectedDay = static_cast<uint16_t>(day);
            InvalidateRect(hwnd(), nullptr, FALSE);
            UpdateInfoLines();
        }
    }
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_CALENDAR_MENU));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    const DayMark own = schedule.userMarkOf(dayNumber(shownYear, shownMonth, selectedDay));
    CheckMenuItem(popup, ID_CAL_MARK_OFF, own == DayMark::Off ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(popup, ID_CAL_MARK_WORK, own == DayMark::Work ? MF_CHECKED : MF_UNCHECKED);
    // Without a mark of the user's own the day already follows the official schedule.
    EnableMenuItem(popup, ID_CAL_MARK_OFFICIAL, own == DayMark::None ? MF_GRAYED : MF_ENABLED);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
    DestroyMenu(menu);
}

void CCalendarDlg::MarkSelectedDay(DayMark mark) {
    if (!markDay(paths_, dayNumber(shownYear, shownMonth, selectedDay), mark)) {
        win::messageBox(hwnd(), "无法写入 holidays.txt，这一天的设置没有改变。");
        return;
    }
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateInfoLines();
    if (onScheduleChanged)
        onScheduleChanged();
}

void CCalendarDlg::OpenAlarmEditor() {
    static const char kTableFull[] = "达到最大闹铃数目了。";
    if (table_.alarmCount >= kMaxAlarms) {
        win::messageBox(hwnd(), kTableFull);
        return;
    }
    CAlarmEditDlg editor(settings_, win::localNow(), paths_.defaultSoundPath, defaultSoundExists_);
    // A year no year entry holds would become "every year" on OK.
    if (!editor.PresetForDate(shownYear, shownMonth, selectedDay)) {
        win::messageBox(hwnd(), "只能为2009年至2040年的日期设置闹铃。");
        return;
    }
    if (editor.DoModal(nullptr) != IDOK)
        return;
    // Other windows may have filled the table while the editor was open.
    if (table_.alarmCount >= kMaxAlarms) {
        win::messageBox(hwnd(), kTableFull);
        return;
    }
    table_.alarms[table_.alarmCount++] = editor.record;
    if (onTableChanged)
        onTableChanged();
}

void CCalendarDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    const int width = gridRect.right - gridRect.left;
    const int height = gridRect.bottom - gridRect.top;
    // Drawn off screen first so that a month change does not flicker.
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (bitmap) {
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        const RECT local = {0, 0, width, height};
        PaintGrid(memory, local);
        BitBlt(dc, gridRect.left, gridRect.top, width, height, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
    } else {
        PaintGrid(dc, gridRect);
    }
    if (memory)
        DeleteDC(memory);
    EndPaint(hwnd(), &ps);
}

void CCalendarDlg::PaintGrid(HDC dc, const RECT& grid) {
    const int L = grid.left, T = grid.top, R = grid.right;
    const GridGeometry& g = geometry_;
    fillSolid(dc, L, T, R, grid.bottom, gridBackColor);
    HGDIOBJ oldFont = gridFont ? SelectObject(dc, gridFont) : nullptr;
    SetBkMode(dc, OPAQUE);

    fillSolid(dc, L + g.headerTop, T + g.headerTop, R - g.headerTop, T + g.headerBottom, headerFillColor);
    SetTextColor(dc, headerTextColor);
    char text[32];
    for (int k = 0; k < kGridColumns; ++k) {
        std::snprintf(text, sizeof text, "星期%s", weekdayNames[k]);
        drawText(dc, L + g.headerTextLeft + g.cellWidth * k, T + g.headerTextTop, text);
    }

    SetBkColor(dc, gridBackColor);
    SetTextColor(dc, dayTextColor);
    const WorkCalendar& schedule = workCalendar();
    const MonthGrid month = monthGrid(shownYear, shownMonth);
    for (int i = 0; i < kGridRows; ++i) {
        for (int j = 0; j < kGridColumns; ++j) {
            const int day = dayAtCell(month, i, j);
            if (day == 0)
                continue;
            const int x = L + g.cellLeft + g.cellWidth * j;
            const int y = T + g.cellTop + g.cellHeight * i;
            const DayCell cell = dayCell(shownYear, shownMonth, static_cast<uint16_t>(day));
            if (day == selectedDay) {
                fillSolid(dc, x + g.fillLeft, y, x + g.fillRight, y + g.cellHeight, selectedFillColor);
                SetTextColor(dc, cell.marked ? selectedMarkedTextColor : selectedTextColor);
                drawText(dc, x, y + g.textTop, cell.text.c_str());
                SetBkColor(dc, gridBackColor);
            } else {
                SetTextColor(dc, cell.marked ? markedTextColor : dayTextColor);
                drawText(dc, x, y + g.textTop, cell.text.c_str());
            }
            PaintDayMark(dc, x, y, schedule.markOf(dayNumber(shownYear, shownMonth, static_cast<uint16_t>(day))));
        }
    }
    if (oldFont)
        SelectObject(dc, oldFont);
}

void CCalendarDlg::PaintDayMark(HDC dc, int x, int y, DayMark mark) {
    if (mark == DayMark::None || !markFont)
        return;
    const std::wstring text = win::wideFromGbk(dayMarkText(mark));
    HGDIOBJ old = SelectObject(dc, markFont);
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    // See-through, so that the selection's fill stays under it.
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, mark == DayMark::Off ? offMarkColor : workMarkColor);
    TextOutW(dc, x + geometry_.markRight - size.cx, y + geometry_.cellHeight - size.cy, text.c_str(),
             static_cast<int>(text.size()));
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, old);
}
