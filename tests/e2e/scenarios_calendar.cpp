// The perpetual calendar opened from the clock: what it describes, browsing
// with the boxes and the mouse, hiding, and alarms made by double-click.
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

const int kMonthBox = 1043, kGrid = 1045, kYearBox = 1046;

struct Run : Session {
    HWND calendar = nullptr;
};

void showCalendar(Run& run) {
    PostMessageA(run.clock, WM_COMMAND, 32774, 0);
    E2E_CHECK_MSG(run.calendar = waitDialog(run.pid(), kGrid, 5000), "the calendar did not show");
    sleepMs(300);  // let it settle before messages are sent to it
    E2E_CHECK(windowText(run.calendar) == "万年历");
}

void open(Run& run, const char* name, const char* at, const std::vector<AlarmRecord>& alarms = {}) {
    prepare(run, name, defaultSettings(), alarms);
    launch(run, at);
    showCalendar(run);
}

// The three description lines (1044, 1047, 1049) as "date | lunar | year name".
std::string lines(HWND calendar) {
    return itemText(calendar, 1044) + " | " + itemText(calendar, 1047) + " | " + itemText(calendar, 1049);
}

#define CHECK_LINES(calendar, expected)                                                   \
    E2E_CHECK_MSG(waitFor([&] { return lines(calendar) == (expected); }, 2000), \
                  "lines read '" + lines(calendar) + "'")

int selection(HWND calendar, int box) {
    return static_cast<int>(SendMessageA(GetDlgItem(calendar, box), CB_GETCURSEL, 0, 0));
}

