#include "clock/ClockDlg.h"

#include <commctrl.h>
#include <shellapi.h>
#include <vfw.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "alarm/actions.h"
#include "alarm/power_win32.h"
#include "alarm/schedule.h"
#include "alarmui/AlarmEditDlg.h"
#include "alarmui/AlarmListDlg.h"
#include "calendarui/CalendarDlg.h"
#include "calendarui/schedulefiles.h"
#include "clock/AboutDlg.h"
#include "clock/RingDlg.h"
#include "clock/clocktext.h"
#include "clock/quickalarm.h"
#include "memo/MemoDlg.h"
#include "model/atomicfile.h"
#include "model/datafiles.h"
#include "options/OptionsDlg.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {
const UINT_PTR kTickTimer = 0;
const UINT kTickMilliseconds = 200;

std::wstring modulePath() {
    // Long enough for any path the system hands out; a cut path would put
    // db.dat in some other folder, so a truncated result counts as none.
    static wchar_t buffer[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, sizeof buffer / sizeof buffer[0]);
    if (n == 0 || n >= sizeof buffer / sizeof buffer[0])
        return std::wstring();
    return std::wstring(buffer, n);
}

ProgramPaths programPaths() {
    // The folder as the system names it, backslash included.
    const std::wstring path = modulePath();
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\') + 1);
    // The files beside the program are found by any name the folder has; the
    // default sound new alarms store needs a name GBK can hold.
    std::string stored;
    if (!win::gbkFromWide(folder, stored))
        stored.clear();
    return buildProgramPaths(win::pathFromWide(folder), stored);
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

// The clock's one tool: its whole client area.
TTTOOLINFOW toolInfo(HWND clock) {
    TTTOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = clock;
    tool.uId = 0;
    return tool;
}

// Posted to the clock by its initialisation: the news waits until the clock runs.
const UINT kUnreadableFilesMessage = WM_APP + 1;
const char kDataFileUnreadable[] = "无法读取闹铃数据文件 db.dat，本次运行不会覆盖它，新的修改不会保存。";
const char kMemoFileUnreadable[] = "无法读取备忘录文件 note.txt，本次运行不会覆盖它，新的修改不会保存。";
}  // namespace

CClockDlg::CClockDlg()
    : win::Dialog(IDD_CLOCK),
      settings(defaultSettings()),
      seams_(*this),
      tick_(settings, table, seams_),
      icon_(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_CLOCK))),
      lastTick_{2008, 1, 1, 1, 1, 1, 2} {
    std::memset(&table, 0, sizeof table);
}

CClockDlg::~CClockDlg() = default;

CMemoDlg* CClockDlg::memo() {
    if (!memoWindow_) {
        auto created = std::make_unique<CMemoDlg>(hwnd(), memoText);
        created->onEdited = [this, memo = created.get()] { saveDataFiles(memo->hwnd()); };
        if (!created->Create())
            return nullptr;
        memoWindow_ = std::move(created);
    }
    return memoWindow_.get();
}

