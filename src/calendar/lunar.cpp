#include "calendar/lunar.h"

#include <cstring>

#include "calendar/lunar_tables.h"

using lunar::kFirstYear;
using lunar::kLastYear;

namespace {

// Floor division and modulo: every date argument is total, including year 0
// and month 0, which reach negative intermediate values.
constexpr int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0);
}
constexpr int64_t floorMod(int64_t a, int64_t b) { return a - floorDiv(a, b) * b; }

constexpr bool isLeapYear(int32_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// Days since 0000-12-31 in the proleptic Gregorian calendar.
constexpr int32_t dayNumber(int32_t y, int32_t m, int32_t d) {
    y += static_cast<int32_t>(floorDiv(m - 1, 12));
    const int mi = static_cast<int>(floorMod(m - 1, 12));
    const int32_t p = y - 1;
    return 365 * p + static_cast<int32_t>(floorDiv(p, 4) - floorDiv(p, 100) + floorDiv(p, 400)) +
           lunar::kDaysBeforeMonth[mi] + ((mi >= 2 && isLeapYear(y)) ? 1 : 0) + d;
}

constexpr int32_t kEpoch = dayNumber(1901, 1, 1);
static_assert(dayNumber(2100, 12, 31) - kEpoch == lunar::kLastOffset, "last supported offset");
static_assert(dayNumber(1901, 2, 19) - kEpoch == lunar::kFirstNewYearOffset, "first lunar new year");

int32_t offsetOf(uint16_t y, uint16_t m, uint16_t d) { return dayNumber(y, m, d) - kEpoch; }

int leapOfIndex(int k) {
    const uint8_t pair = lunar::kLeapMonthNibbles[k / 2];
    return k % 2 == 0 ? pair >> 4 : pair & 0x0F;
}

bool inTable(uint16_t lunarYear) { return lunarYear >= kFirstYear && lunarYear <= kLastYear; }

void setZero(uint16_t& a, uint16_t& b, uint16_t& c) { a = b = c = 0; }

// Names are fixed-width entries back to back; index 1 is the first entry.
void copyName(const char* table, int count, int width, int index, char* out) {
    if (index < 1 || index > count) {
        out[0] = '\0';
        return;
    }
    std::memcpy(out, table + (index - 1) * width, width);
    out[width] = '\0';
}

void putStemBranch(int64_t stem, int64_t branch, char* out) {
    std::memcpy(out, lunar::kStems + floorMod(stem, 10) * 2, 2);
    std::memcpy(out + 2, lunar::kBranches + floorMod(branch, 12) * 2, 2);
    out[4] = '\0';
}

}  // namespace

bool isSupportedDate(uint16_t y, uint16_t m, uint16_t d) {
    return y >= kFirstYear && y <= kLastYear && d >= 1 && d <= daysInMonth(y, m);
}

int32_t daysBetween(uint16_t y1, uint16_t m1, uint16_t d1, uint16_t y2, uint16_t m2, uint16_t d2) {
    return dayNumber(y1, m1, d1) - dayNumber(y2, m2, d2);
}

namespace {

// Month i (0-based, the leap month counted in its place) of table year k.
LunarMonth monthOfIndex(int k, int i, int32_t first) {
    const uint16_t bits = lunar::kLunarMonthBits[k];
    const int leap = leapOfIndex(k);
    return LunarMonth{first, static_cast<uint16_t>(kFirstYear + k),
                      static_cast<uint8_t>(leap != 0 && i >= leap ? i : i + 1), leap != 0 && i == leap,
                      static_cast<uint8_t>(((bits >> (15 - i)) & 1) ? 30 : 29)};
}

int monthsOfIndex(int k) { return leapOfIndex(k) != 0 ? 13 : 12; }

}  // namespace

