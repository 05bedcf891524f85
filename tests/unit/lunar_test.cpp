#include "calendar/lunar.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Lunar {
    uint16_t y, m, d;
    bool operator==(const Lunar& o) const { return y == o.y && m == o.m && d == o.d; }
};
std::ostream& operator<<(std::ostream& os, const Lunar& l) { return os << l.y << '/' << l.m << '/' << l.d; }

Lunar toLunar(uint16_t y, uint16_t m, uint16_t d) {
    Lunar l{};
    solarToLunar(y, m, d, l.y, l.m, l.d);
    return l;
}

std::string festivalOf(uint16_t y, uint16_t m, uint16_t d) {
    Lunar l{};
    char name[kFestivalNameSize] = "x";
    lunarFestival(y, m, d, l.y, l.m, l.d, name);
    return name;
}

struct Ganzhi {
    std::string year, month, day;
};
Ganzhi ganzhi(uint16_t y, uint16_t m, uint16_t d) {
    char a[kLunarNameSize] = "x", b[kLunarNameSize] = "x", c[kLunarNameSize] = "x";
    ganzhiOfDate(y, m, d, a, b, c);
    return {a, b, c};
}

template <typename F>
std::string nameOf(F f, int index) {
    char out[kLunarNameSize] = "xxxx";
    f(index, out);
    return out;
}

std::string yearName(int year) {
    char out[kYearAnimalNameSize];
    yearNameWithAnimal(year, out);
    return out;
}

// Position 0..59 of a stem-branch pair in the sexagenary cycle, -1 if no such pair.
int cycleIndex(const std::string& name) {
    static const std::string stems = "甲乙丙丁戊己庚辛壬癸", branches = "子丑寅卯辰巳午未申酉戌亥";
    if (name.size() != 4) return -1;
    const size_t s = stems.find(name.substr(0, 2)), b = branches.find(name.substr(2, 2));
    if (s == std::string::npos || b == std::string::npos || s % 2 != 0 || b % 2 != 0) return -1;
    for (int x = 0; x < 60; ++x) {
        if (x % 10 == static_cast<int>(s / 2) && x % 12 == static_cast<int>(b / 2)) return x;
    }
    return -1;
}

}  // namespace

