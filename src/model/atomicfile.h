// Whole-file replacement: the new bytes go to a temporary file in the same
// folder, are flushed, and then take the old file's place in one step, so a
// crash at any moment leaves either the old or the new complete file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Reads at most maxBytes from the start of the file; false when it cannot be
// opened or read. With fileSize, also tells the file's whole length as the
// system gives it when opened (0 when it cannot say), read or not.
bool readWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = SIZE_MAX,
                   uint64_t* fileSize = nullptr);
bool replaceFileAtomically(const std::string& path, const std::string& bytes);

// Deletes the temporaries that saves of this file left behind when the
// program was killed mid-save. Only for a single running instance.
void removeStaleTemporaries(const std::string& path);
