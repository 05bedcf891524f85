#include "alarm/actions.h"

#include <cstdio>

#include "res/resource.h"

const char* const actionNames[6] = {"", "关机", "重启", "待机", "休眠", "注销"};

const char* actionName(int code) {
    if (code < 1 || code > 5) return nullptr;
    return actionNames[code];
}

std::string countdownCaption(const char* actionName) {
    std::string caption("定时");
    if (actionName) caption += actionName;
    return caption;
}

std::string countdownMessage(const char* actionName, int secondsLeft) {
    char seconds[16];
    std::snprintf(seconds, sizeof seconds, "%d", secondsLeft);
    // The first comma is ASCII and the second full-width, as the dialog has always shown.
    std::string text("你设定计算机");
    text += countdownCaption(actionName);
    text += ",如果不取消，";
    text += seconds;
    text += "秒后会执行操作。";
    return text;
}

MenuPowerCommand menuPowerCommand(int commandId) {
    if (commandId == ID_SCREEN_SAVER) return {MenuPower::ScreenSaver, 0};
    if (commandId >= ID_QUICK_SHUTDOWN && commandId <= ID_LOG_OFF)
        return {MenuPower::Action, commandId - ID_SCREEN_SAVER};
    return {MenuPower::None, 0};
}
