#include "alarmui/exchange.h"

#include <cstring>

#include "model/atomicfile.h"

namespace {

constexpr size_t kRecordSize = sizeof(AlarmRecord);

int32_t readCount(const uint8_t* p) {
    uint32_t v = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    int32_t n;
    std::memcpy(&n, &v, sizeof n);
    return n;
}

}  // namespace

std::string exportBytes(const AlarmTable& table) {
    const int32_t used = usedAlarms(table);
    std::string out;
    out.reserve(4 + static_cast<size_t>(used) * kRecordSize);
    uint32_t v;
    std::memcpy(&v, &used, sizeof v);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFF));
    out.append(reinterpret_cast<const char*>(table.alarms), static_cast<size_t>(used) * kRecordSize);
    return out;
}

bool exportAlarms(const std::string& path, const AlarmTable& table) {
    return replaceFileAtomically(path, exportBytes(table));
}

namespace {

// Whether a file may go into a table of `used` alarms; n is its record count then.
ImportResult checkImport(const uint8_t* data, size_t size, uint64_t fileSize, int used, int32_t& n) {
    if (data == nullptr || size < 4 || fileSize < 4) return ImportResult::WrongSize;
    n = readCount(data);
    // In 64 bits 4 + 848 * n cannot overflow for any non-negative s32.
    if (n < 0 || fileSize != 4 + uint64_t{kRecordSize} * static_cast<uint32_t>(n))
        return ImportResult::WrongSize;
    if (int64_t{used} + n > kMaxAlarms) return ImportResult::TooMany;
    // Accepted, so n <= kMaxAlarms; the bytes must really be at hand.
    if (size - 4 < static_cast<size_t>(n) * kRecordSize) return ImportResult::WrongSize;
    return ImportResult::Imported;
}

// The first bytes of a file, and its size as the checks need it. One byte
// past the largest importable file tells a too-big file apart without
// reading all of it; its own length then decides between the size message
// and the capacity message.
bool readImportBytes(const std::string& path, std::string& bytes, uint64_t& fileSize) {
    fileSize = 0;
    if (!readWholeFile(path, bytes, kMaxExportFileBytes + 1, &fileSize)) return false;
    if (bytes.size() <= kMaxExportFileBytes) fileSize = bytes.size();
    return true;
}

}  // namespace

ImportResult importFromBytes(const uint8_t* data, size_t size, uint64_t fileSize,
                             AlarmTable& table) {
    const int used = usedAlarms(table);
    int32_t n = 0;
    const ImportResult checked = checkImport(data, size, fileSize, used, n);
    if (checked != ImportResult::Imported) return checked;
    if (n > 0) std::memcpy(&table.alarms[used], data + 4, static_cast<size_t>(n) * kRecordSize);
    table.alarmCount = used + n;
    return ImportResult::Imported;
}

ImportResult importAlarms(const std::string& path, AlarmTable& table) {
    std::string bytes;
    uint64_t fileSize = 0;
    if (!readImportBytes(path, bytes, fileSize)) return ImportResult::Unreadable;
    return importFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileSize,
                           table);
}

ImportResult readImportFile(const std::string& path, const AlarmTable& table, std::vector<AlarmRecord>& records) {
    records.clear();
    std::string bytes;
    uint64_t fileSize = 0;
    if (!readImportBytes(path, bytes, fileSize)) return ImportResult::Unreadable;
    int32_t n = 0;
    const ImportResult checked = checkImport(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                             fileSize, usedAlarms(table), n);
    if (checked != ImportResult::Imported) return checked;
    records.resize(static_cast<size_t>(n));
    if (n > 0) std::memcpy(records.data(), bytes.data() + 4, static_cast<size_t>(n) * kRecordSize);
    return ImportResult::Imported;
}

ImportResult appendImported(AlarmTable& table, const std::vector<AlarmRecord>& records) {
    const int used = usedAlarms(table);
    if (int64_t{used} + static_cast<int64_t>(records.size()) > kMaxAlarms) return ImportResult::TooMany;
    if (!records.empty()) std::memcpy(&table.alarms[used], records.data(), records.size() * kRecordSize);
    table.alarmCount = used + static_cast<int32_t>(records.size());
    return ImportResult::Imported;
}
