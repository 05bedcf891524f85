// The program on a screen of 96 and of 144 DPI (these scenarios run in both
// passes): declared DPI aware, the clock's face and the calendar's grid drawn
// to scale, and every heading, button and label whole.
#include <cstring>
#include <string>

#include "harness.h"
#include "model/pixels.h"
#include "model/records.h"
#include "res/resource.h"

namespace {

using namespace e2e;

// The 96-DPI pictures come from the other scenarios; these add the scaled ones.
void scaledShot(const char* name, HWND window) {
    if (screenDpi() != kBaseDpi)
        screenshot(name, window);
}

HWND openFromClock(const Session& s, int command, int itemId) {
    PostMessageA(s.clock, WM_COMMAND, command, 0);
    HWND dialog = waitDialog(s.pid(), itemId, 5000);
    E2E_CHECK_MSG(dialog, "command " + std::to_string(command) + " opened nothing");
    sleepMs(300);  // painted
    return dialog;
}

void close(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 3000));
}

void expectWhole(HWND dialog, int templateId) {
    const std::string cut = cutTexts(dialog, dialogFont(dialog, templateId));
    E2E_CHECK_MSG(cut.empty(), "cut at " + std::to_string(screenDpi()) + " DPI: " + cut);
}

// The application manifest as the program carries it.
std::string manifest() {
    HMODULE program = LoadLibraryExW(wideFromGbk(setup().programPath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = program ? FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
    std::string text;
    if (found)
        text.assign(static_cast<const char*>(LockResource(LoadResource(program, found))),
                    SizeofResource(program, found));
    if (program)
        FreeLibrary(program);
    return text;
}

// A text's extent in a font (which it then deletes).
SIZE extentIn(HFONT font, const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent = {};
    const std::wstring wide = wideFromGbk(text);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return extent;
}

// The screen's colour at a point, as a user sees it.
COLORREF pixel(int x, int y) {
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return c;
}

const COLORREF kSelectedFill = RGB(150, 150, 230);

// The outermost pixel of the selected day's fill along a line from (x, y)
// stepping by (dx, dy), within limit steps; -1 when the line meets none.
int fillEdge(int x, int y, int dx, int dy, int limit) {
    int edge = -1;
    for (int i = 0; i <= limit; ++i)
        if (pixel(x + dx * i, y + dy * i) == kSelectedFill)
            edge = dx ? x + dx * i : y + dy * i;
    return edge;
}

std::string selectedDate(HWND calendar) { return itemText(calendar, IDC_CAL_SELECTED_DATE); }

}  // namespace

E2E_SCENARIO(dpi_clock_and_calendar_to_scale) {
    // System DPI aware, every supported system named, no elevation, no
    // common-controls v6 (the classic look).
    const std::string m = manifest();
    E2E_CHECK_MSG(m.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
                         "</dpiAware>") != std::string::npos,
                  "manifest: '" + m + "'");
    for (const char* id : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        E2E_CHECK_MSG(m.find(id) != std::string::npos, std::string("manifest lacks ") + id);
    E2E_CHECK(m.find("requestedExecutionLevel") == std::string::npos);
    E2E_CHECK(m.find("Common-Controls") == std::string::npos);

    // A sound at 10:00: its ring window beside the clock, whole at this DPI.
    AlarmRecord wake = emptyAlarm();
    wake.hourMask = hourBit(10);
    wake.repeatCount = 1;
    std::strcpy(wake.soundPath, "起床.wav");
    Session run;
    prepare(run, "dpi_scale", defaultSettings(), {wake});
    E2E_CHECK(writeBytes(run.folder + "\\起床.wav", toneWav(5)));
    launch(run, "2009-05-20 09:59:57");
    HWND ring = waitDialog(run.pid(), IDC_RING_CLOSE, 8000);
    E2E_CHECK(ring && waitFor([&] { return IsWindowEnabled(GetDlgItem(ring, IDC_RING_CLOSE)); }, 3000, "ring buttons"));
    expectWhole(ring, IDD_RING);
    E2E_CHECK(rectOf(ring).left == rectOf(run.clock).left && rectOf(ring).top == rectOf(run.clock).bottom + scaled(4));
    screenshot("ring", ring);
    HWND mci = mciWindowOf(run.clock);
    E2E_CHECK(soundPlaying(mci));
    press(ring, IDC_RING_CLOSE);
    E2E_CHECK(waitFor([&] { return !IsWindowVisible(ring) && !soundPlaying(mci); }, 3000, "关闭: the sound stopped"));

    // The face's 24 pixels are 24 at 96 DPI and 36 at 144: the window is
    // sized to the widest text in that font, and the text shown fits it.
    auto face = [] {
        return CreateFontA(scaled(24), 0, 0, 0, 1000, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial");
    };
    RECT client = {};
    GetClientRect(GetDlgItem(run.clock, IDC_CLOCK_TEXT), &client);
    const SIZE widest = extentIn(face(), "88:88:88am");
    const std::string text = itemText(run.clock, IDC_CLOCK_TEXT);
    const SIZE shown = extentIn(face(), text);
    E2E_CHECK_MSG(std::abs(client.right - widest.cx) <= 1 && std::abs(client.bottom - widest.cy) <= 1,
                  "the face is " + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
                      ", its font makes " + std::to_string(widest.cx) + "x" + std::to_string(widest.cy));
    E2E_CHECK_MSG(shown.cx <= client.right && shown.cy <= client.bottom, "'" + text + "' is clipped");
    scaledShot("clock", run.clock);

    // May 2009 begins on a Friday and takes all six rows. Its Saturday the
    // 2nd sits in the last column, the 31st in the last row.
    HWND cal = openFromClock(run, ID_CALENDAR, IDC_CAL_GRID);
    expectWhole(cal, IDD_CALENDAR);
    const RECT frame = rectOf(GetDlgItem(cal, IDC_CAL_GRID));
    const int rowMiddle = dayCell(cal, 0, 6).y, lastRowMiddle = dayCell(cal, 5, 0).y;
    // The columns reach across the frame: its last pixels answer for the
    // last column, its first ones for the first.
    mouseClick(frame.right - 4, rowMiddle);
    E2E_CHECK(waitFor([&] { return selectedDate(cal) == "2009年5月2日 星期六  劳动节 休"; }, 2000));
    sleepMs(300);
    const int right = fillEdge(frame.left, rowMiddle, 1, 0, frame.right - frame.left);
    E2E_CHECK_MSG(right >= frame.right - 1 - 3 && right <= frame.right - 1,
                  right < 0 ? std::string("the 2nd is not filled")
                            : "the last column ends at " + std::to_string(right + 1 - frame.left) + " of " +
                                  std::to_string(frame.right - frame.left));
    mouseClick(frame.left + 4, lastRowMiddle);
    E2E_CHECK(waitFor([&] { return selectedDate(cal) == "2009年5月31日 星期日  端午节 班"; }, 2000));
    sleepMs(300);
    const int left = fillEdge(frame.right - 1, lastRowMiddle, -1, 0, frame.right - frame.left);
    E2E_CHECK_MSG(left >= frame.left && left <= frame.left + 3,
                  "the first column starts at " + std::to_string(left - frame.left));
    // The six rows reach down to the frame's bottom edge.
    const int bottom = fillEdge(frame.left + 10, frame.top, 0, 1, frame.bottom - frame.top);
    E2E_CHECK_MSG(bottom >= frame.bottom - 1 - 3 && bottom < frame.bottom,
                  "the last row ends at " + std::to_string(bottom + 1 - frame.top) + " of " +
                      std::to_string(frame.bottom - frame.top));

    // As in the 96-DPI picture: January 2009 with the lunar new year selected.
    HWND month = GetDlgItem(cal, IDC_CAL_MONTH);
    SendMessageA(month, CB_SETCURSEL, 0, 0);
    PostMessageA(cal, WM_COMMAND, MAKEWPARAM(IDC_CAL_MONTH, CBN_SELCHANGE), reinterpret_cast<LPARAM>(month));
    const POINT newYear = dayCell(cal, 4, 1);
    mouseClick(newYear.x, newYear.y);
    E2E_CHECK(waitFor([&] { return selectedDate(cal) == "2009年1月26日 星期一  春节 休"; }, 2000));
    scaledShot("calendar", cal);

    // A holiday month: each day off and make-up workday carries its mark, and
    // the date line names it, whole, even with a combined block's long name. Then a year no schedule covers says so.
    SendMessageA(GetDlgItem(cal, IDC_CAL_YEAR), CB_SETCURSEL, 2025 - 1901, 0);
    PostMessageA(cal, WM_COMMAND, MAKEWPARAM(IDC_CAL_YEAR, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(cal, IDC_CAL_YEAR)));
    SendMessageA(month, CB_SETCURSEL, 9, 0);
    PostMessageA(cal, WM_COMMAND, MAKEWPARAM(IDC_CAL_MONTH, CBN_SELCHANGE), reinterpret_cast<LPARAM>(month));
    const POINT nationalDay = dayCell(cal, 0, 3);
    mouseClick(nationalDay.x, nationalDay.y);
    E2E_CHECK_MSG(waitFor([&] { return selectedDate(cal) == "2025年10月1日 星期三  国庆节、中秋节 休"; }, 2000),
                  "the date line reads '" + selectedDate(cal) + "'");
    E2E_CHECK(itemText(cal, IDC_CAL_SCHEDULE_NOTE).empty());
    expectWhole(cal, IDD_CALENDAR);
    screenshot("calendar-holidays", cal);
    SendMessageA(GetDlgItem(cal, IDC_CAL_YEAR), CB_SETCURSEL, 2031 - 1901, 0);
    PostMessageA(cal, WM_COMMAND, MAKEWPARAM(IDC_CAL_YEAR, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(cal, IDC_CAL_YEAR)));
    expectText(cal, IDC_CAL_SCHEDULE_NOTE, "2031年的放假安排未录入");
    expectWhole(cal, IDD_CALENDAR);
}

E2E_SCENARIO(dpi_dialog_texts_fit) {
    std::vector<AlarmRecord> alarms(3, emptyAlarm());
    const char* texts[3] = {"起床", "上班打卡", "圣诞快乐"};
    for (int i = 0; i < 3; ++i) {
        alarms[i].minute = static_cast<int8_t>(10 * i);
        alarms[i].repeatCount = 1;
        alarms[i].specialAction = static_cast<int8_t>(i);
        alarms[i].temporary = static_cast<int8_t>(i == 2);
        std::strcpy(alarms[i].text, texts[i]);
    }
    Session run;
    prepare(run, "dpi_texts", defaultSettings(), alarms);
    launch(run);

    // Every open column shows its whole heading; 参数 stays closed.
    HWND list = openFromClock(run, ID_ALARM_LIST, IDC_LIST_CLEANUP);
    HWND view = GetDlgItem(list, IDC_LIST_ALARMS);
    const HFONT listFont = dialogFont(list, IDD_ALARMLIST);
    const std::string headings = cutHeadings(view, listFont);
    E2E_CHECK_MSG(headings.empty(), "headings cut at " + std::to_string(screenDpi()) + " DPI: " + headings);
    E2E_CHECK(SendMessageA(view, LVM_GETCOLUMNWIDTH, 7, 0) == 0);
    E2E_CHECK(SendMessageA(view, LVM_GETCOLUMNWIDTH, 3, 0) >= scaled(200));
    // All open columns, 下次响铃 too, within the list, and the list on the
    // screen: 1024 x 768 at 96 DPI, this one (1920 x 1080) at 144.
    int columns = 0;
    for (int c = 0; c < 9; ++c)
        columns += static_cast<int>(SendMessageA(view, LVM_GETCOLUMNWIDTH, c, 0));
    RECT inside = {};
    GetClientRect(view, &inside);
    const RECT outside = rectOf(list);
    const bool base = screenDpi() == 96;
    E2E_CHECK_MSG(columns <= inside.right && outside.right - outside.left <= (base ? 1024 : screenWidth()) &&
                      outside.bottom - outside.top <= (base ? 768 : screenHeight()),
                  std::to_string(columns) + " pixels of columns in a list " + std::to_string(inside.right) +
                      " wide, in a dialog of " + std::to_string(outside.right - outside.left) + "x" +
                      std::to_string(outside.bottom - outside.top));
    expectWhole(list, IDD_ALARMLIST);
    scaledShot("alarm-list", list);

    PostMessageA(list, WM_COMMAND, IDC_LIST_ADD, 0);
    HWND editor = waitDialog(run.pid(), IDC_EDIT_MINUTE_SPIN, 5000);
    E2E_CHECK_MSG(editor, "no editor");
    sleepMs(300);
    expectWhole(editor, IDD_ALARMEDIT);
    scaledShot("alarm-editor", editor);
    // A sound file that is not there adds its note to the next-ring line, which still fits.
    setText(editor, IDC_EDIT_SOUND, "gone.wav");
    const std::string note = "（声音文件不存在，将以默认铃声代替）";
    E2E_CHECK_MSG(waitFor([&] {
                      const std::string line = itemText(editor, IDC_EDIT_NEXT_RING);
                      return line.size() > note.size() && line.compare(line.size() - note.size(), note.size(), note) == 0;
                  }, 2000),
                  "the next-ring line reads '" + itemText(editor, IDC_EDIT_NEXT_RING) + "'");
    expectWhole(editor, IDD_ALARMEDIT);
    // A work-calendar rule takes the weekdays out of use; in a year without a
    // schedule (2031) the line says it counts plain weekdays, and still fits.
    HWND rule = GetDlgItem(editor, IDC_EDIT_DAY_RULE);
    SendMessageA(rule, CB_SETCURSEL, 1, 0);
    PostMessageA(editor, WM_COMMAND, MAKEWPARAM(IDC_EDIT_DAY_RULE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(rule));
    selectEntries(editor, IDC_EDIT_YEARS, {2031 - kFirstAlarmYear});
    E2E_CHECK_MSG(waitFor([&] { return itemText(editor, IDC_EDIT_NEXT_RING).find("（2031年的放假安排未录入，暂按平常的星期计算）") !=
                                       std::string::npos; }, 2000),
                  "the next-ring line reads '" + itemText(editor, IDC_EDIT_NEXT_RING) + "'");
    E2E_CHECK(!IsWindowEnabled(GetDlgItem(editor, IDC_EDIT_WEEKDAYS)) && !IsWindowEnabled(GetDlgItem(editor, IDC_EDIT_EVERY_WEEKDAY)));
    expectWhole(editor, IDD_ALARMEDIT);
    screenshot("alarm-editor-workdays", editor);
    close(editor);
    close(list);

    HWND options = openFromClock(run, ID_OPTIONS, IDC_OPT_DST);
    expectWhole(options, IDD_OPTIONS);
    scaledShot("options", options);
    // The font preview beside the open list: "12:00:00" in the face at 18
    // pixels with 8 pixels to spare, 5 pixels right of the list, all scaled.
    HWND combo = GetDlgItem(options, IDC_OPT_FONT), faces = nullptr, preview = nullptr;
    const RECT box = rectOf(combo);
    mouseClick(box.right - scaled(8), (box.top + box.bottom) / 2);
    E2E_CHECK(waitFor([&] { return (faces = visibleOfClass(run.pid(), "ComboLBox")) != nullptr; }, 2000));
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    E2E_CHECK(waitFor([&] { return (preview = visibleOfClass(run.pid(), "ZentarFontPreview")) != nullptr; }, 2000));
    LOGFONTW sample = {};
    sample.lfHeight = -scaled(18);
    lstrcpynW(sample.lfFaceName, wideFromGbk(comboItem(combo, 2)).c_str(), LF_FACESIZE);
    const SIZE extent = extentIn(CreateFontIndirectW(&sample), "12:00:00");
    const RECT shown = rectOf(preview);
    E2E_CHECK_MSG(shown.right - shown.left == extent.cx + scaled(8) && shown.bottom - shown.top == extent.cy + scaled(8),
                  "the preview is " + std::to_string(shown.right - shown.left) + "x" +
                      std::to_string(shown.bottom - shown.top) + " for a sample of " + std::to_string(extent.cx) +
                      "x" + std::to_string(extent.cy));
    E2E_CHECK(shown.left == rectOf(faces).right + scaled(5));
    scaledShot("options-fontlist", options);
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    close(options);

    HWND about = openFromClock(run, ID_APP_ABOUT, IDC_ABOUT_TIPS);
    expectWhole(about, IDD_ABOUT);
    scaledShot("about", about);
    close(about);
}
