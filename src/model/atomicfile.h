// Whole-file replacement: the new bytes go to a temporary file in the same
// folder, are flushed, and then take the old file's place, so a crash at any
// moment leaves either the old or the new complete file. (On Windows a kill
// between the two renames of ReplaceFileA leaves the old file under its
// backup name, and the next start puts it back.)
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
// before it counts as unreadable. With fileSize, also tells the file's whole
// length as the system gives it when opened (0 when it cannot say).
ReadResult readFileBytes(const std::string& path, std::string& bytes, size_t maxBytes = SIZE_MAX,
                         uint64_t* fileSize = nullptr);
// The same, when only success matters.
inline bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = SIZE_MAX,
                          uint64_t* fileSize = nullptr) {
    return readFileBytes(path, bytes, maxBytes, fileSize) == ReadResult::Read;
}

// What became of one file a save was to write. ReadOnly covers a write-protected
// medium too; Skipped is the caller's own choice not to write it.
enum class SaveKind { Written, Skipped, ReadOnly, AccessDenied, DiskFull, Other };
struct FileSave {
    SaveKind kind = SaveKind::Written;
    uint32_t error = 0;  // the system's error number behind a failure (errno, GetLastError)
    bool failed() const { return kind != SaveKind::Written && kind != SaveKind::Skipped; }
};

// Puts bytes in the file's place, keeping its attributes. A read-only file
// fails at once and is left as it is; a file another program holds is tried
// again for up to two seconds. No temporary is left behind either way. Should
// a replacement stop halfway and the old file fail to go back, it stays under
// its backup name for the next start. With outcome, also says why it failed.
bool replaceFileAtomically(const std::string& path, const std::string& bytes, FileSave* outcome = nullptr);

// Tidies up after saves of this file that a kill cut short: deletes their
// temporaries and, on Windows, puts the old file back where a kill came
// between its two renames. Only for a single running instance, before a load.
// False while the old file still waits under its backup name (another program
// holds it): then the file must not be written this run, or the backup is lost.
bool removeStaleTemporaries(const std::string& path);
