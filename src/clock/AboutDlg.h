// The About box: version and usage tips, centred on the screen.
#pragma once

#include "win/Dialog.h"

class CAboutDlg : public win::Dialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
};