BOOL CClockDlg::OnInitDialog() {
    win::setMainWindow(hwnd());
    RECT r;
    GetWindowRect(hwnd(), &r);
    templateSize_ = {r.right - r.left, r.bottom - r.top};
    lastTick_ = win::localNow();

    updateHover();
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Relative names stored in alarms are resolved against the program's folder.
    paths = programPaths();
    if (!paths.directory.empty())
        SetCurrentDirectoryW(win::widePath(paths.directory).c_str());

    mciWindow = MCIWndCreateW(hwnd(), GetModuleHandleW(nullptr),
                              WS_CHILD | MCIWNDF_NOMENU | MCIWNDF_NOTIFYMODE, nullptr);
    // Some MCI implementations show the window anyway; a visible one would
    // lie over the face and take the clicks meant for the clock.
    if (mciWindow)
        ShowWindow(mciWindow, SW_HIDE);

    // A save cut short by a kill leaves its temporary, or the old file under
    // its backup name, behind; only one copy of the program runs, so none of
    // them belongs to a save in progress.
    const bool dataWhole = removeStaleTemporaries(paths.dataFilePath);
    const bool memoWhole = removeStaleTemporaries(paths.memoFilePath);

    settings = defaultSettings();
    table.alarmCount = 0;
    memoText.clear();
    loaded_ = loadDataFiles(paths.dataFilePath, paths.memoFilePath, settings, table, memoText);
    // An old file that could not be put back is what the user has: it is
    // neither loaded nor written over this run, and the user is told.
    if (!dataWhole)
        loaded_.data = ReadResult::Unreadable;
    if (!memoWhole)
        loaded_.memo = ReadResult::Unreadable;
    if (loaded_.data == ReadResult::Unreadable || loaded_.memo == ReadResult::Unreadable)
        PostMessageW(hwnd(), kUnreadableFilesMessage, 0, 0);

    // China's work calendar: the built-in schedule and the files beside the program.
    installWorkCalendar(loadWorkCalendar(paths));

    applyFont(settings.fontSize);
    defaultSoundExists = paths.defaultSoundPath[0] != '\0' && win::isFile(paths.defaultSoundPath);
    tick_.setDefaultSound(paths.defaultSoundPath, defaultSoundExists);

    // Without a tooltip the clock stays as the template drew it.
    if (!createTooltip())
        return TRUE;
    // The configured look is what shows now; the next hover test makes the
    // clock opaque if the mouse is over it.
    hovered_ = false;
    applyColours();
    placeWindow();
    SetTimer(hwnd(), kTickTimer, kTickMilliseconds, nullptr);
    lastTick_ = win::localNow();
    tick_.enterSecond(lastTick_);
    showTime(lastTick_);
    // Unnamed, auto-reset: the tick takes its signal once.
    wakeTimer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    rearmWake();
    return TRUE;
}

void CClockDlg::rearmWake() {
    LocalTime wake = {}, ring = {};
    // A clock set back acts again only after the latest second it processed.
    const bool arm = wakeTimer_ && settings.alarmService && !settings.noWake &&
                     nextWake(table, tick_.actsAfter(win::localNow()), wake, &ring);
    if (wakeKnown_ && arm == wakeArmed_ && (!arm || sameSecond(wake, wakeFor_)))
        return;
    wakeKnown_ = true;
    wakeArmed_ = arm;
    if (!arm) {
        cancelWakeTimer(wakeTimer_);
        stopKeepingAwake();
        return;
    }
    wakeFor_ = wake;
    wakeRing_ = ring;
    wakeAt_ = addSeconds(wake, -60);
    armWakeTimer(wakeTimer_, wakeAt_);
}

void CClockDlg::followWake(const LocalTime& now) {
    const int64_t second = wallSeconds(now);
    // The timer cannot have fired before its moment: only then is its handle asked.
    if (wakeArmed_ && second >= wallSeconds(wakeAt_) && WaitForSingleObject(wakeTimer_, 0) == WAIT_OBJECT_0) {
        // Three minutes past the alarm minute, which a sound start may precede or follow.
        const int64_t until = std::max(wallSeconds(wakeRing_), wallSeconds(wakeFor_)) + 180;
        awakeUntil_ = awake_ ? std::max(awakeUntil_, until) : until;
        if (!awake_)
            keepAwake(true);
        awake_ = true;
    }
    if (awake_ && second >= awakeUntil_)
        stopKeepingAwake();
    if (wakeArmed_ && second >= wallSeconds(wakeFor_))
        rearmWake();
}

void CClockDlg::stopKeepingAwake() {
    if (!awake_)
        return;
    awake_ = false;
    keepAwake(false);
}

