// Whole-file replacement: the new bytes go to a temporary file in the same
// folder, are flushed, and then take the old file's place in one step, so a
// crash at any moment leaves either the old or the new complete file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class ReadResult {
    Read,        // bytes holds the file's start
    Missing,     // there is no such file (or no such folder)
    Unreadable,  // the file is there but could not be read
};

// Reads at most maxBytes from the start of the file. A file that another
// program holds open without sharing is tried again for up to five seconds
// before it counts as unreadable.
ReadResult readFileBytes(const std::string& path, std::string& bytes, size_t maxBytes = SIZE_MAX);
// The same, when only success matters.
inline bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = SIZE_MAX) {
    return readFileBytes(path, bytes, maxBytes) == ReadResult::Read;
}

// Puts bytes in the file's place, keeping its attributes. A read-only file
// fails at once and is left as it is; a file another program holds is tried
// again for up to two seconds. No temporary is left behind either way.
bool replaceFileAtomically(const std::string& path, const std::string& bytes);

// Deletes the temporaries that saves of this file left behind when the
// program was killed mid-save. Only for a single running instance.
void removeStaleTemporaries(const std::string& path);
