#include "calendar/workcalendar.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "calendar/lunar.h"

namespace {

int32_t D(int y, int m, int d) { return dayNumber(y, m, d); }
int weekdayOfDay(int32_t day) { return static_cast<int>(((day % 7) + 11) % 7); }  // 1970-01-01 was a Thursday

bool allows(uint8_t rule, int y, int m, int d, const WorkCalendar& c = workCalendar()) {
    return dayRuleAllows(rule, D(y, m, d), weekdayOf(y, m, d), c);
}

// The JSON files' names as the program gets them: UTF-8 through glibc's GBK.
std::string utf8ToGbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    char* to = &out[0];
    size_t inLeft = utf8.size(), outLeft = out.size();
    const bool ok = iconv(cd, &in, &inLeft, &to, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return ok ? out : "?";
}

bool json(const std::string& text, std::vector<MarkedDay>& out) {
    return parseHolidayJson(reinterpret_cast<const uint8_t*>(text.data()), text.size(), utf8ToGbk, out);
}

std::vector<MarkedDay> txt(const std::string& text, std::vector<int>* bad = nullptr) {
    std::vector<MarkedDay> days;
    parseHolidaysTxt(reinterpret_cast<const uint8_t*>(text.data()), text.size(), days, bad);
    return days;
}

std::string markName(const WorkCalendar& c, int32_t day) {
    std::string name;
    const DayMark m = c.markOf(day, &name);
    return (m == DayMark::Off ? "休 " : m == DayMark::Work ? "班 " : "- ") + name;
}

// A file of the open dataset's shape: BOM, CRLF, escapes, unknown members.
const char kJson2027[] =
    "\xEF\xBB\xBF{\"$schema\": \"x\", \"year\": 2027, \"papers\": [\"https://a/b\", {\"n\": [1, -0.5e+3, null]}],\r\n"
    " \"days\": [{\"name\": \"\\u5143\\u65e6\", \"date\": \"2027-01-01\", \"isOffDay\": true, \"x\": \"\\ud83d\\ude00\"},\r\n"
    "  {\"name\": \"\xE6\x98\xA5\xE8\x8A\x82\", \"date\": \"2027-02-20\", \"isOffDay\": false},\r\n"
    "  {\"date\": \"2026-12-31\", \"isOffDay\": true}]}\r\n";

}  // namespace

TEST(WorkCalendarTable, DigestAndTheHardDays) {
    // FNV-1a 64 over every marked day as tools/holidays/generate.js --digest prints it.
    const WorkCalendar c;
    uint64_t h = 0xCBF29CE484222325ull;
    int count = 0, offWeekdays2026 = 0, weekendWork2026 = 0;
    for (int32_t day = D(2008, 1, 1); day <= D(2027, 12, 31); ++day) {
        std::string name;
        const DayMark mark = c.markOf(day, &name);
        if (mark == DayMark::None) continue;
        int y, m, d;
        dateOfDay(day, y, m, d);
        char ymd[9];
        std::snprintf(ymd, sizeof(ymd), "%04d%02d%02d", y, m, d);
        std::string bytes = std::string(ymd) + static_cast<char>(mark) + name;
        bytes.push_back('\0');
        for (unsigned char b : bytes) h = (h ^ b) * 0x100000001B3ull;
        ++count;
        const bool weekend = weekdayOfDay(day) == 0 || weekdayOfDay(day) == 6;
        if (y == 2026 && weekend && mark == DayMark::Work) ++weekendWork2026;
        if (y == 2026 && !weekend && mark == DayMark::Off) ++offWeekdays2026;
    }
    EXPECT_EQ(h, 0xFE2767BEEB9FB57Aull);
    EXPECT_EQ(count, 644);
    // A Monday-to-Friday alarm in 2026 is wrong on 19 + 6 days.
    EXPECT_EQ(offWeekdays2026, 19);
    EXPECT_EQ(weekendWork2026, 6);

    EXPECT_EQ(markName(c, D(2026, 9, 20)), "班 国庆节");  // a Sunday
    EXPECT_EQ(markName(c, D(2020, 1, 31)), "休 春节");    // the extension
    EXPECT_EQ(markName(c, D(2020, 2, 1)), "休 春节");     // was a make-up Saturday
    EXPECT_EQ(markName(c, D(2020, 2, 2)), "休 春节");
    EXPECT_EQ(markName(c, D(2020, 2, 3)), "- ");
    EXPECT_EQ(markName(c, D(2022, 12, 31)), "休 元旦");   // of the 2023 notice
    EXPECT_EQ(markName(c, D(2011, 12, 31)), "班 元旦");   // of the 2012 notice
    for (int d = 3; d <= 5; ++d) EXPECT_EQ(markName(c, D(2015, 9, d)), "休 抗战胜利纪念日") << d;
    EXPECT_EQ(markName(c, D(2015, 9, 6)), "班 抗战胜利纪念日");
    EXPECT_EQ(markName(c, D(2012, 10, 1)), "休 中秋节、国庆节");
    EXPECT_EQ(markName(c, D(2014, 5, 31)), "休 端午节");  // "与周末连休"

    EXPECT_FALSE(c.covers(2008));
    EXPECT_TRUE(c.covers(2009));
    EXPECT_TRUE(c.covers(2026));
    EXPECT_FALSE(c.covers(2027));
    EXPECT_EQ(c.lastMarkedDay(), D(2026, 10, 10));

    for (int32_t day : {D(1901, 1, 1), D(1970, 1, 1), D(2000, 2, 29), D(2100, 12, 31), D(1969, 12, 31)}) {
        int y, m, d;
        dateOfDay(day, y, m, d);
        EXPECT_EQ(D(y, m, d), day);
    }
    EXPECT_EQ(D(1970, 1, 1), 0);
    EXPECT_EQ(weekdayOfDay(D(2009, 1, 5)), 1);
}

