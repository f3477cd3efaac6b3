// A full or failing disk at any write, fsync or rename of a replacing write leaves the old
// files byte for byte, no temporary file, and one error naming the file.
#include <gtest/gtest.h>

#include "common/file_io.h"
#include "common/run_error.h"
#include "support/disk_faults.h"
#include "support/test_support.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Runs `write`, expecting either success or one RunError that names `file` and says nothing
// changed; gives whether it failed.
template <class F>
bool failedCleanly(F&& write, const fs::path& file, std::string& detail) {
    try {
        write();
        return false;
    } catch (const RunError& e) {
        detail = e.detail();
        EXPECT_EQ(e.number(), static_cast<int>(ErrorNumber::PathFileAccessError));
        EXPECT_NE(detail.find(file.filename().string()), std::string::npos) << detail;
        EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
        return true;
    }
}

TEST(DiskFaults, OneFileIsOldOrNewAndNothingIsLeftBehind) {
    TempDir dir;
    const fs::path file = dir / "settings.txt";
    std::map<std::string, std::string> before;
    bool failed = false;
    std::string detail;
    auto figures = walkDiskFaults(
        [&] {
            writeFile(file, "old line\r\n");
            before = folderSnapshot(dir.path());
        },
        [&] { failed = failedCleanly([&] { writeFileAtomic(file, "new line\r\n"); }, file, detail); },
        [&](const std::string& which) {
            EXPECT_TRUE(failed) << which;
            expectFolderUnchanged(before, dir.path(), which);
        });
    EXPECT_EQ(figures.callsFailed, 3);  // one write, one fsync, one rename
}

TEST(DiskFaults, SeveralFilesAreAllOldOrAllNew) {
    TempDir dir;
    const fs::path a = dir / "wing.ct1", b = dir / "wing.ct2", c = dir / "wing.ct3";
    std::map<std::string, std::string> before;
    bool failed = false;
    std::string detail;
    auto figures = walkDiskFaults(
        [&] {
            fs::remove(c);
            writeFile(a, "1\r\n");
            writeFile(b, "2\r\n");  // the third is new
            before = folderSnapshot(dir.path());
        },
        [&] {
            try {
                writeFilesAtomic({{a, "10\r\n"}, {b, "20\r\n"}, {c, "30\r\n"}});
                failed = false;
            } catch (const RunError& e) {
                failed = true;
                detail = e.detail();
            }
        },
        [&](const std::string& which) {
            EXPECT_TRUE(failed) << which;
            EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
            expectFolderUnchanged(before, dir.path(), which);
        });
    EXPECT_EQ(figures.callsFailed, 9);
    writeFilesAtomic({{a, "10\r\n"}, {b, "20\r\n"}, {c, "30\r\n"}});
    EXPECT_EQ(readFile(a) + readFile(b) + readFile(c), "10\r\n20\r\n30\r\n");
    EXPECT_EQ(folderSnapshot(dir.path()).size(), 3u);
}

}  // namespace
}  // namespace corvane::test
