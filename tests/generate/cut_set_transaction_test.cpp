// The working set is always complete: a generation killed at any moment leaves either the
// previous set or the new one for the next start, never a mix; backups never outlive it.
#include "generate/cut_set_transaction.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// Runs `body` in a child process that is killed (SIGKILL) where the body decides.
void inKilledChild(const std::function<void()>& body) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        body();
        _exit(0);  // the body was meant to be killed before this
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(WTERMSIG(status), SIGKILL);
}

TEST(CrashRecovery, KilledWhileWritingTheNextStartFindsThePreviousSet) {
    GenerateMachine m;
    m.previousSet();
    std::string rows;
    for (int i = 0; i <= 40; ++i)
        rows += std::to_string(i / 40.0) + " " + std::to_string((i % 7) / 50.0) + "\n";
    auto f = m.airfoil("f.dat", rows);
    for (int killAt : {1, 17, 40}) {
        inKilledChild([&] {
            CutGenerator gen(m.ws);
            GenerationCallbacks cb;
            int n = 0;
            cb.yield = [&] {
                if (++n == killAt) raise(SIGKILL);
            };
            // The kill inside the generation means it never returns an outcome.
            (void)gen.generate(m.foam(f, f, "300", "200"), cb);
        });
        // Before any recovery the working files are still the previous ones.
        EXPECT_EQ(m.working("cut.ct1"), "1\r\n2\r\n");
        EXPECT_TRUE(fs::exists(m.dir / ".corvane-hold.open"));
        EXPECT_TRUE(recoverInterruptedGeneration(m.dir.path()));
        m.expectPreviousSet();
    }
}

// The states a kill during the three renames can leave, made by hand.
TEST(CrashRecovery, KilledAmongTheRenamesRollsBackToThePreviousSet) {
    GenerateMachine m;
    m.previousSet();
    CutSetTransaction tx(m.dir.path());
    tx.begin();
    tx.stepFile().append("9\r\n");
    tx.countFile().append("1\r\n");
    tx.datInfoFile().append("\"x\",\"y\",3,3\r\n");
    tx.stepFile().close();
    tx.countFile().close();
    tx.datInfoFile().close();
    // The first rename happened, then the process died.
    fs::rename(m.dir / ".corvane-cut.ct1.part", m.dir / "cut.ct1");
    EXPECT_EQ(m.working("cut.ct1"), "9\r\n");
    EXPECT_TRUE(recoverInterruptedGeneration(m.dir.path()));
    m.expectPreviousSet();
}

TEST(CrashRecovery, KilledAfterTheListWentKeepsTheNewSetAndClearsBackups) {
    GenerateMachine m;
    m.previousSet();
    writeFile(m.dir / ".corvane-hold1", "old");
    writeFile(m.dir / ".corvane-hold3", "old");
    writeFile(m.dir / ".corvane-cut.ct1.part", "half");
    EXPECT_FALSE(recoverInterruptedGeneration(m.dir.path()));
    m.expectPreviousSet();  // the set in place (here: the one written above) is kept
}

TEST(CrashRecovery, RecoveryPutsBackAMissingWorkingFileAsMissing) {
    GenerateMachine m;
    writeFile(m.dir / "cut.ct1", "1\r\n");
    CutSetTransaction tx(m.dir.path());
    tx.begin();  // cut_cnt.ct2 and datinfo.ct3 do not exist
    tx.countFile().append("5\r\n");
    tx.countFile().close();
    fs::rename(m.dir / ".corvane-cut_cnt.ct2.part", m.dir / "cut_cnt.ct2");
    EXPECT_TRUE(recoverInterruptedGeneration(m.dir.path()));
    EXPECT_EQ(m.working("cut.ct1"), "1\r\n");
    EXPECT_FALSE(fs::exists(m.dir / "cut_cnt.ct2"));
    m.expectNoLeftovers();
}

