#include "alarm/tick.h"

#include <cstring>
#include <vector>

namespace {

// A record's text as a terminated string: imported records may fill a field
// to its width without a terminator.
template <size_t N>
class FieldText {
public:
    explicit FieldText(const char (&field)[N]) {
        const size_t len = fieldLength(field, N);
        std::memcpy(text_, field, len);
        text_[len] = '\0';
    }
    const char* c_str() const { return text_; }
    bool empty() const { return text_[0] == '\0'; }

private:
    char text_[N + 1];
};

// Sound-start probes are whole minutes away from now, and most alarms share
// the same few offsets: each offset's calendar fields are worked out once.
class ProbeCache {
public:
    explicit ProbeCache(const LocalTime& now) : now_(now) {}

    const LocalTime& at(int offsetMinutes) {
        const int slot = offsetMinutes - kLowest;
        if (slot < 0 || slot >= kSlots) {
            spill_ = addSeconds(now_, int64_t{offsetMinutes} * 60);
            return spill_;
        }
        if (!filled_[slot]) {
            probes_[slot] = addSeconds(now_, int64_t{offsetMinutes} * 60);
            filled_[slot] = true;
        }
        return probes_[slot];
    }

private:
    static constexpr int kLowest = -320;
    static constexpr int kSlots = 384;
    const LocalTime& now_;
    LocalTime spill_{};
    bool filled_[kSlots] = {};
    LocalTime probes_[kSlots];
};

// What one alarm does in this second, decided before anything runs.
struct PlannedAlarm {
    AlarmRecord alarm;
    int soundStarts;
    bool due;
};

int mod60(int value) {
    const int m = value % 60;
    return m < 0 ? m + 60 : m;
}

// Which alarms of the table start their sound or fall due at `now` (second 0).
std::vector<PlannedAlarm> planSecond(const AlarmTable& table, const LocalTime& now) {
    struct Pick {
        int index;
        int soundStarts;
        bool due;
    };
    Pick picks[kMaxAlarms];
    int picked = 0;
    ProbeCache probes(now);
    int count = table.alarmCount;
    if (count < 0) count = 0;
    if (count > kMaxAlarms) count = kMaxAlarms;
    for (int i = 0; i < count; ++i) {
        const AlarmRecord& alarm = table.alarms[i];
        // A minute outside 0..59 matches no moment at all.
        if (alarm.disabled || alarm.minute < 0 || alarm.minute > 59) continue;
        // A probe's minute follows from now's minute alone: only probes that land
        // on the alarm's minute need their calendar fields.
        int probeMinute = mod60(now.minute + alarm.leadMinutes);
        const int step = mod60(alarm.intervalMinutes);
        int starts = 0;
        for (int j = 0; j < alarm.repeatCount; ++j) {
            if (probeMinute == alarm.minute) {
                const int offset = alarm.leadMinutes - j * alarm.intervalMinutes;
                if (isDue(probes.at(offset), alarm)) ++starts;
            }
            probeMinute -= step;
            if (probeMinute < 0) probeMinute += 60;
        }
        const bool due = isDue(now, alarm);
        if (starts > 0 || due) picks[picked++] = Pick{i, starts, due};
    }
    // The copies are what the pass runs from, whatever happens to the table later.
    std::vector<PlannedAlarm> plan;
    plan.reserve(static_cast<size_t>(picked));
    for (int k = 0; k < picked; ++k)
        plan.push_back(PlannedAlarm{table.alarms[picks[k].index], picks[k].soundStarts, picks[k].due});
    return plan;
}

}  // namespace

void startSound(const AlarmRecord& alarm, AlarmSeams& seams) {
    const FieldText<sizeof alarm.soundPath> path(alarm.soundPath);
    if (path.empty() || !seams.fileExists(path.c_str())) return;
    seams.playLooping(path.c_str());
}

void startDefaultSound(const char* defaultSoundPath, AlarmSeams& seams) {
    seams.playLooping(defaultSoundPath);
}

void fireAlarm(const AlarmRecord& alarm, AlarmSeams& seams) {
    const FieldText<sizeof alarm.programPath> program(alarm.programPath);
    if (!program.empty()) {
        // A path with arguments is no file to the shell; it runs as a command line.
        if (!seams.openWithShell(program.c_str()) && !seams.runCommandLine(program.c_str()))
            seams.beep(100, 100);
    }
    const FieldText<sizeof alarm.text> text(alarm.text);
    if (!text.empty()) {
        seams.appendMemoLine(text.c_str());
        // A reminder without a sound of its own still makes itself heard.
        if (fieldLength(alarm.soundPath, sizeof alarm.soundPath) == 0) seams.beep(1000, 100);
    }
    const int code = alarm.specialAction;
    if (code >= 1 && code <= 5 && seams.confirmPowerAction(code)) seams.runPowerAction(code);
}

ClockTick::ClockTick(const ClockSettings& settings, AlarmTable& table, AlarmSeams& seams)
    : settings_(settings), table_(table), seams_(seams) {}

void ClockTick::setDefaultSound(const char* path, bool exists) {
    defaultSound_ = path ? path : "";
    defaultSoundExists_ = exists && !defaultSound_.empty();
}

bool ClockTick::enterSecond(const LocalTime& now) {
    if (haveLastTick_ && sameSecond(now, lastTick_)) return false;
    lastTick_ = now;
    haveLastTick_ = true;
    return true;
}

// A power action's countdown runs a modal loop in which this function runs
// again for later seconds, and dialogs may change the table meanwhile. So a
// pass first decides everything from the table as it stands, keeping copies
// of the alarms that act in this second, and then runs them from its own
// local plan: inner passes share nothing with it, no alarm acts twice for
// one second, and the outer pass finishes its own alarms after the dialog.
void ClockTick::runSecond(const LocalTime& now, const TimeZoneRecord& zone) {
    zoneOffset_ = zoneOffsetSeconds(zone, now);
    if (!settings_.alarmService) return;
    // Probes are whole minutes away from now, so nothing is due off second 0.
    if (now.second != 0) return;

    const bool automatic = defaultSoundExists_ &&
                           automaticAlarmDue(now, zoneOffset_, settings_.dstAdjust);

    const std::vector<PlannedAlarm> plan = planSecond(table_, now);
    if (automatic) startDefaultSound(defaultSound_.c_str(), seams_);
    for (const PlannedAlarm& step : plan) {
        for (int k = 0; k < step.soundStarts; ++k) startSound(step.alarm, seams_);
        if (step.due) fireAlarm(step.alarm, seams_);
    }
}
