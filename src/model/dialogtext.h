// Texts the alarm editor and the options dialog share: the items and texts
// of the sound-number combo boxes (repeat, lead, interval), the number a typed
// combo text stands for, a text stored into a fixed-width record field, and
// the filter of a file dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Combo box items and the texts written on opening.
extern const int kRepeatItems[10];   // 1 … 10
extern const int kLeadItems[6];      // 0, 1, 5, 10, 15, 20
extern const int kIntervalItems[5];  // 1, 5, 10, 15, 20
std::string numberText(int value);   // "%d"
std::string minutesText(int value);  // "%d分钟"
// What a combo's edit field takes, in bytes.
constexpr size_t kComboTextLimit = 19;

// The leading integer of a text: blanks, then an optional sign, then digits
// up to the first non-digit; no digits gives 0. Saturates at the int range.
int leadingInteger(const char* text);
// A combo's number as its signed byte: the leading integer clamped to
// -128..127, so "300" keeps as many repeats as a byte can hold instead of
// wrapping round to a negative count.
int8_t comboNumber(const char* text);

// A whole text read as one integer, the way the dialogs' data exchange reads
// a number: blanks around it, an optional sign, digits and nothing else.
enum class WholeInteger { Ok, NotANumber, OutOfRange };
WholeInteger wholeInteger(const char* text, int minValue, int maxValue, int& value);

// Stores the characters and the terminator only (cut to the field); the
// bytes behind the terminator keep their old values.
void storeText(char* field, size_t width, const char* text);
template <size_t N>
void storeText(char (&field)[N], const char* text) {
    storeText(field, N, text);
}

// A file dialog filter written with '|' separators ("name|pattern||") as the
// NUL-separated, double-NUL-terminated list the system wants. GBK aware: a
// '|' that is the trail byte of a character stays.
std::string fileFilter(const char* barSeparated);