bool lunarMonthAt(int32_t offset, LunarMonth& out) {
    if (offset < 0 || offset > lunar::kLastOffset) return false;
    // The tables start at lunar 1901; its two preceding months are fixed.
    if (offset < 19) {
        out = LunarMonth{-10, 1900, 11, false, 29};
        return true;
    }
    if (offset < lunar::kFirstNewYearOffset) {
        out = LunarMonth{19, 1900, 12, false, 30};
        return true;
    }
    const auto& starts = lunar::kLunarYearStart;
    // Lunar years keep to the solar year on average, so this guess is at most
    // one year off and two comparisons settle it.
    int k = static_cast<int>(int64_t{offset - lunar::kFirstNewYearOffset} * 10000 / 3652422);
    if (k > lunar::kYears - 1) k = lunar::kYears - 1;
    while (starts[k] > offset) --k;
    while (starts[k + 1] <= offset) ++k;
    // The last month takes whatever remains; the year starts guarantee it fits.
    const uint16_t bits = lunar::kLunarMonthBits[k];
    const int months = monthsOfIndex(k);
    int32_t first = starts[k];
    int i = 0;
    for (int32_t len = bits & 0x8000 ? 30 : 29; i + 1 < months && offset - first >= len;
         len = (bits >> (15 - i)) & 1 ? 30 : 29)
        first += len, ++i;
    out = monthOfIndex(k, i, first);
    return true;
}

bool nextLunarMonth(LunarMonth& m) {
    const int32_t first = m.first + m.days;
    if (first > lunar::kLastOffset) return false;
    if (m.year < kFirstYear) return lunarMonthAt(first, m);
    // Stepped from the table directly: walks over many months stay cheap.
    const int k = m.year - kFirstYear;
    const int leap = leapOfIndex(k);
    const int i = m.month - 1 + ((leap != 0 && (m.month > leap || m.leap)) ? 1 : 0);
    m = i + 1 < monthsOfIndex(k) ? monthOfIndex(k, i + 1, first) : monthOfIndex(k + 1, 0, first);
    return true;
}

bool lunarDateOf(uint16_t y, uint16_t m, uint16_t d, LunarDate& out) {
    LunarMonth month;
    if (!isSupportedDate(y, m, d) || !lunarMonthAt(offsetOf(y, m, d), month)) return false;
    out = LunarDate{month.year, month.month, static_cast<uint8_t>(offsetOf(y, m, d) - month.first + 1),
                    month.leap, month.days};
    return true;
}

void dayOffsetToLunar(int32_t offset, uint16_t& lunarYear, uint16_t& lunarMonth, uint16_t& lunarDay) {
    LunarMonth month;
    if (!lunarMonthAt(offset, month)) {
        setZero(lunarYear, lunarMonth, lunarDay);
        return;
    }
    lunarYear = month.year;
    lunarMonth = month.month;
    lunarDay = static_cast<uint16_t>(offset - month.first + 1);
}

int solarToLunar(uint16_t y, uint16_t m, uint16_t d, uint16_t& lunarYear, uint16_t& lunarMonth,
                 uint16_t& lunarDay) {
    if (!isSupportedDate(y, m, d)) {
        setZero(lunarYear, lunarMonth, lunarDay);
        return 0;
    }
    dayOffsetToLunar(offsetOf(y, m, d), lunarYear, lunarMonth, lunarDay);
    return solarTermIndex(y, m, d);
}

void lunarFestival(uint16_t y, uint16_t m, uint16_t d, uint16_t& lunarYear, uint16_t& lunarMonth,
                   uint16_t& lunarDay, char* name) {
    name[0] = '\0';
    solarToLunar(y, m, d, lunarYear, lunarMonth, lunarDay);
    // A leap month repeats its month number, so its festival day repeats too.
    for (const lunar::Festival& f : lunar::kFestivals) {
        if (f.month == lunarMonth && f.day == lunarDay) {
            std::memcpy(name, f.name, sizeof f.name);
            return;
        }
    }
}

