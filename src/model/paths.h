// Where the program keeps its files: the folder the executable lives in.
#pragma once

#include <string>

struct ProgramPaths {
    std::string directory;         // ends with a backslash, or empty
    std::string dataFilePath;      // db.dat
    std::string memoFilePath;      // note.txt
    std::string timeSyncPath;      // Tavrel.exe
    std::string holidaysFolder;    // holidays\ (the official schedule's JSON files), backslash included
    std::string holidaysFilePath;  // holidays.txt (the user's own days off and workdays)
    char defaultSoundPath[264];    // notify.mp3, GBK; empty when the folder is too long for it
};

// directory names the folder for the file functions (UTF-8 on Windows);
// storedDirectory is the same folder in GBK for the default sound that new
// alarms store, empty when GBK cannot name it: they then store the bare file
// name, found through the current folder, which is the program's own.
ProgramPaths buildProgramPaths(const std::string& directory, const std::string& storedDirectory);
// For a folder whose name means the same in both (ASCII, or GBK in tests).
inline ProgramPaths buildProgramPaths(const std::string& directory) {
    return buildProgramPaths(directory, directory);
}
