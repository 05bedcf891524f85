#include "alarm/tick.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/gbkpath.h"

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

// One second's view of the calendar. Sound-start probes are whole minutes
// away from now, and most alarms share the same few offsets: each offset's
// calendar fields are worked out once, and each day's lunar date too.
class SecondView {
public:
    explicit SecondView(const LocalTime& now) : now_(now), minuteOfDay_(now.hour * 60 + now.minute) {}

    bool isDue(const AlarmRecord& alarm, int offsetMinutes) {
        const Probe& p = probe(offsetMinutes);
        return isDueWith(p.time, alarm, [&] { return lunarDay(p); });
    }

private:
    // A probe's moment, and the slot of its day among the days around now.
    struct Probe {
        LocalTime time;
        int day;
    };

    const Probe& probe(int offsetMinutes) {
        const int slot = offsetMinutes - kLowest;
        Probe* p = &spill_;
        if (slot >= 0 && slot < kSlots) {
            p = &probes_[slot];
            if (filled_[slot]) return *p;
            filled_[slot] = true;
        }
        p->time = addSeconds(now_, int64_t{offsetMinutes} * 60);
        // Whole days between now's day and the probe's, rounded down.
        const int sum = minuteOfDay_ + offsetMinutes;
        p->day = (sum >= 0 ? sum : sum - 1439) / 1440 + kDaysBack;
        return *p;
    }

    const LunarDate* lunarDay(const Probe& p) {
        if (p.day < 0 || p.day >= kDaySlots) return lunarDateAt(p.time, spillDay_) ? &spillDay_ : nullptr;
        if (dayState_[p.day] == 0) dayState_[p.day] = lunarDateAt(p.time, days_[p.day]) ? 1 : 2;
        return dayState_[p.day] == 1 ? &days_[p.day] : nullptr;
    }

    static constexpr int kLowest = -320;
    static constexpr int kSlots = 384;
    // Byte-sized lead, interval and repeat count reach about 11.3 days either way.
    static constexpr int kDaysBack = 12;
    static constexpr int kDaySlots = 2 * kDaysBack + 1;
    const LocalTime& now_;
    const int minuteOfDay_;
    Probe spill_{};
    bool filled_[kSlots] = {};
    Probe probes_[kSlots];
    LunarDate spillDay_{};
    uint8_t dayState_[kDaySlots] = {};  // 0 not converted, 1 lunar date known, 2 outside the tables
    LunarDate days_[kDaySlots];
};

// What one alarm does in this second, decided before anything runs.
struct PlannedAlarm {
    AlarmRecord alarm;
    int soundStarts;
    int ringOffset;  // minutes from now to the latest alarm minute a start belongs to
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
        int ringOffset;
        bool due;
    };
    Pick picks[kMaxAlarms];
    int picked = 0;
    SecondView view(now);
    const int count = usedAlarms(table);
    for (int i = 0; i < count; ++i) {
        const AlarmRecord& alarm = table.alarms[i];
        // A minute outside 0..59 matches no moment at all.
        if (alarm.disabled || alarm.minute < 0 || alarm.minute > 59) continue;
        // A probe's minute follows from now's minute alone: only probes that land
        // on the alarm's minute need their calendar fields.
        int probeMinute = mod60(now.minute + alarm.leadMinutes);
        const int step = mod60(alarm.intervalMinutes);
        int starts = 0, ringOffset = 0;
        for (int j = 0; j < alarm.repeatCount; ++j) {
            if (probeMinute == alarm.minute) {
                const int offset = alarm.leadMinutes - j * alarm.intervalMinutes;
                if (view.isDue(alarm, offset)) {
                    // Starts of two rings may meet: the later ring is the one heard.
                    ringOffset = starts == 0 ? offset : std::max(ringOffset, offset);
                    ++starts;
                }
            }
            probeMinute -= step;
            if (probeMinute < 0) probeMinute += 60;
        }
        const bool due = view.isDue(alarm, 0);
        if (starts > 0 || due) picks[picked++] = Pick{i, starts, ringOffset, due};
    }
    // The copies are what the pass runs from, whatever happens to the table later.
    std::vector<PlannedAlarm> plan;
    plan.reserve(static_cast<size_t>(picked));
    for (int k = 0; k < picked; ++k)
        plan.push_back(PlannedAlarm{table.alarms[picks[k].index], picks[k].soundStarts, picks[k].ringOffset,
                                    picks[k].due});
    return plan;
}

}  // namespace

