#include "options/optionslogic.h"

#include <gtest/gtest.h>

#include <cstring>

#include "alarm/tick.h"

namespace {

ZoneRule rule(uint16_t year, uint16_t month, uint16_t dayOfWeek, uint16_t day, uint16_t hour) {
    return ZoneRule{year, month, dayOfWeek, day, hour};
}

const char kNoDaylight[] = "系统设置显示当地没有实施日光节约制度，一般情况下你不需要调整上设置。";

std::string daylightText(const char* from, const char* to) {
    return std::string("当地采用了日光节约，从") + from + "到" + to + "。如不准确可能需要调整上设置。";
}

TEST(OptionsDaylight, BothRuleKindsResolveInTheGivenYearAndNoDaylightHasItsOwnText) {
    // Second Sunday of March to first Sunday of November, 2 o'clock.
    const TimeZoneRecord us{300, 0, -60, rule(0, 11, 0, 1, 2), rule(0, 3, 0, 2, 2)};
    EXPECT_EQ(daylightStatusText(us, 2026), daylightText("3月8日2时", "11月1日2时"));
    // Occurrence 5 is the last one; a southern zone starts late in the year.
    const TimeZoneRecord south{-600, 0, -60, rule(0, 4, 0, 1, 3), rule(0, 10, 0, 5, 2)};
    EXPECT_EQ(daylightStatusText(south, 2026), daylightText("10月25日2时", "4月5日3时"));
    const TimeZoneRecord fixed{-60, 0, -60, rule(2026, 9, 0, 30, 3), rule(2026, 4, 0, 1, 1)};
    EXPECT_EQ(daylightStatusText(fixed, 2026), daylightText("4月1日1时", "9月30日3时"));

    const TimeZoneRecord china{-480, 0, 0, rule(0, 0, 0, 0, 0), rule(0, 0, 0, 0, 0)};
    EXPECT_EQ(daylightStatusText(china, 2026), kNoDaylight);
    // A rule with a month but no bias changes no clock.
    const TimeZoneRecord noBias{300, 0, 0, rule(0, 11, 0, 1, 2), rule(0, 3, 0, 2, 2)};
    EXPECT_EQ(daylightStatusText(noBias, 2026), kNoDaylight);
}

OptionsInput input() {
    OptionsInput in{};
    in.fontSize = 40;
    in.zOrder = 2;
    in.dstAdjust = 1;
    in.alphaLevel = 30;
    in.autoStart = true;
    std::strcpy(in.pmMark, "下午");
    in.fontName = "DejaVu Sans";
    in.repeat = "abc";
    in.lead = "";
    in.interval = "0分钟";
    return in;
}

TEST(OptionsApply, StoresTheInputButNotPositionAndColours) {
    ClockSettings s = defaultSettings();
    s.backColor = 0x123456;
    ASSERT_TRUE(applyOptionsInput(s, input()));
    EXPECT_TRUE(s.fontSize == 40 && s.zOrder == 2 && s.dstAdjust == 1 && s.alphaLevel == kAlphaLevelMax);
    EXPECT_TRUE(s.autoStart == 1 && s.alarmService == 0 && s.hour12 == 0);
    EXPECT_STREQ(s.amMark, "");
    EXPECT_STREQ(s.pmMark, "下午");
    EXPECT_STREQ(s.fontName, "DejaVu Sans");
    EXPECT_TRUE(s.backColor == 0x123456u && s.textColor == 0x00FF00u && s.posX == 500);
    // The quick numbers are taken as typed, without a range check or repair.
    EXPECT_TRUE(s.quickRepeat == 0 && s.quickLead == 0 && s.quickInterval == 0);
}

TEST(OptionsApply, TheWakeBoxIsStoredInTheFirstReservedByte) {
    ClockSettings s = defaultSettings();
    EXPECT_EQ(s.noWake, 0);  // every existing db.dat holds 0 there: wake
    OptionsInput in = input();
    in.wake = false;
    ASSERT_TRUE(applyOptionsInput(s, in));
    EXPECT_EQ(s.noWake, 1);
    in.wake = true;
    ASSERT_TRUE(applyOptionsInput(s, in));
    EXPECT_EQ(s.noWake, 0);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&s);
    s.noWake = 1;
    EXPECT_EQ(bytes[412], 1);
}

TEST(OptionsApply, RingDurationItemsStoreWhatTheTickHolds) {
    ClockSettings s = defaultSettings();
    EXPECT_STREQ(kRingItems[ringItem(s.ringMinutes)], "10分钟");  // every older db.dat
    const int minutes[kRingItemCount] = {1, 5, 10, 30, 0};       // 0: 不限
    OptionsInput in = input();
    for (in.ringItem = 0; in.ringItem < kRingItemCount; ++in.ringItem) {
        ASSERT_TRUE(applyOptionsInput(s, in));
        EXPECT_TRUE(ringLimitMinutes(s) == minutes[in.ringItem] && ringItem(s.ringMinutes) == in.ringItem);
    }
    // A value no item stands for shows none and stays.
    s.ringMinutes = 7;
    in.ringItem = ringItem(7);
    EXPECT_TRUE(applyOptionsInput(s, in) && in.ringItem == -1 && reinterpret_cast<unsigned char*>(&s)[413] == 7);
}