TEST(LunarConversion, KnownDates) {
    struct Case {
        uint16_t y, m, d;
        Lunar lunar;
        const char* festival;
    };
    const Case cases[] = {
        {1901, 1, 1, {1900, 11, 11}, ""},   {1901, 1, 20, {1900, 12, 1}, ""},
        {1901, 2, 18, {1900, 12, 30}, ""},  {1901, 2, 19, {1901, 1, 1}, "新年"},
        {2000, 1, 1, {1999, 11, 25}, ""},   {2000, 2, 5, {2000, 1, 1}, "新年"},
        {2020, 1, 24, {2019, 12, 30}, ""},  {2020, 1, 25, {2020, 1, 1}, "新年"},
        {2050, 1, 23, {2050, 1, 1}, "新年"}, {2050, 12, 31, {2050, 11, 18}, ""},
        // The leap 4th month of 2020 keeps its number; the 5th follows it.
        {2020, 5, 22, {2020, 4, 30}, ""},   {2020, 5, 23, {2020, 4, 1}, ""},
        {2020, 6, 21, {2020, 5, 1}, ""},
        // New moons 1989-08-02 00:06, 2013-06-08 23:57, 2025-04-28 03:32 CST.
        {1989, 8, 1, {1989, 6, 30}, ""},    {1989, 8, 2, {1989, 7, 1}, ""},
        {2013, 6, 8, {2013, 5, 1}, ""},     {2013, 6, 12, {2013, 5, 5}, "端午"},
        {2025, 4, 27, {2025, 3, 30}, ""},   {2025, 4, 28, {2025, 4, 1}, ""},
        // Published dates: leap 2nd month of 2023, leap 11th of 2033.
        {2023, 2, 20, {2023, 2, 1}, ""},    {2023, 3, 22, {2023, 2, 1}, ""},
        {2033, 12, 22, {2033, 11, 1}, ""},  {2024, 9, 17, {2024, 8, 15}, "中秋"},
        {2026, 2, 17, {2026, 1, 1}, "新年"}, {2009, 5, 28, {2009, 5, 5}, "端午"},
        {2009, 6, 27, {2009, 5, 5}, "端午"},
        // New moons 2057-09-29 00:00:40 and 2097-08-08 00:00:15 CST as computed (the
        // second 23:59:57 on 08-07 in the cross-check); 2100-12-31 begins 腊月.
        {2057, 9, 28, {2057, 8, 30}, ""},   {2057, 9, 29, {2057, 9, 1}, ""},
        {2097, 8, 7, {2097, 6, 30}, ""},    {2097, 8, 8, {2097, 7, 1}, ""},
        {2100, 12, 30, {2100, 11, 30}, ""}, {2100, 12, 31, {2100, 12, 1}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << '-' << c.m << '-' << c.d);
        EXPECT_EQ(toLunar(c.y, c.m, c.d), c.lunar);
        EXPECT_EQ(festivalOf(c.y, c.m, c.d), c.festival);
    }
    uint16_t y, m, d;
    dayOffsetToLunar(0, y, m, d);
    EXPECT_EQ((Lunar{y, m, d}), (Lunar{1900, 11, 11}));
    EXPECT_EQ(leapMonthOf(2033), 11);
    EXPECT_EQ(leapMonthOf(2020), 4);
    EXPECT_EQ(lunarMonthLengths(2020, 4), 30u | 29u << 16);
    EXPECT_EQ(lunarYearDays(2020), 384);
}

TEST(LunarConversion, StemBranchWeekdayAndTerms) {
    const Ganzhi g1901 = ganzhi(1901, 1, 1);
    EXPECT_EQ(g1901.year + g1901.month + g1901.day, "庚子戊子己卯");
    EXPECT_EQ(ganzhi(2000, 1, 1).day, "戊午");
    EXPECT_EQ(ganzhi(2050, 12, 31).day, "乙酉");
    // The year and month turn at 立春, not at the lunar new year.
    const Ganzhi before = ganzhi(2020, 2, 3), after = ganzhi(2020, 2, 4);
    EXPECT_EQ(before.year + before.month, "己亥丁丑");
    EXPECT_EQ(after.year + after.month, "庚子戊寅");
    EXPECT_EQ(solarTermIndex(2020, 2, 4), 3);

    EXPECT_EQ(weekdayOf(1901, 1, 1), 2);
    EXPECT_EQ(weekdayOf(2000, 1, 1), 6);
    EXPECT_EQ(weekdayOf(2050, 12, 31), 6);
    EXPECT_EQ(weekdayOf(1, 1, 1), 1);

    // Term days, including instants within a minute of midnight
    // (2008 小满 just after 00:00, 2021 冬至 just before 24:00 CST), 2050 白露 and the
    // nearest ones after it (2051 春分 23:58:42, 2084 春分 23:59:19, 芒种 00:02:32).
    const int terms[][4] = {{1901, 1, 6, 1},  {1901, 1, 21, 2}, {1901, 12, 22, 24}, {2020, 1, 20, 2},
                            {2020, 4, 19, 8}, {2020, 12, 21, 24}, {2008, 5, 21, 10}, {2021, 12, 21, 24},
                            {2023, 4, 5, 7},  {2050, 9, 7, 17}, {2051, 3, 20, 6}, {2084, 3, 19, 6},
                            {2084, 6, 5, 11}, {2100, 12, 22, 24}};
    for (const auto& t : terms) EXPECT_EQ(solarTermIndex(t[0], t[1], t[2]), t[3]) << t[0] << '-' << t[1];
}

