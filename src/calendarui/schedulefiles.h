// The work calendar's files beside the program: the official schedule's
// JSON files in holidays\ and the user's own days in holidays.txt.
#pragma once

#include <cstdint>

#include "calendar/workcalendar.h"
#include "model/paths.h"

// The built-in schedule with every holidays\*.json (in name order, a later
// file winning) and holidays.txt on top. A missing folder or file is
// normal; one that cannot be read, or is no such file, is skipped.
WorkCalendar loadWorkCalendar(const ProgramPaths& paths);

// The user marks one day (None: back to the official schedule): holidays.txt
// is rewritten around that day, replaced as a whole, and the installed work
// calendar follows. False, and nothing changed, when holidays.txt is there
// but cannot be read, or cannot be written.
bool markDay(const ProgramPaths& paths, int32_t day, DayMark mark);
