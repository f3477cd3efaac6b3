// A full or failing disk at any write, fsync or rename of a replacing write leaves the old
// files byte for byte, no temporary file, and one error naming the file.
#include "support/disk_faults.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "common/file_io.h"
#include "common/run_error.h"
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
        [&] {
            failed = failedCleanly([&] { writeFileAtomic(file, "new line\r\n"); }, file, detail);
        },
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
    EXPECT_EQ(figures.callsFailed,
              12);  // three files and the journal: 4 writes, 4 syncs, 4 renames
    writeFilesAtomic({{a, "10\r\n"}, {b, "20\r\n"}, {c, "30\r\n"}});
    EXPECT_EQ(readFile(a) + readFile(b) + readFile(c), "10\r\n20\r\n30\r\n");
    EXPECT_EQ(folderSnapshot(dir.path()).size(), 3u);
}

// Runs `write` in a child process that is killed at the n-th call of `call`; true when the
// kill came (false: the write finished before the n-th call).
template <class F>
bool killedAt(DiskCall call, long n, F&& write) {
    const pid_t child = ::fork();
    if (child == 0) {
        failDiskCall(call, n, kKilledAtDiskCall);
        try {
            write();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || WEXITSTATUS(status) == 0) << "the write failed";
    return WIFSIGNALED(status);
}

TEST(DiskFaults, AKillAnywhereInASeveralFileWriteLeavesAllOldOrAllNewAfterTheNextStart) {
    TempDir dir;
    const fs::path a = dir / "wing.ct1", b = dir / "wing.ct2", c = dir / "wing.ct3";
    const auto write = [&] { writeFilesAtomic({{a, "10\r\n"}, {b, "20\r\n"}, {c, "30\r\n"}}); };
    const std::map<std::string, std::string> newSet = {
        {"wing.ct1", "10\r\n"}, {"wing.ct2", "20\r\n"}, {"wing.ct3", "30\r\n"}};
    int kills = 0, old = 0;
    for (DiskCall call : {DiskCall::Write, DiskCall::Sync, DiskCall::Rename}) {
        for (long n = 1;; ++n) {
            for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove(entry.path());
            writeFile(a, "1\r\n");
            writeFile(b, "2\r\n");  // the third file is new
            const auto before = folderSnapshot(dir.path());
            if (!killedAt(call, n, write)) break;
            ++kills;
            recoverInterruptedWrites(dir.path());
            const auto after = folderSnapshot(dir.path());
            const std::string which = "killed at call " + std::to_string(n);
            EXPECT_TRUE(after == before || after == newSet) << which << ": " << after.size();
            old += after == before;
        }
    }
    EXPECT_EQ(kills, 12);  // every write, fsync and rename of the three files and the journal
    EXPECT_EQ(old, 12) << "the new files stand only once the write returns";
}

TEST(DiskFaults, TheNextStartSweepsOnlyTheLeftoversOfWritersThatAreGone) {
    TempDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone), live = std::to_string(::getpid());
    writeFile(dir / "settings.txt", "kept\r\n");
    for (const std::string& name : std::vector<std::string>{
             ".settings.txt." + dead + ".aB3xYz", ".wing.ct1." + dead + ".Qw12Er.old",
             ".settings.txt." + live + ".aB3xYz", ".settings.txt.1.aB3xYz", ".notes." + dead,
             "settings.txt." + dead + ".aB3xYz"})
        writeFile(dir / name, "x");
    // A journal that does not read keeps its writer's files.
    writeFile(dir / (".b.ct1." + dead + ".replacing"), "7:damaged");
    recoverInterruptedWrites(dir.path());
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{
                        "settings.txt", ".settings.txt." + live + ".aB3xYz",
                        ".settings.txt.1.aB3xYz", ".notes." + dead,
                        "settings.txt." + dead + ".aB3xYz", ".b.ct1." + dead + ".replacing",
                        ".settings.txt." + dead + ".aB3xYz", ".wing.ct1." + dead + ".Qw12Er.old"}));
    fs::remove(dir / (".b.ct1." + dead + ".replacing"));
    recoverInterruptedWrites(dir.path());
    EXPECT_FALSE(fs::exists(dir / (".settings.txt." + dead + ".aB3xYz")));
    EXPECT_FALSE(fs::exists(dir / (".wing.ct1." + dead + ".Qw12Er.old")));
    EXPECT_EQ(readFile(dir / "settings.txt"), "kept\r\n");
}

}  // namespace
}  // namespace corvane::test