TEST(LunarNames, TextsAndBounds) {
    EXPECT_EQ(yearName(2020), "庚子(鼠)");
    EXPECT_EQ(yearName(2023), "癸卯(兔)");
    EXPECT_EQ(yearName(1900), "庚子(鼠)");
    EXPECT_EQ(yearName(3), "癸亥(猪)");
    EXPECT_EQ(yearName(-1), "己未(羊)");
    EXPECT_EQ(yearName(INT_MAX), "丁卯(兔)");
    EXPECT_EQ(yearName(INT_MIN), "壬子(鼠)");

    EXPECT_EQ(nameOf(lunarMonthName, 1), "正月");
    EXPECT_EQ(nameOf(lunarMonthName, 11), "冬月");
    EXPECT_EQ(nameOf(lunarMonthName, 12), "腊月");
    EXPECT_EQ(nameOf(lunarDayName, 10), "初十");
    EXPECT_EQ(nameOf(lunarDayName, 20), "二十");
    EXPECT_EQ(nameOf(lunarDayName, 25), "廿五");
    EXPECT_EQ(nameOf(lunarDayName, 30), "三十");
    EXPECT_EQ(nameOf(solarTermName, 1), "小寒");
    EXPECT_EQ(nameOf(solarTermName, 24), "冬至");
    for (int bad : {INT_MIN, -1, 0, 31, INT_MAX}) {
        EXPECT_EQ(nameOf(lunarMonthName, bad), "") << bad;
        EXPECT_EQ(nameOf(lunarDayName, bad), "") << bad;
        EXPECT_EQ(nameOf(solarTermName, bad), "") << bad;
    }
    EXPECT_EQ(nameOf(lunarMonthName, 13), "");
    EXPECT_EQ(nameOf(solarTermName, 25), "");
}

TEST(LunarOutOfRange, SafeResults) {
    const uint16_t bad[][3] = {{1900, 12, 31}, {2101, 1, 1},  {2020, 0, 1},  {2020, 13, 1},  {2020, 1, 0},
                               {2020, 1, 32},  {2021, 2, 29}, {2020, 4, 31}, {0, 0, 0}, {65535, 65535, 65535}};
    for (const auto& b : bad) {
        SCOPED_TRACE(testing::Message() << b[0] << '-' << b[1] << '-' << b[2]);
        EXPECT_FALSE(isSupportedDate(b[0], b[1], b[2]));
        Lunar l{9, 9, 9};
        EXPECT_EQ(solarToLunar(b[0], b[1], b[2], l.y, l.m, l.d), 0);
        EXPECT_EQ(l, (Lunar{0, 0, 0}));
        EXPECT_EQ(festivalOf(b[0], b[1], b[2]), "");
        const Ganzhi g = ganzhi(b[0], b[1], b[2]);
        EXPECT_EQ(g.year + g.month + g.day, "");
        EXPECT_EQ(solarTermIndex(b[0], b[1], b[2]), 0);
        LunarDate date{};
        EXPECT_FALSE(lunarDateOf(b[0], b[1], b[2], date));
        EXPECT_GE(weekdayOf(b[0], b[1], b[2]), 0);
        EXPECT_LE(weekdayOf(b[0], b[1], b[2]), 6);
    }
    EXPECT_TRUE(isSupportedDate(2020, 2, 29));
    for (int32_t offset : {INT32_MIN, -1, 73049, INT32_MAX}) {
        Lunar l{9, 9, 9};
        dayOffsetToLunar(offset, l.y, l.m, l.d);
        EXPECT_EQ(l, (Lunar{0, 0, 0})) << offset;
        LunarMonth month{};
        EXPECT_FALSE(lunarMonthAt(offset, month)) << offset;
    }
    EXPECT_EQ(lunarMonthLengths(1900, 11), 29u);
    EXPECT_EQ(lunarMonthLengths(1900, 12), 30u);
    const uint16_t badMonths[][2] = {{1900, 10}, {1899, 1}, {2101, 1}, {2020, 0}, {2020, 13}, {65535, 65535}};
    for (const auto& b : badMonths) EXPECT_EQ(lunarMonthLengths(b[0], b[1]), 0u) << b[0] << '/' << b[1];
    for (uint16_t y : {0, 1900, 2101, 65535}) {
        EXPECT_EQ(leapMonthOf(y), 0);
        EXPECT_EQ(lunarYearDays(y), 0);
    }
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2009, 13), 0);
    EXPECT_EQ(daysInMonth(2009, 0), 0);
    // Overflowing days and months run on into the following ones.
    EXPECT_EQ(daysBetween(2020, 4, 31, 2020, 5, 1), 0);
    EXPECT_EQ(daysBetween(2020, 13, 1, 2021, 1, 1), 0);
    EXPECT_EQ(daysBetween(2020, 0, 1, 2019, 12, 1), 0);
    EXPECT_EQ(daysBetween(1900, 1, 1, 1901, 1, 1), -365);
    EXPECT_EQ(daysBetween(2001, 1, 1, 2000, 1, 1), 366);
    EXPECT_GT(daysBetween(65535, 65535, 65535, 0, 0, 0), 0);
}