TEST(WorkCalendarRules, HolidayWeeksMakeUpDaysAndTheWeekParity) {
    // National Day 2026: 9-20 (Sun) 班, 10-1..7 休, 10-10 (Sat) 班.
    const int kRules[] = {kDayRuleWorkdays, kDayRuleSixDays, kDayRuleEvenSaturdays, kDayRuleOddSaturdays};
    for (int r : kRules) {
        EXPECT_TRUE(allows(r, 2026, 9, 20)) << r;
        EXPECT_FALSE(allows(r, 2026, 10, 1)) << r;
        EXPECT_FALSE(allows(r, 2026, 10, 4)) << r;  // Sunday inside the block
        EXPECT_TRUE(allows(r, 2026, 10, 8)) << r;
        EXPECT_TRUE(allows(r, 2026, 10, 10)) << r;
        EXPECT_FALSE(allows(r, 2026, 10, 11)) << r;  // plain Sunday
    }
    EXPECT_FALSE(allows(kDayRuleRestDays, 2026, 9, 20));
    EXPECT_TRUE(allows(kDayRuleRestDays, 2026, 10, 1));
    EXPECT_FALSE(allows(kDayRuleRestDays, 2026, 10, 8));
    EXPECT_FALSE(allows(kDayRuleRestDays, 2026, 10, 10));
    EXPECT_TRUE(allows(kDayRuleRestDays, 2026, 10, 11));
    EXPECT_FALSE(allows(kDayRuleWorkdays, 2026, 10, 17));  // plain Saturday
    EXPECT_TRUE(allows(kDayRuleSixDays, 2026, 10, 17));
    for (uint8_t r : {kDayRuleNone, uint8_t{9}}) EXPECT_TRUE(allows(r, 2026, 10, 1));

    // 大小周 counts weeks from Monday 2009-01-05 straight through new years
    // (2026-01-03 is 休) and backwards before it.
    struct Saturday { int y, m, d; bool even; } saturdays[] = {
        {2025, 12, 20, true}, {2025, 12, 27, false}, {2026, 1, 10, false}, {2026, 1, 17, true},
        {2008, 12, 27, true}, {2008, 12, 20, false},
    };
    for (const Saturday& s : saturdays) {
        EXPECT_EQ(allows(kDayRuleEvenSaturdays, s.y, s.m, s.d), s.even) << s.y << "-" << s.m << "-" << s.d;
        EXPECT_EQ(allows(kDayRuleOddSaturdays, s.y, s.m, s.d), !s.even) << s.y << "-" << s.m << "-" << s.d;
    }
    EXPECT_FALSE(allows(kDayRuleEvenSaturdays, 2026, 1, 3));
    EXPECT_FALSE(allows(kDayRuleOddSaturdays, 2026, 1, 3));

    // A year nobody marks follows the weekly pattern alone, and the pattern is
    // what dayRuleWeekdays promises.
    const WorkCalendar c;
    EXPECT_FALSE(c.covers(2030));
    for (uint8_t r = 0; r <= kDayRuleCount; ++r)
        for (int d = 4; d <= 17; ++d) {  // 2030-03-04 is a Monday
            const int wd = weekdayOf(2030, 3, d);
            const bool allowed = allows(r, 2030, 3, d, c);
            const bool inMask = (dayRuleWeekdays(r) >> wd) & 1;
            if (wd == 6 && (r == kDayRuleEvenSaturdays || r == kDayRuleOddSaturdays))
                EXPECT_TRUE(inMask) << int(r);
            else
                EXPECT_EQ(allowed, inMask) << int(r) << " " << d;
        }
}

