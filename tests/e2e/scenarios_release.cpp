// What the released program must stand up to: being killed while it saves,
// ten minutes of alarms in a row, and the automatic chime with the sound file
// that ships beside it.
#include "harness.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/atomicfile.h"
#include "model/records.h"

namespace {

using namespace e2e;

// The data files are dated back before each start while no program runs; a
// completed save puts a freshly written file in their place. (Nothing here
// opens a data file while the program runs: an open handle makes Wine refuse
// to replace the file, and the test would disturb what it measures.)
const FILETIME kLongAgo = {0, 0x01c00000};  // in 1990

bool backdate(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const BOOL ok = SetFileTime(h, nullptr, nullptr, &kLongAgo);
    CloseHandle(h);
    return ok != 0;
}

bool isBackdated(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           CompareFileTime(&data.ftLastWriteTime, &kLongAgo) == 0;
}

// A kill between the two renames of a replacement leaves the old file under
// this name beside its own, for the next start to put back.
const char kBackupSuffix[] = ".~bak";

std::string keptAt(const std::string& path) {
    return fileExists(path) ? path : path + kBackupSuffix;
}

std::string listing(const std::string& folder) {
    std::string names;
    for (const FoundFile& file : filesIn(folder))
        names += (names.empty() ? "" : " ") + file.name;
    return names;
}

// What the program says of a db.dat it could not save, after a save and at exit.
std::string dbNotSaved(const std::string& reason) {
    return "闹铃和设置未能保存到 db.dat：" + reason + "。本次的修改在程序运行期间有效，退出后会丢失，请检查该文件或文件夹。";
}
std::string exitQuestion(const std::string& reason) { return "闹铃数据尚未保存（" + reason + "）。仍然退出吗？"; }

std::string describe(const std::string& bytes, const std::string& expected) {
    size_t same = 0;
    while (same < bytes.size() && same < expected.size() && bytes[same] == expected[same])
        ++same;
    return std::to_string(bytes.size()) + " bytes (expected " + std::to_string(expected.size()) +
           "), first difference at " + std::to_string(same);
}

// A small deterministic generator: the kill moments differ from one kill to
// the next and are the same from one run to the next.
struct Random {
    uint32_t state;
    uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    uint32_t below(uint32_t n) { return n ? next() % n : 0; }
};

// A hundred varied alarms of which none falls due now (their one year is
// 2010), so that nothing but the saves touches the files.
std::vector<AlarmRecord> hundredQuietAlarms() {
    std::vector<AlarmRecord> alarms;
    for (int i = 0; i < 100; ++i) {
        AlarmRecord r = emptyAlarm();
        r.yearMask = yearBit(2010);
        r.monthMask = i % 3 ? monthBit(1 + i % 12) : 0;
        r.dayMask = i % 5 ? dayBit(1 + i % 28) | dayBit(15) : 0;
        r.hourMask = hourBit(i % 24) | (i % 2 ? hourBit(18) : 0);
        r.weekdayMask = i % 7 == 3 ? weekdayBit(1) | weekdayBit(5) : 0;
        r.minute = static_cast<int8_t>(i % 60);
        if (i % 2)
            std::snprintf(r.soundPath, sizeof r.soundPath, "C:\\声音\\铃声%02d.wav", i);
        if (i % 3 == 0)
            std::snprintf(r.text, sizeof r.text, "第%d个提醒：喝水、休息一下眼睛", i + 1);
        if (i % 4 == 1)
            std::snprintf(r.programPath, sizeof r.programPath, "C:\\工具\\备份%d.exe /quiet", i);
        if (i % 17 == 5)
            r.specialAction = 1 + i % 5;
        if (r.soundPath[0] == 0 && r.text[0] == 0 && r.programPath[0] == 0 && r.specialAction == 0)
            std::snprintf(r.text, sizeof r.text, "alarm %d", i + 1);
        r.repeatCount = static_cast<int8_t>(1 + i % 10);
        r.leadMinutes = static_cast<int8_t>((i % 4) * 5);
        r.intervalMinutes = static_cast<int8_t>(1 + i % 5);
        r.disabled = i % 9 == 4;
        alarms.push_back(r);
    }
    return alarms;
}

}  // namespace

