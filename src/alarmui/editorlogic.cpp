#include "alarmui/editorlogic.h"

#include <cstdio>
#include <cstring>

#include "alarm/schedule.h"
#include "calendar/lunar.h"

int timeListSize(TimeList list, bool lunar) {
    switch (list) {
    case TimeList::Years: return kLastAlarmYear - kFirstAlarmYear + 1;
    case TimeList::Months: return 12;
    case TimeList::Days: return lunar ? 30 : 31;
    case TimeList::Weekdays: return 7;
    case TimeList::Hours: return 24;
    }
    return 0;
}

std::string timeListEntry(TimeList list, int index, bool lunar) {
    if (index < 0 || index >= timeListSize(list, lunar))
        return std::string();
    char text[32];
    if (lunar && list == TimeList::Months) {
        lunarMonthName(index + 1, text);
        return text;
    }
    if (lunar && list == TimeList::Days) {
        lunarDayName(index + 1, text);
        return text;
    }
    switch (list) {
    case TimeList::Years: std::snprintf(text, sizeof text, "%04d年", kFirstAlarmYear + index); break;
    case TimeList::Months: std::snprintf(text, sizeof text, "%d月", index + 1); break;
    case TimeList::Days: std::snprintf(text, sizeof text, "%d日", index + 1); break;
    case TimeList::Weekdays: std::snprintf(text, sizeof text, "星期%s", weekdayNames[index]); break;
    case TimeList::Hours: std::snprintf(text, sizeof text, "%d时", index); break;
    }
    return text;
}

uint32_t timeListMask(const AlarmRecord& record, TimeList list) {
    switch (list) {
    case TimeList::Years: return record.yearMask;
    case TimeList::Months: return record.monthMask;
    case TimeList::Days: return record.dayMask;
    case TimeList::Weekdays: return record.weekdayMask;
    case TimeList::Hours: return record.hourMask;
    }
    return 0;
}

void setTimeListMask(AlarmRecord& record, TimeList list, uint32_t mask) {
    switch (list) {
    case TimeList::Years: record.yearMask = mask; break;
    case TimeList::Months: record.monthMask = mask; break;
    case TimeList::Days: record.dayMask = mask; break;
    case TimeList::Weekdays: record.weekdayMask = static_cast<uint8_t>(mask); break;
    case TimeList::Hours: record.hourMask = mask; break;
    }
}

bool entrySelected(uint32_t mask, int index) {
    return index >= 0 && index < 32 && (mask >> index) & 1u;
}

uint32_t maskOfSelection(const int* indices, size_t count) {
    uint32_t mask = 0;
    for (size_t i = 0; i < count; ++i)
        if (indices[i] >= 0 && indices[i] < 32)
            mask |= uint32_t{1} << indices[i];
    return mask;
}

AlarmRecord newAlarmDefaults(const ClockSettings& settings, const LocalTime& now,
                             const char* defaultSoundPath, bool defaultSoundExists) {
    AlarmRecord r = emptyAlarm();
    // The first sound start, quickLead minutes early, still lies a minute ahead.
    const LocalTime t = addSeconds(now, (int64_t{settings.quickLead} + 1) * 60);
    r.yearMask = yearBit(t.year);
    r.monthMask = monthBit(t.month);
    r.dayMask = dayBit(t.day);
    r.hourMask = hourBit(t.hour);
    r.weekdayMask = weekdayBit(t.weekday);
    r.minute = static_cast<int8_t>(t.minute);
    if (defaultSoundExists && defaultSoundPath)
        storeText(r.soundPath, defaultSoundPath);
    r.temporary = 1;
    r.repeatCount = settings.quickRepeat;
    r.leadMinutes = settings.quickLead;
    r.intervalMinutes = settings.quickInterval;
    return r;
}

bool presetForDate(AlarmRecord& record, int year, int month, int day) {
    // A year mask of 0 would ring on that date every year: refused instead.
    if (!isAlarmYear(year))
        return false;
    record.yearMask = yearBit(year);
    record.monthMask = monthBit(month);
    record.dayMask = dayBit(day);
    record.hourMask = hourBit(12);
    record.weekdayMask = 0;
    record.minute = 0;
    storeText(record.soundPath, "");
    record.temporary = 0;
    record.disabled = 0;
    return true;
}

void presetForQuickAlarm(AlarmRecord& record, int year, int month, int day, int hour, int minute,
                         const char* soundPath) {
    record.yearMask = yearBit(year);
    record.monthMask = monthBit(month);
    record.dayMask = dayBit(day);
    record.hourMask = hourBit(hour);
    record.weekdayMask = 0;
    record.minute = static_cast<int8_t>(minute);
    storeText(record.soundPath, soundPath ? soundPath : "");
    std::memset(record.programPath, 0, sizeof record.programPath);
    std::memset(record.text, 0, sizeof record.text);
    record.specialAction = 0;
    record.temporary = 1;
    record.disabled = 0;
}

bool lunarDateMasks(int year, int month, int day, uint32_t& monthMask, uint32_t& dayMask) {
    LunarDate lunar;
    if (!lunarDateAt(LocalTime{year, month, day, 0, 0, 0, 0}, lunar))
        return false;
    monthMask = monthBit(lunar.month);
    dayMask = dayBit(lunar.day);
    return true;
}

