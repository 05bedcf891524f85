#include <gtest/gtest.h>

#include <climits>

#include "model/pixels.h"

namespace {

TEST(Pixels, ScaleToTheScreenRoundingHalvesAwayFromZero) {
    EXPECT_EQ(scalePixels(24, 96), 24);
    EXPECT_EQ(scalePixels(24, 144), 36);
    EXPECT_EQ(scalePixels(52, 144), 78);
    EXPECT_EQ(scalePixels(25, 144), 38);   // 37.5
    EXPECT_EQ(scalePixels(1, 144), 2);     // 1.5
    EXPECT_EQ(scalePixels(-18, 144), -27);
    EXPECT_EQ(scalePixels(-25, 144), -38);
    EXPECT_EQ(scalePixels(-1, 144), -2);
    EXPECT_EQ(scalePixels(14, 120), 18);   // 17.5
    EXPECT_EQ(scalePixels(13, 120), 16);   // 16.25
    EXPECT_EQ(scalePixels(5, 72), 4);      // 3.75
    EXPECT_EQ(scalePixels(0, 144), 0);
    EXPECT_EQ(scalePixels(40, 192), 80);
}

TEST(Pixels, UnknownDpiAndExtremesStayWhole) {
    EXPECT_EQ(scalePixels(52, 0), 52);
    EXPECT_EQ(scalePixels(-18, -96), -18);
    // No overflow on the way for any value a window can hold.
    EXPECT_EQ(scalePixels(INT_MAX / 2, 192), INT_MAX - 1);
    EXPECT_EQ(scalePixels(-(INT_MAX / 2), 192), -(INT_MAX - 1));
}

}  // namespace
