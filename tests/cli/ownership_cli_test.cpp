// Two programs on one folder, as an operator (or two) would start them: a cut owns the set it
// began with, the program's own names in the folder never lead it to another file, a lock file
// one user made never locks out another, nothing without the program's prefix is removed, and a
// resume refuses after any motion since the stop, made in another program too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "common/folder_lock.h"
#include "support/second_user.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::cli;

const std::string kForward = "向前     ";

std::vector<int> traced(const fs::path& trace) {
    if (!fs::exists(trace)) return {};
    std::istringstream in(test::readFile(trace));
    std::vector<int> outs;
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        double t;
        std::string op;
        int port, value;
        if ((f >> t >> op >> port >> value) && op == "OUT" && port == 888) outs.push_back(value);
    }
    return outs;
}

std::vector<int> randomSteps(unsigned seed, int n) {
    std::mt19937 rng(seed);
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<int>(rng() % 256));
    return v;
}

void writeSteps(const fs::path& file, const std::vector<int>& steps) {
    std::string text;
    for (int s : steps) text += std::to_string(s) + "\r\n";
    test::writeFile(file, text);
}

// The shipped folder with a 30-tick set; `leadMm` > 0 adds a horizontal lead-in and lead-out.
void makeFolder(const test::TempDir& dir, double leadMm = 0) {
    test::copyResources(dir.path());
    if (leadMm > 0) {
        std::vector<std::string> v = test::resetDefaultsValues();
        v[0] = "1";
        v[3] = "\"" + std::to_string(leadMm) + "\"";
        test::writeFile(dir / "settings.txt", test::settingsLine(v));
    }
    writeSteps(dir / "cut.ct1", randomSteps(33, 30));
    test::writeFile(dir / "cut_cnt.ct2", "5\r\n10\r\n0\r\n15\r\n20\r\n25\r\n30\r\n");
}

std::string foamArgs(const test::TempDir& dir) {
    const std::string sample = (dir / "samples" / "naca0012.dat").string();
    return "generate foam --left '" + sample + "' --right '" + sample +
           "' --left-size 40 --right-size 25";
}

// corvane-cli in the background; its process id.
pid_t startCli(const test::TempDir& dir, const std::vector<std::string>& args,
               const fs::path& err) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (!std::freopen(err.c_str(), "w", stderr) || !std::freopen("/dev/null", "w", stdout))
        ::_exit(127);
    std::vector<const char*> argv = {CORVANE_CLI, "--app-dir", dir.path().c_str()};
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    ::execv(CORVANE_CLI, const_cast<char* const*>(argv.data()));
    ::_exit(127);
}

