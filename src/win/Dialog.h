// The dialog layer: a dialog from a resource template, modal or modeless,
// with messages dispatched to virtual handlers and validated data exchange.
#pragma once

#include <windows.h>

#include <cstddef>

namespace win {

class Dialog {
public:
    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog in a message loop of its own until EndDialog; the owner
    // is disabled meanwhile. Without an owner the dialog belongs to
    // defaultOwner() (win/util.h), and the main window is disabled as well.
    // Returns the EndDialog result, or -1 on failure.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless; it lives until DestroyWindow.
    bool Create(HWND owner = nullptr);

    void EndDialog(INT_PTR result);
    HWND hwnd() const { return hwnd_; }
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Returns true when the command was handled.
    virtual bool OnCommand(int id, int code, HWND control);
    // Every other message; set handled to stop default processing.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled);
    // Called for each queued message bound for this dialog or its controls
    // before translation; return true to swallow it.
    virtual bool PreTranslateMessage(MSG& msg);
    // The window is gone; a modeless dialog may delete itself here.
    virtual void OnFinalDestroy() {}

    // Data exchange. Each reads a control, and on bad input shows the
    // standard message, puts the focus on the control and returns false, so
    // that the caller keeps the dialog open.
    bool ReadInt(int id, int minValue, int maxValue, int& value);
    bool ReadText(int id, char* buffer, size_t bufferSize, size_t maxLength);
    // A combo box's typed text, cut to the buffer as the box itself would
    // cut it; only text GBK cannot hold is refused.
    bool ReadComboText(int id, char* buffer, size_t bufferSize);
    void WriteInt(int id, int value);
    void WriteText(int id, const char* text);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    friend bool PumpMessage(MSG& msg);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

// Routes one message through the owning dialog's PreTranslateMessage and
// keyboard navigation, then dispatches it. Used by every modal loop.
bool PumpMessage(MSG& msg);

}  // namespace win
