#include "memo/MemoDlg.h"

#include <richedit.h>

#include <vector>

#include "res/resource.h"
#include "win/util.h"
#include "win/wide.h"

namespace {
// WM_SYSCOMMAND value that starts the system's move loop as if the caption
// had been grabbed.
const WPARAM kDragMove = 0xF011;
// More characters than any note.txt the program can hold in memory.
const LPARAM kMemoTextLimit = 0x7FFFFFFF;
const UINT kUtf16 = 1200;
const char kMemoLoss[] = "备忘录中含有无法保存的字符，已用“?”代替。";
}  // namespace

void CMemoEdit::OnKillFocus() {
    // Back to display mode without an enable notification.
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_DISABLED);
    SendMessageW(hwnd, EM_SETSEL, 0, 0);
    if (owner) {
        owner->UpdateMemoText();
        owner->ReportLoss();
    }
}

std::string CMemoEdit::GetText(bool& lost) const {
    // In UTF-16 with CR LF line ends, then GBK: what note.txt holds.
    lost = false;
    GETTEXTLENGTHEX lengthQuery = {GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, kUtf16};
    const LRESULT length = SendMessageW(hwnd, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0);
    if (length <= 0)
        return std::string();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    GETTEXTEX query = {};
    query.cb = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    query.flags = GT_USECRLF;
    query.codepage = kUtf16;
    const LRESULT got = SendMessageW(hwnd, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    return win::gbkFromWideLossy(std::wstring(buffer.data(), got > 0 ? static_cast<size_t>(got) : 0), lost);
}

void CMemoEdit::SetText(const std::string& text) {
    const std::wstring wide = win::wideFromGbk(text);
    SETTEXTEX how = {ST_DEFAULT, kUtf16};
    SendMessageW(hwnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(wide.c_str()));
}

CMemoDlg::CMemoDlg(HWND parentWindow, std::string& memoText)
    : win::Dialog(IDD_MEMO), parentWindow_(parentWindow), memoText_(memoText) {}

BOOL CMemoDlg::OnInitDialog() {
    win::setWindowText(hwnd(), "备忘录");
    SetWindowLongW(hwnd(), GWL_STYLE, GetWindowLongW(hwnd(), GWL_STYLE) & ~WS_CAPTION);
    memoEdit_.hwnd = item(IDC_MEMO_EDIT);
    memoEdit_.owner = this;
    win::centreOnScreen(hwnd());

    // Black text whatever the system's colours; the default format too, so
    // that text set later keeps it.
    CHARFORMAT2W format = {};
    format.cbSize = sizeof format;
    SendMessageW(memoEdit_.hwnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    format.dwMask |= CFM_COLOR;
    format.dwEffects &= ~CFE_AUTOCOLOR;
    format.crTextColor = 0;
    SendMessageW(memoEdit_.hwnd, EM_SETSEL, 0, -1);
    SendMessageW(memoEdit_.hwnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    SendMessageW(memoEdit_.hwnd, EM_SETSEL, 0, 0);
    SendMessageW(memoEdit_.hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SendMessageW(memoEdit_.hwnd, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_INFOBK));
    // A rich edit keeps 32,767 characters unless told otherwise and would cut
    // a longer note.txt short; set before the text.
    SendMessageW(memoEdit_.hwnd, EM_EXLIMITTEXT, 0, kMemoTextLimit);

    memoEdit_.SetText(memoText_);
    editedText_ = memoText_;
    return FALSE;
}

void CMemoDlg::UpdateMemoText() {
    if (!memoEdit_.hwnd)
        return;
    bool lost = false;
    memoText_ = memoEdit_.GetText(lost);
    lossUnreported_ = lossUnreported_ || lost;
}

void CMemoDlg::ReportLoss() {
    if (!lossUnreported_)
        return;
    lossUnreported_ = false;
    memoEdit_.SetText(memoText_);
    win::messageBox(hwnd(), kMemoLoss);
}

int CMemoDlg::AppendText(const char* text) {
    UpdateMemoText();
    if (!memoText_.empty())
        memoText_ += "\r\n";
    memoText_ += text;
    memoEdit_.SetText(memoText_);
    // The new line is the one to read: show the end, not the top.
    SendMessageW(memoEdit_.hwnd, WM_VSCROLL, SB_BOTTOM, 0);
    return 0;
}

void CMemoDlg::OnCancel() { ShowWindow(hwnd(), SW_HIDE); }

bool CMemoDlg::OnCommand(int id, int code, HWND control) {
    if (id == IDC_MEMO_EDIT) {
        if (code == EN_KILLFOCUS) {
            memoEdit_.OnKillFocus();
            if (memoText_ != editedText_ && memoEdit_.hwnd) {
                editedText_ = memoText_;
                if (onEdited)
                    onEdited();
            }
        } else if (code == EN_CHANGE)
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
            SendMessageW(hwnd(), WM_SYSCOMMAND, kDragMove, 0);
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