// The program is killed at random moments while it saves over and over; the
// data files must always be one complete version, whatever was cut off.
E2E_SCENARIO(crash_safety_under_kills) {
    const std::string folder = scenarioFolder("crash_safety");
    E2E_CHECK(installProgram(folder));
    const std::string dbPath = folder + "\\db.dat", notePath = folder + "\\note.txt";

    ClockSettings settings = defaultSettings();
    settings.posX = 240;  // a place the clock keeps, so every save writes the same bytes
    settings.posY = 160;
    const std::vector<AlarmRecord> alarms = hundredQuietAlarms();
    const std::string db = dataFileBytes(settings, alarms.data(), static_cast<int>(alarms.size()));
    std::string note;
    for (int line = 1; line <= 40; ++line)
        note += "备忘第" + std::to_string(line) + "行：下午三点开会，带上会议记录。\r\n";
    note += "最后一行";
    E2E_CHECK(writeBytes(dbPath, db));
    E2E_CHECK(writeBytes(notePath, note));

    // A clean round first: what the program saves is exactly what it read, and
    // how long a burst of saves takes sets the range of the kill moments.
    const int kBurst = 100;
    DWORD burstMs = 0;
    {
        E2E_CHECK(backdate(dbPath) && backdate(notePath));
        Program program;
        E2E_CHECK(program.start(folder));
        HWND clock = program.clock();
        E2E_CHECK_MSG(clock, "no clock window appeared");
        const DWORD start = GetTickCount();
        for (int i = 0; i < kBurst; ++i)
            PostMessageA(clock, WM_ENDSESSION, FALSE, 0);
        PostMessageA(clock, WM_COMMAND, 57665, 0);
        E2E_CHECK(program.waitExit(60000));
        burstMs = GetTickCount() - start;
        E2E_CHECK_MSG(!isBackdated(dbPath) && !isBackdated(notePath), "the program did not save");
        std::string bytes;
        E2E_CHECK(readBytes(dbPath, bytes));
        E2E_CHECK_MSG(bytes == db, "a clean save changed db.dat: " + describe(bytes, db));
        E2E_CHECK(readBytes(notePath, bytes));
        E2E_CHECK_MSG(bytes == note, "a clean save changed note.txt: " + describe(bytes, note));
    }

    struct SavedFile {
        std::string path, bytes;
        bool aside;  // the last kill left it under its backup name
    };
    SavedFile files[] = {{dbPath, db, false}, {notePath, note, false}};
    Random random{0x5eed2009u};
    int cutMidWrite = 0, leftAside = 0;
    size_t leftovers = 0;
    for (int kill = 1; kill <= 50; ++kill) {
        for (const SavedFile& file : files)
            E2E_CHECK(backdate(keptAt(file.path)));
        FILETIME startedAt;
        GetSystemTimeAsFileTime(&startedAt);
        Program program;
        E2E_CHECK(program.start(folder));
        HWND clock = program.clock();
        E2E_CHECK_MSG(clock, "no clock window after kill " + std::to_string(kill - 1));
        // The start put back what the last kill left aside (nothing saves yet).
        for (const SavedFile& file : files) {
            std::string bytes;
            E2E_CHECK_MSG(!file.aside || (readBytes(file.path, bytes) && bytes == file.bytes &&
                                          !fileExists(file.path + kBackupSuffix)),
                          "the start after kill " + std::to_string(kill - 1) + " did not put back " + file.path +
                              " among " + listing(folder));
        }
        // Saves still work with the temporaries of earlier kills lying around.
        PostMessageA(clock, WM_ENDSESSION, FALSE, 0);
        E2E_CHECK_MSG(waitFor([&] { return !isBackdated(dbPath) && !isBackdated(notePath); }, 10000),
                      "no save completed after kill " + std::to_string(kill - 1) + " among " +
                          listing(folder));

        for (int i = 0; i < kBurst; ++i)
            PostMessageA(clock, WM_ENDSESSION, FALSE, 0);
        // Anywhere within the first fifth of the burst: some twenty saves.
        sleepWall(random.below(burstMs / 5 + 1));
        program.kill();
        E2E_CHECK_MSG(!program.running(), "the program survived TerminateProcess");

        const std::string when = " after kill " + std::to_string(kill);
        for (SavedFile& file : files) {
            const std::string kept = keptAt(file.path);
            std::string bytes;
            E2E_CHECK_MSG(readBytes(kept, bytes), file.path + " is gone" + when);
            E2E_CHECK_MSG(bytes == file.bytes,
                          kept + " is not a complete version" + when + ": " + describe(bytes, file.bytes));
            file.aside = kept != file.path;
            leftAside += file.aside;
        }

        // Anything else in the folder is an unfinished temporary of a save
        // that was cut off, by this kill when it was written in this run.
        bool cutThisTime = false;
        leftovers = 0;
        for (const FoundFile& file : filesIn(folder)) {
            const std::string& name = file.name;
            // zentar-seams.log: the test build's record of the wake timer.
            if (name == "Zentar.exe" || name == "db.dat" || name == "note.txt" || name == "zentar-seams.log")
                continue;
            E2E_CHECK_MSG(name.rfind("db.dat.", 0) == 0 || name.rfind("note.txt.", 0) == 0,
                          "unexpected file " + name + when);
            ++leftovers;
            cutThisTime = cutThisTime || CompareFileTime(&file.data.ftLastWriteTime, &startedAt) >= 0;
        }
        cutMidWrite += cutThisTime;
    }

    // The last start among all the leftovers reads and writes the data whole.
    {
        E2E_CHECK(backdate(keptAt(dbPath)) && backdate(keptAt(notePath)));
        Program program;
        E2E_CHECK(program.start(folder));
        HWND clock = program.clock();
        E2E_CHECK_MSG(clock, "no clock window after the last kill");
        PostMessageA(clock, WM_COMMAND, 57665, 0);
        E2E_CHECK(program.waitExit(10000));
        E2E_CHECK(!isBackdated(dbPath) && !isBackdated(notePath));
        std::string bytes;
        E2E_CHECK(readBytes(dbPath, bytes) && bytes == db);
        E2E_CHECK(readBytes(notePath, bytes) && bytes == note);
    }
    std::printf("         %d saves took %lu ms; of 50 kills %d cut a write short and %d left a file under its "
                "backup name; %u temporaries were left after the last kill, %u after the last clean run\n",
                kBurst, static_cast<unsigned long>(burstMs), cutMidWrite, leftAside,
                static_cast<unsigned>(leftovers),
                static_cast<unsigned>(filesIn(folder).size() - 3 - fileExists(folder + "\\zentar-seams.log")));
    // Without kills inside a write this scenario would prove nothing.
    E2E_CHECK_MSG(cutMidWrite >= 5, "too few kills landed inside a write: " + std::to_string(cutMidWrite));
}

