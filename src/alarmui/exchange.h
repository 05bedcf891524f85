// Alarm export files: s32 count n, then n raw AlarmRecord images, exactly
// 4 + 848 * n bytes. Export writes every alarm, temporary ones too; import
// appends a whole file or nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/records.h"

// The largest file that can ever be imported: a full table.
constexpr size_t kMaxExportFileBytes = 4 + sizeof(AlarmRecord) * kMaxAlarms;

enum class ImportResult {
    Imported,    // appended (possibly nothing, for n = 0)
    Unreadable,  // the file could not be opened or read
    WrongSize,   // not exactly 4 + 848 * n bytes
    TooMany,     // the table would exceed kMaxAlarms
};

std::string exportBytes(const AlarmTable& table);

// Replaces the file as a whole; false when any step failed, and then no
// partial file is left behind.
bool exportAlarms(const std::string& path, const AlarmTable& table);

// The size test comes before the capacity test. fileSize is the size of the
// whole file, of which data holds the first size bytes; records are copied
// only when the file is accepted, and only from data.
ImportResult importFromBytes(const uint8_t* data, size_t size, uint64_t fileSize,
                             AlarmTable& table);
inline ImportResult importFromBytes(const uint8_t* data, size_t size, AlarmTable& table) {
    return importFromBytes(data, size, size, table);
}

ImportResult importAlarms(const std::string& path, AlarmTable& table);

// importAlarms in two steps, so that the records can be looked at before
// they go in: the records the file would add to `table`, refused for the
// same reasons (the table is not changed), then appending them, TooMany
// when the table has filled up meanwhile.
ImportResult readImportFile(const std::string& path, const AlarmTable& table, std::vector<AlarmRecord>& records);
ImportResult appendImported(AlarmTable& table, const std::vector<AlarmRecord>& records);