// Names without the program's prefix are the operator's: a "hold.open" listing the set, with
// "hold1".."hold3" beside it, is never read as a list, and nothing of it or of the set goes.
TEST(CrashRecovery, NamesWithoutThePrefixAreNeverReadAsAListNorRemoved) {
    GenerateMachine m;
    m.previousSet();
    writeFile(m.dir / "hold2", "the operator's own file\r\n");
    writeFile(m.dir / "hold.open", "cut.ct1\r\ncut_cnt.ct2\r\ndatinfo.ct3\r\n");
    writeFile(m.dir / "datinfo.ct3.part", "mine\r\n");
    EXPECT_FALSE(recoverInterruptedGeneration(m.dir.path()));
    EXPECT_EQ(m.working("hold2"), "the operator's own file\r\n");
    EXPECT_EQ(m.working("hold.open"), "cut.ct1\r\ncut_cnt.ct2\r\ndatinfo.ct3\r\n");
    EXPECT_EQ(m.working("datinfo.ct3.part"), "mine\r\n");
    EXPECT_EQ(m.working("cut.ct1"), "1\r\n2\r\n");
    EXPECT_EQ(m.working("cut_cnt.ct2"), "2\r\n");
}

TEST(Transaction, FinishReplacesAllThreeAndAbandonKeepsThePreviousBytes) {
    GenerateMachine m;
    m.previousSet();
    {
        CutSetTransaction tx(m.dir.path());
        tx.begin();
        tx.resetFromTemplates();
        tx.stepFile().byteLine(7);
        // Leaving the scope without finish abandons.
    }
    m.expectPreviousSet();

    CutSetTransaction tx(m.dir.path());
    tx.begin();
    EXPECT_TRUE(
        fs::exists(m.dir / ".corvane-hold1"));  // backups beside the working set while it runs
    tx.resetFromTemplates();
    tx.stepFile().byteLine(255);
    tx.stepFile().byteLine(0);
    tx.countFile().numberLine(2);
    tx.datInfoFile().append("\"l\",\"r\",1,2\r\n");
    tx.finish();
    EXPECT_EQ(m.working("cut.ct1"), "255\r\n0\r\n");
    EXPECT_EQ(m.working("cut_cnt.ct2"), "2\r\n");
    EXPECT_EQ(m.working("datinfo.ct3"), "\"l\",\"r\",1,2\r\n");
    m.expectNoLeftovers();
}

TEST(Transaction, TheNewFilesStartAsTheTemplates) {
    GenerateMachine m;
    writeFile(m.dir / "temp_cut.txt", "11\r\n");
    writeFile(m.dir / "temp_datinfo.txt", "ignored\r\n");
    CutSetTransaction tx(m.dir.path());
    tx.begin();
    tx.resetFromTemplates();
    tx.stepFile().byteLine(3);
    tx.datInfoFile().append("\"l\",\"r\",1,2\r\n");
    tx.finish();
    EXPECT_EQ(m.working("cut.ct1"), "11\r\n3\r\n");
    EXPECT_EQ(m.working("datinfo.ct3"), "\"l\",\"r\",1,2\r\n");  // rewritten by its one line
}

}  // namespace
}  // namespace corvane::test

namespace corvane::test {
namespace {

// A disk that fills up while the helper thread writes: the error comes back at the next
// flush or at close, with the file named, and never as a silently short file.
TEST(LineFileWriter, AWriteErrorFromTheHelperThreadIsReported) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    LineFileWriter out;
    out.open("/dev/full");
    std::string block(100000, '7');
    try {
        for (int i = 0; i < 20; ++i) out.append(block);
        out.close();
        FAIL() << "the full disk went unnoticed";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
        EXPECT_NE(e.detail().find("/dev/full"), std::string::npos);
    }
    out.discard();
    EXPECT_FALSE(out.isOpen());
}

TEST(LineFileWriter, LongOutputArrivesWholeAndInOrder) {
    TempDir dir;
    LineFileWriter out(4096);  // small buffer: many hand-overs to the helper thread
    out.open(dir / "f");
    std::string expected;
    for (unsigned i = 0; i < 50000; ++i) {
        out.byteLine(i % 1024);
        expected += std::to_string(i % 1024) + "\r\n";
        if (i % 977 == 0) {
            out.numberLine(-int64_t{i} - 1);
            expected += "-" + std::to_string(i + 1) + "\r\n";
        }
    }
    out.close();
    EXPECT_TRUE(readFile(dir / "f") == expected);
}

}  // namespace
}  // namespace corvane::test
