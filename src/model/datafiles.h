// db.dat and note.txt: the only code that reads or writes them.
//
// db.dat  = 732-byte ClockSettings image, s32 N, N AlarmRecord images
//           (temporary alarms left out).
// note.txt = the memo bytes, no terminator, no BOM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/atomicfile.h"
#include "model/records.h"

// Fills settings, table and memo from the bytes of db.dat. The caller has set
// the start-up defaults: a short file overwrites only the leading settings
// bytes, and only whole records present are loaded (at most kMaxAlarms);
// alarmCount is always the number actually loaded.
void parseDataFile(const uint8_t* data, size_t size, ClockSettings& settings, AlarmTable& table);

// The memo text is the file's bytes up to the first NUL.
std::string parseMemoFile(const uint8_t* data, size_t size);

// The exact bytes of db.dat for this state.
std::string serializeDataFile(const ClockSettings& settings, const AlarmTable& table);

// What the start-up load found of each file.
struct DataFilesLoad {
    ReadResult data = ReadResult::Missing;
    ReadResult memo = ReadResult::Missing;
};

// Reads both files; a file that cannot be read is skipped and leaves its part
// of the state unchanged.
DataFilesLoad loadDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                            ClockSettings& settings, AlarmTable& table, std::string& memoText);

// What one save did with each file.
struct DataFilesSave {
    FileSave data;
    FileSave memo;
    bool written() const { return data.kind == SaveKind::Written && memo.kind == SaveKind::Written; }
};

// Replaces both files atomically. A file that was there but unreadable at
// start-up is never replaced (Skipped): the run never knew what it held. A
// file that cannot be written is left as it was, and the other is still
// written; each says why it was not.
DataFilesSave saveDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                            const ClockSettings& settings, const AlarmTable& table,
                            const std::string& memoText, const DataFilesLoad& loaded = DataFilesLoad());
