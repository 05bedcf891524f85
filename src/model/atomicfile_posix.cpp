#include "model/atomicfile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <dirent.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> tempSerial{0};

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Opens a fresh temporary beside the target. The pid and a serial keep two
// saves of the same file, in this process or another, apart; O_EXCL makes
// sure a stray file of that name is never overwritten.
int createTemp(const std::string& path, std::string& tempPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".~tmp%ld-%u", static_cast<long>(::getpid()),
                      tempSerial.fetch_add(1));
        tempPath = path + suffix;
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// What the user is told of a failed write; a medium mounted read-only
// counts as a read-only file.
FileSave failure(int error) {
    switch (error) {
    case EROFS:
        return {SaveKind::ReadOnly, static_cast<uint32_t>(error)};
    case EACCES:
    case EPERM:
        return {SaveKind::AccessDenied, static_cast<uint32_t>(error)};
    case ENOSPC:
    case EDQUOT:
        return {SaveKind::DiskFull, static_cast<uint32_t>(error)};
    default:
        return {SaveKind::Other, static_cast<uint32_t>(error)};
    }
}

}  // namespace

ReadResult readFileBytes(const std::string& path, std::string& bytes, size_t maxBytes,
                         uint64_t* fileSize) {
    bytes.clear();
    if (fileSize) *fileSize = 0;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    // Nothing holds a file against readers here, so there is nothing to wait for.
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Unreadable;

    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
        size_t hint = static_cast<size_t>(st.st_size);
        bytes.reserve(hint < maxBytes ? hint : maxBytes);
        if (fileSize) *fileSize = static_cast<uint64_t>(st.st_size);
    }
    // Read to the end rather than trusting the size: the file may change under us.
    char chunk[65536];
    bool ok = true;
    while (bytes.size() < maxBytes) {
        size_t want = maxBytes - bytes.size();
        if (want > sizeof chunk) want = sizeof chunk;
        ssize_t r = ::read(fd, chunk, want);
        if (r < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (r == 0) break;
        bytes.append(chunk, static_cast<size_t>(r));
    }
    ::close(fd);
    if (!ok) bytes.clear();
    return ok ? ReadResult::Read : ReadResult::Unreadable;
}

bool replaceFileAtomically(const std::string& path, const std::string& bytes, FileSave* outcome) {
    FileSave unused;
    FileSave& result = outcome ? *outcome : unused;
    result = FileSave();
    // A file nobody may write is read-only, as on Windows: a rename would
    // replace it all the same, so it is refused here.
    struct stat old;
    const bool exists = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    if (exists && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        result = {SaveKind::ReadOnly, EACCES};
        return false;
    }

    std::string tempPath;
    int fd = createTemp(path, tempPath);
    if (fd < 0) {
        result = failure(errno);
        return false;
    }

    // Keep the old file's permissions rather than falling back to the umask.
    if (exists) ::fchmod(fd, old.st_mode & 07777);

    bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(tempPath.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        result = failure(error);
        return false;
    }

    // The new file is in place once rename returns; syncing the folder only
    // makes that survive a power cut, so its failure does not undo the save.
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool removeStaleTemporaries(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".~tmp";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return true;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(dir);
    // A rename replaces in one step: no old file is ever left aside.
    return true;
}
