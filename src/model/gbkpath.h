// Paths are GBK bytes, and the second byte of a double-byte character may be
// 0x5C, the backslash (運 is DF 5C): a separator is found character by
// character, never by searching the bytes.
#pragma once

#include <cstddef>
#include <string>

// Where the file name starts in the first `length` bytes of path: just past
// the last backslash that is a character of its own, or 0 when there is none.
size_t fileNameOffset(const char* path, size_t length);
inline size_t fileNameOffset(const std::string& path) { return fileNameOffset(path.data(), path.size()); }
