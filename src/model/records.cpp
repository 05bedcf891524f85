#include "model/records.h"

#include <cstring>

namespace {

// Copies a text and its terminator only, like the dialogs do: whatever sat
// behind the old text stays in the image.
template <size_t N>
void setText(char (&field)[N], const char* text) {
    static_assert(N > 0, "text field");
    size_t len = std::strlen(text);
    if (len >= N) len = N - 1;
    std::memcpy(field, text, len);
    field[len] = '\0';
}

constexpr uint32_t kGreen = 0x00FF00;

}  // namespace

ClockSettings defaultSettings() {
    ClockSettings s;
    std::memset(&s, 0, sizeof s);
    s.quickRepeat = 4;
    s.quickLead = 5;
    s.quickInterval = 5;
    s.fontSize = 24;
    s.backColor = 0x000000;
    s.textColor = kGreen;
    s.posX = 500;
    s.posY = 40;
    s.alarmService = 1;
    setText(s.fontName, "Arial");
    setText(s.amMark, "am");
    setText(s.pmMark, "pm");
    return s;
}

AlarmRecord emptyAlarm() {
    AlarmRecord r;
    std::memset(&r, 0, sizeof r);
    return r;
}

void repairLoadedSettings(ClockSettings& s) {
    if (s.quickInterval == 0) s.quickInterval = 5;
    if (s.fontSize == 0) s.fontSize = 24;
    if (s.fontName[0] == '\0') setText(s.fontName, "Arial");
    // Equal colours hide the digits, but only the pair 5/5 has always been
    // mended at load; any other equal pair is left as the user chose it.
    if (s.textColor == s.backColor && s.backColor == 5) s.textColor = kGreen;
}

const char* const weekdayNames[7] = {"日", "一", "二", "三", "四", "五", "六"};

size_t fieldLength(const char* field, size_t width) {
    if (field == nullptr || width == 0) return 0;
    const void* nul = std::memchr(field, '\0', width);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - field) : width;
}
