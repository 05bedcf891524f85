#include "clock/ClockDlg.h"

#include <commctrl.h>
#include <vfw.h>

#include <cstring>

#include "alarm/actions.h"
#include "alarm/power_win32.h"
#include "alarm/schedule.h"
#include "clock/clocktext.h"
#include "memo/MemoDlg.h"
#include "model/datafiles.h"
#include "res/resource.h"
#include "win/util.h"

namespace {
const UINT_PTR kTickTimer = 0;
const UINT kTickMilliseconds = 200;

std::string modulePath() {
    // Long enough for any path the system hands out; a cut path would put
    // db.dat in some other folder, so a truncated result counts as none.
    static char buffer[32768];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer)
        return std::string();
    return std::string(buffer, n);
}

ZoneRule zoneRule(const SYSTEMTIME& t) {
    return ZoneRule{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour};
}

TimeZoneRecord systemTimeZone() {
    TIME_ZONE_INFORMATION info = {};
    GetTimeZoneInformation(&info);
    return TimeZoneRecord{info.Bias, info.StandardBias, info.DaylightBias,
                          zoneRule(info.StandardDate), zoneRule(info.DaylightDate)};
}

const COLORREF kTooltipBackground = 0x80FFFF;
}  // namespace

CClockDlg::CClockDlg()
    : win::Dialog(IDD_CLOCK),
      settings(defaultSettings()),
      seams_(*this),
      tick_(settings, table, seams_),
      icon_(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_CLOCK))),
      lastTick_{2008, 1, 1, 1, 1, 1, 2} {
    std::memset(&table, 0, sizeof table);
}

CClockDlg::~CClockDlg() = default;

CMemoDlg* CClockDlg::memo() {
    if (!memoWindow_) {
        auto created = std::make_unique<CMemoDlg>(hwnd(), memoText);
        if (!created->Create())
            return nullptr;
        memoWindow_ = std::move(created);
    }
    return memoWindow_.get();
}

BOOL CClockDlg::OnInitDialog() {
    RECT r;
    GetWindowRect(hwnd(), &r);
    templateSize_ = {r.right - r.left, r.bottom - r.top};
    lastTick_ = win::localNow();

    updateHover();
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Relative names stored in alarms are resolved against the program's folder.
    paths = buildProgramPaths(programDirectoryOf(modulePath()));
    if (!paths.directory.empty())
        SetCurrentDirectoryA(paths.directory.c_str());

    mciWindow = MCIWndCreateA(hwnd(), GetModuleHandleA(nullptr),
                              WS_CHILD | MCIWNDF_NOMENU | MCIWNDF_NOTIFYMODE, nullptr);
    // Some MCI implementations show the window anyway; a visible one would
    // lie over the face and take the clicks meant for the clock.
    if (mciWindow)
        ShowWindow(mciWindow, SW_HIDE);

    settings = defaultSettings();
    table.alarmCount = 0;
    memoText.clear();
    loadDataFiles(paths.dataFilePath, paths.memoFilePath, settings, table, memoText);

    applyFont(settings.fontSize);
    defaultSoundExists = paths.defaultSoundPath[0] != '\0' &&
                         GetFileAttributesA(paths.defaultSoundPath) != INVALID_FILE_ATTRIBUTES;
    tick_.setDefaultSound(paths.defaultSoundPath, defaultSoundExists);

    // Without a tooltip the clock stays as the template drew it.
    if (!createTooltip())
        return TRUE;
    backBrush_ = CreateSolidBrush(settings.backColor);
    applyTransparency(settings.fullTransparent != 0, settings.alphaLevel, settings.backColor);
    // The configured look is what shows now; the next hover test makes the
    // clock opaque if the mouse is over it.
    hovered_ = false;
    placeWindow();
    SetTimer(hwnd(), kTickTimer, kTickMilliseconds, nullptr);
    lastTick_ = win::localNow();
    tick_.enterSecond(lastTick_);
    showTime(lastTick_);
    return TRUE;
}

bool CClockDlg::createTooltip() {
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tooltip_)
        return false;
    SendMessageA(tooltip_, TTM_SETTIPBKCOLOR, kTooltipBackground, 0);
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = hwnd();
    tool.uId = 0;
    GetClientRect(hwnd(), &tool.rect);
    tool.lpszText = const_cast<char*>("时间");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tooltip_, TTM_ACTIVATE, TRUE, 0);
    return true;
}

