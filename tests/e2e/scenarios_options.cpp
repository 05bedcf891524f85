// The options dialog as the clock's menu opens it: what OK stores and applies,
// what it refuses, the Run key and the font picker.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "model/records.h"

namespace {

using namespace e2e;

HWND openOptions(const Session& r) {
    PostMessageA(r.clock, WM_COMMAND, 32771, 0);
    HWND d = waitDialog(r.pid(), 1063);
    E2E_CHECK(d);
    return d;
}

// Presses OK or Cancel and waits for the dialog to go.
void close(HWND dialog, int id) {
    click(dialog, id);
    E2E_CHECK_MSG(waitFor([&] { return !IsWindow(dialog); }, 3000), "the dialog stays open");
}

// Waits for the program's message box with this text and closes it.
void expectMessage(const Session& r, const char* text) {
    const std::string shown = answer(r.pid(), 3000);
    E2E_CHECK_MSG(shown == text, std::string("no message ") + text + ", but " + shown);
}

// Picks a colour from one of the swatches through the system's colour dialog.
void pickColour(HWND options, int swatchId, int red, int green, int blue) {
    const POINT swatch = centreOf(GetDlgItem(options, swatchId));
    mouseClick(swatch.x, swatch.y);
    HWND colour = nullptr;
    // Shown means initialised: typed into earlier, the dialog's own start
    // values can overwrite the new ones.
    E2E_CHECK(waitFor([&] { return (colour = FindWindowW(L"#32770", L"颜色")) != nullptr && IsWindowVisible(colour); },
                      5000, "the colour dialog"));
    setText(colour, 706, std::to_string(red));
    setText(colour, 707, std::to_string(green));
    setText(colour, 708, std::to_string(blue));
    PostMessageA(colour, WM_COMMAND, IDOK, 0);
    E2E_CHECK(waitFor([&] { return !IsWindow(colour); }, 3000));
}

// The clock's layered attributes: the colour key and the alpha that apply.
bool layered(HWND clock, COLORREF key, DWORD flags, BYTE alpha = 0) {
    COLORREF k = 0;
    BYTE a = 0;
    DWORD f = 0;
    return GetLayeredWindowAttributes(clock, &k, &a, &f) && f == flags &&
           (flags == LWA_COLORKEY ? k == key : a == alpha);
}

// What the clock holds instead, for a failure's message.
std::string layeredText(HWND clock) {
    COLORREF k = 0;
    BYTE a = 0;
    DWORD f = 0;
    if (!GetLayeredWindowAttributes(clock, &k, &a, &f)) return "no layered attributes";
    char text[64];
    std::snprintf(text, sizeof text, "key %06lX, alpha %u, flags %lu", static_cast<unsigned long>(k), a,
                  static_cast<unsigned long>(f));
    return text;
}

ClockSettings saved(const Session& r) { return readDataFile(r.folder).settings; }

// Where OK left the clock among other programs' windows: 0 top-most, 1 at
// the bottom, 2 among the ordinary windows, on top of them.
bool stackedAs(HWND clock, const OtherWindows& other, int zOrder) {
    const bool topmost = (GetWindowLongA(clock, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (zOrder == 0)
        return topmost && above(clock, other.topmost);
    return !topmost && above(other.topmost, clock) &&
           (zOrder == 1 ? above(other.ordinary, clock) && atBottom(clock) : above(clock, other.ordinary));
}

// Chooses a stacking radio, presses OK and waits for the clock to take it.
void okWithStacking(const Session& r, const OtherWindows& other, HWND dialog, int zOrder) {
    click(dialog, 1020 + zOrder);
    click(dialog, IDOK);
    waitClosed(r, dialog, "the options");
    E2E_CHECK_MSG(stackedAs(r.clock, other, zOrder), "the clock was not restacked for position " + std::to_string(zOrder));
}

}  // namespace

namespace {

// The Run value as the registry holds it ("" when there is none).
std::string runValue() {
    wchar_t data[MAX_PATH * 2] = {};
    DWORD size = sizeof data - sizeof data[0];
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::string();
    const LONG found = RegQueryValueExW(key, L"Zentar", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return found == ERROR_SUCCESS ? gbkFromWide(data) : "";
}

}  // namespace

E2E_SCENARIO(options_ok_validates_stores_and_applies) {
    mouseMoveTo(5, 5);
    Session r;
    ClockSettings fullTransparent = defaultSettings();
    fullTransparent.fullTransparent = 1;
    fullTransparent.zOrder = 2;
    prepare(r, "options_ok", fullTransparent);
    const OtherWindows other;
    launch(r);
    E2E_CHECK(stackedAs(r.clock, other, 2));
    const RECT before = rectOf(r.clock);
    HWND d = openOptions(r);
    screenshot("options", d);
    sleepMs(1500);  // the picture is taken in the background
    E2E_CHECK(windowText(d) == "选项");
    E2E_CHECK(itemText(d, 1063) == "系统设置显示当地没有实施日光节约制度，一般情况下你不需要调整上设置。");
    E2E_CHECK(!IsWindowVisible(GetDlgItem(d, 1033)));
    click(d, 1007);
    E2E_CHECK(waitFor([&] { return IsWindowVisible(GetDlgItem(d, 1033)) != 0; }, 2000));
    click(d, 1007);
    E2E_CHECK(waitFor([&] { return !IsWindowVisible(GetDlgItem(d, 1033)); }, 2000));

    // Colours picked from the swatches stay even when the dialog is cancelled,
    // and the clock paints them at once: the colour key follows the background.
    E2E_CHECK_MSG(waitFor([&] { return layered(r.clock, 0x000000, LWA_COLORKEY); }, 2000, "the black colour key"),
                  "the colour key is not the stored background");
    pickColour(d, 1031, 255, 0, 0);
    pickColour(d, 1032, 0, 128, 255);
    E2E_CHECK_MSG(waitFor([&] { return layered(r.clock, 0xFF8000, LWA_COLORKEY); }, 2000, "the new colour key"),
                  "the colour key is not the new background: " + layeredText(r.clock));
    // Cancel keeps them: once the clock is back in its loop, the key still is the new one.
    close(d, IDCANCEL);
    waitClosed(r, d, "the options");
    E2E_CHECK_MSG(layered(r.clock, 0xFF8000, LWA_COLORKEY), "Cancel took the new colour key back");

    d = openOptions(r);
    setText(d, 1036, "200");
    click(d, IDOK);
    expectMessage(r, "请输入一个介于 6 和 120 之间的整数。");
    setText(d, 1036, "40");
    setText(d, 1052, "C:\\" + std::string(117, 'a'));
    click(d, IDOK);
    expectMessage(r, "对不起，这个版本保存文件路径长度不能超过120字节。");
    E2E_CHECK(IsWindow(d) && saved(r).fontSize == 24);
    setText(d, 1052, "");
    click(d, 1003);
    click(d, 1007);
    click(d, 1041);
    setText(d, 1054, "上午");
    setText(d, 1055, "下午");
    setText(d, 1005, "7分钟");
    SendMessageA(GetDlgItem(d, 1033), TBM_SETPOS, TRUE, 5);
    // 响铃持续: ten minutes for a db.dat that never set it; 1分钟 is stored as 1.
    HWND ring = GetDlgItem(d, 1065);
    E2E_CHECK(comboItem(ring, 0) == "1分钟" && comboItem(ring, 4) == "不限" && SendMessageA(ring, CB_GETCURSEL, 0, 0) == 2);
    SendMessageA(ring, CB_SETCURSEL, 0, 0);
    okWithStacking(r, other, d, 1);

    // The clock saves after it has applied the new settings: wait for the file.
    ClockSettings s = {};
    E2E_CHECK(waitFor([&] { s = saved(r); return s.fontSize == 40; }, 5000));
    E2E_CHECK(s.hour12 == 1 && s.quickLead == 7 && s.alphaLevel == 5 && s.fullTransparent == 0 && s.ringMinutes == 1);
    E2E_CHECK(std::strcmp(s.amMark, "上午") == 0 && s.textColor == 0x0000FF && s.backColor == 0xFF8000);
    E2E_CHECK(s.autoStart == 1);
    E2E_CHECK_MSG(lstrcmpiW(wideFromGbk(runValue()).c_str(), wideFromGbk(r.folder + "\\Zentar.exe").c_str()) == 0,
                  "Run value: " + runValue());
    E2E_CHECK(waitFor([&] {
        const std::string text = itemText(r.clock, 1000);
        return text.size() > 4 && (text.find("上午") == text.size() - 4 || text.find("下午") == text.size() - 4);
    }, 3000));
    const RECT after = rectOf(r.clock);
    E2E_CHECK(after.bottom - after.top > (before.bottom - before.top) * 3 / 2);
    E2E_CHECK_MSG(waitFor([&] { return layered(r.clock, 0, LWA_ALPHA, 255 - 24 * 5); }, 2000, "alpha level 5"),
                  "the clock is not partly transparent at level 5");

    // Unticked, OK takes the Run value away.
    d = openOptions(r);
    click(d, 1003);
    okWithStacking(r, other, d, 0);
    E2E_CHECK_MSG(runValue().empty() && saved(r).autoStart == 0, "Run value left: " + runValue());
    // Back to the normal band from top-most.
    okWithStacking(r, other, openOptions(r), 2);
    E2E_CHECK(saved(r).zOrder == 2);
}

namespace {

int recentCount(HWND combo) {
    int n = 0;
    while (SendMessageA(combo, CB_GETITEMDATA, n, 0) == 1)
        ++n;
    return n;
}

}  // namespace

E2E_SCENARIO(options_font_picker) {
    Session r;
    ClockSettings s = defaultSettings();
    std::strcpy(s.fontName, "宋体");
    prepare(r, "options_font", s);
    launch(r);
    HWND d = openOptions(r), combo = GetDlgItem(d, 1039), preview = nullptr;
    const DWORD pid = r.pid();
    std::vector<std::string> faces;
    for (int i = 0, n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); i < n; ++i)
        faces.push_back(comboItem(combo, i));
    E2E_CHECK(faces.size() >= 7 && recentCount(combo) == 0 && itemText(d, 1003) == "开机自动启动");
    E2E_CHECK_MSG(windowText(combo) == "宋体", "the face reads " + windowText(combo));
    for (size_t i = 1; i < faces.size(); ++i)  // each once, in collation order
        E2E_CHECK(CompareStringW(LOCALE_USER_DEFAULT, 0, wideFromGbk(faces[i - 1]).c_str(), -1,
                                 wideFromGbk(faces[i]).c_str(), -1) == CSTR_LESS_THAN);

    RECT box, list, shown;
    GetWindowRect(combo, &box);
    const int rowHeight = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
    auto open = [&] {
        mouseClick(box.right - 8, (box.top + box.bottom) / 2);
        E2E_CHECK(waitFor([&] { return visibleOfClass(pid, "ComboLBox") != nullptr; }, 2000));
        GetWindowRect(visibleOfClass(pid, "ComboLBox"), &list);
    };
    // Closes the list with a click on the selected row, as a user would.
    auto close = [&] {
        const LRESULT row = SendMessageA(combo, CB_GETCURSEL, 0, 0) - SendMessageA(combo, CB_GETTOPINDEX, 0, 0);
        mouseClick((list.left + list.right) / 2, list.top + 1 + rowHeight * static_cast<int>(row) + rowHeight / 2);
        E2E_CHECK(waitFor([&] { return !visibleOfClass(pid, "ComboLBox") && !visibleOfClass(pid, "ZentarFontPreview"); }, 2000));
    };
    auto choose = [&](size_t face) {
        open();
        SendMessageA(combo, CB_SETCURSEL, recentCount(combo) + face, 0);
        close();
    };

    // The preview stands beside the highlighted row.
    open();
    SendMessageA(combo, CB_SETCURSEL, 2, 0);
    E2E_CHECK(waitFor([&] { return (preview = visibleOfClass(pid, "ZentarFontPreview")) != nullptr; }, 1500));
    GetWindowRect(preview, &shown);
    E2E_CHECK(shown.left == list.right + scaled(5) && shown.top > box.bottom && shown.top < list.bottom);
    screenshot("options-fontlist", d);
    sleepMs(1500);
    close();

    choose(0);
    choose(5);
    E2E_CHECK(recentCount(combo) == 3 && comboItem(combo, 0) == faces[5] && comboItem(combo, 1) == faces[0] &&
              comboItem(combo, 2) == faces[2] && windowText(combo) == faces[5]);
    // Reopened on the same face, the preview comes back.
    open();
    E2E_CHECK(waitFor([&] { return visibleOfClass(pid, "ZentarFontPreview") != nullptr; }, 1500));
    close();
    // A name that is no face is put back when the field loses the focus.
    const POINT size = centreOf(GetDlgItem(d, 1036));
    HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
    mouseClick(size.x, size.y);
    mouseClick(box.left + 10, (box.top + box.bottom) / 2);
    // The last letters typed: typing is what clears the list's selection
    // (Wine skips the first change after a pick).
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"NoSuchFa"));
    SendMessageA(edit, EM_SETSEL, 8, 8);
    typeText("ce");
    E2E_CHECK(waitFor([&] { return windowText(combo) == "NoSuchFace"; }, 2000) &&
              SendMessageA(combo, CB_GETCURSEL, 0, 0) == CB_ERR);
    mouseClick(size.x, size.y);
    E2E_CHECK(waitFor([&] { return windowText(combo) == faces[5]; }, 2000));
}
