// The error report text, and file reads and replacing writes (a failed write loses nothing).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_io.h"
#include "common/run_error.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST(RunError, ReportTextAndClassicDescriptions) {
    EXPECT_EQ(errorReportText(RunError(ErrorNumber::FileNotFound), "Module 9, Load Data"),
              "Error encountered, Error Number 53, File not found\rModule 9, Load Data");
    EXPECT_EQ(errorDescription(11), "Division by zero");
    EXPECT_EQ(errorDescription(6), "Overflow");
    EXPECT_EQ(errorDescription(62), "Input past end of file");
    EXPECT_EQ(errorDescription(13), "Type mismatch");
    EXPECT_EQ(errorDescription(380), "Invalid property value");
    RunError withDetail(ErrorNumber::PathFileAccessError, "disk full");
    EXPECT_EQ(withDetail.description(), "Path/File access error");
    EXPECT_EQ(withDetail.detail(), "disk full");
    EXPECT_EQ(errorReportText(withDetail, "Module 9, Close"),
              "Error encountered, Error Number 75, Path/File access error\rModule 9, Close");
}

TEST(FileIo, OnlyAMissingFileIsFileNotFoundOtherReadErrorsNameThePathAndTheReason) {
    test::TempDir dir;
    for (auto path : {dir / "absent.txt", dir / "absent" / "deeper.txt"}) {
        try {
            readFileBytes(path);
            FAIL() << "no error";
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 53);
        }
    }
    try {
        readFileBytes(dir.path());
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_EQ(e.detail(), dir.path().string() + ": cannot read: Is a directory");
    }
}

TEST(FileIo, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    test::TempDir dir;
    auto file = dir / "settings.txt";
    test::writeFile(file, "old contents that are longer");
    ::chmod(file.c_str(), 0640);
    writeFileAtomic(file, std::string("new\0bytes\r\n", 11));
    EXPECT_EQ(readFileBytes(file), std::string("new\0bytes\r\n", 11));
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(FileIo, FailedWriteKeepsTheOldFile) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write anywhere";
    test::TempDir dir;
    auto sub = dir / "ro";
    std::filesystem::create_directory(sub);
    test::writeFile(sub / "waypoint.txt", "1,2,3,4,5,6,7,8\r\n");
    ::chmod(sub.c_str(), 0555);
    try {
        writeFileAtomic(sub / "waypoint.txt", "0\r\n");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.detail().find("waypoint.txt"), std::string::npos);
    }
    ::chmod(sub.c_str(), 0755);
    EXPECT_EQ(test::readFile(sub / "waypoint.txt"), "1,2,3,4,5,6,7,8\r\n");
}

TEST(FileIo, FailedRenameLeavesNoTemporaryFile) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "settings.txt" / "inside");
    EXPECT_THROW(writeFileAtomic(dir / "settings.txt", "x"), RunError);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
    EXPECT_EQ(entries, 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "settings.txt" / "inside"));
}

TEST(FileIo, WriteIntoMissingFolderFails) {
    test::TempDir dir;
    try {
        writeFileAtomic(dir / "no" / "such" / "file.txt", "x");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
    }
}

}  // namespace
}  // namespace corvane