namespace {

// Lets go of a held file a while later, as a scanner does when it is done.
struct LateRelease {
    HANDLE file;
    DWORD afterMs;
};

DWORD WINAPI releaseLater(void* p) {
    const LateRelease* r = static_cast<const LateRelease*>(p);
    Sleep(r->afterMs);
    CloseHandle(r->file);
    return 0;
}

void releaseIn(LateRelease& r) {
    HANDLE thread = CreateThread(nullptr, 0, releaseLater, &r, 0, nullptr);
    E2E_CHECK(thread);
    CloseHandle(thread);
}

// Points this program's import of a kernel32 function at another function
// and back; Wine never gives the failures that Windows documents for some calls.
struct RedirectedImport {
    ULONG_PTR* slot = nullptr;
    ULONG_PTR original = 0;

    RedirectedImport(const char* name, void* to) {
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const IMAGE_NT_HEADERS* nt =
            reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             dll->Name && !slot; ++dll) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; dll->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) == 0) {
                    slot = reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
                    break;
                }
            }
        }
        E2E_CHECK_MSG(slot, std::string("no import of ") + name);
        original = *slot;
        set(reinterpret_cast<ULONG_PTR>(to));
    }
    ~RedirectedImport() { set(original); }
    void set(ULONG_PTR to) {
        DWORD was = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was);
        *slot = to;
        VirtualProtect(slot, sizeof *slot, was, &was);
    }
};

// ReplaceFileW that fails its next calls as Windows documents: with
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 the old file is left under the backup
// name, here with another program's new file in its place.
struct ReplaceFailure {
    DWORD error = 0;
    int times = 0;
    int calls = 0;
    decltype(&ReplaceFileW) real = nullptr;
} replaceFailure;

BOOL WINAPI failingReplaceFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                               LPVOID reserved) {
    ReplaceFailure& f = replaceFailure;
    ++f.calls;
    if (f.times == 0)
        return f.real(replaced, replacement, backup, flags, exclude, reserved);
    --f.times;
    if (f.error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && MoveFileExW(replaced, backup, MOVEFILE_REPLACE_EXISTING)) {
        char narrow[MAX_PATH] = {};  // the scenario's folders are ASCII
        WideCharToMultiByte(CP_UTF8, 0, replaced, -1, narrow, MAX_PATH, nullptr, nullptr);
        writeBytes(narrow, "theirs");
    }
    SetLastError(f.error);
    return FALSE;
}

}  // namespace

