#include "options/FontCombo.h"

#include <vector>

#include "win/util.h"
#include "win/wide.h"

static_assert(kRasterFontType == RASTER_FONTTYPE && kDeviceFontType == DEVICE_FONTTYPE &&
                  kTrueTypeFontType == TRUETYPE_FONTTYPE,
              "font type bits as the system reports them");

namespace {

const wchar_t kSelfProp[] = L"Zentar.FontCombo";
const UINT_PTR kPreviewTimer = 1;
const UINT kPreviewPeriod = 500;
const int kPreviewGap = 5;  // 96-DPI pixels

// The combo box items as the recent group sees them.
class ComboItems : public FaceListItems {
public:
    explicit ComboItems(HWND combo) : combo_(combo) {}
    int count() const override { return static_cast<int>(SendMessageW(combo_, CB_GETCOUNT, 0, 0)); }
    std::string text(int index) const override {
        const LRESULT length = SendMessageW(combo_, CB_GETLBTEXTLEN, index, 0);
        if (length == CB_ERR)
            return std::string();
        std::vector<wchar_t> buffer(length + 1);
        SendMessageW(combo_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
        std::string name;  // only faces GBK can name are listed
        win::gbkFromWide(std::wstring(buffer.data()), name);
        return name;
    }
    bool recent(int index) const override {
        return SendMessageW(combo_, CB_GETITEMDATA, index, 0) == 1;
    }
    void insertRecent(const std::string& name) override {
        const std::wstring wide = win::wideFromGbk(name);
        const LRESULT at = SendMessageW(combo_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
        if (at >= 0)
            SendMessageW(combo_, CB_SETITEMDATA, at, 1);
    }
    void remove(int index) override { SendMessageW(combo_, CB_DELETESTRING, index, 0); }
    void select(int index) override { SendMessageW(combo_, CB_SETCURSEL, index, 0); }

private:
    HWND combo_;
};

bool collatesBefore(const std::string& a, const std::string& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, 0, win::wideFromGbk(a).c_str(), -1,
                          win::wideFromGbk(b).c_str(), -1) == CSTR_LESS_THAN;
}

// The settings keep the face name in GBK: a face GBK cannot name is left out.
void addFace(const LOGFONTW* lf, int marks, LPARAM self) {
    std::string name;
    if (win::gbkFromWide(std::wstring(lf->lfFaceName), name))
        reinterpret_cast<CFontCombo*>(self)->AddFace(name.c_str(), marks);
}

int CALLBACK screenFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM self) {
    int marks = 0;
    if (acceptScreenFace(type, marks))
        addFace(lf, marks, self);
    return 1;
}

int CALLBACK printerFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD type, LPARAM self) {
    int marks = 0;
    if (acceptPrinterFace(type, marks))
        addFace(lf, marks, self);
    return 1;
}

// The default printer's DC, or null when there is none.
HDC defaultPrinterDC() {
    wchar_t device[512] = {};
    GetProfileStringW(L"windows", L"device", L"", device, 512);
    std::wstring name(device);
    name = name.substr(0, name.find(L','));  // "name,driver,port"
    if (name.empty())
        return nullptr;
    return CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr);
}

}  // namespace

CFontCombo::~CFontCombo() {
    if (hwnd_ && IsWindow(hwnd_))
        OnDestroy();
}

