#include "model/datafiles.h"

#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "model/atomicfile.h"

namespace {

const size_t kSet = sizeof(ClockSettings), kRec = sizeof(AlarmRecord), kHead = kSet + 4;

// No byte is zero or equal to its default, so every byte of a loaded image
// shows whether it came from the file or kept its default.
ClockSettings patternSettings() {
    ClockSettings s;
    unsigned char* b = reinterpret_cast<unsigned char*>(&s);
    for (size_t i = 0; i < kSet; ++i) b[i] = static_cast<unsigned char>(i % 251 + 1);
    return s;
}

// Padding included: records travel as whole images.
AlarmRecord alarmNo(int i) {
    AlarmRecord r;
    std::memset(&r, 0x11 + i % 200, sizeof r);
    r.temporary = 0;
    return r;
}

std::string image(const void* p, size_t n) { return std::string(static_cast<const char*>(p), n); }

std::string fileWith(const ClockSettings& s, int32_t count, int records, size_t extra = 0) {
    std::string out = image(&s, kSet);
    out += image(&count, 4);  // little-endian host, as the file
    for (int i = 0; i < records; ++i) {
        AlarmRecord r = alarmNo(i);
        out += image(&r, kRec);
    }
    return out + std::string(extra, '\x5A');
}

struct State {
    ClockSettings settings = defaultSettings();
    std::unique_ptr<AlarmTable> table = std::make_unique<AlarmTable>();
    std::string memo = "kept";
    State() {
        // Sentinel: any record the reader invents or zero-fills shows up.
        std::memset(table->alarms, 0xEE, sizeof table->alarms);
        table->alarmCount = 99;
    }
    void parse(const std::string& bytes) {
        parseDataFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), settings, *table);
    }
    bool untouched(int i) const {
        AlarmRecord sentinel;
        std::memset(&sentinel, 0xEE, sizeof sentinel);
        return std::memcmp(&table->alarms[i], &sentinel, kRec) == 0;
    }
};

bool sameImage(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

}  // namespace

TEST(DataFilesFormat, SavesPermanentAlarmsInTableOrderAndReadsThemBack) {
    ClockSettings s = patternSettings();
    auto table = std::make_unique<AlarmTable>();
    for (int i = 0; i < 4; ++i) table->alarms[i] = alarmNo(i);
    table->alarms[1].temporary = 1;
    table->alarmCount = 3;  // the fourth is beyond the count and must not be written

    std::string bytes = serializeDataFile(s, *table);
    ASSERT_EQ(bytes.size(), kHead + 2 * kRec);
    EXPECT_EQ(bytes.substr(0, kSet), image(&s, kSet));
    EXPECT_EQ(bytes.substr(kSet, 4), std::string("\x02\x00\x00\x00", 4));
    EXPECT_EQ(bytes.substr(kHead, kRec), image(&table->alarms[0], kRec));
    EXPECT_EQ(bytes.substr(kHead + kRec, kRec), image(&table->alarms[2], kRec));

    State loaded;
    loaded.parse(bytes);
    ASSERT_EQ(loaded.table->alarmCount, 2);
    EXPECT_TRUE(sameImage(&loaded.table->alarms[0], &table->alarms[0], kRec));
    EXPECT_TRUE(sameImage(&loaded.table->alarms[1], &table->alarms[2], kRec));

    for (int32_t count : {0, -3}) {
        table->alarmCount = count;
        EXPECT_EQ(serializeDataFile(s, *table).size(), kHead) << count;
    }

    // A full table, padding bytes and all, comes back byte for byte.
    for (int i = 0; i < kMaxAlarms; ++i) table->alarms[i] = alarmNo(i);
    table->alarmCount = 1000;
    bytes = serializeDataFile(s, *table);
    ASSERT_EQ(bytes.size(), kHead + kMaxAlarms * kRec);
    State full;
    full.parse(bytes);
    ASSERT_EQ(full.table->alarmCount, kMaxAlarms);
    EXPECT_TRUE(sameImage(full.table->alarms, table->alarms, sizeof table->alarms));
    EXPECT_EQ(serializeDataFile(full.settings, *full.table), bytes);
}

