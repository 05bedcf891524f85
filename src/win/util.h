// Small Win32 helpers several windows share.
#pragma once

#include <windows.h>

namespace win {

// The program's message box: OK button, program caption.
int messageBox(HWND owner, const char* text, UINT type = MB_OK);

// Centres a window on the whole screen, size unchanged.
void centreOnScreen(HWND hwnd);

}  // namespace win

#include "model/localtime.h"

namespace win {

// The local time now, in whole seconds.
LocalTime localNow();

}  // namespace win