bool CFontCombo::Attach(HWND combo) {
    if (!combo || hwnd_)
        return false;
    hwnd_ = combo;
    SetPropW(combo, kSelfProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(combo, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    return oldProc_ != nullptr;
}

void CFontCombo::FillFaces() {
    preview.Create();
    EnumerateFaces();
    // Inserted, not added: the sorted style would order them by its own,
    // case-blind rule instead of the locale's collation.
    HDC dc = GetDC(hwnd_);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    int widest = 0;
    for (const std::string& name : faces.ordered(collatesBefore)) {
        const std::wstring wide = win::wideFromGbk(name);
        const LRESULT at = SendMessageW(hwnd_, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(wide.c_str()));
        if (at >= 0)
            SendMessageW(hwnd_, CB_SETITEMDATA, at, 0);
        SIZE extent = {0, 0};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
        widest = extent.cx > widest ? extent.cx : widest;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(hwnd_, dc);
    // The box is narrow; the open list widens so that no face name is cut off.
    RECT box;
    GetWindowRect(hwnd_, &box);
    const int listWidth = widest + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
    if (listWidth > box.right - box.left)
        SendMessageW(hwnd_, CB_SETDROPPEDWIDTH, listWidth, 0);
    SetTimer(hwnd_, kPreviewTimer, kPreviewPeriod, nullptr);
}

bool CFontCombo::EnumerateFaces() {
    LOGFONTW all = {};  // empty face, ANSI character set: every family once
    HDC screen = GetDC(nullptr);
    const int found = EnumFontFamiliesExW(screen, &all, screenFace, reinterpret_cast<LPARAM>(this), 0);
    ReleaseDC(nullptr, screen);
    if (!found)
        return false;

    HDC printer = defaultPrinterDC();
    if (!printer)
        return true;
    const int printed = EnumFontFamiliesExW(printer, &all, printerFace, reinterpret_cast<LPARAM>(this), 0);
    DeleteDC(printer);
    return printed != 0;
}

void CFontCombo::AddFace(const char* name, int marks) {
    if (name && *name)
        faces.add(name, marks);
}

void CFontCombo::UpdateRecentGroup(const std::string& name) {
    ComboItems items(hwnd_);
    updateRecentGroup(faces, items, name);
}

std::string CFontCombo::ItemText(int index) const { return ComboItems(hwnd_).text(index); }

void CFontCombo::RestoreInvalidText() {
    if (SendMessageW(hwnd_, CB_GETCURSEL, 0, 0) != CB_ERR)
        return;
    const std::wstring text = win::windowText(hwnd_);
    if (SendMessageW(hwnd_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(text.c_str())) == CB_ERR)
        win::setWindowText(hwnd_, focusText.c_str());
}

bool CFontCombo::OnNotify(int code) {
    switch (code) {
    case CBN_SETFOCUS: {
        // Typed text GBK cannot hold names no face; it is put back like any other.
        bool lost = false;
        focusText = win::gbkFromWideLossy(win::windowText(hwnd_), lost);
        return true;
    }
    case CBN_KILLFOCUS:
        RestoreInvalidText();
        return true;
    case CBN_CLOSEUP: {
        RestoreInvalidText();
        const LRESULT selected = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
        UpdateRecentGroup(selected == CB_ERR ? std::string() : ItemText(static_cast<int>(selected)));
        preview.Hide();
        return true;
    }
    }
    return false;
}

void CFontCombo::OnTimer() {
    if (!SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0))
        return;
    const LRESULT selected = SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return;
    RECT dropped;
    SendMessageW(hwnd_, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const int rowHeight = static_cast<int>(SendMessageW(hwnd_, CB_GETITEMHEIGHT, 0, 0));
    const int top = static_cast<int>(SendMessageW(hwnd_, CB_GETTOPINDEX, 0, 0));
    int x = dropped.right;
    int y = dropped.top + rowHeight * (static_cast<int>(selected) - top + 1);
    // Measured on the open list itself: it may be wider than the box, and its
    // rows need not start one row below the box's top.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd_, &info) && info.hwndList) {
        RECT list;
        GetWindowRect(info.hwndList, &list);
        POINT origin = {0, 0};
        ClientToScreen(info.hwndList, &origin);
        x = list.right > x ? list.right : x;
        y = origin.y + rowHeight * (static_cast<int>(selected) - top);
    }
    preview.ShowPreview(x + win::scaled(kPreviewGap), y, ItemText(static_cast<int>(selected)).c_str());
}

void CFontCombo::OnDestroy() {
    KillTimer(hwnd_, kPreviewTimer);
    if (preview.hwnd())
        DestroyWindow(preview.hwnd());
    if (oldProc_)
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
    RemovePropW(hwnd_, kSelfProp);
    hwnd_ = nullptr;
}

LRESULT CALLBACK CFontCombo::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<CFontCombo*>(GetPropW(hwnd, kSelfProp));
    if (!self)
        return DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC next = self->oldProc_;
    if (msg == WM_TIMER && wp == kPreviewTimer)
        self->OnTimer();
    else if (msg == WM_DESTROY)
        self->OnDestroy();
    return CallWindowProcW(next, hwnd, msg, wp, lp);
}
