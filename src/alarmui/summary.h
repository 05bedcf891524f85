// What the alarm list shows for each alarm, and the table edits its buttons
// make. Records may come from imported files, so nothing here trusts a
// terminator, a mask or a range.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/records.h"

constexpr int kListColumns = 8;

// "编号": the 1-based row number, with " ||" when the alarm is switched off.
std::string numberCell(int index, const AlarmRecord& r);
// "时间": repetition word, the hours (or "每时 ") and the minute, each piece
// ending in a blank.
std::string timeSummary(const AlarmRecord& r);
// The part of a path field after its last backslash.
std::string fileNameCell(const char* field, size_t width);
// "参数": the raw masks, minute, special action and temporary flag.
std::string parametersCell(const AlarmRecord& r);

// The eight cells of row `index`, column 0 first.
std::array<std::string, kListColumns> alarmRowCells(int index, const AlarmRecord& r);

// The used part of the table, whatever alarmCount holds.
int usedAlarms(const AlarmTable& table);

// Removes one record; those behind it move down and keep their order.
// Returns false for an index outside the table.
bool removeAlarmAt(AlarmTable& table, int index);

// selected[i] stands for row i. Both walk from the last row to the first,
// so removing a row never shifts one still to be visited.
void deleteSelectedAlarms(AlarmTable& table, const std::vector<bool>& selected);
void toggleSelectedAlarms(AlarmTable& table, const std::vector<bool>& selected);

// Every later record equal in all bytes to an earlier one becomes temporary,
// so the next save leaves it out. Returns how many were marked.
int markDuplicateAlarms(AlarmTable& table);
