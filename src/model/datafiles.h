// db.dat and note.txt: the only code that reads or writes them.
//
// db.dat  = 732-byte ClockSettings image, s32 N, N AlarmRecord images
//           (temporary alarms left out).
// note.txt = the memo bytes, no terminator, no BOM.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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

// Reads both files; a file that cannot be opened is skipped and leaves its
// part of the state unchanged.
void loadDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                   ClockSettings& settings, AlarmTable& table, std::string& memoText);

// Replaces both files atomically. A file that cannot be written is skipped;
// the other is still written. Returns false when either failed.
bool saveDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                   const ClockSettings& settings, const AlarmTable& table,
                   const std::string& memoText);
