// The alarm editor's rules without its window: the new-alarm defaults, the
// two presets, the entries of the five time lists and what OK makes of the
// controls' contents.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/dialogtext.h"
#include "model/localtime.h"
#include "model/records.h"

// The five time lists, in the order they stand in the dialog. Entry n of a
// list is bit n of its mask.
enum class TimeList { Years, Months, Days, Weekdays, Hours };
constexpr int kTimeListCount = 5;

// 21, 12, 31, 7, 24.
int timeListSize(TimeList list);
// "2009年", "1月", "1日", "星期日", "0时" …; "" for an index outside the list.
std::string timeListEntry(TimeList list, int index);

// The mask a list shows, and setting it back into the record.
uint32_t timeListMask(const AlarmRecord& record, TimeList list);
void setTimeListMask(AlarmRecord& record, TimeList list, uint32_t mask);

// Whether entry `index` is selected by `mask`; never for an index outside 0..31.
bool entrySelected(uint32_t mask, int index);
// The sum of bit n over the selected indices; an index outside 0..31 adds nothing.
uint32_t maskOfSelection(const int* indices, size_t count);

// The year mask of a date that lies outside the year list: a bit no entry
// shows and no year in 2009..2029 matches, so such an alarm never rings
// rather than ringing every year. Confirming the dialog replaces it with
// what the list shows.
constexpr uint32_t kUnlistedYearMask = 0x80000000u;
// yearBit for 2009..2029, kUnlistedYearMask for every other year.
uint32_t yearMaskOf(int year);

// A new alarm for now + (quickLead + 1) minutes: every mask selects that
// moment, the default sound when it exists, temporary, the quick-alarm
// sound numbers. Everything else, padding included, is zero.
AlarmRecord newAlarmDefaults(const ClockSettings& settings, const LocalTime& now,
                             const char* defaultSoundPath, bool defaultSoundExists);

// A permanent alarm at noon of one date, without a sound; the program, text,
// special action and sound numbers stay as they are.
void presetForDate(AlarmRecord& record, int year, int month, int day);

// A temporary one-shot alarm for one minute with the given sound and no
// other action; the sound numbers stay as they are.
void presetForQuickAlarm(AlarmRecord& record, int year, int month, int day, int hour, int minute,
                         const char* soundPath);

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
