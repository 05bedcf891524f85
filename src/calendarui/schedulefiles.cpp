#include "calendarui/schedulefiles.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/atomicfile.h"
#include "win/wide.h"

namespace {

// Far beyond any year's schedule: a bigger file is not one.
const size_t kMaxHolidayFileBytes = 1 << 20;

std::string gbkName(const std::string& utf8) { return win::gbkFromUtf8(utf8); }

const uint8_t* bytesOf(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// The whole file, or nothing: a file cut at the limit would read as another.
ReadResult readHolidayFile(const std::string& path, std::string& bytes) {
    uint64_t size = 0;
    const ReadResult read = readFileBytes(path, bytes, kMaxHolidayFileBytes, &size);
    if (read == ReadResult::Read && size > kMaxHolidayFileBytes)
        return ReadResult::Unreadable;
    return read;
}

std::vector<std::wstring> jsonFileNames(const std::string& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(win::widePath(folder + "*.json").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    while (FindNextFileW(h, &found));
    FindClose(h);
    // The system lists them in no promised order; the later year wins.
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<MarkedDay> userDays(const std::string& text) {
    std::vector<MarkedDay> days;
    parseHolidaysTxt(bytesOf(text), text.size(), days);
    return days;
}

}  // namespace

WorkCalendar loadWorkCalendar(const ProgramPaths& paths) {
    WorkCalendar calendar;
    std::vector<MarkedDay> fileDays;
    std::string bytes;
    for (const std::wstring& name : jsonFileNames(paths.holidaysFolder)) {
        std::vector<MarkedDay> days;
        if (readHolidayFile(paths.holidaysFolder + win::pathFromWide(name), bytes) == ReadResult::Read &&
            parseHolidayJson(bytesOf(bytes), bytes.size(), gbkName, days))
            fileDays.insert(fileDays.end(), days.begin(), days.end());
    }
    calendar.setFileDays(std::move(fileDays));
    if (readHolidayFile(paths.holidaysFilePath, bytes) == ReadResult::Read)
        calendar.setUserDays(userDays(bytes));
    return calendar;
}

bool markDay(const ProgramPaths& paths, int32_t day, DayMark mark) {
    // Read afresh: the user may have edited the file while the program ran.
    std::string text;
    const ReadResult read = readHolidayFile(paths.holidaysFilePath, text);
    if (read == ReadResult::Unreadable)
        return false;
    if (read == ReadResult::Missing)
        text.clear();
    const std::string changed = withUserMark(text, day, mark);
    if (!replaceFileAtomically(paths.holidaysFilePath, changed))
        return false;
    WorkCalendar calendar = workCalendar();
    calendar.setUserDays(userDays(changed));
    installWorkCalendar(calendar);
    return true;
}
