#include "app/paths.h"

#include <cstring>

std::string programDirectoryOf(const std::string& modulePath) {
    const size_t slash = modulePath.find_last_of('\\');
    if (slash == std::string::npos)
        return std::string();
    return modulePath.substr(0, slash + 1);
}

ProgramPaths buildProgramPaths(const std::string& directory) {
    ProgramPaths paths;
    paths.directory = directory;
    paths.dataFilePath = directory + "db.dat";
    paths.memoFilePath = directory + "note.txt";
    paths.timeSyncPath = directory + "Tavrel.exe";

    // A folder too deep for the fixed buffer leaves the default sound unnamed:
    // a cut path could name some other file, and an empty one is never found.
    const std::string sound = directory + "notify.mp3";
    if (sound.size() < sizeof paths.defaultSoundPath)
        std::memcpy(paths.defaultSoundPath, sound.c_str(), sound.size() + 1);
    else
        paths.defaultSoundPath[0] = '\0';
    return paths;
}
