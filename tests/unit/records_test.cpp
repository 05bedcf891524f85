#include "model/records.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

bool allZero(const void* p, size_t n) {
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (size_t i = 0; i < n; ++i)
        if (b[i] != 0) return false;
    return true;
}

}  // namespace

TEST(RecordsDefaults, SettingsImageHoldsStartUpValuesAndZeroPadding) {
    ClockSettings s = defaultSettings();
    // Checked as the little-endian image that lands in db.dat.
    const unsigned char* b = reinterpret_cast<const unsigned char*>(&s);
    const unsigned char head[29] = {0, 0, 0, 0, 0, 4, 5, 5, 24, 0, 0, 0,  // flags .. fontSize, padding
                                    0, 0, 0, 0, 0x00, 0xFF, 0, 0,          // black back, green text
                                    0xF4, 0x01, 0, 0, 40, 0, 0, 0, 1};     // 500, 40, alarm service on
    EXPECT_EQ(0, std::memcmp(b, head, sizeof head));
    // Whole buffers: bytes behind each terminator are saved too.
    char font[60] = "Arial", am[11] = "am", pm[11] = "pm";
    EXPECT_EQ(0, std::memcmp(s.fontName, font, sizeof font));
    EXPECT_EQ(0, std::memcmp(s.amMark, am, sizeof am));
    EXPECT_EQ(0, std::memcmp(s.pmMark, pm, sizeof pm));
    EXPECT_TRUE(allZero(s.quickSound, sizeof s.quickSound));
    EXPECT_EQ(s.dstAdjust, 0);
    EXPECT_EQ(s.noWake, 0);
    EXPECT_EQ(s.ringMinutes, 0);
    EXPECT_TRUE(allZero(s.reserved, sizeof s.reserved));
    EXPECT_EQ(sizeof s.reserved, 318u);
}

TEST(RecordsDefaults, EmptyAlarmIsAllZero) {
    AlarmRecord r = emptyAlarm();
    EXPECT_TRUE(allZero(&r, sizeof r));
}

TEST(RecordsRepair, ZeroIntervalFontSizeAndEmptyFontAreMended) {
    ClockSettings s = defaultSettings();
    s.quickInterval = 0;
    s.fontSize = 0;
    s.quickRepeat = 0;
    s.quickLead = 0;
    std::memset(s.fontName, 'x', sizeof s.fontName);
    s.fontName[0] = '\0';
    repairLoadedSettings(s);
    EXPECT_EQ(s.quickInterval, 5);
    EXPECT_EQ(s.fontSize, 24);
    EXPECT_EQ(s.quickRepeat, 0);
    EXPECT_EQ(s.quickLead, 0);
    EXPECT_STREQ(s.fontName, "Arial");
    // Only the name and its terminator are written; older bytes stay behind.
    EXPECT_EQ(s.fontName[6], 'x');
    EXPECT_EQ(s.fontName[59], 'x');
}

TEST(RecordsRepair, OtherFieldsAreLeftAlone) {
    ClockSettings s = defaultSettings();
    s.quickInterval = 20;
    s.fontSize = 120;
    s.posX = -7;
    std::strcpy(s.fontName, "SimSun");
    s.reserved[5] = 9;
    ClockSettings before = s;
    repairLoadedSettings(s);
    EXPECT_EQ(0, std::memcmp(&before, &s, sizeof s));
}

TEST(RecordsRepair, TextColourResetOnlyWhenBothAreFive) {
    struct Case {
        uint32_t back, text, expectedText;
    } cases[] = {
        {5, 5, 0x00FF00},
        {0, 0, 0},                // black on black stays, as it always did
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {5, 6, 6},
        {6, 5, 5},
    };
    for (const Case& c : cases) {
        ClockSettings s = defaultSettings();
        s.backColor = c.back;
        s.textColor = c.text;
        repairLoadedSettings(s);
        EXPECT_EQ(s.textColor, c.expectedText) << "back " << c.back << " text " << c.text;
        EXPECT_EQ(s.backColor, c.back);
    }
}

// The union of all bits must be the unit's full mask, and their sum must equal
// that union: only then does every value in range own one bit of its own.
template <typename Bit>
void expectOneBitEach(Bit bit, uint32_t fullMask) {
    uint32_t all = 0;
    uint64_t sum = 0;
    for (int v = -40; v <= 2100; ++v) {
        all |= bit(v);
        sum += bit(v);
    }
    EXPECT_EQ(all, fullMask);
    EXPECT_EQ(sum, fullMask);
}

TEST(RecordsMasks, EachUnitCoversExactlyItsRange) {
    expectOneBitEach(yearBit, 0xFFFFFFFF);  // 2009..2040
    expectOneBitEach(monthBit, 0xFFF);
    expectOneBitEach(dayBit, 0x7FFFFFFF);
    expectOneBitEach(hourBit, 0xFFFFFF);
    expectOneBitEach(weekdayBit, 0x7F);

    // ...and in ascending order.
    EXPECT_EQ(yearBit(2009), 1u);
    EXPECT_EQ(yearBit(2040), 1u << 31);
    EXPECT_EQ(monthBit(12), 1u << 11);
    EXPECT_EQ(dayBit(31), 1u << 30);
    EXPECT_EQ(hourBit(23), 1u << 23);
    EXPECT_EQ(weekdayBit(0) | weekdayBit(6), 0x41);
}

TEST(RecordsMasks, OutOfRangeGivesNoBit) {
    for (int v : {INT_MIN, -1, INT_MAX}) {
        EXPECT_EQ(yearBit(v), 0u);
        EXPECT_EQ(monthBit(v), 0u);
        EXPECT_EQ(dayBit(v), 0u);
        EXPECT_EQ(hourBit(v), 0u);
        EXPECT_EQ(weekdayBit(v), 0u);
    }
    EXPECT_EQ(yearBit(2041), 0u);  // would be bit 32
    EXPECT_EQ(yearBit(2008), 0u);
    EXPECT_FALSE(isAlarmYear(2008) || isAlarmYear(2041));
    EXPECT_TRUE(isAlarmYear(2009) && isAlarmYear(2040));
    EXPECT_EQ(dayBit(32), 0u);
}

TEST(RecordsText, WeekdayNamesAreGbkSundayFirst) {
    // GBK bytes of 日 and 六: proves both the order and the run-time charset.
    EXPECT_STREQ(weekdayNames[0], "\xC8\xD5");
    EXPECT_STREQ(weekdayNames[1], "\xD2\xBB");
    EXPECT_STREQ(weekdayNames[6], "\xC1\xF9");
    for (const char* name : weekdayNames) EXPECT_EQ(std::strlen(name), 2u);
}

TEST(RecordsText, FieldLengthStopsAtTerminatorOrWidth) {
    char full[4] = {'a', 'b', 'c', 'd'};
    char mid[4] = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(fieldLength(full, sizeof full), 4u);
    EXPECT_EQ(fieldLength(mid, sizeof mid), 1u);
    EXPECT_EQ(fieldLength("", 1), 0u);
    EXPECT_EQ(fieldLength(full, 0), 0u);
    EXPECT_EQ(fieldLength(nullptr, 8), 0u);
}
