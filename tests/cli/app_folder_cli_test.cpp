// corvane-cli on an application folder as operators meet it: a mistyped --app-dir is refused
// (created only with --init), a Load that fails prints its reason as the window shows it, and a
// command beside another program on the same folder says for whom it waits, then does its work.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/folder_lock.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

std::string command(const fs::path& appDir, const std::string& args, const test::TempDir& io) {
    return std::string("'") + CORVANE_CLI + "' --app-dir '" + appDir.string() + "' " + args +
           " >'" + (io / "stdout.txt").string() + "' 2>'" + (io / "stderr.txt").string() + "'";
}

CliResult collect(int status, const test::TempDir& io) {
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(io / "stdout.txt");
    r.err = test::readFile(io / "stderr.txt");
    return r;
}

CliResult cli(const fs::path& appDir, const std::string& args, const test::TempDir& io) {
    return collect(std::system(command(appDir, args, io).c_str()), io);
}

TEST(AppFolderCli, AMissingAppDirIsRefusedAndOnlyInitCreatesIt) {
    test::TempDir io;
    const fs::path typo = io / "corvnae";
    CliResult r = cli(typo, "settings", io);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(typo.string() +
                         ": there is no such application folder; nothing was created. Check the "
                         "name, or add --init to create it."),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(typo));
    r = cli(typo, "--init settings", io);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_regular_file(typo / "settings.txt")) << "created but not seeded";
    EXPECT_NE(r.out.find("DataPort="), std::string::npos);
}

TEST(AppFolderCli, LoadPrintsTheReasonItRefusedAFolder) {
    test::TempDir app, io;
    test::copyResources(app.path());
    const fs::path sets = io / "sets";
    fs::create_directories(sets);
    for (const char* n : {"wing.ct1", "wing.ct2"}) test::writeFile(sets / n, "1\r\n");
    test::writeFile(sets / "wing.ct3", "\"a\",\"b\",1,1\r\n");
    // What an earlier version left of a save cut short, with full paths in it.
    test::writeFile(sets / ".wing.ct1.99999999.replacing", "13:/etc/passwd-x\n3:tmp\n0:\n");
    const CliResult r = cli(app.path(), "load '" + (sets / "wing.ct1").string() + "'", io);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Cut File not loaded: its folder holds an unfinished save."),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(".wing.ct1.99999999.replacing: an unfinished save by an earlier "
                         "version of the program was found; nothing was changed."),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(fs::exists(sets / ".wing.ct1.99999999.replacing"));
}

TEST(AppFolderCli, AGenerationBesideAnotherProgramWaitsForItAndSaysSo) {
    test::TempDir app, io;
    test::copyResources(app.path());
    // A closed outline from the trailing edge round the nose and back (the generator cuts no
    // less).
    std::string rows = "W\r\n";
    for (int i = 0; i <= 12; ++i) {
        const double t = i * 3.14159265358979 / 6.0;
        rows += std::to_string(0.5 + 0.5 * std::cos(t)) + " " + std::to_string(0.06 * std::sin(t)) +
                "\r\n";
    }
    test::writeFile(app / "w.dat", rows);
    const std::string args = "generate wing --left '" + (app / "w.dat").string() + "' --right '" +
                             (app / "w.dat").string() + "' --left-chord 50 --right-chord 40";
    // Forked before the lock is taken: a child would share the parent's lock.
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        char c;
        if (::read(go[0], &c, 1) != 1) ::_exit(3);
        ::_exit(std::system(command(app.path(), args, io).c_str()) == 0 ? 0 : 1);
    }
    auto held = std::make_unique<FolderLock>(app.path());  // the other program, mid-generation
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    ::close(go[0]);
    ::close(go[1]);
    // Let the other program finish once this one has said it waits.
    for (int i = 0; i < 6000; ++i) {
        if (fs::exists(io / "stderr.txt") &&
            test::readFile(io / "stderr.txt").find("Waiting for") != std::string::npos)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    held.reset();
    int status = 0;
    ::waitpid(child, &status, 0);
    const CliResult r = collect(WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 256, io);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "Waiting for cli_tests (process " + std::to_string(::getpid()) +
                         ") to finish with the working cut-file set in " +
                         fs::weakly_canonical(app.path()).string() + " ...\n");
    EXPECT_GT(test::readFile(app / "cut.ct1").size(), 0u);
}

}  // namespace
}  // namespace corvane