TEST(DataFilesShortFile, KeepsDefaultsBeyondTheBytesPresentAndLoadsNoAlarms) {
    const ClockSettings pattern = patternSettings(), defaults = defaultSettings();
    const std::string full = fileWith(pattern, 1, 1);
    // Inside the settings, at its end, inside the count, and a count without its record.
    for (size_t len : {0, 1, 8, 9, 16, 29, 100, 412, 731, 732, 733, 734, 735, 736, 737, 736 + 847}) {
        State st;
        st.parse(full.substr(0, len));
        const unsigned char* got = reinterpret_cast<const unsigned char*>(&st.settings);
        const unsigned char* file = reinterpret_cast<const unsigned char*>(&pattern);
        const unsigned char* def = reinterpret_cast<const unsigned char*>(&defaults);
        size_t wrong = 0;
        for (size_t i = 0; i < kSet; ++i) wrong += got[i] != (i < len ? file[i] : def[i]);
        EXPECT_EQ(wrong, 0u) << "length " << len;
        EXPECT_EQ(st.table->alarmCount, 0) << "length " << len;
        EXPECT_TRUE(st.untouched(0)) << "length " << len;
    }
}

TEST(DataFilesShortFile, RepairAppliesToWhatWasRead) {
    ClockSettings zeros = defaultSettings();
    zeros.quickInterval = 0;
    zeros.fontSize = 0;
    zeros.fontName[0] = '\0';
    zeros.quickRepeat = 0;
    State st;
    st.parse(image(&zeros, 30));
    EXPECT_EQ(st.settings.quickInterval, 5);
    EXPECT_EQ(st.settings.fontSize, 24);
    EXPECT_STREQ(st.settings.fontName, "Arial");
    EXPECT_EQ(st.settings.quickRepeat, 0);

    ClockSettings five = defaultSettings();
    five.backColor = five.textColor = 5;
    State full;
    full.parse(fileWith(five, 0, 0));
    EXPECT_EQ(full.settings.textColor, 0x00FF00u);
    EXPECT_EQ(full.settings.backColor, 5u);
}

TEST(DataFilesCount, DamagedCountsLoadOnlyWholeRecordsPresent) {
    struct Case {
        int32_t count;
        int present;
        size_t extra;
        int expected;
    } cases[] = {
        {2, 2, 0, 2},         {2, 3, 0, 2},     // well formed; a spare record is ignored
        {2, 2, 500, 2},       {3, 2, 847, 2},   // trailing junk; count beyond the file
        {-1, 2, 0, 2},        {INT_MIN, 0, 0, 0},
        {INT32_MAX, 3, 10, 3}, {151, 151, 0, 150}, {150, 150, 0, 150},
        {0, 1, 0, 0},         {1000, 0, 847, 0},
    };
    for (const Case& c : cases) {
        State st;
        st.parse(fileWith(defaultSettings(), c.count, c.present, c.extra));
        ASSERT_EQ(st.table->alarmCount, c.expected) << "N " << c.count << ", " << c.present << " present";
        for (int i = 0; i < c.expected; ++i) {
            AlarmRecord r = alarmNo(i);
            EXPECT_TRUE(sameImage(&st.table->alarms[i], &r, kRec)) << "record " << i;
        }
        if (c.expected < kMaxAlarms) {
            EXPECT_TRUE(st.untouched(c.expected)) << "N " << c.count;
        }
    }
}