// Every supported day against the invariants a lunisolar calendar must keep.
TEST(LunarSweep, EveryDayKeepsTheInvariants) {
    const struct { uint16_t m, d; const char* name; } festivals[] = {
        {1, 1, "新年"}, {1, 15, "元宵"}, {5, 5, "端午"}, {7, 7, "七夕"},
        {8, 15, "中秋"}, {9, 9, "重阳"}, {12, 8, "腊八"}, {12, 24, "小年"}};
    std::vector<int> festivalDays(2101, 0);
    Lunar p{1900, 11, 10};
    int cycY = -1, cycM = -1, cycD = -1, yearDays = 10, leaps = 0;
    bool inLeap = false;
    int32_t i = 0;
    LunarMonth walker{};
    ASSERT_TRUE(lunarMonthAt(0, walker));
    for (uint16_t y = 1901; y <= 2100; ++y)
        for (uint16_t m = 1; m <= 12; ++m) {
            std::vector<uint16_t> termDays;
            for (uint16_t d = 1; d <= daysInMonth(y, m); ++d, ++i) {
                const auto at = [&] { return std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d); };
                ASSERT_TRUE(isSupportedDate(y, m, d)) << at();
                ASSERT_EQ(daysBetween(y, m, d, 1901, 1, 1), i) << at();
                ASSERT_EQ(weekdayOf(y, m, d), (i + 2) % 7) << at();
                Lunar c{}, f{}, o{};
                const int term = solarToLunar(y, m, d, c.y, c.m, c.d);
                ASSERT_EQ(term, solarTermIndex(y, m, d)) << at();
                if (term != 0) termDays.push_back(d);
                char festival[kFestivalNameSize] = "x";
                lunarFestival(y, m, d, f.y, f.m, f.d, festival);
                dayOffsetToLunar(i, o.y, o.m, o.d);
                ASSERT_TRUE(f == c && o == c) << at();
                const char* expected = "";
                for (const auto& fe : festivals) expected = c.m == fe.m && c.d == fe.d ? fe.name : expected;
                ASSERT_STREQ(festival, expected) << at();
                festivalDays[c.y] += *expected ? 1 : 0;

                // A day follows its predecessor, or starts a month after one of 29 or 30 days.
                if (c.d != p.d + 1) {
                    ASSERT_EQ(c.d, 1) << at();
                    const uint32_t lens = lunarMonthLengths(p.y, p.m);
                    ASSERT_EQ(p.d, inLeap ? lens >> 16 : lens & 0xFFFF) << at();
                    ASSERT_TRUE(p.d == 29 || p.d == 30) << at();
                    if (c.m == p.m) {  // a leap month right after the month it follows
                        ASSERT_TRUE(!inLeap && leapMonthOf(c.y) == c.m) << at();
                        inLeap = true, ++leaps;
                    } else if (c.m != p.m + 1) {
                        ASSERT_TRUE(p.m == 12 && c.m == 1 && c.y == p.y + 1) << at();
                        if (p.y >= 1901) {
                            ASSERT_EQ(yearDays, lunarYearDays(p.y)) << at();
                        }
                        ASSERT_EQ(leaps, leapMonthOf(p.y) != 0 ? 1 : 0) << at();
                        yearDays = 0, leaps = 0;
                    }
                    if (c.m != p.m) inLeap = false;
                }
                ASSERT_TRUE(c.y == p.y || c.d == 1) << at();
                // The month walk and the leap-aware date agree with what the day-by-day walk saw.
                if (i >= walker.first + walker.days) {
                    ASSERT_TRUE(nextLunarMonth(walker)) << at();
                }
                const uint32_t lens = lunarMonthLengths(c.y, c.m);
                const unsigned len = inLeap ? lens >> 16 : lens & 0xFFFF;
                LunarDate date{};
                ASSERT_TRUE(lunarDateOf(y, m, d, date)) << at();
                ASSERT_TRUE(date.year == c.y && date.month == c.m && date.day == c.d && date.leap == inLeap &&
                            date.monthDays == len) << at();
                ASSERT_TRUE(walker.year == c.y && walker.month == c.m && walker.leap == inLeap &&
                            walker.days == len && i - walker.first + 1 == c.d) << at();
                ++yearDays;
                p = c;

                // The day cycle advances daily, the year at 立春, the month at its first term.
                const Ganzhi g = ganzhi(y, m, d);
                const int ny = cycleIndex(g.year), nm = cycleIndex(g.month), nd = cycleIndex(g.day);
                ASSERT_TRUE(ny >= 0 && nm >= 0 && nd >= 0) << at();
                if (i > 0) {
                    ASSERT_EQ(nd, (cycD + 1) % 60) << at();
                    ASSERT_EQ(ny, (cycY + (term == 3 ? 1 : 0)) % 60) << at();
                    ASSERT_EQ(nm, (cycM + (term % 2 == 1 ? 1 : 0)) % 60) << at();
                }
                cycY = ny, cycM = nm, cycD = nd;
            }
            // Exactly the month's two terms: the first on days 3..9, the second on 18..24.
            ASSERT_EQ(termDays.size(), 2u) << y << '-' << m;
            EXPECT_TRUE(termDays[0] >= 3 && termDays[0] <= 9) << y << '-' << m;
            EXPECT_TRUE(termDays[1] >= 18 && termDays[1] <= 24) << y << '-' << m;
            EXPECT_EQ(solarTermIndex(y, m, termDays[0]) * 10 + solarTermIndex(y, m, termDays[1]),
                      (2 * m - 1) * 10 + 2 * m) << y << '-' << m;
        }
    ASSERT_EQ(i, 73049);
    EXPECT_EQ(p, (Lunar{2100, 12, 1}));
    EXPECT_FALSE(nextLunarMonth(walker));
    // Each festival once a lunar year, twice when the leap month repeats its month.
    for (uint16_t y = 1901; y <= 2099; ++y) {
        int expected = 8;
        for (const auto& fe : festivals) expected += fe.m == leapMonthOf(y) ? 1 : 0;
        EXPECT_EQ(festivalDays[y], expected) << y;
    }
}