// The Windows reading and replacement of a file, called directly, and the
// program saving beside a read-only db.dat and telling of it.
E2E_SCENARIO(windows_file_replacement) {
    const std::string folder = scenarioFolder("file_replacement");
    const std::string target = folder + "\\db.dat", fresh = folder + "\\note.txt";
    std::string bytes;
    E2E_CHECK(readFileBytes(fresh, bytes) == ReadResult::Missing);
    E2E_CHECK(readFileBytes(folder + "\\gone\\db.dat", bytes) == ReadResult::Missing);
    E2E_CHECK(readFileBytes(folder, bytes) == ReadResult::Unreadable);
    E2E_CHECK(replaceFileAtomically(fresh, "created") && readFileBytes(fresh, bytes) == ReadResult::Read &&
              bytes == "created");

    // The old file's attributes stay with the new contents.
    const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    E2E_CHECK(writeBytes(target, "old") && SetFileAttributesA(target.c_str(), kept));
    E2E_CHECK(replaceFileAtomically(target, "new"));
    E2E_CHECK(readBytes(target, bytes) && bytes == "new");
    E2E_CHECK_MSG((GetFileAttributesA(target.c_str()) & kept) == kept,
                  "attributes now " + std::to_string(GetFileAttributesA(target.c_str())));

    // What one save of a full-sized db.dat over the old one costs, for the figures.
    const std::vector<AlarmRecord> alarms = hundredQuietAlarms();
    const std::string full = dataFileBytes(defaultSettings(), alarms.data(), static_cast<int>(alarms.size()));
    const int kSaves = 100;
    int saved = 0;
    DWORD start = GetTickCount();
    for (int i = 0; i < kSaves; ++i)
        saved += replaceFileAtomically(target, full);
    const DWORD savesTook = GetTickCount() - start;
    E2E_CHECK(saved == kSaves && readBytes(target, bytes) && bytes == full);
    E2E_CHECK(replaceFileAtomically(target, "new"));
    const auto nothingLeft = [&](const char* after) {
        const std::string names = listing(folder);
        E2E_CHECK_MSG(names == "db.dat note.txt" || names == "note.txt db.dat",
                      std::string("left behind ") + after + ": " + names);
    };
    nothingLeft("by saves");

    // Held for a moment: reading and replacing wait for it.
    LateRelease hold{holdFile(target), 700};
    E2E_CHECK(hold.file != INVALID_HANDLE_VALUE);
    releaseIn(hold);
    E2E_CHECK(readFileBytes(target, bytes) == ReadResult::Read && bytes == "new");
    hold = LateRelease{holdFile(target), 700};
    E2E_CHECK(hold.file != INVALID_HANDLE_VALUE);
    releaseIn(hold);
    E2E_CHECK(replaceFileAtomically(target, "newer") && readBytes(target, bytes) && bytes == "newer");

    // Held for good: both give up in the end and the file stays.
    HANDLE held = holdFile(target);
    E2E_CHECK(held != INVALID_HANDLE_VALUE);
    start = GetTickCount();
    E2E_CHECK(readFileBytes(target, bytes) == ReadResult::Unreadable && bytes.empty());
    const DWORD readGaveUp = GetTickCount() - start;
    start = GetTickCount();
    E2E_CHECK(!replaceFileAtomically(target, "lost"));
    const DWORD replaceGaveUp = GetTickCount() - start;
    CloseHandle(held);
    E2E_CHECK(readBytes(target, bytes) && bytes == "newer");
    nothingLeft("by a held file");

    // The failures ReplaceFileW documents: the ones a held file causes pass on a
    // later try; an old file left under the backup name goes back, over whatever
    // took its place; anything else fails at once. The file is never lost.
    {
        replaceFailure.real = &ReplaceFileW;
        RedirectedImport redirected("ReplaceFileW", reinterpret_cast<void*>(&failingReplaceFile));
        const DWORD passing[] = {ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT,
                                 ERROR_UNABLE_TO_MOVE_REPLACEMENT_2};
        for (DWORD error : passing) {
            replaceFailure.error = error;
            replaceFailure.times = 1;
            replaceFailure.calls = 0;
            E2E_CHECK_MSG(replaceFileAtomically(target, "passed") && readBytes(target, bytes) && bytes == "passed",
                          "no save after error " + std::to_string(error));
            E2E_CHECK(replaceFailure.calls == 2);
            nothingLeft("by a failure that passed");
        }
        replaceFailure.error = ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
        replaceFailure.times = 1000;
        E2E_CHECK(!replaceFileAtomically(target, "lost"));
        E2E_CHECK_MSG(readBytes(target, bytes) && bytes == "passed", "the old file was not put back: " + bytes);
        nothingLeft("by a replacement that never moved");
        replaceFailure.error = ERROR_INVALID_PARAMETER;
        replaceFailure.times = 1;
        replaceFailure.calls = 0;
        E2E_CHECK(!replaceFileAtomically(target, "lost") && replaceFailure.calls == 1);
        E2E_CHECK(readBytes(target, bytes) && bytes == "passed");
        nothingLeft("by an unknown failure");
    }

    // A folder of the file's name is not replaced, nor moved aside.
    const std::string inner = folder + "\\inner";
    E2E_CHECK(CreateDirectoryA(inner.c_str(), nullptr));
    E2E_CHECK(!replaceFileAtomically(inner, "file") && (GetFileAttributesA(inner.c_str()) & FILE_ATTRIBUTE_DIRECTORY));
    nothingLeft("around a folder");
    E2E_CHECK(RemoveDirectoryA(inner.c_str()));

    // What a kill leaves between ReplaceFileW's two renames, and after them:
    // the next start puts the old file back, or drops the copy it no longer needs.
    const std::string backup = target + kBackupSuffix;
    E2E_CHECK(MoveFileExA(target.c_str(), backup.c_str(), 0) && writeBytes(target + ".~tmp1-1", "unfinished"));
    // Held by another program, the backup stays, and the caller is told not to write the file.
    HANDLE backupHeld = holdFile(backup);
    E2E_CHECK(backupHeld != INVALID_HANDLE_VALUE && !removeStaleTemporaries(target) && fileExists(backup));
    CloseHandle(backupHeld);
    E2E_CHECK(removeStaleTemporaries(target));
    E2E_CHECK(readBytes(target, bytes) && bytes == "passed");
    nothingLeft("by a kill between the renames");
    E2E_CHECK(writeBytes(backup, "older"));
    removeStaleTemporaries(target);
    E2E_CHECK(readBytes(target, bytes) && bytes == "passed");
    nothingLeft("by a kill after the renames");

    // Read-only: refused at once, left as it was.
    E2E_CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    start = GetTickCount();
    E2E_CHECK(!replaceFileAtomically(target, "lost"));
    const DWORD readOnlyRefused = GetTickCount() - start;
    E2E_CHECK(readBytes(target, bytes) && bytes == "passed");
    E2E_CHECK(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY);
    E2E_CHECK_MSG(readOnlyRefused < 1000, "a read-only file was tried for " + std::to_string(readOnlyRefused) + " ms");
    nothingLeft("beside a read-only file");

    // The program beside a read-only db.dat: its saves leave it and still write
    // note.txt, which its start put back from where a kill had left it.
    const std::string db = dataFileBytes(defaultSettings(), nullptr, 0);
    E2E_CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL) && writeBytes(target, db) &&
              SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    E2E_CHECK(MoveFileExA(fresh.c_str(), (fresh + kBackupSuffix).c_str(), 0));
    Session program;
    program.folder = folder;
    E2E_CHECK(installProgram(folder));
    launch(program);
    DWORD_PTR ignored = 0;
    start = GetTickCount();
    E2E_CHECK(SendMessageTimeoutA(program.clock, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 10000 * slowFactor(), &ignored));
    const DWORD programSave = GetTickCount() - start;
    E2E_CHECK(readBytes(target, bytes) && bytes == db);
    E2E_CHECK_MSG(readBytes(fresh, bytes) && bytes == "created", "note.txt now holds \"" + bytes + "\"");
    E2E_CHECK(!fileExists(fresh + kBackupSuffix));

    // An alarm added in the list: told over the list once per cause, and kept there.
    PostMessageA(program.clock, WM_COMMAND, 32772, 0);
    HWND list = waitDialog(program.pid(), 1037), view = GetDlgItem(list, 1006);
    const auto addAlarm = [&](const char* text) {
        press(list, 1007);
        HWND editor = waitDialog(program.pid(), 1016);
        click(editor, 1003);  // not temporary: it belongs in db.dat
        setText(editor, 1016, text);
        PostMessageA(editor, WM_COMMAND, IDOK, 0);
    };
    addAlarm("first");
    HWND box = messageBox(program.pid());
    E2E_CHECK_MSG(box && GetWindow(box, GW_OWNER) == list, "no message owned by the list");
    E2E_CHECK(answer(program.pid()) == dbNotSaved("文件是只读的") && rowCount(view) == 1);
    addAlarm("second");
    E2E_CHECK_MSG(!messageBox(program.pid(), 1000) && rowCount(view) == 2, "told twice, or no second row");
    // Writable again: the next save writes all the run made, silently; read-only
    // once more after that success, it is told again.
    E2E_CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL));
    selectRows(view, {0});
    press(list, 1010);
    E2E_CHECK_MSG(waitFor([&] { return readBytes(target, bytes) && bytes.size() > db.size(); }, 5000, "the save") &&
                      !messageBox(program.pid(), 1000), "no silent save");
    const DataFile both = readDataFile(folder);
    E2E_CHECK(both.alarms.size() == 2 && both.alarms[0].disabled && std::string(both.alarms[1].text) == "second");
    const std::string lastSaved = bytes;
    E2E_CHECK(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    press(list, 1010);
    E2E_CHECK(answer(program.pid()) == dbNotSaved("文件是只读的"));
    PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    waitClosed(program, list, "the alarm list");
    // The exit asks; No keeps the program, and the close box asks again.
    PostMessageA(program.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(answer(program.pid(), 5000, IDNO) == exitQuestion("文件是只读的"));
    E2E_CHECK_MSG(!program.program.waitExit(500), "No did not keep the program");
    PostMessageA(program.clock, WM_CLOSE, 0, 0);
    E2E_CHECK(answer(program.pid(), 5000, IDYES) == exitQuestion("文件是只读的"));
    E2E_CHECK(program.program.waitExit(10000) && readBytes(target, bytes) && bytes == lastSaved);
    std::printf("         %d saves of a %u-byte db.dat over the old one took %lu ms; held file: reading gave up "
                "after %lu ms, replacing after %lu ms; read-only refused in %lu ms; one save of the program "
                "beside a read-only db.dat took %lu ms\n",
                kSaves, static_cast<unsigned>(full.size()), static_cast<unsigned long>(savesTook),
                static_cast<unsigned long>(readGaveUp), static_cast<unsigned long>(replaceGaveUp),
                static_cast<unsigned long>(readOnlyRefused), static_cast<unsigned long>(programSave));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The program's folder on a disk that fills up while it runs (a small tmpfs,
// mounted as root): the options' OK is told of it over the options, the old
// db.dat stays whole with no temporary beside it, and the exit asks first.
E2E_SCENARIO(full_disk_save_is_told) {
    const std::string folder = scenarioFolder("full_disk"), dbPath = folder + "\\db.dat";
    const ULONGLONG size = 1 << 20;  // the program and a little more
    // Unmounted whatever the checks say, once the program is gone.
    struct Mount {
        std::string at;
        ~Mount() { runUnix("/bin/umount -l " + at); }
    } mount{unixPath(folder)};
    runUnix("/bin/mount -t tmpfs -o size=" + std::to_string(size) + " tmpfs " + mount.at);
    ULARGE_INTEGER total = {};
    E2E_CHECK_MSG(waitFor([&] { return GetDiskFreeSpaceExA((folder + "\\").c_str(), nullptr, &total, nullptr) &&
                                       total.QuadPart == size; }, 5000, "the tmpfs"),
                  "no tmpfs (the runner must be root)");
    Session s;
    s.folder = folder;
    const std::string db = dataFileBytes(defaultSettings(), nullptr, 0);
    E2E_CHECK(installProgram(folder) && writeBytes(dbPath, db));
    launch(s);
    writeBytes(folder + "\\filler", std::string(size, 'f'));  // to the last byte

    PostMessageA(s.clock, WM_COMMAND, 32771, 0);
    HWND options = waitDialog(s.pid(), 1063);
    E2E_CHECK_MSG(options, "the options did not open");
    PostMessageA(options, WM_COMMAND, IDOK, 0);
    HWND box = messageBox(s.pid());
    E2E_CHECK_MSG(box && GetWindow(box, GW_OWNER) == options, "no message owned by the options");
    E2E_CHECK(answer(s.pid()) == dbNotSaved("磁盘已满"));
    waitClosed(s, options, "the options");
    std::string bytes;
    E2E_CHECK(readBytes(dbPath, bytes) && bytes == db);
    E2E_CHECK_MSG(listing(folder).find('~') == std::string::npos, "left behind: " + listing(folder));
    PostMessageA(s.clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(answer(s.pid(), 5000, IDYES) == exitQuestion("磁盘已满"));
    E2E_CHECK(s.program.waitExit(10000) && readBytes(dbPath, bytes) && bytes == db);
}

// The automatic alarm at 11:55 UTC+8 (the runner's zone) plays the notify.mp3
// that the release ships, made by scripts/make-chime.sh.
E2E_SEAMS_SCENARIO(automatic_chime_plays_release_sound) {
    const std::string bytes = releaseChime();
    // An MPEG audio frame header: sync bits, layer III.
    E2E_CHECK((static_cast<unsigned char>(bytes[0]) == 0xFF && (bytes[1] & 0xE6) == 0xE2) ||
              bytes.compare(0, 3, "ID3") == 0);

    Session run;
    prepare(run, "automatic_chime");
    E2E_CHECK(writeBytes(run.folder + "\\notify.mp3", bytes));
    launch(run, "2026-12-07 11:54:52");
    HWND clock = run.clock;
    HWND mci = mciWindowOf(clock);
    E2E_CHECK_MSG(mci, "no MCI window");

    const std::string before = itemText(clock, 1000);
    E2E_CHECK_MSG(before.compare(0, 5, "11:54") == 0, "the clock shows '" + before + "'");
    E2E_CHECK(!soundPlaying(mci));
    std::string face;
    // The face is read once the sound plays: read before, it may still show
    // the second before the tick that starts the chime.
    E2E_CHECK_MSG(waitFor([&] {
                      if (!soundPlaying(mci))
                          return false;
                      face = itemText(clock, 1000);
                      return true;
                  }, 15000, "the chime"),
                  "the chime did not play; the clock shows '" + itemText(clock, 1000) + "'");
    E2E_CHECK_MSG(face.compare(0, 6, "11:55:") == 0, "the chime started at '" + face + "'");
    // The device reads the file as the two seconds it was made.
    const LRESULT length = SendMessageA(mci, MCIWNDM_GETLENGTH, 0, 0);
    E2E_CHECK_MSG(length >= 1900 && length <= 2200, "the chime lasts " + std::to_string(length));
    sleepWall(1500);  // the runner records what reaches the audio device
    // Only the sound: no beep, no power action.
    E2E_CHECK(seamLog(run.folder).empty());
    exitProgram(run);
}

namespace {

// What the soak watches of the program from outside.
struct Usage {
    DWORD handles = 0;
    SIZE_T workingSet = 0;
    SIZE_T privateBytes = 0;
};

// Wine answers GetProcessHandleCount with 0 for any process but the caller,
// and its process list gives the size of the handle table rather than the
// handles in use; the system's list of open handles names every handle with
// its process.
struct HandleEntry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    PVOID object;
    ULONG access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};
const SYSTEM_INFORMATION_CLASS kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);

DWORD handlesInUse(DWORD pid) {
    using Query = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query)
        return 0;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    while (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0) {
        if (buffer.size() >= (64u << 20))
            return 0;
        buffer.resize(buffer.size() * 2);
    }
    const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
    DWORD count = 0;
    for (ULONG i = 0; i < list->count; ++i)
        count += list->entries[i].ownerPid == pid;
    return count;
}

bool usageOf(DWORD pid, Usage& usage) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (!process)
        return false;
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessHandleCount(process, &usage.handles) || usage.handles == 0)
        usage.handles = handlesInUse(pid);
    const bool ok = GetProcessMemoryInfo(process, &counters, sizeof counters) != 0;
    usage.workingSet = counters.WorkingSetSize;
    usage.privateBytes = counters.PagefileUsage;
    CloseHandle(process);
    return ok && usage.handles > 0 && usage.workingSet > 0;
}

