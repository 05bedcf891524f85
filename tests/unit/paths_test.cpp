#include <gtest/gtest.h>

#include <string>

#include "model/paths.h"
#include "model/gbkpath.h"

TEST(Paths, FileNameStartsAfterTheLastBackslashThatIsACharacter) {
    struct Case {
        std::string path;
        size_t offset;
    } cases[] = {
        {"", 0},
        {"a.mp3", 0},
        {"\\", 1},
        {"C:\\music\\a.mp3", 9},
        {"dir\\", 4},
        {"運", 0},                       // DF 5C: one character
        {"運\\運.wav", 3},
        {"a/b\\c/d", 4},                // only the backslash separates
        {"ab\\\xDF", 3},                // a lead byte cut off at the end
        {"\xDF\\\\x", 3},               // DF 5C, then a real backslash
        {"\x81\x40\\\xFE\x5C", 3},      // the ends of the lead byte range
        {"\x80\\\xFF\\", 4},            // 80 and FF lead nothing
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileNameOffset(c.path), c.offset) << c.path;
    // Only the given length counts: a backslash beyond it is not seen.
    EXPECT_EQ(fileNameOffset("ab\\cd\\ef", 5), 3u);
}

TEST(Paths, FilesLiveBesideTheProgram) {
    const ProgramPaths p = buildProgramPaths("D:\\工具\\时钟\\");
    EXPECT_EQ(p.dataFilePath, "D:\\工具\\时钟\\db.dat");
    EXPECT_EQ(p.memoFilePath, "D:\\工具\\时钟\\note.txt");
    EXPECT_EQ(p.timeSyncPath, "D:\\工具\\时钟\\Tavrel.exe");
    EXPECT_EQ(p.holidaysFolder, "D:\\工具\\时钟\\holidays\\");
    EXPECT_EQ(p.holidaysFilePath, "D:\\工具\\时钟\\holidays.txt");
    EXPECT_STREQ(p.defaultSoundPath, "D:\\工具\\时钟\\notify.mp3");
}

TEST(Paths, DefaultSoundPathNeverOverflowsItsBuffer) {
    // 10 bytes of "notify.mp3" plus the terminator must fit in 264.
    const std::string fits = "C:\\" + std::string(249, 'a') + "\\";  // 253 bytes
    const std::string tooLong = "C:\\" + std::string(250, 'a') + "\\";
    EXPECT_EQ(std::string(buildProgramPaths(fits).defaultSoundPath), fits + "notify.mp3");
    EXPECT_STREQ(buildProgramPaths(tooLong).defaultSoundPath, "");
    // The other paths are strings and keep working however deep the folder is.
    EXPECT_EQ(buildProgramPaths(tooLong).dataFilePath, tooLong + "db.dat");
}

TEST(Paths, DefaultSoundIsStoredByTheFoldersGbkName) {
    // The files take the folder's own name; the stored sound its GBK name,
    // or the bare file name when GBK cannot name the folder.
    const ProgramPaths shortName = buildProgramPaths("C:\\Users\\\xEC\x95\x88\\", "C:\\Users\\ABC~1\\");
    EXPECT_EQ(shortName.dataFilePath, "C:\\Users\\\xEC\x95\x88\\db.dat");
    EXPECT_STREQ(shortName.defaultSoundPath, "C:\\Users\\ABC~1\\notify.mp3");
    EXPECT_STREQ(buildProgramPaths("C:\\\xEC\x95\x88\\", "").defaultSoundPath, "notify.mp3");
}
