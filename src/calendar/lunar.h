// The Chinese lunisolar calendar for Gregorian 1901-01-01..2100-12-31.
//
// Pure functions over constant tables: no state, no allocation. Every name
// comes out as GBK text, NUL-terminated, in a buffer the caller provides.
// A date outside the supported range (or not a real date) converts to lunar
// 0/0/0, term 0 and empty names, so check isSupportedDate() first.
#pragma once

#include <cstdint>

// Sizes of the caller's buffers, terminator included.
constexpr int kLunarNameSize = 5;       // one stem-branch pair, month, day or term name
constexpr int kFestivalNameSize = 12;
constexpr int kYearAnimalNameSize = 9;  // e.g. 庚子(鼠)

// The Gregorian years the tables cover.
constexpr int kLunarFirstYear = 1901;
constexpr int kLunarLastYear = 2100;

// True exactly for real dates from 1901-01-01 to 2100-12-31.
bool isSupportedDate(uint16_t y, uint16_t m, uint16_t d);

// Signed number of days from date 2 to date 1 (proleptic Gregorian). Days past
// a month's end run on into the next month, and months outside 1..12 run on
// into the neighbouring years, so every argument gives a well-defined count.
int32_t daysBetween(uint16_t y1, uint16_t m1, uint16_t d1, uint16_t y2, uint16_t m2, uint16_t d2);

// Lunar date of the day `offset` days after 1901-01-01. A day of a leap month
// carries the number of the month it follows. Offsets outside the supported
// range give 0/0/0.
void dayOffsetToLunar(int32_t offset, uint16_t& lunarYear, uint16_t& lunarMonth, uint16_t& lunarDay);

// One month of the lunar table, for walking the calendar a month at a time.
struct LunarMonth {
    int32_t first;   // offset from 1901-01-01 of its first day (negative for lunar 1900's 11th month)
    uint16_t year;
    uint8_t month;   // 1..12; a leap month carries the number of the month it follows
    bool leap;
    uint8_t days;    // 29 or 30
};

// The lunar month holding the day `offset` days after 1901-01-01; false for
// an offset outside 1901-01-01..2100-12-31.
bool lunarMonthAt(int32_t offset, LunarMonth& out);
// Steps to the month after; false when that one would begin after 2100-12-31.
bool nextLunarMonth(LunarMonth& m);

// The lunar date of a Gregorian day, with what a day number alone does not
// say: whether its month is a leap month and how long that month is.
struct LunarDate {
    uint16_t year;
    uint8_t month;      // 1..12
    uint8_t day;        // 1..30
    bool leap;
    uint8_t monthDays;  // 29 or 30
};
// False (and nothing written) for a date isSupportedDate refuses.
bool lunarDateOf(uint16_t y, uint16_t m, uint16_t d, LunarDate& out);

// Lunar date of a Gregorian date; returns the solar term of that day (0..24).
int solarToLunar(uint16_t y, uint16_t m, uint16_t d, uint16_t& lunarYear, uint16_t& lunarMonth,
                 uint16_t& lunarDay);

// Same lunar date as solarToLunar, plus the festival name of that lunar day
// (empty if none) into a buffer of kFestivalNameSize bytes.
void lunarFestival(uint16_t y, uint16_t m, uint16_t d, uint16_t& lunarYear, uint16_t& lunarMonth,
                   uint16_t& lunarDay, char* name);

// Stem-branch names of the date's year (changing at 立春), month (changing at
// each month's first solar term) and day; three buffers of kLunarNameSize bytes.
void ganzhiOfDate(uint16_t y, uint16_t m, uint16_t d, char* yearName, char* monthName, char* dayName);

// 0 if no solar term begins on this day, else 1..24 (1 = 小寒, 24 = 冬至).
int solarTermIndex(uint16_t y, uint16_t m, uint16_t d);

// 0..6, 0 = Sunday.
int weekdayOf(uint16_t y, uint16_t m, uint16_t d);

// 28..31; 0 when m is not 1..12.
int daysInMonth(uint16_t y, uint16_t m);

// The month that the year's leap month follows (1..12), or 0.
int leapMonthOf(uint16_t lunarYear);

// Low 16 bits: days of the month; high 16 bits: days of the leap month that
// follows it (0 if none). 0 for a month the tables do not hold.
uint32_t lunarMonthLengths(uint16_t lunarYear, uint16_t lunarMonth);

// Days in the lunar year (353..355 or 383..385); 0 outside 1901..2100.
uint16_t lunarYearDays(uint16_t lunarYear);

// Stem, branch and animal of any year, e.g. 2020 -> 庚子(鼠); kYearAnimalNameSize bytes.
void yearNameWithAnimal(int year, char* out);

// 正月..腊月 for 1..12, 初一..三十 for 1..30, 小寒..冬至 for 1..24; any other
// index gives the empty string. Buffers of kLunarNameSize bytes.
void lunarMonthName(int month, char* out);
void lunarDayName(int day, char* out);
void solarTermName(int index, char* out);
