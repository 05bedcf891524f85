#include "model/atomicfile.h"

#include <windows.h>

#include <cstdio>

#include "win/wide.h"

namespace {

volatile LONG tempSerial = 0;

bool writeAll(HANDLE h, const char* p, size_t n) {
    while (n > 0) {
        DWORD part = n > 0x10000000 ? 0x10000000 : static_cast<DWORD>(n);
        DWORD written = 0;
        if (!WriteFile(h, p, part, &written, nullptr) || written == 0) return false;
        p += written;
        n -= written;
    }
    return true;
}

// A fresh temporary beside the target. The pid and a serial keep two saves of
// the same file apart; CREATE_NEW makes sure a stray file of that name is
// never overwritten.
HANDLE createTemp(const std::string& path, std::string& tempPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[40];
        std::snprintf(suffix, sizeof suffix, ".~tmp%lx-%lx",
                      static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(InterlockedIncrement(&tempSerial)));
        tempPath = path + suffix;
        HANDLE h = CreateFileW(win::widePath(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

// Another program holding the file (a scanner, a backup) makes these
// errors for a moment; everything else will not pass by waiting.
bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

const DWORD kRetryMilliseconds = 50;
const int kReadAttempts = 100;    // five seconds
const int kReplaceAttempts = 40;  // two seconds

const DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

ReadResult readFileBytes(const std::string& path, std::string& bytes, size_t maxBytes,
                         uint64_t* fileSize) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 1;; ++attempt) {
        h = CreateFileW(win::widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            break;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return ReadResult::Missing;
        if (!heldByAnother(error) || attempt == kReadAttempts)
            return ReadResult::Unreadable;
        Sleep(kRetryMilliseconds);
    }

    LARGE_INTEGER size;
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        unsigned long long hint = static_cast<unsigned long long>(size.QuadPart);
        bytes.reserve(hint < maxBytes ? static_cast<size_t>(hint) : maxBytes);
        if (fileSize) *fileSize = hint;
    }
    // Read to the end rather than trusting the size: the file may change under us.
    char chunk[65536];
    bool ok = true;
    int lockedReads = 0;
    while (bytes.size() < maxBytes) {
        size_t want = maxBytes - bytes.size();
        if (want > sizeof chunk) want = sizeof chunk;
        DWORD got = 0;
        if (!ReadFile(h, chunk, static_cast<DWORD>(want), &got, nullptr)) {
            // A range locked by another program: wait for it like for the open.
            if (heldByAnother(GetLastError()) && ++lockedReads < kReadAttempts) {
                Sleep(kRetryMilliseconds);
                continue;
            }
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(h);
    if (!ok) bytes.clear();
    return ok ? ReadResult::Read : ReadResult::Unreadable;
}

namespace {

// The old file's name while ReplaceFileA swaps in the new one. ".~" marks the
// program's own files beside a data file; the start-up clean-up knows this name.
std::string backupPathOf(const std::string& path) {
    return path + ".~bak";
}

// Leaves no backup beside the target. A backup holds the old file when the
// target is gone (a kill between ReplaceFileA's two renames) or when
// ReplaceFileA says it moved the target there and stopped; it goes back then.
// Any other backup is a copy nobody needs. False while a needed backup stays.
bool settleBackup(const std::string& path, const std::string& backup, bool holdsTarget) {
    if (GetFileAttributesW(win::widePath(backup).c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    if (!holdsTarget && GetFileAttributesW(win::widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileW(win::widePath(backup).c_str());
        return true;
    }
    return MoveFileExW(win::widePath(backup).c_str(), win::widePath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// Failures that another program causes for a moment. ReplaceFileA's own
// codes say which of its steps a file held elsewhere stopped; the access
// denied of a rename over an open file passes too (read-only is checked first).
bool mayPassLater(DWORD error) {
    return heldByAnother(error) || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
           error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
}

// What the user is told of a failed write; a write-protected medium counts
// as a read-only file.
FileSave failure(DWORD error) {
    const uint32_t code = static_cast<uint32_t>(error);
    switch (error) {
    case ERROR_FILE_READ_ONLY:
    case ERROR_WRITE_PROTECT:
        return {SaveKind::ReadOnly, code};
    case ERROR_ACCESS_DENIED:
        return {SaveKind::AccessDenied, code};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {SaveKind::DiskFull, code};
    default:
        return {SaveKind::Other, code};
    }
}

}  // namespace

bool replaceFileAtomically(const std::string& path, const std::string& bytes, FileSave* outcome) {
    FileSave unused;
    FileSave& result = outcome ? *outcome : unused;
    result = FileSave();
    std::string tempPath;
    HANDLE h = createTemp(path, tempPath);
    if (h == INVALID_HANDLE_VALUE) {
        result = failure(GetLastError());
        return false;
    }

    bool ok = writeAll(h, bytes.data(), bytes.size()) && FlushFileBuffers(h);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(h) && ok) {
        ok = false;
        error = GetLastError();
    }
    const std::string backup = backupPathOf(path);
    for (int attempt = 1; ok; ++attempt) {
        const DWORD attributes = GetFileAttributesW(win::widePath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // Nothing to keep: one rename puts the first version in place.
            if (MoveFileExW(win::widePath(tempPath).c_str(), win::widePath(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
                break;
            error = GetLastError();
        } else {
            // Read-only stays read-only however long we wait, and a folder is
            // no data file: ReplaceFileA would move either aside all the same.
            if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
                ok = false;
                error = (attributes & FILE_ATTRIBUTE_READONLY) ? ERROR_FILE_READ_ONLY : ERROR_ACCESS_DENIED;
                break;
            }
            // ReplaceFileA keeps the old file's security; Wine's does not keep
            // its attributes, so the new file takes them first.
            const DWORD kept = attributes & kKeptAttributes;
            SetFileAttributesW(win::widePath(tempPath).c_str(), kept ? kept : FILE_ATTRIBUTE_NORMAL);
            // With a backup name of our own, the old file is never deleted
            // before the new one is in place, and never under a name we cannot find.
            if (ReplaceFileW(win::widePath(path).c_str(), win::widePath(tempPath).c_str(), win::widePath(backup).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                             nullptr, nullptr)) {
                DeleteFileW(win::widePath(backup).c_str());
                break;
            }
            error = GetLastError();
            // A backup that could not go back is the only old file: trying again
            // would replace it, so it stays for the next start to put back.
            if (!settleBackup(path, backup, error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)) {
                ok = false;
                break;
            }
        }
        if (!mayPassLater(error) || attempt == kReplaceAttempts)
            ok = false;
        else
            Sleep(kRetryMilliseconds);
    }
    if (!ok) {
        DeleteFileW(win::widePath(tempPath).c_str());
        result = failure(error);
    }
    return ok;
}

bool removeStaleTemporaries(const std::string& path) {
    const bool settled = settleBackup(path, backupPathOf(path), false);
    const std::wstring widePath = win::widePath(path);
    const std::wstring folder = widePath.substr(0, widePath.find_last_of(L'\\') + 1);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((widePath + L".~tmp*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return settled;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return settled;
}
