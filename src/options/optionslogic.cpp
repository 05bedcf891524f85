#include "options/optionslogic.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "alarm/tick.h"
#include "model/dialogtext.h"

const char kSoundPathTooLong[] = "对不起，这个版本保存文件路径长度不能超过120字节。";
const char kRunKeyWriteFailed[] = "写注册表失败，请检查权限。";
const char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "Zentar";

const char* const kRingItems[kRingItemCount] = {"1分钟", "5分钟", "10分钟", "30分钟", "不限"};

namespace {

// What each 响铃持续 item stores; ten minutes is the 0 every older db.dat holds.
const uint8_t kRingValues[kRingItemCount] = {1, 5, 0, 30, kRingMinutesNever};

const char kNoDaylightText[] =
    "系统设置显示当地没有实施日光节约制度，一般情况下你不需要调整上设置。";
const char kDaylightFormat[] =
    "当地采用了日光节约，从%d月%d日%d时到%d月%d日%d时。如不准确可能需要调整上设置。";

// Bytes of text that fit in `limit` without cutting a GBK character in two.
size_t gbkPrefix(const char* text, size_t limit) {
    size_t n = 0;
    while (text[n]) {
        const unsigned char c = static_cast<unsigned char>(text[n]);
        const size_t width = (c >= 0x81 && c <= 0xFE && text[n + 1]) ? 2 : 1;
        if (n + width > limit)
            break;
        n += width;
    }
    return n;
}

}  // namespace

std::string daylightStatusText(const TimeZoneRecord& zone, int year) {
    DaylightPeriod p;
    if (!daylightPeriod(zone, year, p))
        return kNoDaylightText;
    char text[256];
    std::snprintf(text, sizeof text, kDaylightFormat, p.start.month, p.start.day, p.start.hour,
                  p.end.month, p.end.day, p.end.hour);
    return text;
}

bool quickSoundStorable(const char* path) {
    return !path || std::strlen(path) < kQuickSoundStoredLimit;
}

bool applyOptionsInput(ClockSettings& s, const OptionsInput& in) {
    if (!quickSoundStorable(in.quickSound))
        return false;
    storeText(s.quickSound, in.quickSound);
    s.autoStart = in.autoStart ? 1 : 0;
    s.fullTransparent = in.fullTransparent ? 1 : 0;
    s.alphaLevel = static_cast<uint8_t>(std::min(std::max(in.alphaLevel, 0), kAlphaLevelMax));
    s.zOrder = static_cast<int8_t>(in.zOrder);
    s.fontSize = static_cast<int8_t>(in.fontSize);
    s.alarmService = in.alarmService ? 1 : 0;
    s.dstAdjust = static_cast<int8_t>(in.dstAdjust);
    s.noWake = in.wake ? 0 : 1;
    if (in.ringItem >= 0 && in.ringItem < kRingItemCount)
        s.ringMinutes = kRingValues[in.ringItem];

    const char* face = in.fontName ? in.fontName : "";
    std::string cut(face, gbkPrefix(face, kFontNameLimit));
    storeText(s.fontName, cut.c_str());

    s.hour12 = in.hour12 ? 1 : 0;
    storeText(s.amMark, in.amMark);
    storeText(s.pmMark, in.pmMark);
    // Taken as typed: a value outside the lists is the user's choice.
    s.quickRepeat = comboNumber(in.repeat);
    s.quickLead = comboNumber(in.lead);
    s.quickInterval = comboNumber(in.interval);
    return true;
}

int ringItem(uint8_t ringMinutes) {
    for (int i = 0; i < kRingItemCount; ++i)
        if (kRingValues[i] == ringMinutes)
            return i;
    return -1;
}

QuickNumberTexts quickNumberTexts(const ClockSettings& s) {
    return QuickNumberTexts{numberText(s.quickRepeat), minutesText(s.quickLead),
                            minutesText(s.quickInterval)};
}

bool acceptScreenFace(unsigned fontType, int& marks) {
    if (fontType & kRasterFontType)
        return false;
    marks = (fontType & kTrueTypeFontType) ? kTrueTypeFace : kOtherScreenFace;
    return true;
}

bool acceptPrinterFace(unsigned fontType, int& marks) {
    if (!(fontType & kDeviceFontType) || (fontType & kTrueTypeFontType))
        return false;
    marks = kPrinterFace;
    return true;
}

bool FontFaceTable::add(const std::string& name, int marks) {
    FontFaceInfo info;
    info.marks = marks;
    return faces_.emplace(name, info).second;
}

FontFaceInfo* FontFaceTable::find(const std::string& name) {
    auto it = faces_.find(name);
    return it == faces_.end() ? nullptr : &it->second;
}

std::vector<std::string> FontFaceTable::ordered(
    bool (*less)(const std::string&, const std::string&)) const {
    std::vector<std::string> names;
    names.reserve(faces_.size());
    for (const auto& face : faces_)
        names.push_back(face.first);
    std::stable_sort(names.begin(), names.end(), less);
    return names;
}

void updateRecentGroup(FontFaceTable& faces, FaceListItems& items, const std::string& name) {
    FontFaceInfo* info = faces.find(name);
    if (!info)
        return;
    if (info->inRecentGroup) {
        // Only the group is searched, so the main-list entry of the face
        // (or of a face differing in case) is never the one taken.
        for (int i = 0; i < items.count() && items.recent(i); ++i) {
            if (items.text(i) == name) {
                items.remove(i);
                items.insertRecent(name);
                items.select(0);
                return;
            }
        }
        return;
    }
    info->inRecentGroup = true;
    items.insertRecent(name);
    if (items.count() > kRecentMax && items.recent(kRecentMax)) {
        if (FontFaceInfo* oldest = faces.find(items.text(kRecentMax)))
            oldest->inRecentGroup = false;
        items.remove(kRecentMax);
    }
}
