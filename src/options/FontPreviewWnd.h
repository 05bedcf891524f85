// The small popup beside the font list that shows the highlighted face as a
// clock would show it.
#pragma once

#include <windows.h>

#include <string>

class CFontPreviewWnd {
public:
    CFontPreviewWnd() = default;
    ~CFontPreviewWnd();
    CFontPreviewWnd(const CFontPreviewWnd&) = delete;
    CFontPreviewWnd& operator=(const CFontPreviewWnd&) = delete;

    // Creates the hidden, empty window.
    bool Create();
    // Shows the sample in `face` with its top-left corner at the screen point
    // (x, y), sized to the sample.
    void ShowPreview(int x, int y, const char* face);
    void Hide();
    HWND hwnd() const { return hwnd_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnEraseBackground(HDC dc);
    void OnPaint();

    HWND hwnd_ = nullptr;
    HFONT previewFont_ = nullptr;
    std::string faceName_;
};
