#include "alarmui/exchange.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "model/atomicfile.h"

namespace {

const size_t kRec = sizeof(AlarmRecord);

// Sentinel bytes behind the used part show any record written too many.
std::unique_ptr<AlarmTable> tableOf(int count) {
    auto t = std::make_unique<AlarmTable>();
    std::memset(t->alarms, 0xEE, sizeof t->alarms);
    for (int i = 0; i < count; ++i) std::memset(&t->alarms[i], 0x30 + i % 100, kRec);
    t->alarmCount = count;
    return t;
}

std::string fileOf(int32_t n, int records, size_t extra = 0) {
    std::string out(reinterpret_cast<const char*>(&n), 4);
    for (int i = 0; i < records; ++i) out += std::string(kRec, static_cast<char>('a' + i % 26));
    return out + std::string(extra, 'z');
}

ImportResult import(const std::string& bytes, AlarmTable& t) {
    return importFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), t);
}

bool same(const AlarmTable& a, const AlarmTable& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(ExchangeFormat, ExportHoldsEveryAlarmAndImportAppendsThem) {
    auto t = tableOf(3);
    t->alarms[1].temporary = 1;
    const std::string bytes = exportBytes(*t);
    ASSERT_EQ(bytes.size(), 2548u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\x00\x00\x00", 4));
    EXPECT_EQ(std::memcmp(bytes.data() + 4, t->alarms, 3 * kRec), 0);

    EXPECT_EQ(import(bytes, *t), ImportResult::Imported);
    ASSERT_EQ(t->alarmCount, 6);
    EXPECT_EQ(std::memcmp(&t->alarms[3], &t->alarms[0], 3 * kRec), 0);  // flags as stored
    EXPECT_EQ(t->alarms[6].yearMask, 0xEEEEEEEEu);

    EXPECT_EQ(exportBytes(*tableOf(0)), std::string(4, '\0'));
    const auto before = *t;
    EXPECT_EQ(import(std::string(4, '\0'), *t), ImportResult::Imported);
    EXPECT_TRUE(same(*t, before));
}

TEST(ExchangeFormat, SizeIsTestedBeforeCapacityAndNothingComesInOnRefusal) {
    auto t = tableOf(2);
    auto before = *t;
    const std::string wrong[] = {
        "", "\x00", std::string(3, '\0'), fileOf(3, 3).substr(0, 2547), fileOf(3, 3, 1),
        fileOf(-1, 0), fileOf(-1, 1),
        fileOf(268435457, 1),  // 4 + 848 * n wraps to 852 in 32 bits
    };
    for (const auto& bytes : wrong) {
        EXPECT_EQ(import(bytes, *t), ImportResult::WrongSize) << bytes.size();
        EXPECT_TRUE(same(*t, before));
    }

    t = tableOf(148);
    before = *t;
    EXPECT_EQ(import(fileOf(3, 3), *t), ImportResult::TooMany);
    EXPECT_TRUE(same(*t, before));
    EXPECT_EQ(import(fileOf(2, 2), *t), ImportResult::Imported);
    EXPECT_EQ(t->alarmCount, 150);
    EXPECT_EQ(import(fileOf(1, 0), *t), ImportResult::WrongSize);
    EXPECT_EQ(import(fileOf(1, 1), *t), ImportResult::TooMany);
}

TEST(ExchangeFiles, WholeFilesOrNothing) {
    char name[] = "/tmp/zentar-exchange.XXXXXX";
    const std::string dir = mkdtemp(name);
    const std::string path = dir + "/alarms.bin";
    auto t = tableOf(3);
    ASSERT_TRUE(replaceFileAtomically(path, "older and longer"));
    ASSERT_TRUE(exportAlarms(path, *t));
    std::string disk;
    ASSERT_TRUE(readWholeFile(path, disk));
    EXPECT_EQ(disk, exportBytes(*t));
    EXPECT_EQ(importAlarms(path, *t), ImportResult::Imported);
    EXPECT_EQ(t->alarmCount, 6);
    EXPECT_EQ(importAlarms(dir + "/missing.bin", *t), ImportResult::Unreadable);

    // A target that cannot be replaced fails and leaves no temporary behind.
    ASSERT_EQ(mkdir((dir + "/taken").c_str(), 0700), 0);
    EXPECT_FALSE(exportAlarms(dir + "/taken", *t));
    EXPECT_FALSE(exportAlarms(dir + "/missing/alarms.bin", *t));
    int entries = 0;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d)) entries += e->d_name[0] != '.';
    closedir(d);
    EXPECT_EQ(entries, 2);

    // Beyond a full table: a well-formed file is refused for capacity, any
    // other for its size, although neither is read whole.
    auto empty = tableOf(0);
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(151, 151)));
    EXPECT_EQ(importAlarms(path, *empty), ImportResult::TooMany);
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(150, 150, 1)));
    EXPECT_EQ(importAlarms(path, *empty), ImportResult::WrongSize);
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(150, 150)));
    EXPECT_EQ(importAlarms(path, *empty), ImportResult::Imported);
    EXPECT_EQ(empty->alarms[149].yearMask, 0x74747474u);  // 't': the 150th record
    std::system(("rm -rf '" + dir + "'").c_str());
}

TEST(ExchangeFiles, ReadFirstThenAppendWhatWasRead) {
    char name[] = "/tmp/zentar-exchange.XXXXXX";
    const std::string dir = mkdtemp(name);
    const std::string path = dir + "/alarms.bin";
    auto t = tableOf(3);
    const auto before = std::make_unique<AlarmTable>(*t);
    std::vector<AlarmRecord> records;
    // The same refusals as importAlarms, and the table untouched throughout.
    EXPECT_EQ(readImportFile(dir + "/missing.bin", *t, records), ImportResult::Unreadable);
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(2, 2, 1)));
    EXPECT_EQ(readImportFile(path, *t, records), ImportResult::WrongSize);
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(148, 148)));
    EXPECT_EQ(readImportFile(path, *t, records), ImportResult::TooMany);
    EXPECT_TRUE(records.empty());
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(2, 2)));
    ASSERT_EQ(readImportFile(path, *t, records), ImportResult::Imported);
    EXPECT_EQ(std::memcmp(t.get(), before.get(), sizeof(AlarmTable)), 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].yearMask, 0x62626262u);  // 'b'
    // What was read goes in, even if the file changed meanwhile.
    ASSERT_TRUE(replaceFileAtomically(path, fileOf(1, 1)));
    EXPECT_EQ(appendImported(*t, records), ImportResult::Imported);
    EXPECT_EQ(t->alarmCount, 5);
    EXPECT_EQ(std::memcmp(&t->alarms[3], records.data(), 2 * kRec), 0);
    EXPECT_EQ(t->alarms[5].yearMask, 0xEEEEEEEEu);
    // A table that filled up meanwhile takes nothing.
    t->alarmCount = 149;
    EXPECT_EQ(appendImported(*t, records), ImportResult::TooMany);
    EXPECT_EQ(t->alarmCount, 149);
    EXPECT_EQ(appendImported(*t, {}), ImportResult::Imported);
    std::system(("rm -rf '" + dir + "'").c_str());
}
