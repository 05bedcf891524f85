// The options dialog: every setting of ClockSettings, the Run-key autostart
// and the daylight-saving status of the automatic alarm.
#pragma once

#include <functional>
#include <string>

#include "model/records.h"
#include "options/FontCombo.h"
#include "win/Dialog.h"

class COptionsDlg : public win::Dialog {
public:
    // Edits settings in place on OK (the colour swatches write at once).
    // programPath is the full path written into the Run key.
    COptionsDlg(ClockSettings& settings, const std::wstring& programPath);

    // Called on OK once the settings hold what was entered, before the dialog closes.
    std::function<void()> onAccepted;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void ApplyTransparencyRule();
    void OnBrowse();
    void OnPaint();
    void OnLButtonDown(LPARAM lp);
    bool PickColour(int swatchId, POINT screenPoint, uint32_t& colour);
    void UpdateRunKey();

    ClockSettings& settings_;
    std::wstring programPath_;
    CFontCombo fontCombo_;
};
