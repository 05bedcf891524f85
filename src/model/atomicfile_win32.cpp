#include "model/atomicfile.h"

#include <windows.h>

#include <cstdio>

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
        HANDLE h = CreateFileA(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes,
                   uint64_t* fileSize) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;

    LARGE_INTEGER size;
    if (GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        unsigned long long hint = static_cast<unsigned long long>(size.QuadPart);
        bytes.reserve(hint < maxBytes ? static_cast<size_t>(hint) : maxBytes);
        if (fileSize) *fileSize = hint;
    }
    // Read to the end rather than trusting the size: the file may change under us.
    char chunk[65536];
    bool ok = true;
    while (bytes.size() < maxBytes) {
        size_t want = maxBytes - bytes.size();
        if (want > sizeof chunk) want = sizeof chunk;
        DWORD got = 0;
        if (!ReadFile(h, chunk, static_cast<DWORD>(want), &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    CloseHandle(h);
    if (!ok) bytes.clear();
    return ok;
}

bool replaceFileAtomically(const std::string& path, const std::string& bytes) {
    std::string tempPath;
    HANDLE h = createTemp(path, tempPath);
    if (h == INVALID_HANDLE_VALUE) return false;

    bool ok = writeAll(h, bytes.data(), bytes.size()) && FlushFileBuffers(h);
    if (!CloseHandle(h)) ok = false;
    // Another program reading the file (a scanner, a backup) makes the
    // replacement fail for a moment; try again briefly before giving up.
    for (int attempt = 0; ok && attempt < 40; ++attempt) {
        if (MoveFileExA(tempPath.c_str(), path.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            break;
        const DWORD error = GetLastError();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || attempt == 39)
            ok = false;
        else
            Sleep(50);
    }
    if (!ok) DeleteFileA(tempPath.c_str());
    return ok;
}

void removeStaleTemporaries(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((path + ".~tmp*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
}
