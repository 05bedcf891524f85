// The alarm editor's rules without its window: the new-alarm defaults, the
// two presets, the entries of the five time lists and what OK makes of the
// controls' contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "calendar/workcalendar.h"
#include "model/dialogtext.h"
#include "model/localtime.h"
#include "model/records.h"

// The five time lists, in the order they stand in the dialog. Entry n of a
// list is bit n of its mask.
enum class TimeList { Years, Months, Days, Weekdays, Hours };
constexpr int kTimeListCount = 5;

// 32, 12, 31, 7, 24; in lunar mode the day list holds 30 entries.
int timeListSize(TimeList list, bool lunar = false);
// "2009年", "1月", "1日", "星期日", "0时" …; in lunar mode the month list
// reads "正月" … "腊月" and the day list "初一" … "三十". "" for an index
// outside the list.
std::string timeListEntry(TimeList list, int index, bool lunar = false);

// The mask a list shows, and setting it back into the record.
uint32_t timeListMask(const AlarmRecord& record, TimeList list);
void setTimeListMask(AlarmRecord& record, TimeList list, uint32_t mask);

// Whether entry `index` is selected by `mask`; never for an index outside 0..31.
bool entrySelected(uint32_t mask, int index);
// The sum of bit n over the selected indices; an index outside 0..31 adds nothing.
uint32_t maskOfSelection(const int* indices, size_t count);

// A new alarm for now + (quickLead + 1) minutes: every mask selects that
// moment, the default sound when it exists, temporary, the quick-alarm
// sound numbers. Everything else, padding included, is zero. A moment
// outside 2009..2040 selects no year, which means every year.
AlarmRecord newAlarmDefaults(const ClockSettings& settings, const LocalTime& now,
                             const char* defaultSoundPath, bool defaultSoundExists);

// A permanent alarm at noon of one date, without a sound; the program, text,
// special action and sound numbers stay as they are. False, and the record
// untouched, for a year outside 2009..2040, which no year entry can hold.
bool presetForDate(AlarmRecord& record, int year, int month, int day);

// A temporary one-shot alarm for one minute with the given sound and no
// other action; the sound numbers stay as they are. Outside 2009..2040 the
// year mask is 0: the alarm is gone at the next start anyway.
void presetForQuickAlarm(AlarmRecord& record, int year, int month, int day, int hour, int minute,
                         const char* soundPath);

// The lunar month and day masks of a Gregorian date of 1901..2100, for "this
// day every lunar year"; a day of a leap month gives the regular month. False
// outside the lunar tables.
bool lunarDateMasks(int year, int month, int day, uint32_t& monthMask, uint32_t& dayMask);

// The date the calendar preset the editor for, if any.
struct PresetDate {
    int year = 0, month = 0, day = 0;  // 0: the editor was not preset from a date
};

// The month and day masks after the 按农历 box is switched to `lunar`. While
// they still name the preset date in the old calendar they name it in the
// new one; otherwise each list keeps its entries by index, less a day the
// new list lacks (31 has no lunar entry).
void switchCalendar(uint32_t& monthMask, uint32_t& dayMask, bool lunar, const PresetDate& preset);

// The day rule list (1088): its items, in kDayRule order but for the two
// 大小周 items, which name this week's Saturday: item 4 "本周六上班" is the
// rule that works the Saturday of now's week, item 5 the other one.
extern const char* const kDayRuleItems[kDayRuleCount];
int dayRuleItem(uint8_t rule, const LocalTime& now);
uint8_t dayRuleOfItem(int item, const LocalTime& now);
// Stores a rule (an unknown one as none); with a rule the weekday mask is 0.
void setDayRule(AlarmRecord& record, uint8_t rule);

// The editor's line about the next ring of `record` after `now`:
// "下次响铃：2026年12月9日 星期三 08:30", "按此设置，闹铃不会再响。" or,
// for a disabled alarm, "此闹铃已禁用。". With a day rule and a next ring in
// a year the work calendar does not cover, it goes on with
// "（%d年的放假安排未录入，暂按平常的星期计算）". While the sound field names a
// file that does not exist (soundMissing) it ends with kMissingSoundNote.
std::string nextRingPreview(const AlarmRecord& record, const LocalTime& now, bool soundMissing = false);
extern const char kMissingSoundNote[];

// OK asks kNeverRingsQuestion (Yes/No) first when this holds: the alarm is
// enabled and will never ring again.
bool asksBeforeSaving(const AlarmRecord& record, const LocalTime& now);
extern const char kNeverRingsQuestion[];

// The minute combo's items; the other combos' are in model/dialogtext.h.
extern const int kMinuteItems[6];    // 0, 10 … 50

// The edit limits, in bytes of GBK text (the combos' in model/dialogtext.h).
constexpr size_t kSoundLimit = 256;
constexpr size_t kTextLimit = 195;
constexpr size_t kProgramLimit = 256;

// What OK reads from the controls.
struct EditorInput {
    uint32_t masks[kTimeListCount];  // indexed by TimeList
    int minute;
    bool temporary;
    bool disabled;
    int specialAction;
    char sound[kSoundLimit + 1];
    char text[kTextLimit + 1];
    char program[kProgramLimit + 1];
    char repeat[kComboTextLimit + 1];
    char lead[kComboTextLimit + 1];
    char interval[kComboTextLimit + 1];
};

// An alarm must do something: a special action or a sound, text or program.
bool hasAction(int specialAction, const char* sound, const char* text, const char* program);

// Encodes the controls into the record. Without an action nothing changes
// and false comes back. An interval of 0 becomes 5 and a repeat count of 0
// becomes 1; other numbers are taken as typed.
bool applyEditorInput(AlarmRecord& record, const EditorInput& input);