TEST(WorkCalendarLayers, UserDaysOverFilesOverTheTable) {
    WorkCalendar c;
    c.setFileDays({{D(2026, 10, 8), DayMark::Off, "甲"}, {D(2026, 10, 8), DayMark::Work, "乙"},
                   {D(2026, 10, 1), DayMark::Work, ""}, {D(2027, 1, 1), DayMark::Off, "元旦"}});
    EXPECT_EQ(markName(c, D(2026, 10, 8)), "班 乙");  // a later file wins
    EXPECT_EQ(markName(c, D(2026, 10, 1)), "班 ");
    EXPECT_TRUE(c.covers(2027));
    EXPECT_EQ(c.lastMarkedDay(), D(2027, 1, 1));
    EXPECT_EQ(c.userMarkOf(D(2026, 10, 8)), DayMark::None);

    c.setUserDays({{D(2026, 10, 8), DayMark::Off, "年假"}, {D(2026, 10, 2), DayMark::Work, "加班"},
                   {D(2026, 10, 2), DayMark::Off, "补休"}});
    EXPECT_EQ(markName(c, D(2026, 10, 8)), "休 年假");
    EXPECT_EQ(markName(c, D(2026, 10, 2)), "休 补休");  // a later line wins
    EXPECT_EQ(c.userMarkOf(D(2026, 10, 2)), DayMark::Off);
    EXPECT_EQ(c.userMarkOf(D(2026, 10, 3)), DayMark::None);
    EXPECT_EQ(markName(c, D(2026, 10, 3)), "休 国庆节");

    c.setFileDays({});
    EXPECT_EQ(markName(c, D(2026, 10, 1)), "休 国庆节");
    EXPECT_FALSE(c.covers(2027));

    EXPECT_EQ(workCalendar().markOf(D(2026, 10, 2)), DayMark::Off);
    installWorkCalendar(c);
    EXPECT_EQ(markName(workCalendar(), D(2026, 10, 8)), "休 年假");
    EXPECT_FALSE(allows(kDayRuleWorkdays, 2026, 10, 8));
    installWorkCalendar(WorkCalendar());
    EXPECT_TRUE(allows(kDayRuleWorkdays, 2026, 10, 8));
}

TEST(HolidayFiles, JsonOfTheOpenDataset) {
    std::vector<MarkedDay> out{{1, DayMark::Off, "kept"}};
    ASSERT_TRUE(json(kJson2027, out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].name, "kept");
    EXPECT_EQ(out[1].day, D(2027, 1, 1));
    EXPECT_EQ(out[1].mark, DayMark::Off);
    EXPECT_EQ(out[1].name, "元旦");
    EXPECT_EQ(out[2].mark, DayMark::Work);
    EXPECT_EQ(out[2].name, "春节");
    EXPECT_EQ(out[3].day, D(2026, 12, 31));  // whatever "year" says
    EXPECT_EQ(out[3].name, "");

    // Every cut of the file is refused, and so is every fault below.
    const std::string good(kJson2027);
    for (size_t n = 0; n < good.size() - 2; ++n) EXPECT_FALSE(json(good.substr(0, n), out)) << n;
    const std::string day = R"({"days": [{"name": "x", "date": "2027-10-01", "isOffDay": true}]})";
    ASSERT_TRUE(json(day, out));
    auto with = [&](const char* from, const std::string& to) {
        std::string s = day;
        return s.replace(s.find(from), std::strlen(from), to);
    };
    const std::string bad[] = {
        with("2027-10-01", "2027-02-30"), with("2027-10-01", "2027-2-03"), with("2027-10-01", "1900-12-31"),
        with("true", "\"true\""), with("true", "1"), with("\"x\"", "null"), with("\"2027-10-01\"", "20271001"),
        R"({"days": {}})", with("[{", "[[{"), with("\"x\"", "\"\\ud800\""), with("\"x\"", "\"\\udc00x\""),
        with("\"x\"", "\"\\x\""), with("\"x\"", "\"a\tb\""), with("\"x\"", "\"\xC0\x80\""),
        with("\"x\"", "\"\xED\xA0\x80\""), with("\"x\"", "\"" + std::string(100, 'a') + "\""), with(", \"isOffDay\": true", ""),
        with("\"days\"", "\"year\": 02, \"days\""), with("\"days\"", "\"year\": \"2027\", \"days\""),
        with("\"days\"", "\"days\": [], \"days\""), with("\"days\"", "\"dayz\""), day + " x", "[" + day + "]",
        with("\"name\"", "\"n\": " + std::string(40, '[') + std::string(40, ']') + ", \"name\""),
        day + std::string(kMaxHolidayJsonBytes, ' '),
    };
    for (const std::string& s : bad) {
        EXPECT_FALSE(json(s, out)) << s.substr(0, 120);
        EXPECT_EQ(out.size(), 5u);
    }
    EXPECT_TRUE(json(with("\"name\"", "\"n\": " + std::string(20, '[') + std::string(20, ']') + ", \"name\""), out));
}