int ringLimitMinutes(const ClockSettings& settings) {
    if (settings.ringMinutes == kRingMinutesNever) return 0;
    return settings.ringMinutes == 0 ? kRingMinutesDefault : settings.ringMinutes;
}

std::string ringLabel(const AlarmRecord& alarm) {
    const FieldText<sizeof alarm.text> text(alarm.text);
    if (!text.empty()) return text.c_str();
    const FieldText<sizeof alarm.soundPath> path(alarm.soundPath);
    const std::string sound = path.c_str();
    return sound.substr(fileNameOffset(sound));
}

bool startSound(const AlarmRecord& alarm, AlarmSeams& seams, const char* defaultSoundPath) {
    const FieldText<sizeof alarm.soundPath> path(alarm.soundPath);
    if (path.empty()) return false;
    if (seams.fileExists(path.c_str())) {
        seams.playLooping(path.c_str());
        return true;
    }
    // Renamed, deleted or left behind: the alarm is still heard.
    if (defaultSoundPath && *defaultSoundPath && seams.fileExists(defaultSoundPath)) {
        startDefaultSound(defaultSoundPath, seams);
        return true;
    }
    for (int k = 0; k < 3; ++k) seams.beep(1000, 200);
    return false;
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
    if (code < 1 || code > 5) return;
    const CountdownAnswer answer = seams.confirmPowerAction(code);
    if (answer == CountdownAnswer::Run) seams.runPowerAction(code);
    if (answer == CountdownAnswer::Postpone) seams.postponePowerAlarm(alarm);
}

ClockTick::ClockTick(const ClockSettings& settings, AlarmTable& table, AlarmSeams& seams)
    : settings_(settings), table_(table), seams_(seams) {}

void ClockTick::setDefaultSound(const char* path, bool exists) {
    defaultSound_ = path ? path : "";
    defaultSoundExists_ = exists && !defaultSound_.empty();
}

bool ClockTick::enterSecond(const LocalTime& now) {
    const int64_t second = wallSeconds(now);
    if (haveLastSecond_ && second == lastSecond_) return false;
    lastSecond_ = second;
    haveLastSecond_ = true;
    claimTo_ = second;
    haveClaim_ = true;
    if (haveMark_ && second <= mark_ && mark_ - second <= kSetBackHold) {
        // Set back: shown, but these seconds were processed already.
        claimFrom_ = second;
        return true;
    }
    // Time before the first second, or before a clock set back by more than
    // kSetBackHold, is not replayed.
    claimFrom_ = haveMark_ && second > mark_ ? mark_ : second - 1;
    mark_ = second;
    haveMark_ = true;
    return true;
}

LocalTime ClockTick::actsAfter(const LocalTime& now) const {
    const int64_t second = wallSeconds(now);
    if (!haveMark_ || second >= mark_ || mark_ - second > kSetBackHold) return now;
    return addSeconds(now, mark_ - second);
}

void ClockTick::runSecond(const LocalTime& now, const TimeZoneRecord& zone) {
    const int64_t second = wallSeconds(now);
    // The range is taken over before anything runs: a countdown's nested ticks
    // claim only seconds after it, and this pass finishes its own afterwards.
    const int64_t from = haveClaim_ && claimTo_ == second ? claimFrom_ : second - 1;
    haveClaim_ = false;
    if (from >= second) {
        // A clock set back: nothing to process until it passes the mark.
        zoneOffset_ = zoneOffsetSeconds(zone, now);
        return;
    }
    if (second - from > kCatchUpSeconds) {
        reportMissed(from, now);
    } else {
        // Nothing acts off second 0, so only the minutes in the gap are replayed.
        const int64_t firstMinute = from + 1 + (60 - ((from + 1) % 60 + 60) % 60) % 60;
        for (int64_t s = firstMinute; s < second; s += 60)
            processSecond(addSeconds(now, s - second), zone);
    }
    processSecond(now, zone);
}

