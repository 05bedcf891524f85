// The font face picker of the options dialog: a drop-down combo box taken
// over from the dialog template, listing every face once in collation order
// below a group of recently chosen faces, with a live preview beside the
// highlighted row.
#pragma once

#include <windows.h>

#include <string>

#include "options/FontPreviewWnd.h"
#include "options/optionslogic.h"

class CFontCombo {
public:
    CFontCombo() = default;
    ~CFontCombo();
    CFontCombo(const CFontCombo&) = delete;
    CFontCombo& operator=(const CFontCombo&) = delete;

    // Takes over the combo box window; it stays ours until it is destroyed.
    bool Attach(HWND combo);
    // Creates the preview, lists the faces and starts the preview timer.
    void FillFaces();
    bool EnumerateFaces();
    void AddFace(const char* name, int marks);
    void UpdateRecentGroup(const std::string& name);
    // Puts back the text the box had on receiving the focus when the typed
    // text names no item and nothing is selected.
    void RestoreInvalidText();
    // The combo box notifications the dialog passes on; true when handled.
    bool OnNotify(int code);

    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnTimer();
    void OnDestroy();
    std::string ItemText(int index) const;

    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    CFontPreviewWnd preview;
    std::string focusText;
    FontFaceTable faces;
};
