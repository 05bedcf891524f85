#include "clock/AboutDlg.h"

#include "res/resource.h"
#include "win/util.h"

CAboutDlg::CAboutDlg() : win::Dialog(IDD_ABOUT) {}

BOOL CAboutDlg::OnInitDialog() {
    win::centreOnScreen(hwnd());
    return TRUE;
}
