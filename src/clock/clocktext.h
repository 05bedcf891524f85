// The text of the clock's face.
#pragma once

#include <string>

#include "model/localtime.h"
#include "model/records.h"

// "%2d:%02d:%02d" plus the am or pm mark, on a 12- or 24-hour dial.
std::string formatClockText(const ClockSettings& settings, const LocalTime& time);
// The same dial for a minute, as the ring window shows an alarm's: "8:00am",
// without seconds and without the face's padding.
std::string formatClockMinute(const ClockSettings& settings, const LocalTime& time);

// The clock's tooltip: the date, its lunar date and solar term, the weekday.
// Outside the lunar tables (1901..2100) only the date and the weekday.
std::string tooltipText(const LocalTime& time);
