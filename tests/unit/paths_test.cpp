#include <gtest/gtest.h>

#include <string>

#include "app/paths.h"

TEST(Paths, DirectoryIsEverythingUpToTheLastBackslash) {
    EXPECT_EQ(programDirectoryOf("C:\\Program Files\\Zentar\\Zentar.exe"), "C:\\Program Files\\Zentar\\");
    EXPECT_EQ(programDirectoryOf("\\\\server\\share\\Zentar.exe"), "\\\\server\\share\\");
    EXPECT_EQ(programDirectoryOf("Zentar.exe"), "");
    EXPECT_EQ(programDirectoryOf(""), "");
}

TEST(Paths, FilesLiveBesideTheProgram) {
    const ProgramPaths p = buildProgramPaths("D:\\工具\\时钟\\");
    EXPECT_EQ(p.dataFilePath, "D:\\工具\\时钟\\db.dat");
    EXPECT_EQ(p.memoFilePath, "D:\\工具\\时钟\\note.txt");
    EXPECT_EQ(p.timeSyncPath, "D:\\工具\\时钟\\Tavrel.exe");
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
