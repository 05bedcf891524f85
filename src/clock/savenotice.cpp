#include "clock/savenotice.h"

namespace {

const char kDataFailed[] = "闹铃和设置未能保存到 db.dat：";
const char kMemoFailed[] = "备忘录未能保存到 note.txt：";
const char kFailedTail[] = "。本次的修改在程序运行期间有效，退出后会丢失，请检查该文件或文件夹。";
const char kFullStop[] = "。";

// Two errors of one kind read the same to the user; only the system's own
// texts differ by their number.
bool sameCause(const FileSave& a, const FileSave& b) {
    return a.kind == b.kind && (a.kind != SaveKind::Other || a.error == b.error);
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The message puts its own full stop after the reason. Neither a space, a
// line end, "." nor the two bytes of "。" can be the trail byte of a GBK
// character, so cutting them never splits one.
std::string trimmed(std::string text) {
    for (;;) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' ||
                              text.back() == '\t' || text.back() == '.'))
            text.pop_back();
        else if (endsWith(text, kFullStop))
            text.resize(text.size() - (sizeof kFullStop - 1));
        else
            return text;
    }
}

}  // namespace

bool SaveNotices::take(File& file, const FileSave& save, bool tell) {
    if (save.kind == SaveKind::Written) {
        file.told = false;
        return false;
    }
    if (!save.failed() || !tell)
        return false;
    const bool news = !file.told || !sameCause(save, file.toldCause);
    file.told = true;
    file.toldCause = save;
    return news;
}

SaveTold SaveNotices::afterSave(const DataFilesSave& save, bool tell) {
    SaveTold told;
    told.data = take(data_, save.data, tell);
    told.memo = take(memo_, save.memo, tell);
    return told;
}

std::string saveFailureReason(const FileSave& save, const std::string& systemText) {
    switch (save.kind) {
    case SaveKind::Written:
    case SaveKind::Skipped:
        return std::string();
    case SaveKind::ReadOnly:
        return "文件是只读的";
    case SaveKind::AccessDenied:
        return "没有写入权限";
    case SaveKind::DiskFull:
        return "磁盘已满";
    case SaveKind::Other:
        break;
    }
    std::string text = trimmed(systemText);
    return text.empty() ? "系统错误 " + std::to_string(save.error) : text;
}

std::string saveFailureMessage(const std::string& dataReason, const std::string& memoReason) {
    std::string message;
    if (!dataReason.empty())
        message = kDataFailed + dataReason + kFailedTail;
    if (!memoReason.empty())
        message += (message.empty() ? "" : "\n\n") + (kMemoFailed + memoReason) + kFailedTail;
    return message;
}

std::string unsavedExitQuestion(const std::string& dataReason, const std::string& memoReason) {
    std::string reasons;
    if (memoReason.empty()) {
        reasons = dataReason;
    } else {
        if (!dataReason.empty())
            reasons = "db.dat：" + dataReason + "；";
        reasons += "note.txt：" + memoReason;
    }
    return "闹铃数据尚未保存（" + reasons + "）。仍然退出吗？";
}
