#include "clock/quickalarm.h"

#include "res/resource.h"

int quickAlarmOffset(int commandId) {
    // 1 h 30 min, 2 h, 3 h and 4 h, each with the extra minute.
    static const int kLong[] = {5460, 7260, 10860, 14460};
    if (commandId >= ID_QUICK_FIRST && commandId <= ID_QUICK_FIRST + 6)
        return 600 * (commandId - ID_QUICK_FIRST) + 60;
    if (commandId > ID_QUICK_FIRST + 6 && commandId <= ID_QUICK_LAST)
        return kLong[commandId - ID_QUICK_FIRST - 7];
    return 60;
}
