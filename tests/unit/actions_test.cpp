#include "alarm/actions.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(ActionsNames, CodesOneToFiveOnlyAndInGbk) {
    const char* expected[] = {"关机", "重启", "待机", "休眠", "注销"};
    for (int code = 1; code <= 5; ++code) {
        ASSERT_NE(actionName(code), nullptr);
        EXPECT_STREQ(actionName(code), expected[code - 1]);
        EXPECT_EQ(std::string(actionName(code)).size(), 4u);  // two GBK characters
    }
    for (int code : {0, 6, -1, 100, INT_MIN, INT_MAX}) EXPECT_EQ(actionName(code), nullptr);
    EXPECT_STREQ(actionNames[0], "");
    // 关机 as GBK bytes: the literals really are converted at build time.
    EXPECT_EQ(std::string(actionName(1)), std::string("\xB9\xD8\xBB\xFA"));
}

TEST(ActionsCountdown, CaptionAndMessageTexts) {
    EXPECT_EQ(countdownCaption(actionName(1)), "定时关机");
    EXPECT_EQ(countdownCaption(actionName(5)), "定时注销");
    EXPECT_EQ(countdownCaption(nullptr), "定时");

    EXPECT_EQ(countdownMessage(actionName(1), kCountdownSeconds),
              "你设定计算机定时关机,如果不取消，30秒后会执行操作。");
    EXPECT_EQ(countdownMessage(actionName(4), 29),
              "你设定计算机定时休眠,如果不取消，29秒后会执行操作。");
    EXPECT_EQ(countdownMessage(actionName(2), 0),
              "你设定计算机定时重启,如果不取消，0秒后会执行操作。");

    // An ASCII comma right after the action, then the full-width one (GBK A3 AC).
    const std::string text = countdownMessage(actionName(1), 30);
    const std::string name = "定时关机";
    const size_t after = text.find(name) + name.size();
    ASSERT_LT(after, text.size());
    EXPECT_EQ(text[after], ',');
    EXPECT_NE(text.find("\xA3\xAC" "30"), std::string::npos);
}

TEST(ActionsMenu, CommandRangeMapsToScreenSaverAndCodes) {
    const MenuPowerCommand saver = menuPowerCommand(32788);
    EXPECT_EQ(saver.kind, MenuPower::ScreenSaver);
    EXPECT_EQ(saver.code, 0);
    for (int id = 32789; id <= 32793; ++id) {
        const MenuPowerCommand c = menuPowerCommand(id);
        EXPECT_EQ(c.kind, MenuPower::Action) << id;
        EXPECT_EQ(c.code, id - 32788) << id;
    }
    for (int id : {32787, 32794, 0, -32789, INT_MAX}) {
        const MenuPowerCommand c = menuPowerCommand(id);
        EXPECT_EQ(c.kind, MenuPower::None) << id;
        EXPECT_EQ(c.code, 0) << id;
    }
}