void ClockTick::reportMissed(int64_t lastSeen, const LocalTime& now) {
    if (!settings_.alarmService) return;
    const int64_t end = wallSeconds(now);
    const int64_t start = lastSeen > end - kMissedTextWindow ? lastSeen : end - kMissedTextWindow;
    const LocalTime windowStart = addSeconds(now, start - end);
    struct Missed {
        int64_t at;
        std::string line;
    };
    std::vector<Missed> missed;
    const int count = usedAlarms(table_);
    for (int i = 0; i < count; ++i) {
        const AlarmRecord& alarm = table_.alarms[i];
        const FieldText<sizeof alarm.text> text(alarm.text);
        if (alarm.disabled || text.empty()) continue;
        // An alarm rings at most hourly, so this walks at most a day's rings.
        LocalTime latest = windowStart, ring{};
        while (nextRing(alarm, latest, ring) && wallSeconds(ring) < end) latest = ring;
        if (wallSeconds(latest) == start) continue;
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "[错过 %02d:%02d] ", latest.hour, latest.minute);
        missed.push_back(Missed{wallSeconds(latest), stamp + std::string(text.c_str())});
    }
    std::stable_sort(missed.begin(), missed.end(),
                     [](const Missed& a, const Missed& b) { return a.at < b.at; });
    for (const Missed& m : missed) seams_.appendMemoLine(m.line.c_str());
}

// A power action's countdown runs a modal loop in which the tick runs again
// for later seconds, and dialogs may change the table meanwhile. So a second
// first decides everything from the table as it stands, keeping copies of
// the alarms that act in it, and then runs them from its own local plan:
// inner passes share nothing with it, no alarm acts twice for one second,
// and the outer pass finishes its own alarms after the dialog.
void ClockTick::processSecond(const LocalTime& now, const TimeZoneRecord& zone) {
    zoneOffset_ = zoneOffsetSeconds(zone, now);
    // Probes are whole minutes away from now, so nothing is due off second 0.
    if (settings_.alarmService && now.second == 0) processMinute(now);
    // After this second's starts, which give a ringing alarm its time afresh.
    stopUnansweredSound(now);
}

void ClockTick::processMinute(const LocalTime& now) {
    const bool automatic = defaultSoundExists_ &&
                           automaticAlarmDue(now, zoneOffset_, settings_.dstAdjust);

    const std::vector<PlannedAlarm> plan = planSecond(table_, now);
    if (automatic) {
        startDefaultSound(defaultSound_.c_str(), seams_);
        ringing_ = false;  // the chime offers no snooze and shows no ring window
    }
    for (const PlannedAlarm& step : plan) {
        for (int k = 0; k < step.soundStarts; ++k) {
            if (!startSound(step.alarm, seams_, defaultSound_.c_str())) continue;
            ringing_ = true;
            ringingAlarm_ = step.alarm;
            ringMinute_ = addSeconds(now, int64_t{step.ringOffset} * 60);
            ringStart_ = wallSeconds(now);
        }
        if (step.due) fireAlarm(step.alarm, seams_);
    }
}

void ClockTick::stopUnansweredSound(const LocalTime& now) {
    const int limit = ringLimitMinutes(settings_);
    if (!ringing_ || limit == 0) return;
    // A clock set back before the start counts the time from where it now stands.
    const int64_t second = wallSeconds(now);
    if (second < ringStart_) ringStart_ = second;
    if (second < ringStart_ + int64_t{limit} * 60) return;
    ringing_ = false;
    seams_.stopSound();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[未应答 %02d:%02d] ", ringMinute_.hour, ringMinute_.minute);
    seams_.appendMemoLine((stamp + ringLabel(ringingAlarm_)).c_str());
}
