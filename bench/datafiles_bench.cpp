// db.dat with a full table: the in-memory image both ways, and a whole
// load/save cycle on disk (the save includes its flushes).
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "model/datafiles.h"

namespace {

std::unique_ptr<AlarmTable> fullTable() {
    auto table = std::make_unique<AlarmTable>();
    for (int i = 0; i < kMaxAlarms; ++i) {
        AlarmRecord& r = table->alarms[i];
        r = emptyAlarm();
        r.hourMask = 0xFFFFFF;
        r.minute = static_cast<int8_t>(i % 60);
        std::snprintf(r.soundPath, sizeof r.soundPath, "C:\\Sounds\\alarm%03d.mp3", i);
        std::snprintf(r.text, sizeof r.text, "alarm %d", i);
        r.repeatCount = 4;
        r.leadMinutes = 5;
        r.intervalMinutes = 5;
    }
    table->alarmCount = kMaxAlarms;
    return table;
}

struct TempDir {
    std::string path;
    TempDir() {
        char tmpl[] = "/tmp/zentar-bench-XXXXXX";
        if (mkdtemp(tmpl)) path = tmpl;
    }
    ~TempDir() {
        if (path.empty()) return;
        if (DIR* d = opendir(path.c_str())) {
            while (dirent* e = readdir(d))
                if (e->d_name[0] != '.') unlink((path + "/" + e->d_name).c_str());
            closedir(d);
        }
        rmdir(path.c_str());
    }
};

void BM_SerializeParseFullTable(benchmark::State& state) {
    ClockSettings settings = defaultSettings();
    auto table = fullTable();
    auto loaded = std::make_unique<AlarmTable>();
    size_t bytes = 0;
    for (auto _ : state) {
        std::string image = serializeDataFile(settings, *table);
        ClockSettings s = defaultSettings();
        parseDataFile(reinterpret_cast<const uint8_t*>(image.data()), image.size(), s, *loaded);
        benchmark::DoNotOptimize(loaded->alarmCount);
        bytes += image.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SerializeParseFullTable);

void BM_SaveDataFilesFullTable(benchmark::State& state) {
    TempDir dir;
    if (dir.path.empty()) return state.SkipWithError("no temp dir");
    ClockSettings settings = defaultSettings();
    auto table = fullTable();
    std::string memo(2000, 'm');
    for (auto _ : state)
        if (!saveDataFiles(dir.path + "/db.dat", dir.path + "/note.txt", settings, *table, memo).written())
            return state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveDataFilesFullTable)->Unit(benchmark::kMicrosecond);

void BM_LoadDataFilesFullTable(benchmark::State& state) {
    TempDir dir;
    if (dir.path.empty()) return state.SkipWithError("no temp dir");
    std::string db = dir.path + "/db.dat", note = dir.path + "/note.txt";
    if (!saveDataFiles(db, note, defaultSettings(), *fullTable(), std::string(2000, 'm')).written())
        return state.SkipWithError("save failed");
    auto table = std::make_unique<AlarmTable>();
    std::string memo;
    for (auto _ : state) {
        ClockSettings settings = defaultSettings();
        loadDataFiles(db, note, settings, *table, memo);
        benchmark::DoNotOptimize(table->alarmCount);
    }
    if (table->alarmCount != kMaxAlarms) state.SkipWithError("load lost alarms");
}
BENCHMARK(BM_LoadDataFilesFullTable)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
