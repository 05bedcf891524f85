// The application: one instance, then the clock window's modal run.
#pragma once

#include <windows.h>

class CClockApp {
public:
    // Always false: the program's life is the clock window's modal loop.
    bool InitInstance();
    int ExitInstance();

private:
    HANDLE instanceMutex_ = nullptr;
};
