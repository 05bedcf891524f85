// Constant tables of the lunisolar calendar, used by lunar.cpp. Lunar and
// solar-term data cover 1901..2100.
#pragma once

#include <array>
#include <cstdint>

#include "calendar/lunar.h"

namespace lunar {

constexpr int kFirstYear = kLunarFirstYear;
constexpr int kLastYear = kLunarLastYear;
constexpr int kYears = kLastYear - kFirstYear + 1;

// Offset (days after 1901-01-01) of 2100-12-31, the last supported day.
constexpr int32_t kLastOffset = 73048;
// Offset of lunar 1901-01-01 (1901-02-19); the days before it belong to the
// 11th (29 days) and 12th (30 days) months of lunar 1900.
constexpr int32_t kFirstNewYearOffset = 49;

// Days before the first of each month in a common year.
inline constexpr uint16_t kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
// One word per lunar year, bit 15 down: a set bit is a 30-day month, months in
// calendar order with the leap month right after the month it follows.
extern const uint16_t kLunarMonthBits[kYears];
// Two years per byte, the earlier year in the high nibble: the month the leap
// month follows, or 0.
extern const uint8_t kLeapMonthNibbles[kYears / 2];
// Per Gregorian month: the first term falls on day 15 - high nibble, the second
// on day 15 + low nibble (CST civil days).
extern const uint8_t kSolarTermDays[kYears * 12];
// Offset of each lunar new year 1901..2101, derived from the two tables above
// at compile time.
extern const std::array<int32_t, kYears + 1> kLunarYearStart;

struct Festival {
    int32_t month;
    int32_t day;
    char name[12];
};
constexpr int kFestivalCount = 8;
extern const Festival kFestivals[kFestivalCount];

// GBK names, back to back without terminators: one character (2 bytes) each
// for stems, branches and animals, two characters (4 bytes) for the rest,
// whose index 0 is the empty name and is not stored.
extern const char kStems[];          // 10
extern const char kBranches[];       // 12
extern const char kAnimals[];        // 12
extern const char kSolarTermNames[]; // 1..24
extern const char kLunarMonthNames[];// 1..12
extern const char kLunarDayNames[];  // 1..30

}  // namespace lunar
