// The settings and alarm records. Both are raw images in db.dat and in alarm
// export files, so every field sits at a fixed offset checked below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

struct ClockSettings {
    int8_t autoStart;        // start at log-on (Run key)
    int8_t fullTransparent;  // 1: background is a colour key; 0: alpha by alphaLevel
    int8_t hour12;
    uint8_t alphaLevel;      // 0..10, opacity = 255 - 24 * level
    int8_t zOrder;           // 0 top-most, 1 bottom, 2 normal
    int8_t quickRepeat;
    int8_t quickLead;
    int8_t quickInterval;
    int8_t fontSize;
    uint8_t pad9[3];
    uint32_t backColor;      // COLORREF, red in the low byte
    uint32_t textColor;
    int32_t posX;
    int32_t posY;
    int8_t alarmService;     // 0 switches every alarm off, the automatic one too
    char fontName[60];
    char quickSound[300];
    char amMark[11];
    char pmMark[11];
    int8_t dstAdjust;        // automatic alarm: 0 none, 1 an hour earlier, 2 an hour later
    uint8_t noWake;          // 0 wakes the computer for the next alarm (the default), 1 never
    uint8_t ringMinutes;     // an alarm's sound stops this long after its latest start: 0 = 10, 255 = never
    uint8_t reserved[318];
};

struct AlarmRecord {
    uint32_t yearMask;       // bit n = year 2009 + n (2009..2040); 0 = any year
    uint32_t monthMask;      // bit n = month n + 1 (lunar month for a lunar alarm)
    uint32_t dayMask;        // bit n = day n + 1 (lunar day for a lunar alarm)
    uint32_t hourMask;       // bit n = hour n
    uint8_t weekdayMask;     // bit n = weekday n, 0 = Sunday
    int8_t minute;           // exact, never a wildcard
    char soundPath[300];
    char programPath[320];
    char text[196];
    int8_t repeatCount;
    int8_t leadMinutes;
    int8_t intervalMinutes;
    uint8_t calendarKind;    // kCalendarLunar: month and day masks follow the lunar calendar
    uint8_t dayRule;         // kDayRule…: the days of China's work calendar it rings on; 0 = masks alone
    uint8_t pad839;
    int32_t specialAction;   // 0 none, 1 shut down, 2 restart, 3 standby, 4 hibernate, 5 log off
    uint8_t temporary;       // kept in memory only, never saved
    uint8_t disabled;
    uint8_t pad846[2];
};

constexpr int kMaxAlarms = 150;

struct AlarmTable {
    AlarmRecord alarms[kMaxAlarms];
    int32_t alarmCount;
};

// The used part of the table, whatever alarmCount holds.
inline int usedAlarms(const AlarmTable& table) {
    return table.alarmCount < 0 ? 0 : table.alarmCount > kMaxAlarms ? kMaxAlarms : table.alarmCount;
}

static_assert(std::is_trivially_copyable<ClockSettings>::value, "raw image");
static_assert(std::is_trivially_copyable<AlarmRecord>::value, "raw image");
static_assert(sizeof(ClockSettings) == 732, "ClockSettings is a file format");
static_assert(offsetof(ClockSettings, autoStart) == 0, "layout");
static_assert(offsetof(ClockSettings, fullTransparent) == 1, "layout");
static_assert(offsetof(ClockSettings, hour12) == 2, "layout");
static_assert(offsetof(ClockSettings, alphaLevel) == 3, "layout");
static_assert(offsetof(ClockSettings, zOrder) == 4, "layout");
static_assert(offsetof(ClockSettings, quickRepeat) == 5, "layout");
static_assert(offsetof(ClockSettings, quickLead) == 6, "layout");
static_assert(offsetof(ClockSettings, quickInterval) == 7, "layout");
static_assert(offsetof(ClockSettings, fontSize) == 8, "layout");
static_assert(offsetof(ClockSettings, pad9) == 9, "layout");
static_assert(offsetof(ClockSettings, backColor) == 12, "layout");
static_assert(offsetof(ClockSettings, textColor) == 16, "layout");
static_assert(offsetof(ClockSettings, posX) == 20, "layout");
static_assert(offsetof(ClockSettings, posY) == 24, "layout");
static_assert(offsetof(ClockSettings, alarmService) == 28, "layout");
static_assert(offsetof(ClockSettings, fontName) == 29, "layout");
static_assert(offsetof(ClockSettings, quickSound) == 89, "layout");
static_assert(offsetof(ClockSettings, amMark) == 389, "layout");
static_assert(offsetof(ClockSettings, pmMark) == 400, "layout");
static_assert(offsetof(ClockSettings, dstAdjust) == 411, "layout");
static_assert(offsetof(ClockSettings, noWake) == 412, "layout");
static_assert(offsetof(ClockSettings, ringMinutes) == 413, "layout");
static_assert(offsetof(ClockSettings, reserved) == 414, "layout");

