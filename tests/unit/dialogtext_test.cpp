#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "model/dialogtext.h"

namespace {

TEST(DialogText, LeadingIntegerAndSignedByte) {
    const struct { const char* text; int value; } cases[] = {
        {"10分钟", 10}, {"abc", 0}, {"  \t-7x", -7}, {"+3", 3}, {"- 5", 0}, {"分钟10", 0},
        {"99999999999999999999", INT_MAX}, {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN}};
    for (const auto& c : cases)
        EXPECT_EQ(leadingInteger(c.text), c.value) << c.text;
    // Above a byte the number is held at 127 rather than wrapped to 0 (and so 5) or below.
    EXPECT_EQ(comboNumber("256分钟") * 1000 + comboNumber("-129"), 127000 - 128);
    for (int v : kLeadItems)
        EXPECT_EQ(comboNumber(minutesText(v).c_str()), v);
}

TEST(DialogText, WholeIntegerTakesNothingButANumberInRange) {
    const struct { const char* text; WholeInteger result; int value; } cases[] = {
        {"4", WholeInteger::Ok, 4},          {" \t59 ", WholeInteger::Ok, 59},
        {"+0", WholeInteger::Ok, 0},         {"60", WholeInteger::OutOfRange, -1},
        {"-1", WholeInteger::OutOfRange, -1}, {"99999999999999999999", WholeInteger::OutOfRange, -1},
        {"", WholeInteger::NotANumber, -1},  {"  ", WholeInteger::NotANumber, -1},
        {"5x", WholeInteger::NotANumber, -1}, {"1 2", WholeInteger::NotANumber, -1},
        {"分钟", WholeInteger::NotANumber, -1}};
    for (const auto& c : cases) {
        int value = -1;  // left alone unless the text is good
        EXPECT_EQ(wholeInteger(c.text, 0, 59, value), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(DialogText, FileFiltersKeepGbkTrailBytes) {
    EXPECT_EQ(fileFilter("待打开文件*.*|*.*||"), std::string("待打开文件*.*\0*.*\0\0", 19));
    EXPECT_EQ(fileFilter("a|b"), std::string("a\0b\0\0", 5));
    // 皘 is B0 7C in GBK: its second byte is a '|' that must not split the name.
    EXPECT_EQ(fileFilter("皘|*.x||"), std::string("皘\0*.x\0\0", 8));
}

}  // namespace
