#include "win/Dialog.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "model/dialogtext.h"
#include "win/util.h"
#include "win/wide.h"

namespace win {

namespace {
const char kUnstorableText[] = "文字中含有无法保存的字符。";

// Set while CreateDialogParam runs, so that messages arriving before
// WM_INITDIALOG (WM_SETFONT) already reach their object.
Dialog* creating = nullptr;

// The live dialogs by window, kept in the process: a window property would
// cost a trip to the (Wine) server for every message the loops pump, five
// times a second for the clock's timer alone.
std::vector<std::pair<HWND, Dialog*>>& liveDialogs() {
    static std::vector<std::pair<HWND, Dialog*>> dialogs;
    return dialogs;
}

Dialog* dialogOf(HWND hwnd) {
    for (const auto& d : liveDialogs())
        if (d.first == hwnd)
            return d.second;
    return nullptr;
}

void forget(HWND hwnd) {
    auto& dialogs = liveDialogs();
    for (size_t i = 0; i < dialogs.size(); ++i)
        if (dialogs[i].first == hwnd) {
            dialogs.erase(dialogs.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}
}  // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (hwnd_ && IsWindow(hwnd_)) {
        forget(hwnd_);
        DestroyWindow(hwnd_);
    }
}

bool Dialog::Create(HWND owner) {
    creating = this;
    // Created wide, so that every control holds Unicode whatever the system's code page.
    HWND h = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    creating = nullptr;
    return h != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    HWND main = nullptr;
    if (owner) {
        owner = GetAncestor(owner, GA_ROOT);
    } else {
        owner = defaultOwner();
        main = mainWindow();
    }
    if (!Create(owner)) {
        modal_ = false;
        return -1;
    }
    // Only what was enabled is disabled, and only that is enabled again: an
    // outer modal loop keeps what it disabled itself.
    HWND disabled[2] = {};
    int disabledCount = 0;
    const HWND candidates[2] = {main, owner != main ? owner : nullptr};
    for (HWND h : candidates) {
        if (h && h != hwnd_ && IsWindowEnabled(h)) {
            EnableWindow(h, FALSE);
            disabled[disabledCount++] = h;
        }
    }
    // Like DialogBox: a modal dialog shows itself whatever its template says.
    if (hwnd_ && !ended_ && !IsWindowVisible(hwnd_))
        ShowWindow(hwnd_, SW_SHOW);

    MSG msg;
    while (!ended_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: leave this loop and let the outer one see it
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        PumpMessage(msg);
    }

    // Re-enable before the dialog goes, so that activation returns to its owner.
    while (disabledCount > 0)
        EnableWindow(disabled[--disabledCount], TRUE);
    if (hwnd_) {
        HWND h = hwnd_;
        DestroyWindow(h);
    }
    modal_ = false;
    return result_;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ended_ = true;
    if (!modal_ && hwnd_)
        DestroyWindow(hwnd_);
    else if (hwnd_)
        PostMessageW(hwnd_, WM_NULL, 0, 0);  // wake the modal loop
}

bool Dialog::OnCommand(int id, int, HWND) {
    switch (id) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    }
    return false;
}

INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM, bool&) { return 0; }

bool Dialog::PreTranslateMessage(MSG&) { return false; }

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self = dialogOf(hwnd);
    if (!self && msg == WM_INITDIALOG)
        self = reinterpret_cast<Dialog*>(lp);
    if (!self && creating)
        self = creating;
    if (!self)
        return FALSE;
    if (!self->hwnd_) {
        self->hwnd_ = hwnd;
        liveDialogs().emplace_back(hwnd, self);
    }

    switch (msg) {
    case WM_INITDIALOG:
        return self->OnInitDialog();
    case WM_COMMAND:
        if (self->OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp))) {
            SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        break;
    case WM_NCDESTROY: {
        bool handled = false;
        self->OnMessage(msg, wp, lp, handled);
        forget(hwnd);
        self->hwnd_ = nullptr;
        self->ended_ = true;
        self->OnFinalDestroy();
        return FALSE;
    }
    }

    bool handled = false;
    const INT_PTR result = self->OnMessage(msg, wp, lp, handled);
    if (!handled)
        return FALSE;
    // Messages whose answer is the dialog procedure's own return value.
    switch (msg) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return result;
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool PumpMessage(MSG& msg) {
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    Dialog* owner = root ? dialogOf(root) : nullptr;
    if (owner) {
        if (owner->PreTranslateMessage(msg))
            return true;
        if (IsDialogMessageW(root, &msg))
            return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

bool Dialog::ReadInt(int id, int minValue, int maxValue, int& value) {
    // Anything beyond ASCII is no digit anyway.
    bool lost = false;
    const std::string text = gbkFromWideLossy(windowText(item(id)), lost);
    switch (wholeInteger(text.c_str(), minValue, maxValue, value)) {
    case WholeInteger::Ok:
        return true;
    case WholeInteger::NotANumber:
        messageBox(hwnd_, "请输入一个整数。");
        break;
    case WholeInteger::OutOfRange: {
        char message[128];
        std::snprintf(message, sizeof message, "请输入一个介于 %d 和 %d 之间的整数。", minValue,
                      maxValue);
        messageBox(hwnd_, message);
        break;
    }
    }
    HWND control = item(id);
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    return false;
}

bool Dialog::ReadText(int id, char* buffer, size_t bufferSize, size_t maxLength) {
    HWND control = item(id);
    std::string text;
    char message[128];
    if (!gbkFromWide(windowText(control), text)) {
        messageBox(hwnd_, kUnstorableText);
    } else if (text.size() > maxLength || text.size() >= bufferSize) {
        std::snprintf(message, sizeof message, "请输入不超过 %u 个字符。",
                      static_cast<unsigned>(maxLength));
        messageBox(hwnd_, message);
    } else {
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }
    SetFocus(control);
    SendMessageW(control, EM_SETSEL, 0, -1);
    return false;
}

bool Dialog::ReadComboText(int id, char* buffer, size_t bufferSize) {
    HWND control = item(id);
    std::string text;
    if (gbkFromWide(windowText(control), text)) {
        storeText(buffer, bufferSize, text.c_str());
        return true;
    }
    messageBox(hwnd_, kUnstorableText);
    SetFocus(control);
    return false;
}

void Dialog::WriteInt(int id, int value) { SetDlgItemInt(hwnd_, id, value, TRUE); }

void Dialog::WriteText(int id, const char* text) { setWindowText(item(id), text); }

}  // namespace win
