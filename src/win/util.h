// Small Win32 helpers several windows share.
#pragma once

#include <windows.h>

namespace win {

// The application's main window, set by the clock once it exists. Dialogs
// and boxes opened without an owner belong to it, so that it takes no input
// while they are up.
void setMainWindow(HWND hwnd);
HWND mainWindow();
// Who owns a box or modal dialog opened without an owner: the main window's
// last active popup (a dialog open on top of it), else the main window itself;
// null before the main window exists.
HWND defaultOwner();

// The program's message box: OK button, program caption. Without an owner it
// takes defaultOwner().
int messageBox(HWND owner, const char* text, UINT type = MB_OK);

// Centres a window on the whole screen, size unchanged.
void centreOnScreen(HWND hwnd);

// The screen's DPI, read once: the program is system-DPI aware, so it stays
// the same for the whole run.
int screenDpi();
// A pixel size given for 96 DPI, at the screen's DPI.
int scaled(int pixels);

// The width for a column of a report list: width (96-DPI pixels) at the
// screen's DPI, or more when the heading needs more to show whole in the
// list's font. A width of 0 keeps the column closed.
int listColumnWidth(HWND list, const char* heading, int width);

}  // namespace win

#include "model/localtime.h"

namespace win {

// The local time now, in whole seconds.
LocalTime localNow();

// Whether a file (not a folder) of that name exists; relative names are
// resolved against the current folder, the program's.
bool isFile(const char* path);

}  // namespace win