void ganzhiOfDate(uint16_t y, uint16_t m, uint16_t d, char* yearName, char* monthName, char* dayName) {
    if (!isSupportedDate(y, m, d)) {
        yearName[0] = monthName[0] = dayName[0] = '\0';
        return;
    }
    // Day of the month's first solar term: the year turns at 立春, each month
    // at its first term.
    const uint8_t terms = lunar::kSolarTermDays[(y - kFirstYear) * 12 + (m - 1)];
    const int firstTerm = 15 - (terms >> 4);
    const bool afterTerm = d >= firstTerm;
    const int64_t yk = y - 1865 + ((m >= 3 || (m == 2 && afterTerm)) ? 1 : 0);
    putStemBranch(yk, yk, yearName);
    const int64_t mk = 12 * ((y - kFirstYear) % 5) + m + 23 + (afterTerm ? 1 : 0);
    putStemBranch(mk, mk, monthName);
    const int64_t n = offsetOf(y, m, d);
    putStemBranch(n + 5, n + 3, dayName);
}

int solarTermIndex(uint16_t y, uint16_t m, uint16_t d) {
    if (!isSupportedDate(y, m, d)) return 0;
    const uint8_t terms = lunar::kSolarTermDays[(y - kFirstYear) * 12 + (m - 1)];
    if (d < 15) return d == 15 - (terms >> 4) ? 2 * m - 1 : 0;
    return d == 15 + (terms & 0x0F) ? 2 * m : 0;
}

int weekdayOf(uint16_t y, uint16_t m, uint16_t d) {
    // 1901-01-01 was a Tuesday.
    return static_cast<int>(floorMod(static_cast<int64_t>(offsetOf(y, m, d)) + 2, 7));
}

int daysInMonth(uint16_t y, uint16_t m) {
    switch (m) {
        case 2: return isLeapYear(y) ? 29 : 28;
        case 4: case 6: case 9: case 11: return 30;
        case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
        default: return 0;
    }
}

int leapMonthOf(uint16_t lunarYear) {
    return inTable(lunarYear) ? leapOfIndex(lunarYear - kFirstYear) : 0;
}

uint32_t lunarMonthLengths(uint16_t lunarYear, uint16_t lunarMonth) {
    if (lunarYear == 1900) {
        // Only the two months that reach into 1901 are known.
        return lunarMonth == 11 ? 29 : lunarMonth == 12 ? 30 : 0;
    }
    if (!inTable(lunarYear) || lunarMonth < 1 || lunarMonth > 12) return 0;
    const int k = lunarYear - kFirstYear;
    const uint16_t bits = lunar::kLunarMonthBits[k];
    const int leap = leapOfIndex(k);
    const int e = 16 - lunarMonth - ((leap != 0 && lunarMonth > leap) ? 1 : 0);
    const uint32_t len = ((bits >> e) & 1) ? 30 : 29;
    const uint32_t leapLen = lunarMonth != leap ? 0 : ((bits >> (e - 1)) & 1) ? 30 : 29;
    return len | leapLen << 16;
}

uint16_t lunarYearDays(uint16_t lunarYear) {
    if (!inTable(lunarYear)) return 0;
    const int k = lunarYear - kFirstYear;
    return static_cast<uint16_t>(lunar::kLunarYearStart[k + 1] - lunar::kLunarYearStart[k]);
}

void yearNameWithAnimal(int year, char* out) {
    const int64_t k = static_cast<int64_t>(year) - 4;
    putStemBranch(k, k, out);
    out[4] = '(';
    std::memcpy(out + 5, lunar::kAnimals + floorMod(k, 12) * 2, 2);
    out[7] = ')';
    out[8] = '\0';
}

void lunarMonthName(int month, char* out) { copyName(lunar::kLunarMonthNames, 12, 4, month, out); }

void lunarDayName(int day, char* out) { copyName(lunar::kLunarDayNames, 30, 4, day, out); }

void solarTermName(int index, char* out) { copyName(lunar::kSolarTermNames, 24, 4, index, out); }
