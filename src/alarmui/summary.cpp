#include "alarmui/summary.h"

#include <cstdio>
#include <cstring>

#include "alarm/actions.h"
#include "alarm/schedule.h"
#include "alarmui/editorlogic.h"
#include "model/gbkpath.h"

namespace {

std::string fieldText(const char* field, size_t width) {
    return std::string(field, fieldLength(field, width));
}

}  // namespace

std::string numberCell(int index, const AlarmRecord& r) {
    char text[24];
    std::snprintf(text, sizeof text, "%d", index + 1);
    std::string cell(text);
    if (r.disabled != 0) cell += " ||";
    return cell;
}

std::string timeSummary(const AlarmRecord& r, const LocalTime* now) {
    std::string s = isLunarAlarm(r) ? "农历" : "";
    const bool noDate = r.yearMask == 0 && r.monthMask == 0 && r.dayMask == 0;
    if (!noDate)
        s += r.weekdayMask == 0 ? "年月日重复 " : "指定日期 ";
    if (r.dayRule != kDayRuleNone && r.dayRule < kDayRuleCount) {
        // 大小周 is named by the Saturday of now's week, as the editor names it.
        const bool byWeek = r.dayRule == kDayRuleEvenSaturdays || r.dayRule == kDayRuleOddSaturdays;
        s += byWeek && !now ? "大小周" : kDayRuleItems[now ? dayRuleItem(r.dayRule, *now) : r.dayRule];
        s += " ";
    } else if (noDate) {
        s += r.weekdayMask == 0 ? "每日 " : "星期重复 ";
    }

    // Bits 24..31 name no hour: they are not listed, and like the due test
    // they do not make the alarm hourly either, only a zero mask does.
    char piece[16];
    for (int h = 0; h < 24; ++h) {
        if (r.hourMask & (uint32_t{1} << h)) {
            std::snprintf(piece, sizeof piece, "%d时 ", h);
            s += piece;
        }
    }
    if (r.hourMask == 0) s += "每时 ";

    std::snprintf(piece, sizeof piece, "%d分 ", r.minute);
    s += piece;
    return s;
}

std::string fileNameCell(const char* field, size_t width) {
    const size_t len = fieldLength(field, width);
    const size_t start = fileNameOffset(field, len);
    return std::string(field + start, len - start);
}

std::string parametersCell(const AlarmRecord& r) {
    char text[160];
    std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d %d %d", static_cast<int32_t>(r.yearMask),
                  static_cast<int32_t>(r.monthMask), static_cast<int32_t>(r.dayMask),
                  static_cast<int32_t>(r.hourMask), static_cast<int8_t>(r.weekdayMask), r.minute,
                  r.specialAction, static_cast<int8_t>(r.temporary), static_cast<int8_t>(r.calendarKind));
    return text;
}

std::string nextRingCell(const AlarmRecord& r, const LocalTime& now) {
    if (r.disabled) return "已禁用";
    LocalTime next;
    if (!nextRing(r, now, next)) return "不会再响";
    char text[48];
    if (next.year == now.year)
        std::snprintf(text, sizeof text, "%d月%d日 %02d:%02d", next.month, next.day, next.hour, next.minute);
    else
        std::snprintf(text, sizeof text, "%d年%d月%d日 %02d:%02d", next.year, next.month, next.day, next.hour,
                      next.minute);
    return text;
}

const char kMissingFileMark[] = " (文件不存在)";

std::string soundCell(const AlarmRecord& r, bool soundMissing) {
    std::string cell = fileNameCell(r.soundPath, sizeof r.soundPath);
    if (soundMissing && fieldLength(r.soundPath, sizeof r.soundPath) != 0) cell += kMissingFileMark;
    return cell;
}

std::array<std::string, kListColumns> alarmRowCells(int index, const AlarmRecord& r, const LocalTime& now,
                                                    bool soundMissing) {
    const char* action = actionName(r.specialAction);
    return {numberCell(index, r),
            timeSummary(r, &now),
            soundCell(r, soundMissing),
            fieldText(r.text, sizeof r.text),
            fileNameCell(r.programPath, sizeof r.programPath),
            action ? action : "",
            r.temporary != 0 ? "是" : "否",
            parametersCell(r),
            nextRingCell(r, now)};
}

bool removeAlarmAt(AlarmTable& table, int index) {
    const int used = usedAlarms(table);
    if (index < 0 || index >= used) return false;
    std::memmove(&table.alarms[index], &table.alarms[index + 1],
                 static_cast<size_t>(used - index - 1) * sizeof(AlarmRecord));
    table.alarmCount = used - 1;
    return true;
}

void deleteSelectedAlarms(AlarmTable& table, const std::vector<bool>& selected) {
    for (int i = static_cast<int>(selected.size()) - 1; i >= 0; --i)
        if (selected[i]) removeAlarmAt(table, i);
}

void toggleSelectedAlarms(AlarmTable& table, const std::vector<bool>& selected) {
    const int used = usedAlarms(table);
    for (int i = static_cast<int>(selected.size()) - 1; i >= 0; --i)
        if (selected[i] && i < used) table.alarms[i].disabled = table.alarms[i].disabled == 0 ? 1 : 0;
}

int markDuplicateAlarms(AlarmTable& table) {
    const int used = usedAlarms(table);
    int marked = 0;
    for (int i = 0; i + 1 < used; ++i) {
        for (int j = i + 1; j < used; ++j) {
            if (std::memcmp(&table.alarms[i], &table.alarms[j], sizeof(AlarmRecord)) == 0) {
                if (table.alarms[j].temporary == 0) ++marked;
                table.alarms[j].temporary = 1;
            }
        }
    }
    return marked;
}

bool runsProgramOrPower(const AlarmRecord& r) {
    return fieldLength(r.programPath, sizeof r.programPath) != 0 || actionName(r.specialAction) != nullptr;
}

std::string importQuestion(const AlarmRecord* records, int count, const LocalTime* now) {
    int risky = 0;
    std::string lines;
    for (int i = 0; i < count; ++i) {
        const AlarmRecord& r = records[i];
        if (!runsProgramOrPower(r)) continue;
        if (++risky > kImportQuestionLines) continue;
        // The time cell ends in a blank, which parts it from what follows.
        std::string line = timeSummary(r, now) + fieldText(r.programPath, sizeof r.programPath);
        if (const char* action = actionName(r.specialAction)) {
            if (fieldLength(r.programPath, sizeof r.programPath) != 0) line += " ";
            line += action;
        }
        lines += "\r\n" + line;
    }
    if (risky == 0) return std::string();
    if (risky > kImportQuestionLines) lines += "\r\n……";
    char head[160];
    std::snprintf(head, sizeof head, "导入的闹铃中有%d个会运行程序或关机、重启、待机、休眠、注销，确定导入吗？", risky);
    return head + lines;
}
