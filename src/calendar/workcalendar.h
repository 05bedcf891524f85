// China's official work calendar: the days off (休) and make-up workdays (班)
// the State Council announces each year, the years the user adds as JSON
// files, and the user's own days from holidays.txt; and the work patterns an
// alarm may follow on them. Portable: no platform, no file access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a source says of one day.
enum class DayMark : uint8_t {
    None = 0,  // nothing: the day follows the weekly pattern
    Off = 1,   // 休: an official day off, weekend days of a holiday block included
    Work = 2,  // 班: a make-up workday, usually a Saturday or Sunday
};

// Days since 1970-01-01 of a Gregorian date (month 1..12), as the alarm
// schedule counts them.
int32_t dayNumber(int year, int month, int day);
// The Gregorian date of a dayNumber: its inverse.
void dateOfDay(int32_t day, int& year, int& month, int& dayOfMonth);

struct MarkedDay {
    int32_t day;       // dayNumber
    DayMark mark;      // Off or Work
    std::string name;  // GBK, e.g. "国庆节"; may be empty
};

class WorkCalendar {
public:
    // The built-in schedule alone (2009..2026).
    WorkCalendar();

    // The days of the JSON files, in the order the files were read: for the
    // same day a later file wins over an earlier one. Replaces earlier ones.
    void setFileDays(std::vector<MarkedDay> days);
    // The days of holidays.txt in line order (a later line wins); they win
    // over the files and the built-in table. Replaces earlier ones.
    void setUserDays(std::vector<MarkedDay> days);

    // What the schedule says of a day: holidays.txt, else the JSON files,
    // else the built-in table; None when none of them says anything. With
    // name, also that source's name of the day ("" when it has none).
    DayMark markOf(int32_t day, std::string* name = nullptr) const;
    // What holidays.txt alone says of the day.
    DayMark userMarkOf(int32_t day) const;
    // Whether any source marks a day of this Gregorian year. A year no
    // source mentions is "not covered": it follows the weekly pattern alone.
    bool covers(int year) const;
    // The latest day any source marks (INT32_MIN when none): after it every
    // rule is a weekly pattern, which a search for the next ring can use.
    int32_t lastMarkedDay() const;

private:
    // One day of the merged schedule, the winner of all sources for that day.
    struct Entry {
        int32_t day;
        DayMark mark;
        DayMark userMark;  // what holidays.txt says (None when it is silent)
        uint32_t name;     // index into names_
    };
    void merge();

    std::vector<MarkedDay> fileDays_;
    std::vector<MarkedDay> userDays_;
    std::vector<Entry> merged_;  // by day, one entry a day
    std::vector<std::string> names_;
};

// The schedule the due test consults: the built-in one until the clock
// installs what it read at start-up (and again after holidays.txt changed).
const WorkCalendar& workCalendar();
void installWorkCalendar(const WorkCalendar& calendar);

// AlarmRecord.dayRule values. Any other value reads as kDayRuleNone.
constexpr uint8_t kDayRuleNone = 0;          // 不跟随: the masks alone
constexpr uint8_t kDayRuleWorkdays = 1;      // 法定工作日
constexpr uint8_t kDayRuleRestDays = 2;      // 法定休息日
constexpr uint8_t kDayRuleSixDays = 3;       // 单休: Monday..Saturday
constexpr uint8_t kDayRuleEvenSaturdays = 4; // 大小周: Saturdays of even weeks worked
constexpr uint8_t kDayRuleOddSaturdays = 5;  // 大小周: Saturdays of odd weeks worked
constexpr uint8_t kDayRuleCount = 6;

// Whether a day is one the rule rings on. weekday 0..6, 0 = Sunday, of that
// day. A 班 day counts for every rule but 2 (and is excluded by 2), a 休 day
// for none but 2 (and is included by 2); an unmarked day follows the rule's
// weekly pattern: 1 Monday..Friday, 2 Saturday and Sunday, 3 Monday..
// Saturday, 4 and 5 Monday..Friday plus the Saturday of every other week,
// weeks counted from Monday 2009-01-05 (week 0, even). kDayRuleNone (and any
// unknown value) allows every day.
bool dayRuleAllows(uint8_t rule, int32_t day, int weekday, const WorkCalendar& calendar);

// The week of a day for the 大小周 rules: whole weeks since Monday
// 2009-01-05 (week 0), negative before it.
int32_t workWeekOf(int32_t day);

// The weekdays (bit n = weekday n) an unmarked day may fall on under the
// rule, Saturdays of the other week included for 4 and 5; 0x7F for none.
uint8_t dayRuleWeekdays(uint8_t rule);

// The largest JSON file parseHolidayJson reads; a longer one is refused, so
// reading more of it is pointless.
constexpr size_t kMaxHolidayJsonBytes = 1 << 20;
// The most days holidays.txt may mark (ten years' worth): the lines that would
// go beyond count as unreadable. One line's range holds at most 366 days.
constexpr size_t kMaxUserDays = 3660;
// Dates the files may name: the years the calendar shows.
constexpr int kFirstHolidayFileYear = 1901;
constexpr int kLastHolidayFileYear = 2100;

// Converts a name of a JSON file (UTF-8) to GBK; what GBK lacks may become "?".
using NameToGbk = std::string (*)(const std::string& utf8);

// One JSON file in the per-year format of the open dataset of the official
// schedule: {"year": 2027, "papers": [...], "days": [{"name": "元旦",
// "date": "2027-01-01", "isOffDay": true}, ...]}, UTF-8, a byte order mark
// allowed. Every day is taken whatever "year" says. False, and out left as
// it was, for bytes that are not such a file (then the file is skipped as a
// whole); unknown members are ignored.
bool parseHolidayJson(const uint8_t* data, size_t size, NameToGbk toGbk, std::vector<MarkedDay>& out);

// holidays.txt, GBK, CRLF or LF: "YYYY-MM-DD 休 名称", "YYYY-MM-DD 班 名称",
// "YYYY-MM-DD~YYYY-MM-DD 休 名称" (name optional). Blank lines and lines
// starting with '#' are comments. Appends the days in line order; a line it
// cannot read is skipped, and its 1-based number goes to badLines.
void parseHolidaysTxt(const uint8_t* data, size_t size, std::vector<MarkedDay>& out,
                      std::vector<int>* badLines = nullptr);

// The text of holidays.txt after the user marked one day: mark Off or Work
// sets it (with name, which may be empty), None takes the user's own mark of
// that day away. Every other line stays as it stands, comments and lines it
// cannot read included; a range holding the day is split around it. New
// lines take the file's line ends (CRLF for a new file).
std::string withUserMark(const std::string& text, int32_t day, DayMark mark, const std::string& name = "");
