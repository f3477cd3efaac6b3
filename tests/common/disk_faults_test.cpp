// A full or failing disk at any write, fsync or rename of a replacing write leaves the old
// files byte for byte, no temporary file, and one error naming the file.
#include "support/disk_faults.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "common/file_io.h"
#include "common/run_error.h"
#include "support/disk_call_counts.h"
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
    int unconfirmed = 0;
    auto figures = walkDiskFaults(
        [&] {
            writeFile(file, "old line\r\n");
            before = folderSnapshot(dir.path());
        },
        [&] {
            detail.clear();
            try {
                writeFileAtomic(file, "new line\r\n");
                failed = false;
            } catch (const RunError& e) {
                failed = true;
                detail = e.detail();
            }
        },
        [&](const std::string& which) {
            EXPECT_TRUE(failed) << which;
            EXPECT_NE(detail.find("settings.txt"), std::string::npos) << detail;
            // The folder's sync after the rename: the new file stands, but the message says
            // it may not survive a power loss, rather than that nothing changed.
            if (detail.find("the new file is in place but may not survive a power loss") !=
                std::string::npos) {
                ++unconfirmed;
                EXPECT_EQ(readFile(file), "new line\r\n");
                return;
            }
            EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
            expectFolderUnchanged(before, dir.path(), which);
        });
    EXPECT_EQ(figures.callsFailed, 4);  // one write, the file's fsync, one rename, the folder's
    EXPECT_EQ(unconfirmed, 1);
}

TEST(DiskFaults, SeveralFilesAreAllOldOrAllNew) {
    TempDir dir;
    const fs::path a = dir / "wing.ct1", b = dir / "wing.ct2", c = dir / "wing.ct3";
    std::map<std::string, std::string> before;
    bool failed = false;
    std::string detail;
    int unconfirmed = 0;
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
            if (detail.find("the new files are in place") != std::string::npos) {
                ++unconfirmed;
                EXPECT_EQ(readFile(a) + readFile(b) + readFile(c), "10\r\n20\r\n30\r\n");
                return;
            }
            EXPECT_NE(detail.find("not changed"), std::string::npos) << detail;
            expectFolderUnchanged(before, dir.path(), which);
        });
    // Three files and the journal: 4 writes, 4 file syncs, 4 renames; the folder synced after
    // the journal, after the renames and after the journal's removal; that removal.
    EXPECT_EQ(figures.callsFailed, 16);
    EXPECT_EQ(unconfirmed, 1);
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
    for (DiskCall call : {DiskCall::Write, DiskCall::Sync, DiskCall::Rename, DiskCall::Unlink}) {
        for (long n = 1;; ++n) {
            for (const auto& entry : fs::directory_iterator(dir.path())) fs::remove(entry.path());
            writeFile(a, "1\r\n");
            writeFile(b, "2\r\n");  // the third file is new
            const auto before = folderSnapshot(dir.path());
            if (!killedAt(call, n, write)) break;
            ++kills;
            const RecoveryReport report = recoverInterruptedWrites(dir.path());
            EXPECT_TRUE(report.clean()) << report.text();
            const auto after = folderSnapshot(dir.path());
            const std::string which = "killed at call " + std::to_string(n);
            EXPECT_TRUE(after == before || after == newSet) << which << ": " << after.size();
            old += after == before;
        }
    }
    EXPECT_EQ(kills, 16);  // every write, fsync, rename and removal of the save
    // Only the folder's sync after the journal went comes after the commit point.
    EXPECT_EQ(old, 15) << "the new files stand only once the journal is gone";
}

TEST(DiskFaults, TheNextStartSweepsOnlyTheProgramsOwnLeftoversOfWritersThatAreGone) {
    TempDir dir;
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone), live = std::to_string(::getpid());
    writeFile(dir / "settings.txt", "kept\r\n");
    const std::vector<std::string> swept = {".corvane-settings.txt." + dead + ".aB3xYz",
                                            ".corvane-wing.ct1." + dead + ".Qw12Er.old"};
    // The operator's files, the earlier version's names (they carry no marker, so they may be
    // the operator's), and the leftovers of this process and of a live one.
    const std::vector<std::string> kept = {".corvane-settings.txt." + live + ".aB3xYz",
                                           ".corvane-settings.txt.1.aB3xYz",
                                           ".notes." + dead,
                                           ".notes." + dead + ".backup",
                                           ".settings.txt." + dead + ".aB3xYz",
                                           ".wing.ct1." + dead + ".Qw12Er.old",
                                           "settings.txt." + dead + ".aB3xYz",
                                           ".corvane-." + dead + ".aB3xYz",
                                           ".corvane-settings.txt." + dead + ".aB3x"};
    for (const std::string& name : swept) writeFile(dir / name, "x");
    for (const std::string& name : kept) writeFile(dir / name, "x");
    // A journal that does not read keeps its writer's files, and is reported.
    const std::string damaged = ".corvane-wing.ct1." + dead + ".replacing";
    writeFile(dir / damaged, "7:damaged");
    const RecoveryReport report = recoverInterruptedWrites(dir.path());
    EXPECT_NE(report.text().find(damaged + ": a record of an unfinished save"), std::string::npos)
        << report.text();
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert(swept.begin(), swept.end());
    expected.insert({"settings.txt", damaged});
    EXPECT_EQ(left, expected);
    fs::remove(dir / damaged);
    EXPECT_TRUE(recoverInterruptedWrites(dir.path()).clean());
    for (const std::string& name : swept) EXPECT_FALSE(fs::exists(dir / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_EQ(readFile(dir / "settings.txt"), "kept\r\n");
}

}  // namespace
}  // namespace corvane::test