void switchCalendar(uint32_t& monthMask, uint32_t& dayMask, bool lunar, const PresetDate& preset) {
    uint32_t gregorianMonth = monthBit(preset.month), gregorianDay = dayBit(preset.day);
    uint32_t lunarMonth = 0, lunarDay = 0;
    if (preset.year != 0 && lunarDateMasks(preset.year, preset.month, preset.day, lunarMonth, lunarDay)) {
        const uint32_t oldMonth = lunar ? gregorianMonth : lunarMonth;
        const uint32_t oldDay = lunar ? gregorianDay : lunarDay;
        if (monthMask == oldMonth && dayMask == oldDay) {
            monthMask = lunar ? lunarMonth : gregorianMonth;
            dayMask = lunar ? lunarDay : gregorianDay;
            return;
        }
    }
    // 30 or 31 entries.
    dayMask &= (uint32_t{1} << timeListSize(TimeList::Days, lunar)) - 1;
}

namespace {

std::string nextRingLine(const AlarmRecord& record, const LocalTime& now) {
    if (record.disabled)
        return "此闹铃已禁用。";
    LocalTime next;
    if (!nextRing(record, now, next))
        return "按此设置，闹铃不会再响。";
    char text[192];
    int n = std::snprintf(text, sizeof text, "下次响铃：%d年%d月%d日 星期%s %02d:%02d", next.year, next.month,
                          next.day, weekdayNames[next.weekday], next.hour, next.minute);
    // A rule in a year the schedule does not know yet counts plain weekdays.
    if (record.dayRule != kDayRuleNone && record.dayRule < kDayRuleCount && !workCalendar().covers(next.year))
        std::snprintf(text + n, sizeof text - n, "（%d年的放假安排未录入，暂按平常的星期计算）", next.year);
    return text;
}

bool evenWorkWeek(const LocalTime& now) { return (workWeekOf(dayNumber(now.year, now.month, now.day)) & 1) == 0; }

}  // namespace

const char* const kDayRuleItems[kDayRuleCount] = {"不跟随", "法定工作日", "法定休息日", "单休",
                                                 "大小周（本周六上班）", "大小周（本周六休息）"};

int dayRuleItem(uint8_t rule, const LocalTime& now) {
    if (rule == kDayRuleEvenSaturdays || rule == kDayRuleOddSaturdays)
        return (rule == kDayRuleEvenSaturdays) == evenWorkWeek(now) ? 4 : 5;
    return rule < kDayRuleCount ? rule : 0;
}

uint8_t dayRuleOfItem(int item, const LocalTime& now) {
    if (item == 4 || item == 5)
        return (item == 4) == evenWorkWeek(now) ? kDayRuleEvenSaturdays : kDayRuleOddSaturdays;
    return item > 0 && item < kDayRuleCount ? static_cast<uint8_t>(item) : kDayRuleNone;
}

void setDayRule(AlarmRecord& record, uint8_t rule) {
    record.dayRule = rule < kDayRuleCount ? rule : kDayRuleNone;
    // A make-up Saturday must never be filtered out by an old weekday habit.
    if (record.dayRule != kDayRuleNone)
        record.weekdayMask = 0;
}

const char kMissingSoundNote[] = "（声音文件不存在，将以默认铃声代替）";

std::string nextRingPreview(const AlarmRecord& record, const LocalTime& now, bool soundMissing) {
    std::string line = nextRingLine(record, now);
    if (soundMissing)
        line += kMissingSoundNote;
    return line;
}

bool asksBeforeSaving(const AlarmRecord& record, const LocalTime& now) {
    LocalTime next;
    return !record.disabled && !nextRing(record, now, next);
}

const char kNeverRingsQuestion[] = "按此设置，闹铃不会再响。仍然保存吗？";

const int kMinuteItems[6] = {0, 10, 20, 30, 40, 50};
bool hasAction(int specialAction, const char* sound, const char* text, const char* program) {
    return specialAction != 0 || (sound && *sound) || (text && *text) || (program && *program);
}

bool applyEditorInput(AlarmRecord& record, const EditorInput& in) {
    if (!hasAction(in.specialAction, in.sound, in.text, in.program))
        return false;
    for (int i = 0; i < kTimeListCount; ++i)
        setTimeListMask(record, static_cast<TimeList>(i), in.masks[i]);
    record.temporary = in.temporary ? 1 : 0;
    record.disabled = in.disabled ? 1 : 0;
    record.minute = static_cast<int8_t>(in.minute);
    storeText(record.programPath, in.program);
    storeText(record.soundPath, in.sound);
    storeText(record.text, in.text);
    record.specialAction = in.specialAction;
    record.repeatCount = comboNumber(in.repeat);
    record.leadMinutes = comboNumber(in.lead);
    record.intervalMinutes = comboNumber(in.interval);
    if (record.intervalMinutes == 0)
        record.intervalMinutes = 5;
    if (record.repeatCount == 0)
        record.repeatCount = 1;
    return true;
}
