#include "memo/MemoDlg.h"

#include <richedit.h>

#include <vector>

#include "res/resource.h"
#include "win/util.h"

namespace {
// WM_SYSCOMMAND value that starts the system's move loop as if the caption
// had been grabbed.
const WPARAM kDragMove = 0xF011;
// More characters than any note.txt the program can hold in memory.
const LPARAM kMemoTextLimit = 0x7FFFFFFF;
}  // namespace

void CMemoEdit::OnKillFocus() {
    // Back to display mode without an enable notification.
    SetWindowLongA(hwnd, GWL_STYLE, GetWindowLongA(hwnd, GWL_STYLE) | WS_DISABLED);
    SendMessageA(hwnd, EM_SETSEL, 0, 0);
    if (owner)
        owner->UpdateMemoText();
}

std::string CMemoEdit::GetText() const {
    // Asked in bytes of the ANSI code page, with CR LF line ends: what
    // note.txt holds.
    GETTEXTLENGTHEX lengthQuery = {GTL_USECRLF | GTL_PRECISE | GTL_NUMBYTES, CP_ACP};
    const LRESULT length = SendMessageA(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    GETTEXTEX query = {};
    query.cb = static_cast<DWORD>(buffer.size());
    query.flags = GT_USECRLF;
    query.codepage = CP_ACP;
    const LRESULT got = SendMessageA(hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0);
}

void CMemoEdit::SetText(const std::string& text) { SetWindowTextA(hwnd, text.c_str()); }

CMemoDlg::CMemoDlg(HWND parentWindow, std::string& memoText)
    : win::Dialog(IDD_MEMO), parentWindow_(parentWindow), memoText_(memoText) {}

BOOL CMemoDlg::OnInitDialog() {
    SetWindowTextA(hwnd(), "备忘录");
    SetWindowLongA(hwnd(), GWL_STYLE, GetWindowLongA(hwnd(), GWL_STYLE) & ~WS_CAPTION);
    memoEdit_.hwnd = item(IDC_MEMO_EDIT);
    memoEdit_.owner = this;
    win::centreOnScreen(hwnd());

    // Black text whatever the system's colours; the default format too, so
    // that text set later keeps it.
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(memoEdit_.hwnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    format.dwMask |= CFM_COLOR;
    format.dwEffects &= ~CFE_AUTOCOLOR;
    format.crTextColor = 0;
    SendMessageA(memoEdit_.hwnd, EM_SETSEL, 0, -1);
    SendMessageA(memoEdit_.hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageA(memoEdit_.hwnd, EM_SETSEL, 0, 0);
    SendMessageA(memoEdit_.hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageA(memoEdit_.hwnd, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_INFOBK));
    // A rich edit keeps 32,767 characters unless told otherwise and would cut
    // a longer note.txt short; set before the text.
    SendMessageA(memoEdit_.hwnd, EM_EXLIMITTEXT, 0, kMemoTextLimit);

    memoEdit_.SetText(memoText_);
    return FALSE;
}

void CMemoDlg::UpdateMemoText() {
    if (memoEdit_.hwnd)
        memoText_ = memoEdit_.GetText();
}

int CMemoDlg::AppendText(const char* text) {
    UpdateMemoText();
    if (!memoText_.empty())
        memoText_ += "\r\n";
    memoText_ += text;
    memoEdit_.SetText(memoText_);
    // The new line is the one to read: show the end, not the top.
    SendMessageA(memoEdit_.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    return 0;
}

void CMemoDlg::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

bool CMemoDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_MEMO_EDIT) {
        if (code == EN_KILLFOCUS)
            memoEdit_.OnKillFocus();
        else if (code == EN_CHANGE)
            UpdateMemoText();
        return true;
    }
    return win::Dialog::OnCommand(id, code, control);
}

INT_PTR CMemoDlg::OnMessage(UINT msg, WPARAM wp, LPARAM, bool&) {
    switch (msg) {
    case WM_MOUSEMOVE:
        // In display mode the whole note is a drag handle.
        if (wp & MK_LBUTTON)
            SendMessageA(hwnd(), WM_SYSCOMMAND, kDragMove, 0);
        break;
    case WM_LBUTTONDBLCLK:
        EnableWindow(memoEdit_.hwnd, TRUE);
        break;
    case WM_RBUTTONDBLCLK:
        OnCancel();
        break;
    case WM_SIZE:
        if (memoEdit_.hwnd) {
            RECT r;
            GetClientRect(hwnd(), &r);
            MoveWindow(memoEdit_.hwnd, 0, 0, r.right, r.bottom, TRUE);
        }
        break;
    case WM_DESTROY:
        // The memo goes before the clock's final save: keep what was typed.
        UpdateMemoText();
        memoEdit_.hwnd = nullptr;
        break;
    }
    return 0;
}