bool CClockDlg::createTooltip() {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(),
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_)
        return false;
    SendMessageW(tooltip_, TTM_SETTIPBKCOLOR, kTooltipBackground, 0);
    std::wstring text = win::wideFromGbk("时间");
    TTTOOLINFOW tool = toolInfo(hwnd());
    GetClientRect(hwnd(), &tool.rect);
    tool.lpszText = &text[0];
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
    return true;
}

void CClockDlg::updateTooltip(const LocalTime& time) {
    if (!tooltip_)
        return;
    // Rebuilt every second but handed over only when it reads differently.
    std::string text = tooltipText(time);
    if (text == tooltipText_)
        return;
    tooltipText_ = std::move(text);
    std::wstring wide = win::wideFromGbk(tooltipText_);
    TTTOOLINFOW tool = toolInfo(hwnd());
    tool.lpszText = &wide[0];
    SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CClockDlg::applyTransparency(bool fullTransparent, int level, COLORREF colourKey) {
    if (!layeredStyleSet_) {
        SetWindowLongW(hwnd(), GWL_EXSTYLE, GetWindowLongW(hwnd(), GWL_EXSTYLE) ^ WS_EX_LAYERED);
        layeredStyleSet_ = true;
    }
    // Looked up at run time: systems without layered windows simply stay opaque.
    HMODULE user32 = LoadLibraryW(L"User32.DLL");
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

void CClockDlg::applyColours() {
    if (backBrush_)
        DeleteObject(backBrush_);
    backBrush_ = CreateSolidBrush(settings.backColor);
    paintedBackColor_ = settings.backColor;
    paintedTextColor_ = settings.textColor;
    if (hovered_)
        applyTransparency(false, 0, settings.backColor);
    else
        applyTransparency(settings.fullTransparent != 0, settings.alphaLevel, settings.backColor);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

void CClockDlg::updateHover(bool newSecond) {
    // An opaque clock looks the same hovered or not: nothing to find out.
    if (settings.fullTransparent == 0 && settings.alphaLevel == 0)
        return;
    // Away from the clock the cursor can only have come over it with some
    // input, so it is looked up (a trip to the server, and to X under Wine)
    // after input only, and once a second in any case.
    if (!hovered_ && !newSecond) {
        LASTINPUTINFO input = {sizeof input, 0};
        if (GetLastInputInfo(&input) && input.dwTime == lastInputTime_)
            return;
        lastInputTime_ = input.dwTime;
    }
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
    // The static is kept rather than looked up: under Wine every lookup of a
    // child asks the server for the whole list of them.
    if (!face_)
        face_ = item(IDC_CLOCK_TEXT);
    win::setWindowText(face_, formatClockText(settings, time).c_str());
}

void CClockDlg::OnTimer() {
    const LocalTime now = win::localNow();
    const bool newSecond = tick_.enterSecond(now);
    if (newSecond) {
        lastTick_ = now;
        const TimeZoneRecord zone = systemTimeZone();
        showTime(now);
        updateTooltip(now);
        // May open a countdown whose modal loop runs this handler again.
        tick_.runSecond(now, zone);
    }
    if (!IsWindow(hwnd()))
        return;
    if (newSecond) {
        followRing();
        followWake(now);
    }
    updateHover(newSecond);
    // The options' colour swatches write the settings at once, Cancel or not.
    if (backBrush_ && (settings.backColor != paintedBackColor_ || settings.textColor != paintedTextColor_))
        applyColours();
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
    std::wstring face = win::wideFromGbk(settings.fontName, fieldLength(settings.fontName, LF_FACESIZE - 1));
    face.resize(std::min<size_t>(face.size(), LF_FACESIZE - 1));
    // fontSize is kept in 96-DPI pixels, so db.dat means the same size everywhere.
    clockFont_ = CreateFontW(win::scaled(fontSize), 0, 0, 0, 1000, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    HWND text = item(IDC_CLOCK_TEXT);
    SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(clockFont_), TRUE);

    // Sized for the widest digits and the longer mark, so the face never jumps.
    const size_t am = fieldLength(settings.amMark, sizeof settings.amMark);
    const size_t pm = fieldLength(settings.pmMark, sizeof settings.pmMark);
    std::string sample = "88:88:88";
    sample.append(pm > am ? settings.pmMark : settings.amMark, pm > am ? pm : am);

    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, clockFont_);
    SIZE size = {};
    const std::wstring wideSample = win::wideFromGbk(sample);
    GetTextExtentPoint32W(dc, wideSample.c_str(), static_cast<int>(wideSample.size()), &size);
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

DataFilesSave CClockDlg::writeDataFiles() {
    if (memoWindow_)
        memoWindow_->UpdateMemoText();
    RECT r;
    if (hwnd() && GetWindowRect(hwnd(), &r)) {
        settings.posX = r.left;
        settings.posY = r.top;
    }
    return ::saveDataFiles(paths.dataFilePath, paths.memoFilePath, settings, table, memoText, loaded_);
}

void CClockDlg::saveDataFiles(HWND owner) {
    const DataFilesSave saved = writeDataFiles();
    if (ending_)
        saveNotice_.afterQuietSave(saved);
    else
        saveNotice_.afterSave(owner, saved);
}

void CClockDlg::OnExit() {
    if (!saveNotice_.mayExit(hwnd(), writeDataFiles()))
        return;
    ending_ = true;
    EndDialog(IDCANCEL);
}

bool CClockDlg::roomForAlarm() {
    if (table.alarmCount < kMaxAlarms)
        return true;
    win::messageBox(nullptr, "达到最大闹铃数目了。");
    return false;
}

void CClockDlg::OnAddAlarm() {
    if (!roomForAlarm())
        return;
    CAlarmEditDlg editor(settings, win::localNow(), paths.defaultSoundPath, defaultSoundExists);
    if (editor.DoModal(nullptr) != IDOK)
        return;
    // Alarms may have come or gone while the editor was open.
    if (!roomForAlarm())
        return;
    appendAlarm(editor.record, hwnd());
}

void CClockDlg::OnAlarmList() {
    CAlarmListDlg list(table, settings, paths, defaultSoundExists);
    list.onTableChanged = [this, &list] {
        rearmWake();
        saveDataFiles(list.hwnd());
    };
    list.DoModal(nullptr);
    rearmWake();
    saveDataFiles(hwnd());
}

void CClockDlg::OnQuickAlarm(int id) {
    if (!roomForAlarm())
        return;
    const LocalTime t = addSeconds(lastTick_, quickAlarmOffset(id));
    const std::string sound = quickAlarmSound(settings, paths.defaultSoundPath, defaultSoundExists);
    CAlarmEditDlg editor(settings, win::localNow(), paths.defaultSoundPath, defaultSoundExists);
    editor.PresetForQuickAlarm(t.year, t.month, t.day, t.hour, t.minute, sound.c_str());
    editor.record.repeatCount = settings.quickRepeat;
    editor.record.leadMinutes = settings.quickLead;
    editor.record.intervalMinutes = settings.quickInterval;
    appendAlarm(editor.record, hwnd());
}

void CClockDlg::appendAlarm(const AlarmRecord& record, HWND owner) {
    table.alarms[table.alarmCount++] = record;
    rearmWake();
    saveDataFiles(owner);
}

bool CClockDlg::alarmRinging() const {
    // Until a click, a snooze or another sound: on Windows the sound loops that long.
    return tick_.ringingAlarm() != nullptr;
}

void CClockDlg::OnSnooze(int id) {
    if (!alarmRinging() || !roomForAlarm())
        return;
    const AlarmRecord snooze = snoozeAlarm(*tick_.ringingAlarm(), lastTick_, snoozeMinutes(id));
    stopAlarmSound();
    appendAlarm(snooze, hwnd());
}

void CClockDlg::stopAlarmSound() {
    if (mciWindow)
        MCIWndStop(mciWindow);
    tick_.soundStopped();
    // The user is there: the computer may sleep again as it likes.
    stopKeepingAwake();
    followRing();
}

void CClockDlg::followRing() {
    if (!ringWindow_ && tick_.ringingAlarm()) {
        auto created = std::make_unique<CRingDlg>(hwnd());
        if (!created->Create())
            return;
        ringWindow_ = std::move(created);
    }
    if (ringWindow_)
        ringWindow_->Follow(tick_.ringingAlarm(), tick_.ringingMinute(), settings);
}

void CClockDlg::postponePowerAlarm(const AlarmRecord& alarm) {
    if (!roomForAlarm())
        return;
    appendAlarm(postponedAlarm(alarm, lastTick_));
}

void CClockDlg::OnMemo() {
    if (memoWindow_) {
        ShowWindow(memoWindow_->hwnd(), IsWindowVisible(memoWindow_->hwnd()) ? SW_HIDE : SW_SHOW);
        return;
    }
    if (CMemoDlg* created = memo())
        ShowWindow(created->hwnd(), SW_SHOW);
}

void CClockDlg::OnCalendar() {
    if (!calendarWindow_) {
        auto created = std::make_unique<CCalendarDlg>(hwnd(), table, settings, paths, defaultSoundExists);
        created->onTableChanged = [this, calendar = created.get()] {
            rearmWake();
            saveDataFiles(calendar->hwnd());
        };
        created->onScheduleChanged = [this] { rearmWake(); };
        if (!created->Create())
            return;
        calendarWindow_ = std::move(created);
    }
    ShowWindow(calendarWindow_->hwnd(), SW_SHOW);
}

void CClockDlg::restack() {
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    switch (settings.zOrder) {
    case 0:
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, flags);
        break;
    case 1:
        SetWindowPos(hwnd(), HWND_BOTTOM, 0, 0, 0, 0, flags);
        break;
    case 2:
        // Leaving top-most takes HWND_NOTOPMOST; HWND_TOP alone would keep
        // the clock above everything until the next start.
        SetWindowPos(hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, flags);
        SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, flags);
        break;
    }
}

void CClockDlg::OnOptions() {
    COptionsDlg options(settings, modulePath());
    // Saved while the options are still up, so that a failure is told over them.
    options.onAccepted = [this, &options] { saveDataFiles(options.hwnd()); };
    if (options.DoModal(nullptr) != IDOK)
        return;
    hovered_ = false;
    applyColours();
    restack();
    applyFont(settings.fontSize);
    if (tooltip_) {
        TTTOOLINFOW tool = toolInfo(hwnd());
        GetClientRect(hwnd(), &tool.rect);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    InvalidateRect(hwnd(), nullptr, TRUE);
    // The alarm service or the wake option may have changed.
    rearmWake();
}

void CClockDlg::OnTimeSync() {
    ShellExecuteW(nullptr, L"open", win::widePath(paths.timeSyncPath).c_str(), L"-c", L"", SW_SHOW);
}

void CClockDlg::OnContextMenu(int x, int y) {
    if (x == -1 && y == -1) {  // from the keyboard
        RECT client;
        GetClientRect(hwnd(), &client);
        POINT corner = {client.left, client.top};
        ClientToScreen(hwnd(), &corner);
        x = corner.x + win::scaled(5);
        y = corner.y + win::scaled(5);
    }
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_CLOCK_MENU));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    // Checked at every opening, so the item comes back once the program is there.
    if (GetFileAttributesW(win::widePath(paths.timeSyncPath).c_str()) == INVALID_FILE_ATTRIBUTES)
        DeleteMenu(popup, ID_TIME_SYNC, MF_BYCOMMAND);
    // While an alarm rings, putting it off comes first; the resource stays as it is.
    if (alarmRinging()) {
        static const struct {
            int id;
            const char* caption;
        } kSnooze[] = {{ID_SNOOZE_5, "5分钟后再响"}, {ID_SNOOZE_10, "10分钟后再响"}, {ID_SNOOZE_30, "30分钟后再响"}};
        InsertMenuW(popup, 0, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        for (int i = 2; i >= 0; --i)
            InsertMenuW(popup, 0, MF_BYPOSITION | MF_STRING, kSnooze[i].id, win::wideFromGbk(kSnooze[i].caption).c_str());
    }
    HWND owner = hwnd();
    while (GetWindowLongW(owner, GWL_STYLE) & WS_CHILD)
        owner = GetParent(owner);
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
    DestroyMenu(menu);
}

bool CClockDlg::OnCommand(int id, int code, HWND control) {
    if (id >= ID_QUICK_FIRST && id <= ID_QUICK_LAST) {
        OnQuickAlarm(id);
        return true;
    }
    if (snoozeMinutes(id) != 0) {
        OnSnooze(id);
        return true;
    }
    switch (id) {
    case ID_OPTIONS:
        OnOptions();
        return true;
    case ID_CALENDAR:
        OnCalendar();
        return true;
    case ID_ALARM_LIST:
        OnAlarmList();
        return true;
    case ID_ADD_ALARM:
        OnAddAlarm();
        return true;
    case ID_CD_OPEN:
        mciSendStringW(L"set cdaudio door open", nullptr, 0, nullptr);
        return true;
    case ID_CD_CLOSE:
        mciSendStringW(L"set cdaudio door closed", nullptr, 0, nullptr);
        return true;
    case ID_TIME_SYNC:
        OnTimeSync();
        return true;
    case ID_MEMO:
        OnMemo();
        return true;
    case IDC_RING_CLOSE:
        stopAlarmSound();
        return true;
    case ID_APP_ABOUT: {
        CAboutDlg about;
        about.DoModal(nullptr);
        return true;
    }
    case ID_APP_EXIT:
        OnExit();
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
        SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    // Neither Escape nor Enter may close the clock by accident.
    if ((msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR) &&
        (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN))
        return true;
    return false;
}

void CClockDlg::OnUnreadableFiles() {
    if (loaded_.data == ReadResult::Unreadable)
        win::messageBox(nullptr, kDataFileUnreadable);
    if (loaded_.memo == ReadResult::Unreadable)
        win::messageBox(nullptr, kMemoFileUnreadable);
}

void CClockDlg::OnDestroy() {
    win::setMainWindow(nullptr);
    KillTimer(hwnd(), kTickTimer);
    saveNotice_.afterQuietSave(writeDataFiles());
    if (backBrush_)
        DeleteObject(backBrush_);
    backBrush_ = nullptr;
    if (clockFont_)
        DeleteObject(clockFont_);
    clockFont_ = nullptr;
    // Closing the timer's only handle cancels it: no wake for a program that has ended.
    stopKeepingAwake();
    if (wakeTimer_)
        CloseHandle(wakeTimer_);
    wakeTimer_ = nullptr;
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
        stopAlarmSound();
        PostMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, lp);
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
    case WM_LBUTTONDBLCLK:
        OnAddAlarm();
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        handled = true;
        return 0;
    case WM_QUERYDRAGICON:
        handled = true;
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_ENDSESSION:
        // Saved whether the session really ends or the end was cancelled; no
        // one is asked or told while the session ends.
        saveNotice_.afterQuietSave(writeDataFiles());
        handled = true;
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case kUnreadableFilesMessage:
        OnUnreadableFiles();
        handled = true;
        return 0;
    case WM_TIMECHANGE:
        // The same local moment may now be another instant: armed afresh.
        wakeKnown_ = false;
        rearmWake();
        return 0;
    case WM_POWERBROADCAST:
        if (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND) {
            wakeKnown_ = false;
            rearmWake();
        }
        return 0;
    }
    return 0;
}
