// One writer of the working set at a time: a second program waits for the first (and says for
// whom) or is refused naming it, and its recovery never undoes a replacement still under way.
// The commit point of a generation (the backup list's removal) failing is a failed generation
// that leaves the previous set, and two failures in a row never leave a mix.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>

#include "common/file_io.h"
#include "common/folder_lock.h"
#include "generate/cut_set_transaction.h"
#include "generate_fixture.h"
#include "support/disk_call_counts.h"
#include "support/disk_faults.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A child process that does `work` once the parent says go, and tells the parent it is ready
// (holding whatever `prepare` took) before it waits.
struct HeldOpen {
    pid_t pid = -1;
    int ready[2] = {-1, -1}, go[2] = {-1, -1};

    template <class Prepare, class Work>
    HeldOpen(Prepare prepare, Work work) {
        if (::pipe(ready) != 0 || ::pipe(go) != 0) std::abort();
        pid = ::fork();
        if (pid == 0) {
            int code = 0;
            try {
                prepare();
                char c = 'r';
                if (::write(ready[1], &c, 1) != 1) ::_exit(3);
                if (::read(go[0], &c, 1) != 1) ::_exit(3);
                work();
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
        char c;
        if (::read(ready[0], &c, 1) != 1) std::abort();
    }
    void release() {
        char c = 'g';
        if (go[1] >= 0 && ::write(go[1], &c, 1) != 1) std::abort();
        ::close(go[1]);
        go[1] = -1;
    }
    int exitCode() {
        release();
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    ~HeldOpen() {
        if (go[1] >= 0) exitCode();
        for (int fd : {ready[0], ready[1], go[0]}) ::close(fd);
    }
};

struct Restore {
    ~Restore() {
        setFolderLockNotice({});
        setFolderLockPatience(std::chrono::seconds(60));
    }
};

TEST(WorkingSetLock, ASecondProgramWaitsForAGenerationUnderWayAndNeverUndoesIt) {
    GenerateMachine m;
    Restore restore;
    m.previousSet();
    CutSetTransaction tx(m.dir.path());
    // The race window held open: the other program is between its renames' preparation and
    // its finish, its backups and list in the folder.
    HeldOpen other(
        [&] {
            tx.begin();
            tx.stepFile().append("7\r\n");
            tx.countFile().append("1\r\n");
            tx.datInfoFile().append("\"l\",\"r\",5,5,\"0\",\"0\",\"0\",\"0\"\r\n");
        },
        [&] { tx.finish(); });
    std::vector<std::string> notices;
    setFolderLockNotice([&](const std::string& text) {
        notices.push_back(text);
        if (notices.size() == 1) other.release();  // the first program may finish now
    });
    // This program starts (corvane's start-up, or a CLI command's recovery).
    EXPECT_FALSE(recoverInterruptedGeneration(m.dir.path()));
    ASSERT_FALSE(notices.empty()) << "it did not wait";
    EXPECT_EQ(notices.front(), "Waiting for generate_tests (process " + std::to_string(other.pid) +
                                   ") to finish with the working cut-file set in " +
                                   fs::weakly_canonical(m.dir.path()).string() + " ...");
    EXPECT_EQ(notices.back(), "") << "the wait was never said to be over";
    EXPECT_EQ(other.exitCode(), 0) << "the first program's generation failed";
    EXPECT_EQ(m.working("cut.ct1"), "7\r\n");
    EXPECT_EQ(m.working("cut_cnt.ct2"), "1\r\n");
    EXPECT_EQ(m.working("datinfo.ct3"), "\"l\",\"r\",5,5,\"0\",\"0\",\"0\",\"0\"\r\n");
    m.expectNoLeftovers();
}

TEST(WorkingSetLock, AProgramThatWaitedTooLongIsRefusedWithTheHoldersNameAndNothingChanges) {
    GenerateMachine m;
    Restore restore;
    m.previousSet();
    const auto before = folderSnapshot(m.dir.path());
    std::unique_ptr<FolderLock> held;
    HeldOpen other([&] { held = std::make_unique<FolderLock>(m.dir.path()); }, [] {});
    EXPECT_EQ(folderLockHolder(m.dir.path()),
              "generate_tests (process " + std::to_string(other.pid) + ")");
    setFolderLockPatience(std::chrono::milliseconds(200));
    CutSetTransaction tx(m.dir.path());
    try {
        tx.begin();
        FAIL() << "began while another program held the folder";
    } catch (const RunError& e) {
        EXPECT_EQ(e.detail(), fs::weakly_canonical(m.dir.path()).string() +
                                  ": the working cut-file set is in use by generate_tests "
                                  "(process " +
                                  std::to_string(other.pid) +
                                  "); nothing was changed. Try again when it has finished.");
    }
    EXPECT_FALSE(tx.active());
    EXPECT_EQ(folderSnapshot(m.dir.path()), before);
    EXPECT_EQ(other.exitCode(), 0);
    EXPECT_EQ(folderLockHolder(m.dir.path()), "") << "a holder named after it let go";
    // Within one program the lock only counts: recovery inside a generation does not wait.
    tx.begin();
    tx.abandon();
}

struct SmallWing : GenerateMachine {
    fs::path left, right;
    SmallWing() {
        std::string rows;
        // A closed outline from the trailing edge round the nose and back.
        for (int i = 0; i <= 16; ++i) {
            const double t = i / 8.0;
            rows += std::to_string(std::cos(t * 3.14159265358979) * 0.5 + 0.5) + " " +
                    std::to_string(std::sin(t * 3.14159265358979) * 0.08) + "\n";
        }
        left = airfoil("root.dat", rows);
        right = airfoil("tip.dat", rows);
    }
    GenerationOutcome generate() {
        CutGenerator gen(ws);
        return gen.generate(wing(left, right, "90", "70"));
    }
};

std::string allDetails(const GenerationOutcome& out) {
    std::string text;
    for (const UserMessage& m : out.messages) text += m.text + " | " + m.detail + "\n";
    return text;
}

// Runs the walk over a generation, first (no working set) or replacing one, checking that
// what each message says is what the folder holds, now and after the next start.
void walkGeneration(bool first, int faults) {
    SmallWing m;
    auto clear = [&] {
        for (const char* n : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"}) fs::remove(m.dir / n);
    };
    if (first)
        clear();
    else
        m.previousSet();
    ASSERT_EQ(m.generate().status, GenerationStatus::Finished);
    const auto newSet = folderSnapshot(m.dir.path());
    std::map<std::string, std::string> before;
    GenerationOutcome out;
    int finished = 0, notChanged = 0, kept = 0, unconfirmed = 0;
    auto setUp = [&] {
        if (first)
            clear();
        else
            m.previousSet();
        before = folderSnapshot(m.dir.path());
    };
    auto check = [&](const std::string& which) {
        const std::string text = allDetails(out);
        std::map<std::string, std::string> expected = before;
        if (out.status == GenerationStatus::Finished) {
            ++finished;
            expected = newSet;
            EXPECT_EQ(folderSnapshot(m.dir.path()), newSet) << which;
        } else if (text.find("the working cut-file set was not changed") != std::string::npos) {
            ++notChanged;
            // The working set is the previous one now; a list the rollback could not remove
            // may stay until the next start.
            auto now = folderSnapshot(m.dir.path());
            std::erase_if(now, [](const auto& f) { return f.first.starts_with(".corvane-"); });
            EXPECT_EQ(now, before) << which << ": " << text;
        } else if (text.find("the next start puts it back") != std::string::npos) {
            ++kept;
        } else if (text.find("the new set is in place") != std::string::npos) {
            ++unconfirmed;
            expected = newSet;
        } else {
            ADD_FAILURE() << which << ": the message says nothing of the outcome: " << text;
        }
        EXPECT_EQ(text.find(".corvane-"), std::string::npos) << which << ": " << text;
        recoverInterruptedGeneration(m.dir.path());
        EXPECT_EQ(folderSnapshot(m.dir.path()), expected) << which << ": " << text;
    };
    FaultWalkFigures figures = faults == 1 ? walkDiskFaults(
                                                 setUp, [&] { out = m.generate(); }, check)
                                           : walkDiskFaultPairs(
                                                 setUp, [&] { out = m.generate(); }, check);
    std::printf(
        "%d fault(s), %s generation: %ld runs: %d finished, %d not changed, %d kept for "
        "the next start, %d in place but unconfirmed\n",
        faults, first ? "first" : "replacing", figures.callsFailed, finished, notChanged, kept,
        unconfirmed);
    EXPECT_GT(notChanged, 0);
    if (faults == 2) {
        EXPECT_GT(kept, 0) << "no failing rollback was walked";
    }
}

TEST(WorkingSetLock, AFailedRemovalOfTheBackupListIsAFailedGenerationThatChangesNothing) {
    SmallWing m;
    for (const char* n : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"}) fs::remove(m.dir / n);
    // Every removal in turn; the list's is among them (the commit point).
    int commitPointFailures = 0;
    for (long n = 1;; ++n) {
        failDiskCall(DiskCall::Unlink, n, EIO);
        GenerationOutcome out = m.generate();
        const long unlinks = diskCalls(DiskCall::Unlink);
        failDiskCall(DiskCall::Write, 0, 0);
        if (unlinks < n) {
            EXPECT_EQ(out.status, GenerationStatus::Finished);
            break;
        }
        const std::string text = allDetails(out);
        if (text.find("cannot finish replacing the set: Input/output error; the working "
                      "cut-file set was not changed") != std::string::npos)
            ++commitPointFailures;
        const bool finished = out.status == GenerationStatus::Finished;
        recoverInterruptedGeneration(m.dir.path());
        // A finished first generation stands after the next start; a failed one left no working
        // set, and no start makes one.
        for (const char* name : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"})
            EXPECT_EQ(fs::exists(m.dir / name), finished) << n << " " << name << ": " << text;
        for (const char* name : {"cut.ct1", "cut_cnt.ct2", "datinfo.ct3"}) fs::remove(m.dir / name);
        m.expectNoLeftovers();
    }
    EXPECT_EQ(commitPointFailures, 1);
}

TEST(WorkingSetLock, OneOrTwoFailuresInAGenerationLeaveTheOldOrTheNewSetAsTheMessageSays) {
    walkGeneration(true, 1);
    walkGeneration(false, 1);
    walkGeneration(true, 2);
    walkGeneration(false, 2);
}

}  // namespace
}  // namespace corvane::test