TEST(OptionsApply, SoundPathOf120BytesIsRefusedAndLongFaceNamesAreCut) {
    ClockSettings s = defaultSettings();
    const ClockSettings before = s;
    OptionsInput in = input();
    std::memset(in.quickSound, 'a', 120);
    EXPECT_FALSE(applyOptionsInput(s, in));
    EXPECT_EQ(std::memcmp(&s, &before, sizeof s), 0);
    in.quickSound[119] = '\0';
    EXPECT_TRUE(applyOptionsInput(s, in));
    EXPECT_EQ(std::strlen(s.quickSound), 119u);

    // The face name is cut at 39 bytes without splitting a character.
    const std::string whole = std::string(37, 'x') + "宋体", split = std::string(38, 'x') + "宋";
    in.fontName = whole.c_str();
    applyOptionsInput(s, in);
    EXPECT_EQ(std::string(s.fontName), std::string(37, 'x') + "宋");
    in.fontName = split.c_str();
    applyOptionsInput(s, in);
    EXPECT_EQ(std::string(s.fontName), std::string(38, 'x'));
}

TEST(OptionsFaces, RasterFacesAreSkippedAndPrinterFacesNeedDeviceNotTrueType) {
    int marks = -1;
    EXPECT_FALSE(acceptScreenFace(kRasterFontType | kDeviceFontType, marks));
    EXPECT_TRUE(acceptScreenFace(kTrueTypeFontType, marks) && marks == kTrueTypeFace);
    EXPECT_TRUE(acceptScreenFace(0, marks) && marks == kOtherScreenFace);
    EXPECT_FALSE(acceptPrinterFace(kDeviceFontType | kTrueTypeFontType, marks));
    EXPECT_FALSE(acceptPrinterFace(0, marks));
    EXPECT_TRUE(acceptPrinterFace(kDeviceFontType, marks) && marks == kPrinterFace);
    // A face reported again, by the printer, keeps the screen's marks.
    FontFaceTable faces;
    EXPECT_TRUE(faces.add("Courier", kTrueTypeFace) && !faces.add("Courier", kPrinterFace));
    EXPECT_EQ(faces.find("Courier")->marks, kTrueTypeFace);
}

// The combo's items as a plain list: {text, recent}.
struct FakeItems : FaceListItems {
    std::vector<std::pair<std::string, bool>> items;
    int selected = -1;
    int count() const override { return static_cast<int>(items.size()); }
    std::string text(int i) const override { return items[i].first; }
    bool recent(int i) const override { return items[i].second; }
    void insertRecent(const std::string& name) override { items.insert(items.begin(), {name, true}); }
    void remove(int i) override { items.erase(items.begin() + i); }
    void select(int i) override { selected = i; }
    std::vector<std::string> group() const {
        std::vector<std::string> names;
        for (int i = 0; i < count() && recent(i); ++i)
            names.push_back(text(i));
        return names;
    }
};

TEST(OptionsRecentGroup, NewestFirstAtMostSixAndRechosenFacesMoveUp) {
    FontFaceTable faces;
    FakeItems list;
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H"}) {
        faces.add(name, 0);
        list.items.push_back({name, false});
    }
    using Names = std::vector<std::string>;
    for (const char* name : {"C", "A", "F"})
        updateRecentGroup(faces, list, name);
    EXPECT_EQ(list.group(), (Names{"F", "A", "C"}));
    EXPECT_EQ(list.selected, -1);
    updateRecentGroup(faces, list, "C");
    EXPECT_EQ(list.group(), (Names{"C", "F", "A"}));
    EXPECT_EQ(list.selected, 0);
    EXPECT_EQ(list.count(), 11);  // the main list keeps all eight

    for (const char* name : {"B", "D", "", "Nope", "E", "G"})
        updateRecentGroup(faces, list, name);
    EXPECT_EQ(list.group(), (Names{"G", "E", "D", "B", "C", "F"}));
    EXPECT_EQ(list.count(), 8 + kRecentMax);
    // The face that dropped out may join again, pushing the next oldest out.
    updateRecentGroup(faces, list, "A");
    EXPECT_EQ(list.group(), (Names{"A", "G", "E", "D", "B", "C"}));
    EXPECT_FALSE(faces.find("F")->inRecentGroup);
    EXPECT_EQ(list.count(), 8 + kRecentMax);
}

}  // namespace
