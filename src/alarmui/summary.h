// What the alarm list shows for each alarm, and the table edits its buttons
// make. Records may come from imported files, so nothing here trusts a
// terminator, a mask or a range.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "model/localtime.h"
#include "model/records.h"

constexpr int kListColumns = 9;

// "编号": the 1-based row number, with " ||" when the alarm is switched off.
std::string numberCell(int index, const AlarmRecord& r);
// "时间": repetition word, the hours (or "每时 ") and the minute, each piece
// ending in a blank; "农历" in front for a lunar alarm. A day rule takes the
// place of "每日 " or "星期重复 ", or follows "年月日重复 " / "指定日期 ", as
// the editor names it in now's week (without now, 大小周 alone).
std::string timeSummary(const AlarmRecord& r, const LocalTime* now = nullptr);
// The part of a path field after its last backslash.
std::string fileNameCell(const char* field, size_t width);
// "参数": the raw masks, minute, special action, temporary flag and calendar kind.
std::string parametersCell(const AlarmRecord& r);
// "下次响铃" after `now`: "12月9日 08:30" within now's year, "2027年1月1日 08:30"
// after it, "不会再响" when it never rings again, "已禁用" when switched off.
std::string nextRingCell(const AlarmRecord& r, const LocalTime& now);

// "声音": the sound's file name, followed by kMissingFileMark when the file
// does not exist (soundMissing, which the caller finds out).
extern const char kMissingFileMark[];
std::string soundCell(const AlarmRecord& r, bool soundMissing);

// The cells of row `index`, column 0 first; the last one is the next ring
// after `now`.
constexpr int kNextRingColumn = kListColumns - 1;
std::array<std::string, kListColumns> alarmRowCells(int index, const AlarmRecord& r, const LocalTime& now,
                                                    bool soundMissing = false);

// Whether a record runs a program or has a power action 1..5, enabled or not.
bool runsProgramOrPower(const AlarmRecord& r);
// The question an import asks before it adds `count` records of which at
// least one runsProgramOrPower: how many do, then one line per such record
// (its time cell, its program as stored and its action's name), at most
// kImportQuestionLines of them, then "……". "" when none does.
constexpr int kImportQuestionLines = 10;
std::string importQuestion(const AlarmRecord* records, int count, const LocalTime* now = nullptr);

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