int waitFor(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A generation and a Load beside a running cut are refused naming it, and a set written over
// by a program that does not ask is not what the machine cuts: the ticks after the lead-in are
// the set that was there at Begin Cut.
TEST(OwnershipCli, AGenerationDuringALeadInIsRefusedAndTheCutCutsTheSetOfBeginCut) {
    test::TempDir dir;
    makeFolder(dir, 0.01);  // 40 ticks of lead-in at 4000 steps/mm
    const fs::path trace = dir / "trace.txt";
    const std::vector<int> setA = randomSteps(33, 30);
    const pid_t run = startCli(
        dir, {"run", "--floor-seconds", "0", "--speed", "0.005", "--trace", trace.string()},
        dir / "run.txt");
    // Inside the lead-in: a few ticks written, far from its 47.
    for (int i = 0; i < 2000 && traced(trace).size() < 3; ++i) ::usleep(5'000);
    ASSERT_GE(traced(trace).size(), 3u) << test::readFile(dir / "run.txt");
    ASSERT_LT(traced(trace).size(), 30u) << "the lead-in ended before the test could act";

    const test::CliResult generated = cli(dir, foamArgs(dir));
    EXPECT_NE(generated.exitCode, 0);
    EXPECT_NE(generated.err.find("Machine Busy"), std::string::npos) << generated.err;
    EXPECT_NE(generated.err.find("corvane-cli (process " + std::to_string(run) + ")"),
              std::string::npos)
        << generated.err;
    const test::CliResult loaded =
        cli(dir, "load '" + (dir / "samples" / "slot.ct1").string() + "'");
    EXPECT_NE(loaded.exitCode, 0);
    EXPECT_NE(loaded.err.find("Machine Busy"), std::string::npos) << loaded.err;
    writeSteps(dir / "cut.ct1", randomSteps(99, 30));  // a program that does not ask

    ASSERT_EQ(waitFor(run), 0) << test::readFile(dir / "run.txt");
    const std::vector<int> outs = traced(trace);
    ASSERT_EQ(outs.size(), 40u + 30u + 40u);
    EXPECT_EQ(std::vector<int>(outs.begin() + 40, outs.begin() + 70), setA);
}

// Links planted under the program's own names lead nowhere: the file they point at keeps its
// bytes, and the refusal names the link and the fix.
TEST(OwnershipCli, ALinkPlantedUnderTheProgramsNamesIsRefusedAndItsTargetKept) {
    for (const char* name :
         {".corvane-lock", ".corvane-cut-record.lock", ".corvane-cut.ct1.part"}) {
        SCOPED_TRACE(name);
        test::TempDir dir, outside;
        makeFolder(dir);
        const fs::path secret = outside / "secret";
        test::writeFile(secret, "keep these bytes\n");
        ::chmod(secret.c_str(), 0600);
        fs::create_symlink(secret, dir / name);
        const test::CliResult r = cli(dir, "run --floor-seconds 0");
        const test::CliResult g = cli(dir, foamArgs(dir));
        EXPECT_EQ(test::readFile(secret), "keep these bytes\n") << g.err << r.err;
        if (std::string(name) == ".corvane-lock") {
            EXPECT_NE(g.exitCode, 0);
            EXPECT_NE(g.err.find(".corvane-lock: is a symbolic link"), std::string::npos) << g.err;
            EXPECT_NE(g.err.find("rm '"), std::string::npos) << g.err;
        }
    }
}

// Root's lock file in a user's folder (made under umask 077) does not lock that user out; a lock
// file nobody else may read says whose it is and what to do.
TEST(OwnershipCli, ALockFileOneUserMadeNeverLocksOutAnother) {
    std::string why;
    const std::optional<test::SecondUser> user = test::secondUser(&why);
    if (!user) GTEST_SKIP() << "two-user test skipped: " << why;
    test::TempDir dir;
    makeFolder(dir);
    ::chmod(dir.path().c_str(), 0755);
    const std::string cliLine = std::string("'") + CORVANE_CLI + "' --app-dir '" +
                                dir.path().string() + "' " + foamArgs(dir) + " >/dev/null";
    // Root first, under a strict umask: the lock file is root's.
    ASSERT_EQ(std::system(("umask 077; " + cliLine + " 2>/dev/null").c_str()) >> 8, 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir / ".corvane-lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    // The folder and its set become the user's; root's lock file stays.
    for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
        if (entry.path().filename() != ".corvane-lock")
            (void)::lchown(entry.path().c_str(), user->uid, user->gid);
    (void)::chown(dir.path().c_str(), user->uid, user->gid);
    const fs::path err = "/tmp/corvane-two-users-" + std::to_string(::getpid()) + ".txt";
    EXPECT_EQ(test::runAs(*user, cliLine + " 2>'" + err.string() + "'"), 0) << test::readFile(err);

    // A lock file made unreadable (an earlier version under umask 077): named, owner, fix.
    ::chmod((dir / ".corvane-lock").c_str(), 0600);
    EXPECT_NE(test::runAs(*user, cliLine + " 2>'" + err.string() + "'"), 0);
    const std::string text = test::readFile(err);
    EXPECT_NE(text.find(".corvane-lock"), std::string::npos) << text;
    EXPECT_NE(text.find("belongs to root"), std::string::npos) << text;
    EXPECT_NE(text.find("chmod a+r"), std::string::npos) << text;
    fs::remove(err);
}

// An operator's own files called like an earlier version's transaction names are theirs: a
// start never reads them as a list nor removes them, and the working set stays.
TEST(OwnershipCli, FilesWithoutTheProgramsPrefixAreNeverRemoved) {
    test::TempDir dir;
    makeFolder(dir);
    test::writeFile(dir / "hold.open", "my notes\r\n");
    test::writeFile(dir / "hold1", "mine too\r\n");
    const std::string set = test::readFile(dir / "cut.ct1");
    const test::CliResult r = cli(dir, "run --floor-seconds 0");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(test::readFile(dir / "cut.ct1"), set);
    EXPECT_EQ(test::readFile(dir / "hold.open"), "my notes\r\n");
    EXPECT_EQ(test::readFile(dir / "hold1"), "mine too\r\n");
}

// A 1 mm script move between Stop and the resume, made by another program with no home set:
// the resume refuses and says what moved; a running cut is not resumed beside itself.
TEST(OwnershipCli, AResumeRefusesAfterAMotionInAnotherProgramAndBesideTheRunningCut) {
    test::TempDir dir;
    makeFolder(dir);
    ASSERT_EQ(cli(dir, "run --floor-seconds 0 --stop-after 12").exitCode, 130);
    test::writeFile(dir / "move.txt", "move,x," + kForward + ",1\n");
    const test::CliResult moved = cli(dir, "script run '" + (dir / "move.txt").string() + "'");
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    test::CliResult r = cli(dir, "run --floor-seconds 0 --resume --heat-s 0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("the carriages have moved since the cut stopped (a script by "
                         "corvane-cli (process "),
              std::string::npos)
        << r.err;

    // Started again; while it runs, its own record is not resumed by a second program.
    const pid_t run =
        startCli(dir, {"run", "--floor-seconds", "0", "--speed", "0.002"}, dir / "run.txt");
    for (int i = 0; i < 2000 && runningCutHolder(dir.path()).empty(); ++i) ::usleep(5'000);
    r = cli(dir, "run --floor-seconds 0 --resume --heat-s 0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("it is still running in corvane-cli (process " + std::to_string(run)),
              std::string::npos)
        << r.err;
    ::kill(run, SIGINT);
    waitFor(run);

    r = cli(dir, "run --from-segment 0");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("--from-segment counts from 1"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("e+308"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace corvane