TEST(DataFilesMemo, TextEndsAtFirstNul) {
    const std::string cases[][2] = {
        {"", ""},
        {"abc", "abc"},
        {std::string("abc\0def", 7), "abc"},
        {std::string("\0abc", 4), ""},
        {"第一行\r\n第二行", "第一行\r\n第二行"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseMemoFile(reinterpret_cast<const uint8_t*>(c[0].data()), c[0].size()), c[1]);
    EXPECT_EQ(parseMemoFile(nullptr, 0), "");
}

class DataFilesDisk : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zentar-datafiles-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = tmpl;
        db = dir + "/db.dat";
        note = dir + "/note.txt";
    }
    void TearDown() override {
        for (const std::string& name : entries()) {
            std::string p = dir + "/" + name;
            if (rmdir(p.c_str()) != 0) unlink(p.c_str());
        }
        rmdir(dir.c_str());
    }
    std::set<std::string> entries() const {
        std::set<std::string> names;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.insert(e->d_name);
            closedir(d);
        }
        return names;
    }
    std::string read(const std::string& path) {
        std::string bytes;
        EXPECT_TRUE(readWholeFile(path, bytes)) << path;
        return bytes;
    }
    std::string dir, db, note;
};

TEST_F(DataFilesDisk, SaveThenLoadRestoresStateWithExactBytes) {
    State saved;
    saved.settings.posX = -1200;
    saved.settings.posY = 77;
    for (int i = 0; i < 3; ++i) saved.table->alarms[i] = alarmNo(i);
    saved.table->alarms[1].temporary = 1;
    saved.table->alarmCount = 3;
    saved.memo = "第一行\r\n第二行";
    ASSERT_TRUE(saveDataFiles(db, note, saved.settings, *saved.table, saved.memo).written());

    EXPECT_EQ(read(db), serializeDataFile(saved.settings, *saved.table));
    EXPECT_EQ(read(note), saved.memo);
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "note.txt"}));

    State loaded;
    loadDataFiles(db, note, loaded.settings, *loaded.table, loaded.memo);
    EXPECT_TRUE(sameImage(&loaded.settings, &saved.settings, kSet));
    ASSERT_EQ(loaded.table->alarmCount, 2);
    EXPECT_TRUE(sameImage(&loaded.table->alarms[1], &saved.table->alarms[2], kRec));
    EXPECT_EQ(loaded.memo, saved.memo);

    // Saving again replaces both files whole; a memo is a C string to the program.
    saved.table->alarmCount = 0;
    ASSERT_TRUE(saveDataFiles(db, note, saved.settings, *saved.table, std::string("ab\0cd", 5)).written());
    EXPECT_EQ(read(db).size(), kHead);
    EXPECT_EQ(read(note), "ab");
    ASSERT_TRUE(saveDataFiles(db, note, saved.settings, *saved.table, "").written());
    EXPECT_EQ(read(note), "");
    EXPECT_EQ(entries().size(), 2u);
}

TEST_F(DataFilesDisk, MissingFilesLeaveStateAsIsAndHugeFilesStopAtFullTable) {
    State st;
    st.settings.posX = 3;
    DataFilesLoad loaded = loadDataFiles(dir + "/none.dat", dir + "/gone/none.txt", st.settings, *st.table, st.memo);
    EXPECT_EQ(loaded.data, ReadResult::Missing);
    EXPECT_EQ(loaded.memo, ReadResult::Missing);
    EXPECT_EQ(st.settings.posX, 3);
    EXPECT_EQ(st.table->alarmCount, 99);
    EXPECT_EQ(st.memo, "kept");

    ASSERT_TRUE(replaceFileAtomically(db, fileWith(defaultSettings(), 400, 160, 5000)));
    loaded = loadDataFiles(db, dir + "/none.txt", st.settings, *st.table, st.memo);
    EXPECT_EQ(loaded.data, ReadResult::Read);
    EXPECT_EQ(st.table->alarmCount, kMaxAlarms);
    AlarmRecord last = alarmNo(kMaxAlarms - 1);
    EXPECT_TRUE(sameImage(&st.table->alarms[kMaxAlarms - 1], &last, kRec));

    std::string head;
    EXPECT_TRUE(readWholeFile(db, head, 6));
    EXPECT_EQ(head, image(&st.settings, 6));
    EXPECT_FALSE(readWholeFile(dir, head));  // a folder is not a file
    EXPECT_EQ(readFileBytes(dir, head), ReadResult::Unreadable);
}

