// Where the program keeps its files: the folder the executable lives in.
#pragma once

#include <string>

struct ProgramPaths {
    std::string directory;         // ends with a backslash, or empty
    std::string dataFilePath;      // db.dat
    std::string memoFilePath;      // note.txt
    std::string timeSyncPath;      // Tavrel.exe
    char defaultSoundPath[264];    // notify.mp3; empty when the folder is too long for it
};

// Everything up to and including the last backslash of the module's path.
std::string programDirectoryOf(const std::string& modulePath);

ProgramPaths buildProgramPaths(const std::string& directory);
