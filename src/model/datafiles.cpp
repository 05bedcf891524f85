#include "model/datafiles.h"

#include <cstring>

#include "model/atomicfile.h"

namespace {

constexpr size_t kSettingsSize = sizeof(ClockSettings);
constexpr size_t kCountSize = 4;
constexpr size_t kRecordsOffset = kSettingsSize + kCountSize;
constexpr size_t kRecordSize = sizeof(AlarmRecord);
// Nothing past a full table can matter, so a huge db.dat is never read whole.
constexpr size_t kMaxDataFileBytes = kRecordsOffset + kMaxAlarms * kRecordSize;

int32_t readCount(const uint8_t* p) {
    uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    int32_t n;
    std::memcpy(&n, &v, sizeof n);
    return n;
}

void appendCount(std::string& out, int32_t n) {
    uint32_t v;
    std::memcpy(&v, &n, sizeof v);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

const uint8_t* bytesOf(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

}  // namespace

void parseDataFile(const uint8_t* data, size_t size, ClockSettings& settings, AlarmTable& table) {
    if (data == nullptr) size = 0;
    size_t settingsBytes = size < kSettingsSize ? size : kSettingsSize;
    if (settingsBytes > 0) std::memcpy(&settings, data, settingsBytes);
    // Repaired even after a partial read: a truncated file may have stopped
    // right after a zero interval or font size.
    repairLoadedSettings(settings);

    table.alarmCount = 0;
    if (size < kRecordsOffset) return;

    // A damaged count never invents records: only whole images present load,
    // and never more than the table holds.
    size_t present = (size - kRecordsOffset) / kRecordSize;
    int32_t n = readCount(data + kSettingsSize);
    size_t wanted = (n >= 0 && n <= kMaxAlarms) ? static_cast<size_t>(n) : static_cast<size_t>(kMaxAlarms);
    size_t count = present < wanted ? present : wanted;
    for (size_t i = 0; i < count; ++i)
        std::memcpy(&table.alarms[i], data + kRecordsOffset + i * kRecordSize, kRecordSize);
    table.alarmCount = static_cast<int32_t>(count);
}

std::string parseMemoFile(const uint8_t* data, size_t size) {
    if (data == nullptr || size == 0) return std::string();
    const void* nul = std::memchr(data, 0, size);
    size_t len = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - data) : size;
    return std::string(reinterpret_cast<const char*>(data), len);
}

std::string serializeDataFile(const ClockSettings& settings, const AlarmTable& table) {
    const int32_t used = usedAlarms(table);
    int32_t kept = 0;
    for (int32_t i = 0; i < used; ++i)
        if (table.alarms[i].temporary == 0) ++kept;

    std::string out;
    out.reserve(kRecordsOffset + static_cast<size_t>(kept) * kRecordSize);
    out.append(reinterpret_cast<const char*>(&settings), kSettingsSize);
    appendCount(out, kept);
    for (int32_t i = 0; i < used; ++i)
        if (table.alarms[i].temporary == 0)
            out.append(reinterpret_cast<const char*>(&table.alarms[i]), kRecordSize);
    return out;
}

DataFilesLoad loadDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                            ClockSettings& settings, AlarmTable& table, std::string& memoText) {
    DataFilesLoad loaded;
    std::string bytes;
    loaded.data = readFileBytes(dataFilePath, bytes, kMaxDataFileBytes);
    if (loaded.data == ReadResult::Read)
        parseDataFile(bytesOf(bytes), bytes.size(), settings, table);
    loaded.memo = readFileBytes(memoFilePath, bytes);
    if (loaded.memo == ReadResult::Read)
        memoText = parseMemoFile(bytesOf(bytes), bytes.size());
    return loaded;
}

DataFilesSave saveDataFiles(const std::string& dataFilePath, const std::string& memoFilePath,
                            const ClockSettings& settings, const AlarmTable& table,
                            const std::string& memoText, const DataFilesLoad& loaded) {
    DataFilesSave saved;
    if (loaded.data == ReadResult::Unreadable)
        saved.data.kind = SaveKind::Skipped;
    else
        replaceFileAtomically(dataFilePath, serializeDataFile(settings, table), &saved.data);
    // The memo is a C string to the program: bytes behind a NUL would not
    // survive the next load, so they are not written either.
    if (loaded.memo == ReadResult::Unreadable)
        saved.memo.kind = SaveKind::Skipped;
    else
        replaceFileAtomically(memoFilePath, parseMemoFile(bytesOf(memoText), memoText.size()), &saved.memo);
    return saved;
}