using Kinds = std::pair<SaveKind, SaveKind>;
Kinds kinds(const DataFilesSave& s) { return {s.data.kind, s.memo.kind}; }

TEST_F(DataFilesDisk, AFileThereButUnreadableIsNeverReplacedThisRun) {
    // A folder in db.dat's place is there and cannot be read.
    ASSERT_EQ(mkdir(db.c_str(), 0755), 0);
    ASSERT_TRUE(replaceFileAtomically(note, "on disk"));
    State st;
    st.settings.posX = 3;
    DataFilesLoad loaded = loadDataFiles(db, note, st.settings, *st.table, st.memo);
    EXPECT_EQ(loaded.data, ReadResult::Unreadable);
    EXPECT_EQ(loaded.memo, ReadResult::Read);
    EXPECT_EQ(st.settings.posX, 3);
    EXPECT_EQ(st.table->alarmCount, 99);
    EXPECT_EQ(st.memo, "on disk");
    rmdir(db.c_str());

    // Later saves leave such a file alone, even once it could be written, and
    // still write the other.
    ASSERT_TRUE(replaceFileAtomically(db, "theirs"));
    st.table->alarmCount = 0;
    EXPECT_EQ(kinds(saveDataFiles(db, note, st.settings, *st.table, "mine", loaded)),
              Kinds(SaveKind::Skipped, SaveKind::Written));
    EXPECT_EQ(read(db), "theirs");
    EXPECT_EQ(read(note), "mine");
    loaded = DataFilesLoad{ReadResult::Read, ReadResult::Unreadable};
    EXPECT_EQ(kinds(saveDataFiles(db, note, st.settings, *st.table, "again", loaded)),
              Kinds(SaveKind::Written, SaveKind::Skipped));
    EXPECT_EQ(read(db).size(), kHead);
    EXPECT_EQ(read(note), "mine");
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "note.txt"}));
}

// Each file says why it was not written and stays as it was, with no
// temporary beside it; the other is still written.
TEST_F(DataFilesDisk, OneFileFailingSaysWhyAndStillWritesTheOther) {
    State st;
    st.table->alarmCount = 0;
    DataFilesSave saved = saveDataFiles(dir + "/gone/db.dat", note, st.settings, *st.table, "memo");
    EXPECT_EQ(kinds(saved), Kinds(SaveKind::Other, SaveKind::Written));
    EXPECT_EQ(saved.data.error, static_cast<uint32_t>(ENOENT));
    EXPECT_EQ(read(note), "memo");
    ASSERT_TRUE(replaceFileAtomically(db, "old") && chmod(db.c_str(), 0444) == 0);
    EXPECT_EQ(kinds(saveDataFiles(db, note, st.settings, *st.table, "new")), Kinds(SaveKind::ReadOnly, SaveKind::Written));
    EXPECT_EQ(read(db), "old");
    EXPECT_EQ(read(note), "new");
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "note.txt"}));
}

