#include "options/OptionsDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include "alarm/schedule.h"
#include "model/dialogtext.h"
#include "options/optionslogic.h"
#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {

const char* const kDstItems[3] = {"不调整自动闹铃时间", "往前调整1小时（-1）", "往后调整1小时（+1）"};
const char kSoundFilter[] = "声音文件(*.mp3; *.wav; *.wma; *.mid)|*.MP3; *.WMA; *.WAV; *.mid||";
const int kZOrderRadios = 3;  // IDC_OPT_TOPMOST … IDC_OPT_NORMAL

// The colour dialog's own sixteen custom colours, kept for the session.
COLORREF customColours[16];

template <size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, fieldLength(field, N));
}

template <size_t N>
void addItems(HWND combo, const int (&values)[N], std::string (*format)(int)) {
    for (int v : values)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(format(v)).c_str()));
}

ZoneRule zoneRule(const SYSTEMTIME& t) {
    return ZoneRule{t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour};
}

std::string systemDaylightStatus() {
    TIME_ZONE_INFORMATION info = {};
    GetTimeZoneInformation(&info);
    const TimeZoneRecord zone{info.Bias, info.StandardBias, info.DaylightBias,
                              zoneRule(info.StandardDate), zoneRule(info.DaylightDate)};
    SYSTEMTIME now;
    GetLocalTime(&now);
    return daylightStatusText(zone, now.wYear);
}

RECT screenRect(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

}  // namespace

COptionsDlg::COptionsDlg(ClockSettings& settings, const std::wstring& programPath)
    : win::Dialog(IDD_OPTIONS), settings_(settings), programPath_(programPath) {}

BOOL COptionsDlg::OnInitDialog() {
    const ClockSettings& s = settings_;
    SendMessageW(item(IDC_OPT_ALPHA), TBM_SETRANGE, FALSE, MAKELPARAM(0, kAlphaLevelMax));
    SendMessageW(item(IDC_OPT_FONT_SPIN), UDM_SETRANGE32, kFontSizeMin, kFontSizeMax);
    win::centreOnScreen(hwnd());

    HWND dst = item(IDC_OPT_DST);
    for (const char* text : kDstItems)
        SendMessageW(dst, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(text).c_str()));
    SendMessageW(dst, CB_SETCURSEL, s.dstAdjust, 0);
    CheckDlgButton(hwnd(), IDC_OPT_AUTOSTART, s.autoStart ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_OPT_FULL_TRANSPARENT, s.fullTransparent ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_OPT_SERVICE, s.alarmService ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_OPT_HOUR12, s.hour12 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd(), IDC_OPT_WAKE, s.noWake ? BST_UNCHECKED : BST_CHECKED);
    HWND ring = item(IDC_OPT_RING_MINUTES);
    for (const char* text : kRingItems)
        SendMessageW(ring, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wideFromGbk(text).c_str()));
    SendMessageW(ring, CB_SETCURSEL, ringItem(s.ringMinutes), 0);
    SendMessageW(item(IDC_OPT_ALPHA), TBM_SETPOS, TRUE, s.alphaLevel);
    if (s.zOrder >= 0 && s.zOrder < kZOrderRadios)
        CheckRadioButton(hwnd(), IDC_OPT_TOPMOST, IDC_OPT_NORMAL, IDC_OPT_TOPMOST + s.zOrder);
    WriteInt(IDC_OPT_FONT_SIZE, s.fontSize);

    SendMessageW(item(IDC_OPT_SOUND), EM_LIMITTEXT, kQuickSoundTypedLimit, 0);
    SendMessageW(item(IDC_OPT_AM), EM_LIMITTEXT, kMarkLimit, 0);
    SendMessageW(item(IDC_OPT_PM), EM_LIMITTEXT, kMarkLimit, 0);
    WriteText(IDC_OPT_SOUND, fieldText(s.quickSound).c_str());
    WriteText(IDC_OPT_AM, fieldText(s.amMark).c_str());
    WriteText(IDC_OPT_PM, fieldText(s.pmMark).c_str());

    // The edit fields only: a value missing from a list still shows as it is.
    addItems(item(IDC_OPT_REPEAT), kRepeatItems, numberText);
    addItems(item(IDC_OPT_LEAD), kLeadItems, minutesText);
    addItems(item(IDC_OPT_INTERVAL), kIntervalItems, minutesText);
    const QuickNumberTexts quick = quickNumberTexts(s);
    WriteText(IDC_OPT_REPEAT, quick.repeat.c_str());
    WriteText(IDC_OPT_LEAD, quick.lead.c_str());
    WriteText(IDC_OPT_INTERVAL, quick.interval.c_str());

    if (fontCombo_.Attach(item(IDC_OPT_FONT)))
        fontCombo_.FillFaces();
    WriteText(IDC_OPT_FONT, fieldText(s.fontName).c_str());

    ApplyTransparencyRule();
    WriteText(IDC_OPT_DST_STATUS, systemDaylightStatus().c_str());
    return TRUE;
}

