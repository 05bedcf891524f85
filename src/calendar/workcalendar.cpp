#include "calendar/workcalendar.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "calendar/holiday_table.h"

// Both count in 400-year eras from 0000-03-01, so that the leap day ends a year.
int32_t dayNumber(int year, int month, int day) {
    const int32_t y = year - (month <= 2 ? 1 : 0);
    const int32_t era = (y >= 0 ? y : y - 399) / 400;
    const int32_t yoe = y - era * 400;
    const int32_t doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

void dateOfDay(int32_t day, int& year, int& month, int& dayOfMonth) {
    const int32_t z = day + 719468;
    const int32_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int32_t doe = z - era * 146097;
    const int32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int32_t mp = (5 * doy + 2) / 153;
    dayOfMonth = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

WorkCalendar::WorkCalendar() { merge(); }

void WorkCalendar::setFileDays(std::vector<MarkedDay> days) {
    fileDays_ = std::move(days);
    merge();
}

void WorkCalendar::setUserDays(std::vector<MarkedDay> days) {
    userDays_ = std::move(days);
    merge();
}

namespace {

struct Item {
    int32_t day;
    uint8_t layer;  // 0 table, 1 files, 2 holidays.txt
    DayMark mark;
    uint32_t order;
    uint32_t name;
};

// The C library's sort keeps the product small; the order within a source
// makes it stable.
int compareItems(const void* a, const void* b) {
    const Item& x = *static_cast<const Item*>(a);
    const Item& y = *static_cast<const Item*>(b);
    if (x.day != y.day) return x.day < y.day ? -1 : 1;
    if (x.layer != y.layer) return x.layer < y.layer ? -1 : 1;
    return x.order < y.order ? -1 : x.order > y.order ? 1 : 0;
}

}  // namespace

// Every source's days sorted by day, then by precedence (table, files, user)
// and by their order within a source: the last of each day wins.
void WorkCalendar::merge() {
    names_.assign(kHolidayNames, kHolidayNames + kHolidayNameCount);
    uint32_t lastName = 0;
    // Consecutive days mostly share a name (a range of holidays.txt, a block).
    auto nameIndex = [&](const std::string& name) {
        if (names_[lastName] != name) {
            lastName = 0;
            while (lastName < names_.size() && names_[lastName] != name) ++lastName;
            if (lastName == names_.size()) names_.push_back(name);
        }
        return lastName;
    };

    std::vector<Item> items;
    items.reserve(kHolidayDayCount + fileDays_.size() + userDays_.size());
    const int32_t epoch = dayNumber(kHolidayFirstYear, 1, 1);
    for (size_t i = 0; i < kHolidayDayCount; ++i) {
        const HolidayDay& h = kHolidayDays[i];
        items.push_back({epoch + h.offset, 0, static_cast<DayMark>(h.mark), static_cast<uint32_t>(i), h.name});
    }
    const std::vector<MarkedDay>* layers[] = {&fileDays_, &userDays_};
    for (uint8_t layer = 1; layer <= 2; ++layer) {
        const std::vector<MarkedDay>& days = *layers[layer - 1];
        for (size_t i = 0; i < days.size(); ++i) {
            const MarkedDay& d = days[i];
            if (d.mark != DayMark::Off && d.mark != DayMark::Work) continue;
            items.push_back({d.day, layer, d.mark, static_cast<uint32_t>(i), nameIndex(d.name)});
        }
    }
    std::qsort(items.data(), items.size(), sizeof(Item), compareItems);

    merged_.clear();
    for (size_t i = 0; i < items.size(); ++i) {
        if (i + 1 < items.size() && items[i + 1].day == items[i].day) continue;
        const Item& last = items[i];
        merged_.push_back({last.day, last.mark, last.layer == 2 ? last.mark : DayMark::None, last.name});
    }
}

namespace {

template <typename Entries>
auto findDay(const Entries& entries, int32_t day) {
    auto it = std::lower_bound(entries.begin(), entries.end(), day,
                               [](const auto& e, int32_t d) { return e.day < d; });
    return it != entries.end() && it->day == day ? it : entries.end();
}

}  // namespace

DayMark WorkCalendar::markOf(int32_t day, std::string* name) const {
    auto it = findDay(merged_, day);
    if (it == merged_.end()) {
        if (name) name->clear();
        return DayMark::None;
    }
    if (name) *name = names_[it->name];
    return it->mark;
}

DayMark WorkCalendar::userMarkOf(int32_t day) const {
    auto it = findDay(merged_, day);
    return it == merged_.end() ? DayMark::None : it->userMark;
}

bool WorkCalendar::covers(int year) const {
    if (year < 1 || year > 9999) return false;
    const int32_t first = dayNumber(year, 1, 1);
    auto it = std::lower_bound(merged_.begin(), merged_.end(), first,
                               [](const Entry& e, int32_t d) { return e.day < d; });
    return it != merged_.end() && it->day < dayNumber(year + 1, 1, 1);
}

int32_t WorkCalendar::lastMarkedDay() const { return merged_.empty() ? INT32_MIN : merged_.back().day; }

namespace {

WorkCalendar& installed() {
    static WorkCalendar calendar;
    return calendar;
}

// Monday 2009-01-05, the first day of week 0 of the 大小周 rules.
constexpr int32_t kFirstWeekMonday = 14249;

}  // namespace

int32_t workWeekOf(int32_t day) {
    const int32_t since = day - kFirstWeekMonday;
    return since >= 0 ? since / 7 : -((6 - since) / 7);
}

const WorkCalendar& workCalendar() { return installed(); }

void installWorkCalendar(const WorkCalendar& calendar) { installed() = calendar; }

uint8_t dayRuleWeekdays(uint8_t rule) {
    static const uint8_t kWeekdays[kDayRuleCount] = {0x7F, 0x3E, 0x41, 0x7E, 0x7E, 0x7E};
    return rule < kDayRuleCount ? kWeekdays[rule] : 0x7F;
}

bool dayRuleAllows(uint8_t rule, int32_t day, int weekday, const WorkCalendar& calendar) {
    if (rule == kDayRuleNone || rule >= kDayRuleCount) return true;
    if (weekday < 0 || weekday > 6) return false;
    const DayMark mark = calendar.markOf(day);
    if (mark != DayMark::None) return (mark == DayMark::Work) != (rule == kDayRuleRestDays);
    if (weekday == 6 && (rule == kDayRuleEvenSaturdays || rule == kDayRuleOddSaturdays)) {
        return (workWeekOf(day) & 1) == (rule == kDayRuleOddSaturdays ? 1 : 0);
    }
    return (dayRuleWeekdays(rule) >> weekday) & 1;
}
