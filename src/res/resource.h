// Resource identifiers. The numbers are the program's interface: tests and
// other tools find windows and send commands by them, so they never change.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC             (-1)
#endif

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
#define IDD_RING               181

// Menus
#define IDM_CLOCK_MENU         132
#define IDM_CALENDAR_MENU      135

// Clock window
#define IDC_CLOCK_TEXT         1000

// Memo
#define IDC_MEMO_EDIT          1001

// Countdown
#define IDC_COUNTDOWN_TEXT     1086
#define IDC_COUNTDOWN_PROGRESS 1042

// About box
#define IDC_ABOUT_TIPS         1001

// Alarm editor
#define IDC_EDIT_TEMPORARY     1003
#define IDC_EDIT_DISABLED      1004
#define IDC_EDIT_REPEAT        1005
#define IDC_EDIT_LEAD          1006
#define IDC_EDIT_INTERVAL      1007
#define IDC_EDIT_YEARS         1008
#define IDC_EDIT_MONTHS        1009
#define IDC_EDIT_DAYS          1010
#define IDC_EDIT_WEEKDAYS      1011
#define IDC_EDIT_HOURS         1012
#define IDC_EDIT_MINUTE        1013
#define IDC_EDIT_SOUND         1015
#define IDC_EDIT_TEXT          1016
#define IDC_EDIT_PROGRAM       1017
#define IDC_EDIT_BROWSE_SOUND  1018
#define IDC_EDIT_BROWSE_PROGRAM 1019
#define IDC_EDIT_ACTION_NONE   1020
#define IDC_EDIT_ACTION_SHUTDOWN 1021
#define IDC_EDIT_ACTION_RESTART 1022
#define IDC_EDIT_ACTION_STANDBY 1023
#define IDC_EDIT_ACTION_HIBERNATE 1024
#define IDC_EDIT_ACTION_LOGOFF 1025
#define IDC_EDIT_CLEAR         1026
#define IDC_EDIT_EVERY_YEAR    1054
#define IDC_EDIT_EVERY_MONTH   1055
#define IDC_EDIT_EVERY_DAY     1056
#define IDC_EDIT_EVERY_WEEKDAY 1057
#define IDC_EDIT_EVERY_HOUR    1058
#define IDC_EDIT_MINUTE_SPIN   1059
#define IDC_EDIT_NEXT_RING     1060
#define IDC_EDIT_LUNAR         1061
#define IDC_EDIT_DAY_RULE      1088
#define IDC_EDIT_HINT          1089

// Alarm list
#define IDC_LIST_ALARMS        1006
#define IDC_LIST_ADD           1007
#define IDC_LIST_EDIT          1008
#define IDC_LIST_DELETE        1009
#define IDC_LIST_TOGGLE        1010
#define IDC_LIST_EXPORT        1035
#define IDC_LIST_IMPORT        1036
#define IDC_LIST_CLEANUP       1037

// Perpetual calendar (ids added by the calendar's author)
// -- calendar ids --
#define IDC_CAL_MONTH          1043
#define IDC_CAL_SELECTED_DATE  1044
#define IDC_CAL_GRID           1045
#define IDC_CAL_YEAR           1046
#define IDC_CAL_SELECTED_LUNAR 1047
#define IDC_CAL_TODAY          1048
#define IDC_CAL_YEAR_NAME      1049
#define IDC_CAL_SCHEDULE_NOTE  1050

// Options (ids added by the options dialog's author)
#define IDC_OPT_AUTOSTART      1003
#define IDC_OPT_REPEAT         1004
#define IDC_OPT_LEAD           1005
#define IDC_OPT_INTERVAL       1006
#define IDC_OPT_FULL_TRANSPARENT 1007
#define IDC_OPT_TOPMOST        1020
#define IDC_OPT_BOTTOM         1021
#define IDC_OPT_NORMAL         1022
#define IDC_OPT_TEXT_COLOR     1031
#define IDC_OPT_BACK_COLOR     1032
#define IDC_OPT_ALPHA          1033
#define IDC_OPT_FONT_SIZE      1036
#define IDC_OPT_FONT_SPIN      1037
#define IDC_OPT_FONT           1039
#define IDC_OPT_SERVICE        1040
#define IDC_OPT_HOUR12         1041
#define IDC_OPT_SOUND          1052
#define IDC_OPT_BROWSE         1053
#define IDC_OPT_AM             1054
#define IDC_OPT_PM             1055
#define IDC_OPT_DST            1062
#define IDC_OPT_DST_STATUS     1063
#define IDC_OPT_WAKE           1064
#define IDC_OPT_RING_MINUTES   1065

// Clock window commands
#define ID_OPTIONS             32771
#define ID_ALARM_LIST          32772
#define ID_ADD_ALARM           32773
#define ID_CALENDAR            32774
#define ID_QUICK_FIRST         32775
#define ID_QUICK_LAST          32785
#define ID_CD_OPEN             32786
#define ID_CD_CLOSE            32787
#define ID_TIME_SYNC           32794
#define ID_MEMO                1086
#define ID_SCREEN_SAVER        32788
#define ID_QUICK_SHUTDOWN      32789
#define ID_RESTART             32790
#define ID_STANDBY             32791
#define ID_HIBERNATE           32792
#define ID_LOG_OFF             32793
#define ID_APP_ABOUT           57664
#define ID_APP_EXIT            57665

// Added to the clock's menu while an alarm's sound rings
#define ID_SNOOZE_5            32850
#define ID_SNOOZE_10           32851
#define ID_SNOOZE_30           32852

// Countdown: put the power action off
#define IDC_COUNTDOWN_POSTPONE 1087

// The calendar's day menu: the user's own mark of a day in holidays.txt
#define ID_CAL_MARK_OFF        32860
#define ID_CAL_MARK_WORK       32861
#define ID_CAL_MARK_OFFICIAL   32862

// The ring window, shown while an alarm's sound plays
#define IDC_RING_SNOOZE_5      1090
#define IDC_RING_SNOOZE_10     1091
#define IDC_RING_CLOSE         1092
#define IDC_RING_TIME          1093
#define IDC_RING_TEXT          1094
