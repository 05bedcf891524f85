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

ImportResult importFromBytes(const uint8_t* data, size_t size, uint64_t fileSize,
                             AlarmTable& table) {
    if (data == nullptr || size < 4 || fileSize < 4) return ImportResult::WrongSize;
    const int32_t n = readCount(data);
    // In 64 bits 4 + 848 * n cannot overflow for any non-negative s32.
    if (n < 0 || fileSize != 4 + uint64_t{kRecordSize} * static_cast<uint32_t>(n))
        return ImportResult::WrongSize;
    const int used = usedAlarms(table);
    if (int64_t{used} + n > kMaxAlarms) return ImportResult::TooMany;
    // Accepted, so n <= kMaxAlarms; the bytes must really be at hand.
    const size_t bytes = static_cast<size_t>(n) * kRecordSize;
    if (size - 4 < bytes) return ImportResult::WrongSize;
    if (n > 0) std::memcpy(&table.alarms[used], data + 4, bytes);
    table.alarmCount = used + n;
    return ImportResult::Imported;
}

ImportResult importAlarms(const std::string& path, AlarmTable& table) {
    std::string bytes;
    // One byte past the largest importable file tells a too-big file apart
    // without reading all of it; its own length then decides between the
    // size message and the capacity message.
    uint64_t fileSize = 0;
    if (!readWholeFile(path, bytes, kMaxExportFileBytes + 1, &fileSize))
        return ImportResult::Unreadable;
    if (bytes.size() <= kMaxExportFileBytes) fileSize = bytes.size();
    return importFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fileSize,
                           table);
}
