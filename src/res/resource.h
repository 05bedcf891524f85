// Resource identifiers. The numbers are the program's interface: tests and
// other tools find windows and send commands by them, so they never change.
#pragma once

// Icons
#define IDI_CLOCK              128

// Dialogs
#define IDD_CLOCK              102
#define IDD_MEMO               103
#define IDD_OPTIONS            129
#define IDD_ALARMLIST          131
#define IDD_ALARMEDIT          132
#define IDD_ABOUT              133
#define IDD_CALENDAR           134
#define IDD_COUNTDOWN          180

// Menus
#define IDM_CLOCK_MENU         132

// Clock window
#define IDC_CLOCK_TEXT         1000

// Memo
#define IDC_MEMO_EDIT          1001

// Countdown
#define IDC_COUNTDOWN_TEXT     1086
#define IDC_COUNTDOWN_PROGRESS 1042

// Clock window commands
#define ID_MEMO                1086
#define ID_SCREEN_SAVER        32788
#define ID_QUICK_SHUTDOWN      32789
#define ID_RESTART             32790
#define ID_STANDBY             32791
#define ID_HIBERNATE           32792
#define ID_LOG_OFF             32793
#define ID_APP_ABOUT           57664
#define ID_APP_EXIT            57665
