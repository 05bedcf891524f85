// The desktop memo: a floating note that shows memoText, edits it after a
// double-click and receives the texts of alarms as new lines.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win/Dialog.h"

class CMemoDlg;

// The memo's rich edit. Losing the focus ends editing.
class CMemoEdit {
public:
    HWND hwnd = nullptr;
    CMemoDlg* owner = nullptr;

    void OnKillFocus();
    // The text in GBK; lost tells whether something GBK lacks became "?".
    std::string GetText(bool& lost) const;
    void SetText(const std::string& text);
};

class CMemoDlg : public win::Dialog {
public:
    // memoText is the clock's shared memo text; the memo keeps it current.
    CMemoDlg(HWND parentWindow, std::string& memoText);

    bool Create() { return win::Dialog::Create(parentWindow_); }
    // Adds one line after whatever the memo holds, typed text included.
    int AppendText(const char* text);
    // Takes what the editor shows into memoText.
    void UpdateMemoText();
    // Says once that what GBK lacks was replaced, and shows the note as kept.
    void ReportLoss();

    // Called when editing ends with a text other than at the last end.
    std::function<void()> onEdited;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    CMemoEdit memoEdit_;
    HWND parentWindow_;
    std::string& memoText_;
    bool lossUnreported_ = false;
    std::string editedText_;  // the text when editing last ended
};
