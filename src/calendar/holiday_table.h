// The built-in schedule of official days off and make-up workdays, as
// tools/holidays/generate.js writes it into holiday_table.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

// One marked day: four bytes, so the whole table stays a few KB in the product.
struct HolidayDay {
    uint16_t offset;  // days since 1 January of kHolidayFirstYear
    uint8_t mark;     // DayMark: 1 休, 2 班
    uint8_t name;     // index into kHolidayNames (GBK)
};

constexpr int kHolidayFirstYear = 2009;
constexpr int kHolidayLastYear = 2026;

extern const HolidayDay kHolidayDays[];  // in date order
extern const size_t kHolidayDayCount;
extern const char* const kHolidayNames[];
extern const size_t kHolidayNameCount;
