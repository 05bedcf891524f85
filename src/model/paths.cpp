#include "model/paths.h"

#include <cstring>

ProgramPaths buildProgramPaths(const std::string& directory, const std::string& storedDirectory) {
    ProgramPaths paths;
    paths.directory = directory;
    paths.dataFilePath = directory + "db.dat";
    paths.memoFilePath = directory + "note.txt";
    paths.timeSyncPath = directory + "Tavrel.exe";
    paths.holidaysFolder = directory + "holidays\\";
    paths.holidaysFilePath = directory + "holidays.txt";

    // A folder too deep for the fixed buffer leaves the default sound unnamed:
    // a cut path could name some other file, and an empty one is never found.
    const std::string sound = storedDirectory + "notify.mp3";
    if (sound.size() < sizeof paths.defaultSoundPath)
        std::memcpy(paths.defaultSoundPath, sound.c_str(), sound.size() + 1);
    else
        paths.defaultSoundPath[0] = '\0';
    return paths;
}