TEST(HolidayFiles, HolidaysTxtLines) {
    std::vector<int> bad;
    const auto days = txt("\xEF\xBB\xBF# 我的假\r\n"
                          "2026-12-31~2027-01-02 休 跨年\r\n"
                          "\n"
                          "  \t\r\n"
                          "2027-01-09 班\n"
                          "2027-01-03\xA1\xA1休\xA1\xA1名 字  \r\n"
                          "2027-02-30 休 坏日期\r\n"
                          "2027-03-05~2027-03-01 休 倒序\r\n"
                          "2027-01-01~2028-01-02 休 太长\r\n"
                          "2027-03-01 假\r\n"
                          "2027-03-01 休息\r\n"
                          "2027-03-01休\r\n"
                          "2027-04-01 休 " + std::string(65, 'n') + "\r\n"
                          "2027-01-09 休 末行",
                          &bad);
    ASSERT_EQ(days.size(), 6u);
    EXPECT_EQ(days[0].day, D(2026, 12, 31));
    EXPECT_EQ(days[2].day, D(2027, 1, 2));
    EXPECT_EQ(days[2].name, "跨年");
    EXPECT_EQ(days[3].mark, DayMark::Work);
    EXPECT_EQ(days[3].name, "");
    EXPECT_EQ(days[4].name, "名 字");
    EXPECT_EQ(days[5].name, "末行");
    EXPECT_EQ(bad, (std::vector<int>{7, 8, 9, 10, 11, 12, 13}));

    // The whole file holds at most ten years' worth of days.
    std::string many;
    for (int y = 2030; y <= 2040; ++y) many += std::to_string(y) + "-01-01~" + std::to_string(y) + "-12-31 休\n";
    bad.clear();
    EXPECT_EQ(txt(many, &bad).size(), 3652u);  // 2030..2039; 2040 would pass 3660
    EXPECT_EQ(bad, (std::vector<int>{11}));
}

TEST(HolidayFiles, WithUserMarkKeepsEveryOtherLine) {
    const int32_t day = D(2027, 2, 3);
    EXPECT_EQ(withUserMark("", day, DayMark::Off, "年假"), "2027-02-03 休 年假\r\n");
    EXPECT_EQ(withUserMark("# a\nx", day, DayMark::Work), "# a\nx\n2027-02-03 班\n");
    EXPECT_EQ(withUserMark("# a\n", day, DayMark::None), "# a\n");

    const std::string file = "# 公司\r\n2027-02-01 ~ 2027-02-05  休  春节\r\nbad 2027-02-03\r\n2027-02-03 班\r\n";
    EXPECT_EQ(withUserMark(file, day, DayMark::Work, "值班"),
              "# 公司\r\n2027-02-01~2027-02-02 休 春节\r\n2027-02-03 班 值班\r\n2027-02-04~2027-02-05 休 春节\r\n"
              "bad 2027-02-03\r\n");
    EXPECT_EQ(withUserMark(file, day, DayMark::None),
              "# 公司\r\n2027-02-01~2027-02-02 休 春节\r\n2027-02-04~2027-02-05 休 春节\r\nbad 2027-02-03\r\n");
    EXPECT_EQ(withUserMark(file, D(2027, 2, 5), DayMark::None),
              "# 公司\r\n2027-02-01~2027-02-04 休 春节\r\nbad 2027-02-03\r\n2027-02-03 班\r\n");
    EXPECT_EQ(withUserMark("2027-02-03 休\n2027-02-04 休", D(2027, 2, 4), DayMark::Work, "x"),
              "2027-02-03 休\n2027-02-04 班 x");

    // What the rewrite says is what the reader then finds.
    WorkCalendar c;
    c.setUserDays(txt(withUserMark(file, D(2027, 2, 1), DayMark::Work, "开会")));
    EXPECT_EQ(markName(c, D(2027, 2, 1)), "班 开会");
    EXPECT_EQ(markName(c, D(2027, 2, 2)), "休 春节");
    EXPECT_EQ(markName(c, D(2027, 2, 3)), "班 ");
}