// As root, a small tmpfs is a disk that fills up; elsewhere the test says why it cannot run.
TEST_F(DataFilesDisk, AFullDiskFailsBothFilesAndKeepsTheOldOnes) {
    if (geteuid() != 0 || mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no small tmpfs could be mounted here (that takes root)";
    // Gone whatever the checks say, so that the folder can go too.
    std::unique_ptr<const char, void (*)(const char*)> mounted(dir.c_str(), [](const char* p) { umount2(p, MNT_DETACH); });
    State st;
    for (int i = 0; i < 20; ++i) st.table->alarms[i] = alarmNo(i);
    st.table->alarmCount = 1;
    ASSERT_TRUE(saveDataFiles(db, note, st.settings, *st.table, "old memo").written());
    const std::string oldDb = read(db);
    // Whatever room is left goes to a filler, to the last byte.
    if (FILE* filler = std::fopen((dir + "/filler").c_str(), "wb")) {
        while (std::fwrite(oldDb.data(), 1, oldDb.size(), filler) == oldDb.size()) {}
        std::fclose(filler);
    }
    st.table->alarmCount = 20;
    const DataFilesSave saved = saveDataFiles(db, note, st.settings, *st.table, std::string(8192, 'm'));
    EXPECT_EQ(kinds(saved), Kinds(SaveKind::DiskFull, SaveKind::DiskFull));
    EXPECT_EQ(saved.data.error, static_cast<uint32_t>(ENOSPC));
    EXPECT_EQ(read(db), oldDb);
    EXPECT_EQ(read(note), "old memo");
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "filler", "note.txt"}));
}

TEST_F(DataFilesDisk, FailedReplaceLeavesOldFileAndNoTemporary) {
    // A non-empty folder in the file's place cannot be replaced by a file.
    std::string blocked = dir + "/blocked";
    ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
    ASSERT_TRUE(replaceFileAtomically(blocked + "/inner", "x"));
    EXPECT_FALSE(replaceFileAtomically(blocked, "new"));
    EXPECT_EQ(read(blocked + "/inner"), "x");
    EXPECT_EQ(entries(), (std::set<std::string>{"blocked"}));
    unlink((blocked + "/inner").c_str());

    ASSERT_TRUE(replaceFileAtomically(db, "old"));
    ASSERT_EQ(chmod(db.c_str(), 0640), 0);
    ASSERT_TRUE(replaceFileAtomically(db, "new"));
    struct stat st;
    ASSERT_EQ(stat(db.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(read(db), "new");

    // A read-only file stays as it is (a rename would replace it, even as root).
    ASSERT_EQ(chmod(db.c_str(), 0444), 0);
    EXPECT_FALSE(replaceFileAtomically(db, "newer"));
    EXPECT_EQ(read(db), "new");
    EXPECT_EQ(entries(), (std::set<std::string>{"blocked", "db.dat"}));
}

TEST_F(DataFilesDisk, ConcurrentSavesNeverShareATemporary) {
    auto saver = [this](char fill, int* failures) {
        for (int i = 0; i < 40; ++i)
            if (!replaceFileAtomically(db, std::string(4096, fill))) ++*failures;
    };
    int failA = 0, failB = 0;
    std::thread a(saver, 'a', &failA), b(saver, 'b', &failB);
    a.join();
    b.join();
    EXPECT_EQ(failA + failB, 0);
    std::string last = read(db);
    EXPECT_TRUE(last == std::string(4096, 'a') || last == std::string(4096, 'b'));
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat"}));
}

TEST_F(DataFilesDisk, StaleTemporariesOfAKilledSaveAreRemovedAndNothingElse) {
    ASSERT_TRUE(replaceFileAtomically(db, "saved"));
    ASSERT_TRUE(replaceFileAtomically(note, "memo"));
    for (const char* stray : {"/db.dat.~tmp1f-2", "/db.dat.~tmp30-1", "/note.txt.~tmp7-9"}) {
        FILE* f = std::fopen((dir + stray).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    // Files that merely look alike stay.
    ASSERT_TRUE(replaceFileAtomically(dir + "/db.dat.bak", "keep"));
    ASSERT_TRUE(replaceFileAtomically(dir + "/my.db.dat.~tmp", "keep"));
    removeStaleTemporaries(db);
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "db.dat.bak", "my.db.dat.~tmp", "note.txt",
                                                "note.txt.~tmp7-9"}));
    removeStaleTemporaries(note);
    EXPECT_EQ(entries(), (std::set<std::string>{"db.dat", "db.dat.bak", "my.db.dat.~tmp", "note.txt"}));
    EXPECT_EQ(read(db), "saved");
}
