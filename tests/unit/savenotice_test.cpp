#include "clock/savenotice.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {
const FileSave kWritten{SaveKind::Written, 0}, kSkipped{SaveKind::Skipped, 0}, kReadOnly{SaveKind::ReadOnly, 6009},
    kFull{SaveKind::DiskFull, 112}, kSharing{SaveKind::Other, 32}, kBadName{SaveKind::Other, 123};

// Saves in a row, each of db.dat and note.txt and whether it may tell: "d",
// "m", "dm" or "-" for what each box names.
std::string told(const std::vector<std::pair<DataFilesSave, bool>>& saves) {
    SaveNotices notices;
    std::string out;
    for (const auto& s : saves) {
        const SaveTold t = notices.afterSave(s.first, s.second);
        out += t.any() ? std::string(t.data ? "d" : "") + (t.memo ? "m" : "") + " " : "- ";
    }
    return out;
}
DataFilesSave data(FileSave f) { return {f, kWritten}; }
}  // namespace

TEST(SaveNotices, AFailureIsToldFirstThenForANewCauseOrAfterASuccess) {
    EXPECT_EQ(told({{data(kReadOnly), true}, {data(kReadOnly), true}, {data(kFull), true}, {data(kSharing), true},
                    {data(kSharing), true}, {data(kBadName), true}, {data(kWritten), true}, {data(kBadName), true},
                    {data(kSkipped), true}, {data(kBadName), true}}),
              "d - d d - d - d - - ");
    // A save nobody sees tells nothing and leaves its failure untold; its success counts.
    EXPECT_EQ(told({{data(kFull), false}, {data(kFull), true}, {data(kFull), false}, {data(kFull), true},
                    {data(kWritten), false}, {data(kFull), true}}),
              "- d - - - d ");
    // Each file on its own; a file skipped all run is never told.
    EXPECT_EQ(told({{{kFull, kSkipped}, true}, {{kFull, kFull}, true}, {{kWritten, kFull}, true}, {{kFull, kReadOnly}, true}}),
              "d m - dm ");
}

TEST(SaveNotices, ReasonsMessagesAndTheExitQuestion) {
    EXPECT_EQ(saveFailureReason(kReadOnly, "x") + saveFailureReason({SaveKind::AccessDenied, 5}, "x") +
                  saveFailureReason(kFull, "x") + saveFailureReason(kWritten, "x") + saveFailureReason(kSkipped, "x"),
              "文件是只读的没有写入权限磁盘已满");
    // The system's words lose their line end and full stop: the message has its own.
    EXPECT_EQ(saveFailureReason(kSharing, "拒绝访问.。 \r\n"), "拒绝访问");
    EXPECT_EQ(saveFailureReason(kBadName, " \r\n"), "系统错误 123");

    const std::string tail = "。本次的修改在程序运行期间有效，退出后会丢失，请检查该文件或文件夹。";
    const std::string db = "闹铃和设置未能保存到 db.dat：文件是只读的" + tail, memo = "备忘录未能保存到 note.txt：磁盘已满" + tail;
    EXPECT_EQ(saveFailureMessage("文件是只读的", ""), db);
    EXPECT_EQ(saveFailureMessage("", "磁盘已满"), memo);
    EXPECT_EQ(saveFailureMessage("文件是只读的", "磁盘已满"), db + "\n\n" + memo);
    EXPECT_EQ(unsavedExitQuestion("磁盘已满", ""), "闹铃数据尚未保存（磁盘已满）。仍然退出吗？");
    EXPECT_EQ(unsavedExitQuestion("", "磁盘已满"), "闹铃数据尚未保存（note.txt：磁盘已满）。仍然退出吗？");
    EXPECT_EQ(unsavedExitQuestion("文件是只读的", "磁盘已满"),
              "闹铃数据尚未保存（db.dat：文件是只读的；note.txt：磁盘已满）。仍然退出吗？");
}