// A user's pick in a drop-down: the new selection, then its notification.
void pick(HWND calendar, int box, int index) {
    HWND combo = GetDlgItem(calendar, box);
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    PostMessageA(calendar, WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void clickCell(HWND calendar, int row, int column, bool twice = false) {
    const POINT p = dayCell(calendar, row, column);
    twice ? mouseDoubleClick(p.x, p.y) : mouseClick(p.x, p.y);
    sleepMs(300);
}

// The alarms db.dat holds once the program has ended.
std::vector<AlarmRecord> savedAlarms(Run& run) {
    exitProgram(run);
    return readDataFile(run.folder).alarms;
}

}  // namespace

E2E_SCENARIO(calendar_shows_and_browses) {
    Run run;
    open(run, "calendar_browse", "2020-01-31 09:00:00");
    HWND cal = run.calendar;
    CHECK_LINES(cal, "2020年1月31日 星期五  春节 休 | 正月初七 (己亥年 丁丑月 癸酉日)    | 庚子(鼠)年");
    E2E_CHECK(selection(cal, kYearBox) == 2020 - 1901 && selection(cal, kMonthBox) == 0);
    E2E_CHECK(SendMessageA(GetDlgItem(cal, kYearBox), CB_GETCOUNT, 0, 0) == 200);
    E2E_CHECK(std::abs(centreOf(cal).x - screenWidth() / 2) <= 1);
    // Anyone may ask for the lines again with the private message.
    setText(cal, 1044, "stale");
    PostMessageA(cal, 0x7F4, 0, 0);
    CHECK_LINES(cal, "2020年1月31日 星期五  春节 休 | 正月初七 (己亥年 丁丑月 癸酉日)    | 庚子(鼠)年");

    // No 31 February: the selection becomes the month's last day.
    pick(cal, kMonthBox, 1);
    CHECK_LINES(cal, "2020年2月29日 星期六 | 二月初七 (庚子年 戊寅月 壬寅日)    | 庚子(鼠)年");
    clickCell(cal, 1, 2);
    CHECK_LINES(cal, "2020年2月4日 星期二 | 正月十一 (庚子年 戊寅月 丁丑日)  立春  | 庚子(鼠)年");
    pick(cal, kYearBox, 2009 - 1901);
    CHECK_LINES(cal, "2009年2月4日 星期三 | 正月初十 (己丑年 丙寅月 庚辰日)  立春  | 己丑(牛)年");

    // February 2009 begins in the first column and ends in the fourth row:
    // the cells after it, and those before 1 January 2009 (a Thursday), select nothing.
    clickCell(cal, 0, 0);
    CHECK_LINES(cal, "2009年2月1日 星期日  春节 班 | 正月初七 (戊子年 乙丑月 丁丑日)    | 己丑(牛)年");
    clickCell(cal, 4, 0);
    pick(cal, kMonthBox, 0);
    clickCell(cal, 0, 3);
    CHECK_LINES(cal, "2009年1月1日 星期四  元旦 休 | 腊月初六 (戊子年 甲子月 丙午日)    | 己丑(牛)年");
    clickCell(cal, 4, 1);
    CHECK_LINES(cal, "2009年1月26日 星期一  春节 休 | 正月初一 (戊子年 乙丑月 辛未日)   新年 | 己丑(牛)年");
    screenshot("calendar", cal);
    sleepMs(1500);  // the picture is taken in the background

    // Closing hides it with what it showed; the command shows that again.
    PostMessageA(cal, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindowVisible(cal); }, 3000));
    E2E_CHECK(IsWindow(cal));
    showCalendar(run);
    E2E_CHECK(run.calendar == cal && selection(cal, kYearBox) == 2009 - 1901);
    // OK does nothing; Enter presses the default button 转到今天.
    PostMessageA(cal, WM_COMMAND, IDOK, 0);
    CHECK_LINES(cal, "2009年1月26日 星期一  春节 休 | 正月初一 (戊子年 乙丑月 辛未日)   新年 | 己丑(牛)年");
    E2E_CHECK(IsWindowVisible(cal));
    PostMessageA(cal, WM_KEYDOWN, VK_RETURN, 0);
    CHECK_LINES(cal, "2020年1月31日 星期五  春节 休 | 正月初七 (己亥年 丁丑月 癸酉日)    | 庚子(鼠)年");
    E2E_CHECK(selection(cal, kYearBox) == 2020 - 1901 && selection(cal, kMonthBox) == 0);

    // The box reaches 2100; its last day opens 腊月, and January 2051 follows on from 2050.
    pick(cal, kYearBox, 2100 - 1901);
    pick(cal, kMonthBox, 11);
    CHECK_LINES(cal, "2100年12月31日 星期五 | 腊月初一 (庚申年 戊子月 丁未日)    | 庚申(猴)年");
    screenshot("calendar-2100-12", cal);
    pick(cal, kYearBox, 2051 - 1901);
    pick(cal, kMonthBox, 0);
    CHECK_LINES(cal, "2051年1月31日 星期二 | 腊月十九 (庚午年 己丑月 丙辰日)    | 辛未(羊)年");
    screenshot("calendar-2051-01", cal);
    sleepMs(1500);
    E2E_CHECK(savedAlarms(run).empty());
}

