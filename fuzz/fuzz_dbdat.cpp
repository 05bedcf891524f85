// db.dat reader: any bytes must load without touching memory outside the
// records, never invent alarms, and survive a save and reload unchanged.
#include <cstring>
#include <memory>

#include "model/datafiles.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

const size_t kSet = sizeof(ClockSettings), kRec = sizeof(AlarmRecord), kHead = kSet + 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto table = std::make_unique<AlarmTable>();
    static auto again = std::make_unique<AlarmTable>();
    const ClockSettings defaults = defaultSettings();
    ClockSettings settings = defaults;
    table->alarmCount = 0;
    parseDataFile(data, size, settings, *table);

    int32_t count = table->alarmCount;
    check(count >= 0 && count <= kMaxAlarms);
    check(count == 0 || kHead + static_cast<size_t>(count) * kRec <= size);
    for (int32_t i = 0; i < count; ++i)
        check(std::memcmp(&table->alarms[i], data + kHead + i * kRec, kRec) == 0);

    // Bytes the file did not reach keep their defaults; the repair leaves no
    // zero interval, zero font size or empty font name behind.
    size_t read = size < kSet ? size : kSet;
    const uint8_t* got = reinterpret_cast<const uint8_t*>(&settings);
    const uint8_t* def = reinterpret_cast<const uint8_t*>(&defaults);
    check(std::memcmp(got + read, def + read, kSet - read) == 0);
    check(settings.quickInterval != 0 && settings.fontSize != 0 && settings.fontName[0] != '\0');
    check(!(settings.textColor == 5 && settings.backColor == 5));

    // Save and reload: temporary records drop out, everything else is kept,
    // and a second save gives the same bytes.
    std::string saved = serializeDataFile(settings, *table);
    int32_t kept = 0;
    for (int32_t i = 0; i < count; ++i) kept += table->alarms[i].temporary == 0;
    check(saved.size() == kHead + static_cast<size_t>(kept) * kRec);

    ClockSettings reloaded = defaults;
    again->alarmCount = 0;
    parseDataFile(reinterpret_cast<const uint8_t*>(saved.data()), saved.size(), reloaded, *again);
    check(std::memcmp(&reloaded, &settings, kSet) == 0);
    check(again->alarmCount == kept);
    for (int32_t i = 0, j = 0; i < count; ++i) {
        if (table->alarms[i].temporary != 0) continue;
        check(std::memcmp(&again->alarms[j++], &table->alarms[i], kRec) == 0);
    }
    check(serializeDataFile(reloaded, *again) == saved);
    return 0;
}