void CClockDlg::updateTooltip(const LocalTime& time) {
    if (!tooltip_)
        return;
    const std::string text = tooltipText(time);
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = hwnd();
    tool.uId = 0;
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(tooltip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void CClockDlg::applyTransparency(bool fullTransparent, int level, COLORREF colourKey) {
    if (!layeredStyleSet_) {
        SetWindowLongA(hwnd(), GWL_EXSTYLE, GetWindowLongA(hwnd(), GWL_EXSTYLE) ^ WS_EX_LAYERED);
        layeredStyleSet_ = true;
    }
    // Looked up at run time: systems without layered windows simply stay opaque.
    HMODULE user32 = LoadLibraryA("User32.DLL");
    if (!user32)
        return;
    using SetLayered = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    auto setLayered = reinterpret_cast<SetLayered>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (setLayered)
        setLayered(hwnd(), colourKey, static_cast<BYTE>(255 - 24 * level),
                   fullTransparent ? LWA_COLORKEY : LWA_ALPHA);
    FreeLibrary(user32);
}

void CClockDlg::updateHover() {
    RECT r;
    POINT cursor;
    GetWindowRect(hwnd(), &r);
    GetCursorPos(&cursor);
    const bool inside = PtInRect(&r, cursor) != 0;
    // Opaque while the mouse is over the clock, as configured otherwise.
    if (!hovered_ && inside) {
        hovered_ = true;
        applyTransparency(false, 0, settings.backColor);
    } else if (hovered_ && !inside) {
        hovered_ = false;
        applyTransparency(settings.fullTransparent != 0, settings.alphaLevel, settings.backColor);
    }
}

void CClockDlg::showTime(const LocalTime& time) {
    SetDlgItemTextA(hwnd(), IDC_CLOCK_TEXT, formatClockText(settings, time).c_str());
}

void CClockDlg::OnTimer() {
    const LocalTime now = win::localNow();
    if (tick_.enterSecond(now)) {
        lastTick_ = now;
        const TimeZoneRecord zone = systemTimeZone();
        showTime(now);
        updateTooltip(now);
        // May open a countdown whose modal loop runs this handler again.
        tick_.runSecond(now, zone);
    }
    if (IsWindow(hwnd()))
        updateHover();
}

void CClockDlg::OnPowerCommand(int id) {
    // No countdown here: the menu's commands act at once.
    enableShutdownPrivilege();
    const MenuPowerCommand command = menuPowerCommand(id);
    if (command.kind == MenuPower::ScreenSaver)
        startScreenSaver();
    else if (command.kind == MenuPower::Action)
        runPowerAction(command.code);
}

void CClockDlg::applyFont(int fontSize) {
    if (clockFont_)
        DeleteObject(clockFont_);
    char face[LF_FACESIZE];
    const size_t faceLength = fieldLength(settings.fontName, LF_FACESIZE - 1);
    std::memcpy(face, settings.fontName, faceLength);
    face[faceLength] = '\0';
    clockFont_ = CreateFontA(fontSize, 0, 0, 0, 1000, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face);
    HWND text = item(IDC_CLOCK_TEXT);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(clockFont_), TRUE);

    // Sized for the widest digits and the longer mark, so the face never jumps.
    const size_t am = fieldLength(settings.amMark, sizeof settings.amMark);
    const size_t pm = fieldLength(settings.pmMark, sizeof settings.pmMark);
    std::string sample = "88:88:88";
    sample.append(pm > am ? settings.pmMark : settings.amMark, pm > am ? pm : am);

    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, clockFont_);
    SIZE size = {};
    GetTextExtentPoint32A(dc, sample.c_str(), static_cast<int>(sample.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);

    SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    MoveWindow(text, 0, 0, size.cx, size.cy, TRUE);
}

void CClockDlg::placeWindow() {
    // Clamped against the template's size: the clock may reach past the
    // right and bottom edges by what the font added.
    if (settings.posX < 0)
        settings.posX = 0;
    if (settings.posY < 0)
        settings.posY = 0;
    const int maxX = GetSystemMetrics(SM_CXSCREEN) - templateSize_.cx;
    const int maxY = GetSystemMetrics(SM_CYSCREEN) - templateSize_.cy;
    if (settings.posX > maxX)
        settings.posX = maxX;
    if (settings.posY > maxY)
        settings.posY = maxY;

    const UINT move = SWP_NOSIZE | SWP_NOACTIVATE;
    switch (settings.zOrder) {
    case 0:
        SetWindowPos(hwnd(), HWND_TOPMOST, settings.posX, settings.posY, 0, 0, move);
        break;
    case 1:
        SetWindowPos(hwnd(), HWND_BOTTOM, settings.posX, settings.posY, 0, 0, move);
        break;
    case 2:
        SetWindowPos(hwnd(), nullptr, settings.posX, settings.posY, 0, 0, move | SWP_NOZORDER);
        break;
    }
}

void CClockDlg::saveDataFiles() {
    if (memoWindow_)
        memoWindow_->UpdateMemoText();
    RECT r;
    if (hwnd() && GetWindowRect(hwnd(), &r)) {
        settings.posX = r.left;
        settings.posY = r.top;
    }
    ::saveDataFiles(paths.dataFilePath, paths.memoFilePath, settings, table, memoText);
}

bool CClockDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case ID_APP_EXIT:
        saveDataFiles();
        EndDialog(IDCANCEL);
        return true;
    }
    if (id >= ID_SCREEN_SAVER && id <= ID_LOG_OFF) {
        OnPowerCommand(id);
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

bool CClockDlg::PreTranslateMessage(MSG& msg) {
    if (tooltip_)
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    // Neither Escape nor Enter may close the clock by accident.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
        (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN))
        return true;
    return false;
}

void CClockDlg::OnDestroy() {
    KillTimer(hwnd(), kTickTimer);
    saveDataFiles();
    if (backBrush_)
        DeleteObject(backBrush_);
    backBrush_ = nullptr;
    if (clockFont_)
        DeleteObject(clockFont_);
    clockFont_ = nullptr;
}

INT_PTR CClockDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    switch (msg) {
    case WM_TIMER:
        OnTimer();
        handled = true;
        return 0;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetBkMode(dc, TRANSPARENT);
        SetBkColor(dc, settings.backColor);
        SetTextColor(dc, settings.textColor);
        handled = backBrush_ != nullptr;
        return reinterpret_cast<INT_PTR>(backBrush_);
    }
    case WM_LBUTTONDOWN:
        // A click silences a ringing alarm and starts dragging the borderless clock.
        if (mciWindow)
            MCIWndStop(mciWindow);
        PostMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, lp);
        return 0;
    case WM_PAINT:
        if (IsIconic(hwnd())) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            RECT r;
            GetClientRect(hwnd(), &r);
            DrawIcon(dc, (r.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
                     (r.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
            EndPaint(hwnd(), &ps);
            handled = true;
        }
        return 0;
    case WM_QUERYDRAGICON:
        handled = true;
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_ENDSESSION:
        // Saved whether the session really ends or the end was cancelled.
        saveDataFiles();
        handled = true;
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return 0;
}
