// Small Win32 helpers several windows share.
#pragma once

#include <windows.h>

#include <string>

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

// The open (or, with save, the save) file dialog over a filter of GBK
// "name\0pattern\0" pairs ending in "\0\0"; false when nothing was chosen.
bool chooseFile(HWND owner, bool save, const std::string& filter, DWORD flags, std::wstring& path);
// The short 8.3 form of an existing path; empty when it has none.
std::wstring shortPathOf(const std::wstring& path);
// The path as GBK, to be stored in a record: the short 8.3 name when GBK
// cannot hold the long one. When neither fits, says so and returns false.
bool storablePath(HWND owner, const std::wstring& path, std::string& gbk);
// Both: an existing file chosen to be stored.
bool chooseStoredFile(HWND owner, const std::string& filter, DWORD flags, std::string& gbk);

// Centres a window on the whole screen, size unchanged.
void centreOnScreen(HWND hwnd);
// A child window's rectangle in its parent's client coordinates.
RECT childRect(HWND child);

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

// Whether a file (not a folder) of that GBK name exists; relative names are
// resolved against the current folder, the program's.
bool isFile(const char* path);

}  // namespace win
