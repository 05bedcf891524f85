#include "options/FontPreviewWnd.h"

#include <cwchar>

#include "win/util.h"
#include "win/wide.h"

namespace {

const wchar_t kClassName[] = L"ZentarFontPreview";
const wchar_t kMeasured[] = L"12:00:00";
const wchar_t kSample[] = L"12:01:45";
// In 96-DPI pixels, scaled to the screen where used.
const int kSampleHeight = -18;
const int kMargin = 8;

bool registerClass() {
    static bool registered = false;
    if (registered)
        return true;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window once it has its object
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    registered = RegisterClassW(&wc) != 0;
    return registered;
}

}  // namespace

CFontPreviewWnd::~CFontPreviewWnd() {
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
    if (previewFont_)
        DeleteObject(previewFont_);
}

bool CFontPreviewWnd::Create() {
    if (hwnd_)
        return true;
    if (!registerClass())
        return false;
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_)
        return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
    return true;
}

void CFontPreviewWnd::ShowPreview(int x, int y, const char* face) {
    if (!hwnd_ || !face)
        return;
    const bool sameFace = previewFont_ && faceName_ == face;
    if (sameFace && IsWindowVisible(hwnd_)) {
        // Still follow the row when the list scrolls under the highlight.
        RECT r;
        GetWindowRect(hwnd_, &r);
        if (r.left == x && r.top == y)
            return;
    }
    if (!sameFace) {
        faceName_ = face;
        if (previewFont_)
            DeleteObject(previewFont_);
        LOGFONTW lf = {};
        lf.lfHeight = win::scaled(kSampleHeight);
        lstrcpynW(lf.lfFaceName, win::wideFromGbk(face).c_str(), LF_FACESIZE);
        previewFont_ = CreateFontIndirectW(&lf);
    }

    SIZE extent = {0, 0};
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, previewFont_);
    GetTextExtentPoint32W(dc, kMeasured, static_cast<int>(wcslen(kMeasured)), &extent);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);

    SetWindowPos(hwnd_, HWND_TOPMOST, x, y, extent.cx + win::scaled(kMargin), extent.cy + win::scaled(kMargin),
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CFontPreviewWnd::Hide() {
    if (hwnd_)
        ShowWindow(hwnd_, SW_HIDE);
}

void CFontPreviewWnd::OnEraseBackground(HDC dc) {
    RECT clip;
    GetClipBox(dc, &clip);
    HGDIOBJ old = SelectObject(dc, GetSysColorBrush(COLOR_INFOBK));
    PatBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, PATCOPY);
    SelectObject(dc, old);
}

void CFontPreviewWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    HGDIOBJ old = SelectObject(dc, previewFont_ ? previewFont_ : GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, kSample, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

LRESULT CALLBACK CFontPreviewWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CFontPreviewWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        switch (msg) {
        case WM_ERASEBKGND:
            self->OnEraseBackground(reinterpret_cast<HDC>(wp));
            return 1;
        case WM_PAINT:
            self->OnPaint();
            return 0;
        case WM_NCDESTROY:
            self->hwnd_ = nullptr;
            break;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}