void COptionsDlg::ApplyTransparencyRule() {
    const bool full = IsDlgButtonChecked(hwnd(), IDC_OPT_FULL_TRANSPARENT) == BST_CHECKED;
    ShowWindow(item(IDC_OPT_ALPHA), alphaSliderVisible(full) ? SW_SHOW : SW_HIDE);
}

bool COptionsDlg::OnCommand(int id, int code, HWND control) {
    switch (id) {
    case IDC_OPT_FULL_TRANSPARENT:
        if (code == BN_CLICKED)
            ApplyTransparencyRule();
        return true;
    case IDC_OPT_BROWSE:
        if (code == BN_CLICKED)
            OnBrowse();
        return true;
    case IDC_OPT_FONT:
        return fontCombo_.OnNotify(code);
    }
    return win::Dialog::OnCommand(id, code, control);
}

void COptionsDlg::OnBrowse() {
    std::string path;
    // Owned by this dialog, so that it cannot be confirmed underneath. Alarms
    // name their files relative to the program's folder, which must stay current.
    if (!win::chooseStoredFile(hwnd(), fileFilter(kSoundFilter), OFN_HIDEREADONLY | OFN_EXPLORER | OFN_NOCHANGEDIR,
                               path))
        return;
    if (quickSoundStorable(path.c_str())) {
        WriteText(IDC_OPT_SOUND, path.c_str());
        return;
    }
    WriteText(IDC_OPT_SOUND, "");
    win::messageBox(hwnd(), kSoundPathTooLong);
}

void COptionsDlg::OnOK() {
    OptionsInput in = {};
    in.autoStart = IsDlgButtonChecked(hwnd(), IDC_OPT_AUTOSTART) == BST_CHECKED;
    in.fullTransparent = IsDlgButtonChecked(hwnd(), IDC_OPT_FULL_TRANSPARENT) == BST_CHECKED;
    in.alphaLevel = static_cast<int>(SendMessageW(item(IDC_OPT_ALPHA), TBM_GETPOS, 0, 0));
    in.zOrder = settings_.zOrder;
    for (int i = 0; i < kZOrderRadios; ++i)
        if (IsDlgButtonChecked(hwnd(), IDC_OPT_TOPMOST + i) == BST_CHECKED)
            in.zOrder = i;
    if (!ReadInt(IDC_OPT_FONT_SIZE, kFontSizeMin, kFontSizeMax, in.fontSize))
        return;
    in.alarmService = IsDlgButtonChecked(hwnd(), IDC_OPT_SERVICE) == BST_CHECKED;
    in.wake = IsDlgButtonChecked(hwnd(), IDC_OPT_WAKE) == BST_CHECKED;
    in.ringItem = static_cast<int>(SendMessageW(item(IDC_OPT_RING_MINUTES), CB_GETCURSEL, 0, 0));
    if (!ReadText(IDC_OPT_SOUND, in.quickSound, sizeof in.quickSound, kQuickSoundTypedLimit))
        return;
    in.hour12 = IsDlgButtonChecked(hwnd(), IDC_OPT_HOUR12) == BST_CHECKED;
    if (!ReadText(IDC_OPT_AM, in.amMark, sizeof in.amMark, kMarkLimit) ||
        !ReadText(IDC_OPT_PM, in.pmMark, sizeof in.pmMark, kMarkLimit))
        return;
    const LRESULT dst = SendMessageW(item(IDC_OPT_DST), CB_GETCURSEL, 0, 0);
    in.dstAdjust = dst == CB_ERR ? settings_.dstAdjust : static_cast<int>(dst);

    // The face is cut to what the settings hold once it is read whole.
    char face[256] = {};
    char repeat[kComboTextLimit + 1] = {}, lead[kComboTextLimit + 1] = {},
         interval[kComboTextLimit + 1] = {};
    if (!ReadComboText(IDC_OPT_FONT, face, sizeof face) ||
        !ReadComboText(IDC_OPT_REPEAT, repeat, sizeof repeat) ||
        !ReadComboText(IDC_OPT_LEAD, lead, sizeof lead) ||
        !ReadComboText(IDC_OPT_INTERVAL, interval, sizeof interval))
        return;
    in.fontName = face;
    in.repeat = repeat;
    in.lead = lead;
    in.interval = interval;

    if (!applyOptionsInput(settings_, in)) {
        win::messageBox(hwnd(), kSoundPathTooLong);
        return;
    }
    UpdateRunKey();
    if (onAccepted)
        onAccepted();
    EndDialog(IDOK);
}

