#include "clock/ringplace.h"

#include <gtest/gtest.h>

#include <string>

static std::string spot(const ScreenBox& clock, int width, int height, const ScreenBox& area = {0, 0, 1024, 728}) {
    const ScreenSpot s = placeBeside(clock, area, width, height, 4);
    return std::to_string(s.x) + "," + std::to_string(s.y);
}

TEST(RingPlace, BesideTheClockAndInsideTheWorkArea) {
    EXPECT_EQ(spot({900, 40, 1020, 68}, 300, 150), "724,72");     // below, kept off the right edge
    EXPECT_EQ(spot({500, 574, 620, 602}, 300, 122), "500,606");
    EXPECT_EQ(spot({500, 575, 620, 603}, 300, 122), "500,449");    // one pixel more: above
    EXPECT_EQ(spot({100, 0, 220, 728}, 300, 150), "224,0");        // as tall as the area: right,
    EXPECT_EQ(spot({800, 0, 920, 728}, 300, 150), "496,0");        // else left
    EXPECT_EQ(spot({10, 10, 50, 30}, 300, 150, {0, 0, 200, 100}), "0,0");  // larger than the area
}