namespace {
#include "lunar_reference.inc"
}  // namespace

// The tables of 2051..2100 against the generator's output kept as dates: every
// month's first day, number, leap flag and length, every term day, and the
// festivals that hang on them.
TEST(LunarReference, TablesOf2051To2100AreTheGenerators) {
    struct Day { uint16_t y, m, d; };
    const auto dayOf = [](int32_t ymd) {
        return Day{static_cast<uint16_t>(ymd / 10000), static_cast<uint16_t>(ymd / 100 % 100),
                   static_cast<uint16_t>(ymd % 100)};
    };
    const auto plus = [](Day t, int n) {
        for (t.d += n; t.d > daysInMonth(t.y, t.m); t.m = t.m % 12 + 1, t.y += t.m == 1) t.d -= daysInMonth(t.y, t.m);
        return t;
    };
    const size_t months = sizeof kReferenceMonthStarts / sizeof kReferenceMonthStarts[0] / 2;
    int year = 2050, newYears = 0, eves = 0;
    for (size_t k = 0; k + 1 < months; ++k) {
        const Day a = dayOf(kReferenceMonthStarts[2 * k]), b = dayOf(kReferenceMonthStarts[2 * k + 2]);
        const int label = kReferenceMonthStarts[2 * k + 1];
        const int length = daysBetween(b.y, b.m, b.d, a.y, a.m, a.d);
        year += label == 1;
        SCOPED_TRACE(kReferenceMonthStarts[2 * k]);
        LunarDate first{}, last{};
        ASSERT_TRUE(lunarDateOf(a.y, a.m, a.d, first));
        EXPECT_TRUE(first.year == year && first.month == std::abs(label) && first.day == 1 &&
                    first.leap == (label < 0) && first.monthDays == length);
        if (b.y > 2100) break;
        const Day end = plus(a, length - 1);
        ASSERT_TRUE(lunarDateOf(end.y, end.m, end.d, last));
        EXPECT_TRUE(last.month == first.month && last.day == length && last.leap == first.leap);
        const auto festivalOn = [&](int day) { const Day t = plus(a, day - 1); return festivalOf(t.y, t.m, t.d); };
        if (label == 1) newYears += festivalOn(1) == "新年";
        if (label == 5) {
            EXPECT_EQ(festivalOn(5), "端午");
        }
        if (label == 8) {
            EXPECT_EQ(festivalOn(15), "中秋");
        }
        // 除夕 is the last day of 腊月, the day before 新年, whether it is 廿九 or 三十.
        if (label == 12) eves += kReferenceMonthStarts[2 * k + 3] == 1 && last.day == last.monthDays;
    }
    EXPECT_EQ(year, 2100);
    EXPECT_EQ(newYears, 50);
    EXPECT_EQ(eves, 49);
    for (uint16_t y = 2051; y <= 2100; ++y)
        for (int i = 0; i < 24; ++i)
            EXPECT_EQ(solarTermIndex(y, i / 2 + 1, kReferenceTermDays[y - 2051][i]), i + 1) << y << ' ' << i;
}

// A digest of everything the calendar says about each day of 1901..2050, taken
// before the tables grew: later table changes must leave these years alone.
TEST(LunarPinned, OutputOf1901To2050IsUnchanged) {
    uint64_t digest = 14695981039346656037u;  // FNV-1a over one text line per day
    const auto add = [&](const std::string& s) {
        for (unsigned char c : s) digest = (digest ^ c) * 1099511628211u;
    };
    for (uint16_t y = 1901; y <= 2050; ++y)
        for (uint16_t m = 1; m <= 12; ++m)
            for (uint16_t d = 1; d <= daysInMonth(y, m); ++d) {
                Lunar l{};
                LunarDate date{};
                const int term = solarToLunar(y, m, d, l.y, l.m, l.d);
                lunarDateOf(y, m, d, date);
                const Ganzhi g = ganzhi(y, m, d);
                add(std::to_string(l.y) + '/' + std::to_string(l.m) + '/' + std::to_string(l.d) +
                    (date.leap ? "L" : "") + std::to_string(date.monthDays) + ' ' + std::to_string(term) + ' ' +
                    festivalOf(y, m, d) + ' ' + g.year + g.month + g.day + '\n');
            }
    EXPECT_EQ(digest, 11800682560681484311u);
}