SYSTEMTIME localNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

std::string soakText(int minute) {
    char text[64];
    std::snprintf(text, sizeof text, "每小时第%02d分的提醒", minute);
    return text;
}

std::string twoDigits(int n) {
    char s[8];
    std::snprintf(s, sizeof s, "%02d", n);
    return s;
}

// 150 alarms, every hour of every day: at each minute one text with a sound
// and one program that exists; at every even minute one that does not.
std::vector<AlarmRecord> soakAlarms() {
    std::vector<AlarmRecord> alarms;
    for (int m = 0; m < 60; ++m) {
        AlarmRecord text = emptyAlarm();
        text.minute = static_cast<int8_t>(m);
        std::strcpy(text.text, soakText(m).c_str());
        std::strcpy(text.soundPath, "tone.wav");
        text.repeatCount = 1;
        text.intervalMinutes = 1;
        alarms.push_back(text);

        AlarmRecord program = emptyAlarm();
        program.minute = static_cast<int8_t>(m);
        const std::string line =
            "\"" + driverPath() + "\" --touch ran-" + twoDigits(m) + ".txt 第" + twoDigits(m) + "分";
        std::strcpy(program.programPath, line.c_str());
        program.repeatCount = 1;
        program.intervalMinutes = 1;
        alarms.push_back(program);

        if (m % 2 == 0) {
            AlarmRecord missing = emptyAlarm();
            missing.minute = static_cast<int8_t>(m);
            std::strcpy(missing.programPath, ("no-such-program-" + twoDigits(m) + ".exe --now").c_str());
            missing.repeatCount = 1;
            missing.intervalMinutes = 1;
            alarms.push_back(missing);
        }
    }
    return alarms;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines)
        joined += (joined.empty() ? "" : "\r\n") + line;
    return joined;
}

