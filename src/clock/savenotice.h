// When a save that failed is told to the user, and in which words.
#pragma once

#include <string>

#include "model/datafiles.h"

// Which files the box after a save names.
struct SaveTold {
    bool data = false;
    bool memo = false;
    bool any() const { return data || memo; }
};

// Each file on its own: a failure is told at its first save of the run, and
// again only when its cause changes or a save of that file succeeded in
// between. A skipped file (unreadable at start-up, announced then) is neither
// a failure nor a success.
class SaveNotices {
public:
    // Takes one save's result. Without tell (the session ends, the clock goes)
    // nothing is told, and a failure counts as not yet told.
    SaveTold afterSave(const DataFilesSave& save, bool tell = true);

private:
    struct File {
        bool told = false;  // the user knows why the file is failing now
        FileSave toldCause;
    };
    static bool take(File& file, const FileSave& save, bool tell);
    File data_, memo_;
};

// Why a file was not written, as the messages put it: "文件是只读的",
// "没有写入权限", "磁盘已满", else the system's own text without its line end
// and closing stop, else the error number. Empty for a file that did not fail.
std::string saveFailureReason(const FileSave& save, const std::string& systemText);

// The box after a save: one sentence for each file with a reason, db.dat
// first, a blank line between.
std::string saveFailureMessage(const std::string& dataReason, const std::string& memoReason);

// The question before exit while a file is not saved. Its parenthesis holds
// db.dat's reason alone when only db.dat failed, else "文件名：reason" for
// each file that failed, joined by "；".
std::string unsavedExitQuestion(const std::string& dataReason, const std::string& memoReason);
