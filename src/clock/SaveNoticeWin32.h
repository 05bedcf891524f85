// Saves that failed, as the user meets them: a box after a save an action
// caused, the question before exit.
#pragma once

#include <windows.h>

#include "clock/savenotice.h"
#include "model/datafiles.h"

class SaveNoticeWin32 {
public:
    // After a save an action in owner caused (null: the default owner): says
    // in a box owned by it which files failed anew.
    void afterSave(HWND owner, const DataFilesSave& save);
    // After a save nobody is there to see: the session ends, the clock goes.
    void afterQuietSave(const DataFilesSave& save) { notices_.afterSave(save, false); }
    // After the exit's own save: true to go on exiting, which a file left
    // unsaved asks first (Yes/No, No the default).
    bool mayExit(HWND owner, const DataFilesSave& save);

private:
    SaveNotices notices_;
};
