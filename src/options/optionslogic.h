// The options dialog's rules without its window: limits, the daylight-saving
// line, what OK stores, the Run-key value, and the font picker's face table
// with its group of recently chosen faces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "alarm/schedule.h"
#include "model/records.h"

constexpr int kFontSizeMin = 6;
constexpr int kFontSizeMax = 120;
constexpr int kAlphaLevelMax = 10;
constexpr size_t kMarkLimit = 10;          // amMark, pmMark
constexpr size_t kQuickSoundTypedLimit = 260;
constexpr size_t kQuickSoundStoredLimit = 120;  // a stored path is shorter than this
constexpr size_t kFontNameLimit = 39;

extern const char kSoundPathTooLong[];
extern const char kRunKeyWriteFailed[];
extern const char kRunKeyPath[];    // below HKEY_CURRENT_USER
extern const char kRunValueName[];

// The status line under the daylight-saving choice, for `year`.
std::string daylightStatusText(const TimeZoneRecord& zone, int year);

// A fully transparent background has no alpha to choose.
inline bool alphaSliderVisible(bool fullTransparent) { return !fullTransparent; }

// Whether a quick-alarm sound path fits the settings record.
bool quickSoundStorable(const char* path);

// What OK reads from the controls.
struct OptionsInput {
    bool autoStart;
    bool fullTransparent;
    bool hour12;
    bool alarmService;
    int alphaLevel;
    int zOrder;
    int fontSize;
    int dstAdjust;
    char quickSound[kQuickSoundTypedLimit + 1];
    char amMark[kMarkLimit + 1];
    char pmMark[kMarkLimit + 1];
    const char* fontName;  // the font box's text, any length
    const char* repeat;    // the three quick-alarm combo texts
    const char* lead;
    const char* interval;
    bool wake;             // 允许唤醒电脑以响铃: stored as noWake 0, unticked as 1
    int ringItem;          // 响铃持续: the item chosen, -1 for none
};

// 响铃持续: its items in order, and the item that shows a stored ringMinutes
// (-1 for a value no item stands for: then nothing is chosen and OK keeps it).
constexpr int kRingItemCount = 5;
extern const char* const kRingItems[kRingItemCount];  // "1分钟" … "不限"
int ringItem(uint8_t ringMinutes);

// Stores the input into the settings; false, with nothing changed, when the
// sound path is too long to keep. Position and colours are not touched.
bool applyOptionsInput(ClockSettings& settings, const OptionsInput& input);

// The combo texts shown on opening: "%d", "%d分钟", "%d分钟".
struct QuickNumberTexts {
    std::string repeat;
    std::string lead;
    std::string interval;
};
QuickNumberTexts quickNumberTexts(const ClockSettings& settings);

// Font picker.

// Font type bits as the system's enumeration reports them.
constexpr unsigned kRasterFontType = 0x1;
constexpr unsigned kDeviceFontType = 0x2;
constexpr unsigned kTrueTypeFontType = 0x4;

enum FaceMarks { kOtherScreenFace = 0, kTrueTypeFace = 1, kPrinterFace = 2 };

// Whether a face from the screen or printer pass is listed, and its marks.
bool acceptScreenFace(unsigned fontType, int& marks);
bool acceptPrinterFace(unsigned fontType, int& marks);

struct FontFaceInfo {
    bool inRecentGroup = false;
    int marks = kOtherScreenFace;
};

constexpr int kRecentMax = 6;

// Every face once, keyed by its exact name.
class FontFaceTable {
public:
    // The first report of a face decides its marks; false if already known.
    bool add(const std::string& name, int marks);
    FontFaceInfo* find(const std::string& name);
    size_t size() const { return faces_.size(); }
    // The names in ascending order of `less`; equal names keep table order.
    std::vector<std::string> ordered(bool (*less)(const std::string&, const std::string&)) const;

private:
    std::map<std::string, FontFaceInfo> faces_;
};

// The combo box's items as the recent group sees them. The recent group
// holds indices 0 … n-1, each with item data 1.
class FaceListItems {
public:
    virtual ~FaceListItems() = default;
    virtual int count() const = 0;
    virtual std::string text(int index) const = 0;
    virtual bool recent(int index) const = 0;
    virtual void insertRecent(const std::string& name) = 0;  // at index 0
    virtual void remove(int index) = 0;
    virtual void select(int index) = 0;
};

// A face chosen from the list moves to the top of the recent group, or
// joins it, pushing the oldest out beyond six. Unknown names change nothing.
void updateRecentGroup(FontFaceTable& faces, FaceListItems& items, const std::string& name);
