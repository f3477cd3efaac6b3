// Who may open the port, seen from outside corvane-cli: a trace file that cannot be created
// opens no port (the trace comes before the claim), and a second program on a real port is
// refused with the name and process of the first (direct I/O, where ioperm works here).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#endif

#include <cstdlib>
#include <string>
#include <vector>

#include "common/port_lock.h"
#include "support/test_support.h"

namespace corvane {
namespace {

struct Result {
    int exitCode = -1;
    std::string err;
};

void makeWorkingSet(const test::TempDir& dir, int ticks) {
    test::copyResources(dir.path());
    std::vector<std::string> v = test::resetDefaultsValues();
    v[18] = "\"Pin 1\"";
    v[19] = "\"378h\"";
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
    std::string bytes;
    for (int i = 0; i < ticks; ++i) bytes += (i % 2 ? "3\r\n" : "1\r\n");
    test::writeFile(dir / "cut.ct1", bytes);
    test::writeFile(dir / "cut_cnt.ct2", std::to_string(ticks) + "\r\n");
    test::writeFile(dir / "run.txt", "pause,1\r\n");
}

Result cli(const test::TempDir& dir, const test::TempDir& locks, const std::string& args) {
    const auto err = dir / "stderr.txt";
    const std::string cmd = "CORVANE_LOCK_DIR='" + locks.path().string() + "' '" + CORVANE_CLI +
                            "' --app-dir '" + dir.path().string() + "' " + args +
                            " >/dev/null 2>'" + err.string() + "'";
    const int status = std::system(cmd.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFile(err)};
}

// Before the change the backend opened first, so the device's own failure (or, on a real
// port, a claim with the wire live) came before the trace's.
TEST(PortOwnershipCli, ATraceFileThatCannotBeCreatedOpensNoPort) {
    test::TempDir dir, locks;
    makeWorkingSet(dir, 2);
    const std::string badTrace = (dir / "no-such-folder" / "trace.txt").string();
    for (const std::string& command :
         std::vector<std::string>{"run", "script run '" + (dir / "run.txt").string() + "'"}) {
        for (const char* backend : {"ppdev:/nonexistent/parport9", "direct"}) {
            SCOPED_TRACE(command + " " + backend);
            const Result r =
                cli(dir, locks, command + " --port " + backend + " --trace '" + badTrace + "'");
            EXPECT_NE(r.exitCode, 0);
            EXPECT_NE(r.err.find("cannot create the trace file"), std::string::npos) << r.err;
            EXPECT_EQ(r.err.find("parport9"), std::string::npos) << r.err;
            // Not even the port's lock was taken.
            EXPECT_TRUE(std::filesystem::is_empty(locks.path()));
        }
    }
}

bool directIoWorksHere() {
#if defined(__x86_64__) || defined(__i386__)
    if (::ioperm(0x378, 3, 1) != 0) return false;
    ::ioperm(0x378, 3, 0);
    return true;
#else
    return false;
#endif
}

TEST(PortOwnershipCli, ASecondProgramOnARealPortIsRefusedNamingTheFirst) {
    if (!directIoWorksHere()) GTEST_SKIP() << "ioperm is refused here (not root)";
    test::TempDir dir, locks;
    makeWorkingSet(dir, 4000);
    const std::string firstErr = (dir / "first.txt").string();
    const pid_t first = ::fork();
    ASSERT_GE(first, 0);
    if (first == 0) {
        ::setenv("CORVANE_LOCK_DIR", locks.path().c_str(), 1);
        if (!std::freopen(firstErr.c_str(), "w", stderr)) ::_exit(127);
        if (!std::freopen("/dev/null", "w", stdout)) ::_exit(127);
        ::execl(CORVANE_CLI, CORVANE_CLI, "--app-dir", dir.path().c_str(), "run", "--port",
                "direct", "--speed", "0.2", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The first says which port it drives once it holds it (or ends: then nothing to test).
    bool holding = false;
    for (int i = 0; i < 3000 && !holding; ++i) {
        holding = test::readFile(firstErr).find("Port: ") != std::string::npos;
        if (!holding && ::waitpid(first, nullptr, WNOHANG) == first) break;
        if (!holding) ::usleep(10'000);
    }
    ASSERT_TRUE(holding) << test::readFile(firstErr);

    for (const std::string& command :
         std::vector<std::string>{"run", "script run '" + (dir / "run.txt").string() + "'"}) {
        const Result second = cli(dir, locks, command + " --port direct");
        EXPECT_EQ(second.exitCode, 1) << command;
        EXPECT_NE(second.err.find("0x378 is in use by corvane-cli (process " +
                                  std::to_string(first) + ")"),
                  std::string::npos)
            << second.err;
    }
    ::kill(first, SIGTERM);
    int status = 0;
    ::waitpid(first, &status, 0);
    // Gone: the port is free again.
    EXPECT_NO_THROW(PortLock(0x378, locks.path()));
}

}  // namespace
}  // namespace corvane