void COptionsDlg::UpdateRunKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win::wideFromGbk(kRunKeyPath).c_str(), 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    const std::wstring name = win::wideFromGbk(kRunValueName);
    if (settings_.autoStart) {
        // A Run value that names no program would start nothing at log-on;
        // the path stays wide, whatever its folder's name.
        const LONG written =
            programPath_.empty()
                ? ERROR_INVALID_DATA
                : RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(programPath_.c_str()),
                                 static_cast<DWORD>((programPath_.size() + 1) * sizeof(wchar_t)));
        if (written != ERROR_SUCCESS) {
            win::messageBox(hwnd(), kRunKeyWriteFailed);
            settings_.autoStart = 0;
            CheckDlgButton(hwnd(), IDC_OPT_AUTOSTART, BST_UNCHECKED);
        }
    } else {
        RegDeleteValueW(key, name.c_str());  // a missing value is already what we want
    }
    RegCloseKey(key);
}

void COptionsDlg::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    const struct {
        int id;
        uint32_t colour;
    } swatches[2] = {{IDC_OPT_TEXT_COLOR, settings_.textColor}, {IDC_OPT_BACK_COLOR, settings_.backColor}};
    for (const auto& swatch : swatches) {
        RECT r = screenRect(item(swatch.id));
        MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
        HBRUSH brush = CreateSolidBrush(swatch.colour);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
    }
    EndPaint(hwnd(), &ps);
}

bool COptionsDlg::PickColour(int swatchId, POINT at, uint32_t& colour) {
    const RECT r = screenRect(item(swatchId));
    if (!PtInRect(&r, at))
        return false;
    CHOOSECOLORW cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = hwnd();  // keeps the options dialog from closing under it
    cc.rgbResult = colour;
    cc.lpCustColors = customColours;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc))
        return false;
    colour = cc.rgbResult;
    return true;
}

void COptionsDlg::OnLButtonDown(LPARAM lp) {
    POINT at = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    ClientToScreen(hwnd(), &at);
    // Written at once: the clock shows a picked colour even if Cancel follows.
    PickColour(IDC_OPT_TEXT_COLOR, at, settings_.textColor);
    PickColour(IDC_OPT_BACK_COLOR, at, settings_.backColor);
    InvalidateRect(hwnd(), nullptr, TRUE);
}

INT_PTR COptionsDlg::OnMessage(UINT msg, WPARAM, LPARAM lp, bool& handled) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        handled = true;
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(lp);
        return 0;  // and on to the default handling
    }
    return 0;
}