E2E_SCENARIO(calendar_double_click_adds_alarm) {
    Run run;
    open(run, "calendar_alarm", "2020-02-04 10:00:00");
    HWND cal = run.calendar;
    // February 2020 begins on a Saturday: an empty cell makes no alarm.
    clickCell(cal, 0, 0, true);
    E2E_CHECK(!waitDialog(run.pid(), 1008, 1000));

    // The 14th: row 2, column 5. Cancelled first, then confirmed.
    clickCell(cal, 2, 5, true);
    HWND editor = waitDialog(run.pid(), 1008, 5000);
    E2E_CHECK_MSG(editor, "a double-click on a day did not open the editor");
    // The calendar was the clock's active window: both wait for the editor.
    E2E_CHECK_MSG(waitFor([&] { return !IsWindowEnabled(run.clock) && !IsWindowEnabled(cal); }, 2000),
                  "the clock or the calendar takes input under the editor");
    CHECK_LINES(cal, "2020年2月14日 星期五 | 正月廿一 (庚子年 戊寅月 丁亥日)    | 庚子(鼠)年");
    E2E_CHECK(selected(editor, 1008) == Texts{"2020年"} && selected(editor, 1009) == Texts{"2月"});
    E2E_CHECK(selected(editor, 1010) == Texts{"14日"} && selected(editor, 1012) == Texts{"12时"});
    E2E_CHECK(selected(editor, 1011).empty() && SendDlgItemMessageA(editor, 1011, LB_GETCOUNT, 0, 0) == 7);
    PostMessageA(editor, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    E2E_CHECK_MSG(IsWindowEnabled(run.clock) && IsWindowEnabled(cal), "the editor left a window disabled");

    clickCell(cal, 2, 5, true);
    E2E_CHECK_MSG(editor = waitDialog(run.pid(), 1008, 5000), "the second double-click did not open the editor");
    // The editor wants at least one action before it takes OK.
    setText(editor, 1016, "生日");
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));
    std::string db;  // saved at once, not only at the exit
    E2E_CHECK(waitFor([&] { return readBytes(run.folder + "\\db.dat", db) && db.size() == 736 + 848; }, 5000, "the save"));

    // The year list reaches 2040. 14 February 2035 (a Wednesday in a month
    // that begins on a Thursday) is 正月初七: 按农历 turns the preset into
    // that lunar date, and back.
    pick(cal, kYearBox, 2035 - 1901);
    clickCell(cal, 2, 3, true);
    E2E_CHECK_MSG(editor = waitDialog(run.pid(), 1008, 5000), "a day of 2035 opened no editor");
    E2E_CHECK(SendDlgItemMessageA(editor, 1008, LB_GETCOUNT, 0, 0) == 32);
    E2E_CHECK(selected(editor, 1008) == Texts{"2035年"} && selected(editor, 1009) == Texts{"2月"} &&
              selected(editor, 1010) == Texts{"14日"});
    click(editor, 1061);
    E2E_CHECK_MSG(waitFor([&] { return selected(editor, 1009) == Texts{"正月"}; }, 2000), "no lunar month");
    E2E_CHECK(selected(editor, 1010) == Texts{"初七"});
    expectText(editor, 1060, "下次响铃：2035年2月14日 星期三 12:00");
    click(editor, 1061);
    E2E_CHECK_MSG(waitFor([&] { return selected(editor, 1009) == Texts{"2月"}; }, 2000), "no Gregorian month");
    E2E_CHECK(selected(editor, 1010) == Texts{"14日"});
    setText(editor, 1016, "情人节");
    PostMessageA(editor, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(editor); }, 3000));

    // 2045 is past what a year entry can hold: one message from the calendar, no editor.
    pick(cal, kYearBox, 2045 - 1901);
    clickCell(cal, 2, 3, true);
    HWND box = messageBox(run.pid(), 4000);
    E2E_CHECK_MSG(box && GetWindow(box, GW_OWNER) == cal, "no message owned by the calendar");
    E2E_CHECK(answer(run.pid()) == "只能为2009年至2040年的日期设置闹铃。");
    E2E_CHECK(!dialogWithItem(run.pid(), 1008) && !messageBox(run.pid(), 500));

    const std::vector<AlarmRecord> alarms = savedAlarms(run);
    E2E_CHECK_MSG(alarms.size() == 2, "saved " + std::to_string(alarms.size()) + " alarms");
    const AlarmRecord& a = alarms[0];
    E2E_CHECK(a.yearMask == yearBit(2020) && a.monthMask == monthBit(2) && a.dayMask == dayBit(14));
    E2E_CHECK(a.hourMask == hourBit(12) && a.minute == 0 && a.weekdayMask == 0);
    E2E_CHECK(a.temporary == 0 && a.disabled == 0 && a.soundPath[0] == '\0');
    E2E_CHECK(std::string(a.text) == "生日");
    const AlarmRecord& b = alarms[1];
    E2E_CHECK(b.yearMask == yearBit(2035) && b.monthMask == monthBit(2) && b.dayMask == dayBit(14));
    E2E_CHECK(b.calendarKind == 0 && std::string(b.text) == "情人节");
}

E2E_SCENARIO(calendar_full_table_refuses_alarm) {
    Run run;
    open(run, "calendar_full", "2020-02-04 10:00:00", fullTable());
    clickCell(run.calendar, 1, 2, true);
    const std::string message = answer(run.pid(), 4000);
    E2E_CHECK_MSG(message == "达到最大闹铃数目了。", "for a full table: " + message);
    E2E_CHECK(!dialogWithItem(run.pid(), 1008));
    E2E_CHECK(savedAlarms(run).size() == static_cast<size_t>(kMaxAlarms));
}
