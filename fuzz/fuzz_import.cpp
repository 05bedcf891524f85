// Alarm import reader: any file is either taken whole, exactly as its bytes
// say, or refused with the table untouched; never a record too many.
// The first input byte picks how full the table is beforehand.
#include <cstring>
#include <memory>

#include "alarmui/exchange.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

const size_t kRec = sizeof(AlarmRecord);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static auto table = std::make_unique<AlarmTable>();
    static auto before = std::make_unique<AlarmTable>();
    const int32_t present = data[0] % (kMaxAlarms + 1);
    std::memset(table.get(), 0xA5, sizeof(AlarmTable));
    table->alarmCount = present;
    *before = *table;

    const uint8_t* file = data + 1;
    const size_t fileSize = size - 1;
    const ImportResult result = importFromBytes(file, fileSize, *table);

    int64_t n = -1;
    if (fileSize >= 4) {
        int32_t count;
        std::memcpy(&count, file, 4);
        n = count;
    }
    const bool sizeOk = n >= 0 && fileSize == 4 + static_cast<uint64_t>(n) * kRec;
    const bool fits = sizeOk && present + n <= kMaxAlarms;
    check(result == (!sizeOk ? ImportResult::WrongSize
                             : fits ? ImportResult::Imported : ImportResult::TooMany));

    if (result != ImportResult::Imported) {
        check(std::memcmp(table.get(), before.get(), sizeof(AlarmTable)) == 0);
        return 0;
    }
    check(table->alarmCount == present + n);
    check(std::memcmp(table->alarms, before->alarms, present * kRec) == 0);
    check(std::memcmp(&table->alarms[present], file + 4, n * kRec) == 0);
    const int32_t total = table->alarmCount;
    check(std::memcmp(&table->alarms[total], &before->alarms[total], (kMaxAlarms - total) * kRec) == 0);

    // Exported again, the imported part comes out as the same bytes.
    const std::string again = exportBytes(*table);
    check(again.size() == 4 + total * kRec);
    check(std::memcmp(again.data() + 4 + present * kRec, file + 4, n * kRec) == 0);
    return 0;
}