static_assert(sizeof(AlarmRecord) == 848, "AlarmRecord is a file format");
static_assert(offsetof(AlarmRecord, yearMask) == 0, "layout");
static_assert(offsetof(AlarmRecord, monthMask) == 4, "layout");
static_assert(offsetof(AlarmRecord, dayMask) == 8, "layout");
static_assert(offsetof(AlarmRecord, hourMask) == 12, "layout");
static_assert(offsetof(AlarmRecord, weekdayMask) == 16, "layout");
static_assert(offsetof(AlarmRecord, minute) == 17, "layout");
static_assert(offsetof(AlarmRecord, soundPath) == 18, "layout");
static_assert(offsetof(AlarmRecord, programPath) == 318, "layout");
static_assert(offsetof(AlarmRecord, text) == 638, "layout");
static_assert(offsetof(AlarmRecord, repeatCount) == 834, "layout");
static_assert(offsetof(AlarmRecord, leadMinutes) == 835, "layout");
static_assert(offsetof(AlarmRecord, intervalMinutes) == 836, "layout");
static_assert(offsetof(AlarmRecord, calendarKind) == 837, "layout");
static_assert(offsetof(AlarmRecord, dayRule) == 838, "layout");
static_assert(offsetof(AlarmRecord, pad839) == 839, "layout");
static_assert(offsetof(AlarmRecord, specialAction) == 840, "layout");
static_assert(offsetof(AlarmRecord, temporary) == 844, "layout");
static_assert(offsetof(AlarmRecord, disabled) == 845, "layout");
static_assert(offsetof(AlarmRecord, pad846) == 846, "layout");

// Every field at its start-up default; padding and reserved bytes zero.
ClockSettings defaultSettings();

// A fresh alarm record: all bytes zero.
AlarmRecord emptyAlarm();

// calendarKind values. Records written before lunar alarms existed hold 0
// there, and any value but kCalendarLunar reads as Gregorian.
constexpr uint8_t kCalendarGregorian = 0;
constexpr uint8_t kCalendarLunar = 1;
inline bool isLunarAlarm(const AlarmRecord& a) { return a.calendarKind == kCalendarLunar; }

// The years a year mask can name: bit n is year kFirstAlarmYear + n, so the
// 32 bits end at 2040. A year mask of 0 means every year, without limit.
constexpr int kFirstAlarmYear = 2009;
constexpr int kLastAlarmYear = 2040;
inline bool isAlarmYear(int year) { return year >= kFirstAlarmYear && year <= kLastAlarmYear; }

// Applied right after the settings are read from db.dat.
void repairLoadedSettings(ClockSettings& s);

// Mask bits. Values outside each unit's range give 0 (no bit), never a
// shift by a negative or oversized count. Inline: the due test asks for them
// for every sound-start probe of every alarm, every second.
inline uint32_t yearBit(int year) {  // 2009..2040
    return isAlarmYear(year) ? uint32_t{1} << (year - kFirstAlarmYear) : 0;
}
inline uint32_t monthBit(int month) {  // 1..12
    return month >= 1 && month <= 12 ? uint32_t{1} << (month - 1) : 0;
}
inline uint32_t dayBit(int day) {  // 1..31
    return day >= 1 && day <= 31 ? uint32_t{1} << (day - 1) : 0;
}
inline uint32_t hourBit(int hour) {  // 0..23
    return hour >= 0 && hour <= 23 ? uint32_t{1} << hour : 0;
}
inline uint8_t weekdayBit(int weekday) {  // 0..6, 0 = Sunday
    return weekday >= 0 && weekday <= 6 ? static_cast<uint8_t>(1u << weekday) : 0;
}

// "日", "一" … "六", index 0 = Sunday; shown as "星期%s".
extern const char* const weekdayNames[7];

// Length of a fixed text field, stopping at its width when no terminator is
// inside (imported records are not trusted).
size_t fieldLength(const char* field, size_t width);