// The visible top-level windows of every process but the driver.
std::vector<HWND> visibleWindows() {
    std::vector<HWND> visible;
    for (HWND h : windowsOf(0))
        if (IsWindowVisible(h))
            visible.push_back(h);
    return visible;
}

}  // namespace

// Ten minutes of alarms: 150 of them, sounds, texts and programs every minute.
// Run by `make soak` only.
E2E_SEAMS_SCENARIO(soak_ten_minutes) {
    const int kMinutes = 10;
    const std::string folder = scenarioFolder("soak");
    E2E_CHECK(installProgram(folder));
    const std::vector<AlarmRecord> alarms = soakAlarms();
    E2E_CHECK(alarms.size() == 150);
    E2E_CHECK(writeBytes(folder + "\\db.dat", dataFileBytes(defaultSettings(), alarms.data(), 150)));
    E2E_CHECK(writeBytes(folder + "\\tone.wav", toneWav(3)));

    // Start well inside a minute, so that the first firing is the next minute's.
    E2E_CHECK(waitFor([] { const SYSTEMTIME t = localNow(); return t.wSecond >= 15 && t.wSecond <= 40; }, 61000));
    const std::vector<HWND> before = visibleWindows();
    Program program;
    E2E_CHECK(program.start(folder));
    HWND clock = program.clock();
    E2E_CHECK_MSG(clock, "no clock window appeared");
    HWND mci = mciWindowOf(clock);
    E2E_CHECK_MSG(mci, "no MCI window");

    std::vector<std::string> memoLines;  // what the memo must read
    std::vector<int> firedMinutes;
    int missingFirings = 0;
    std::vector<Usage> usage;  // at 30 s after each firing
    int lastMinute = localNow().wMinute;
    HWND memo = nullptr;
    while (static_cast<int>(firedMinutes.size()) < kMinutes) {
        // Wait for the next minute; the program fires all its due alarms at second 0.
        E2E_CHECK(waitFor([&] { return localNow().wMinute != lastMinute; }, 65000));
        const int minute = localNow().wMinute;
        lastMinute = minute;
        firedMinutes.push_back(minute);
        memoLines.push_back(soakText(minute));
        missingFirings += minute % 2 == 0;
        const std::string at = " at minute " + std::to_string(minute) + " (firing " +
                               std::to_string(firedMinutes.size()) + ")";

        E2E_CHECK_MSG(waitFor([&] { return soundPlaying(mci); }, 5000),
                      "no sound" + at);
        E2E_CHECK_MSG(memo = waitDialog(program.pid(), 1001, 5000), "no memo" + at);
        const std::string expected = joinLines(memoLines);
        std::string shown;
        E2E_CHECK_MSG(waitFor([&] { return (shown = itemText(memo, 1001)) == expected; }, 5000),
                      "the memo reads '" + shown + "'" + at);
        std::string ran;
        E2E_CHECK_MSG(waitFor([&] { return readBytes(folder + "\\ran-" + twoDigits(minute) + ".txt", ran) &&
                                           ran == "第" + twoDigits(minute) + "分"; }, 10000),
                      "the program did not run" + at);
        int beeps = 0;
        E2E_CHECK_MSG(waitFor([&] {
                          const auto log = seamLog(folder);
                          beeps = static_cast<int>(log.size());
                          for (const std::string& line : log)
                              if (line != "beep 100 100")
                                  return false;
                          return beeps == missingFirings;
                      }, 5000),
                      std::to_string(beeps) + " beeps for " + std::to_string(missingFirings) +
                          " missing programs" + at);

        E2E_CHECK(waitFor([&] { return localNow().wSecond >= 30; }, 40000));
        Usage now;
        E2E_CHECK_MSG(usageOf(program.pid(), now), "cannot read the program's handle count and memory");
        usage.push_back(now);
        std::printf("         minute %2d: %lu handles, working set %lu KiB, private %lu KiB\n",
                    static_cast<int>(firedMinutes.size()), static_cast<unsigned long>(now.handles),
                    static_cast<unsigned long>(now.workingSet / 1024),
                    static_cast<unsigned long>(now.privateBytes / 1024));
        std::fflush(stdout);
    }

    // The clock still runs.
    const std::string face = itemText(clock, 1000);
    E2E_CHECK_MSG(waitFor([&] { return itemText(clock, 1000) != face; }, 2500), "the clock stopped at " + face);
    // Each firing's text exactly once, in order; programs only for the minutes that came.
    E2E_CHECK(itemText(memo, 1001) == joinLines(memoLines));
    for (int m = 0; m < 60; ++m) {
        bool fired = false;
        for (int f : firedMinutes)
            fired = fired || f == m;
        E2E_CHECK_MSG(fileExists(folder + "\\ran-" + twoDigits(m) + ".txt") == fired,
                      "program of minute " + std::to_string(m) + (fired ? " did not run" : " ran unasked"));
    }
    // Nothing grew without bound from the first minute to the last. The count
    // stays flat in a sound program; one handle lost per minute's program
    // start would add nine. Memory settles within the first minutes (a few
    // hundred KiB); a leak per firing would go on growing.
    const Usage& first = usage.front();
    const Usage& last = usage.back();
    E2E_CHECK_MSG(last.handles <= first.handles + 5,
                  "handles grew from " + std::to_string(first.handles) + " to " + std::to_string(last.handles));
    E2E_CHECK_MSG(last.workingSet <= first.workingSet + 2 * 1024 * 1024,
                  "working set grew from " + std::to_string(first.workingSet) + " to " +
                      std::to_string(last.workingSet));
    E2E_CHECK_MSG(last.privateBytes <= first.privateBytes + 2 * 1024 * 1024,
                  "private memory grew from " + std::to_string(first.privateBytes) + " to " +
                      std::to_string(last.privateBytes));
    // No window left behind: besides what was there before, the clock and the memo.
    for (HWND h : visibleWindows()) {
        bool known = h == clock || h == memo;
        for (HWND b : before)
            known = known || h == b;
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        E2E_CHECK_MSG(known, std::string("a window was left behind: ") + cls + " '" + windowText(h) + "'");
    }
    std::printf("         %d minutes: %d texts in the memo, %d programs run, %d missing programs beeped; "
                "handles %lu -> %lu, working set %lu -> %lu KiB\n",
                kMinutes, static_cast<int>(memoLines.size()), static_cast<int>(firedMinutes.size()), missingFirings,
                static_cast<unsigned long>(first.handles), static_cast<unsigned long>(last.handles),
                static_cast<unsigned long>(first.workingSet / 1024), static_cast<unsigned long>(last.workingSet / 1024));

    PostMessageA(clock, WM_COMMAND, 57665, 0);
    E2E_CHECK(program.waitExit(10000));
    std::string saved;
    E2E_CHECK(readBytes(folder + "\\note.txt", saved));
    E2E_CHECK(saved == joinLines(memoLines));
}
