// The five power actions: their names, the countdown texts and the menu
// commands that run them. The system calls live on the platform side.
#pragma once

#include <string>

constexpr int kCountdownSeconds = 30;

// Indexed by action code 1..5 (shut down, restart, standby, hibernate, log
// off); entry 0 is an empty string and never shown.
extern const char* const actionNames[6];

// The name of an action code, nullptr for anything outside 1..5.
const char* actionName(int code);

// "定时%s": the countdown dialog's caption.
std::string countdownCaption(const char* actionName);

// The countdown dialog's line with the seconds still left.
std::string countdownMessage(const char* actionName, int secondsLeft);

enum class MenuPower { None, ScreenSaver, Action };

struct MenuPowerCommand {
    MenuPower kind;
    int code;  // action code 1..5 when kind is Action, else 0
};

// What a command of the screen-saver and power range stands for.
MenuPowerCommand menuPowerCommand(int commandId);
