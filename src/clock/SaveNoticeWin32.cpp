#include "clock/SaveNoticeWin32.h"

#include <string>

#include "win/util.h"
#include "win/wide.h"

namespace {

// The system's own words for an error, in the user's language; empty when it has none.
std::string systemErrorText(uint32_t error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text)
        return std::string();
    bool lost = false;
    const std::string gbk = win::gbkFromWideLossy(std::wstring(text, length), lost);
    LocalFree(text);
    return gbk;
}

std::string reasonFor(const FileSave& save) {
    return saveFailureReason(save, save.kind == SaveKind::Other ? systemErrorText(save.error) : std::string());
}

}  // namespace

void SaveNoticeWin32::afterSave(HWND owner, const DataFilesSave& save) {
    const SaveTold told = notices_.afterSave(save);
    if (!told.any())
        return;
    const std::string message = saveFailureMessage(told.data ? reasonFor(save.data) : std::string(),
                                                   told.memo ? reasonFor(save.memo) : std::string());
    win::messageBox(owner, message.c_str());
}

bool SaveNoticeWin32::mayExit(HWND owner, const DataFilesSave& save) {
    // The question names every file not written, so each counts as told.
    notices_.afterSave(save);
    if (!save.data.failed() && !save.memo.failed())
        return true;
    const std::string question = unsavedExitQuestion(reasonFor(save.data), reasonFor(save.memo));
    return win::messageBox(owner, question.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
