// corvane-cli script check|run as the operator calls them: each line's verdict and the run
// check's wording of the first failure, and a traced run of every instruction whose
// data-register writes are checked one by one.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace corvane {
namespace {

const std::string F = "向前     ", B = "后退  ", D = "下   ", U = "上 ";

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

CliResult script(const test::TempDir& dir, const std::string& args) {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" + dir.path().string() +
                            "' script " + args + " >'" + out.string() + "' 2>'" + err.string() +
                            "'";
    const int status = std::system(cmd.c_str());
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    return r;
}

// The shipped settings at 100 steps/mm (speeds up to 10 mm/s).
void setUpFolder(const test::TempDir& dir) {
    test::copyResources(dir.path());
    std::string settings = test::readFile(dir / "settings.txt");
    const auto at = settings.find("\"4000\"");
    ASSERT_NE(at, std::string::npos);
    settings.replace(at, 6, "\"100\"");
    test::writeFile(dir / "settings.txt", settings);
}

TEST(ScriptCli, CheckPrintsEveryVerdictAndTheRunChecksWordingOfTheFirstFailure) {
    test::TempDir dir;
    setUpFolder(dir);
    // Typed by hand: UTF-8, LF line ends.
    test::writeFile(dir / "s.txt", "move,x," + F + ",3\nmove,x,向前,3\nspeed,0.1\npause,0.6\n");
    CliResult r = script(dir, "check '" + (dir / "s.txt").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "file line 1, line 1: OK  [move,x," + F + ",3]\n" +
                         "file line 2, line 2: Script error, unknown direction  [move,x,向前,3]\n"
                         "file line 3, line 3: Script error, speed value not valid  [speed,0.1]\n"
                         "file line 4, line 4: OK  [pause,0.6]\n");
    EXPECT_EQ(r.err, "Script error in line 2 of Cutting Script\n");

    // A number too large to read fails its line with the run's error report.
    test::writeFile(dir / "big.txt", "pause,5\nmove,x," + F + ",1e999\n");
    r = script(dir, "check '" + (dir / "big.txt").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "file line 1, line 1: OK  [pause,5]\nfile line 2, line 2: Error encountered, "
              "Error Number 6, Overflow  [move,x," +
                  F + ",1e999]\n");
    EXPECT_EQ(r.err, "Error encountered, Error Number 6, Overflow\nModule Script, RS\n");

    r = script(dir, "run '" + (dir / "s.txt").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Script error in line 2 of Cutting Script"), std::string::npos);
    EXPECT_EQ(r.out, "");

    test::writeFile(dir / "s.txt", "cut,missing.ct1\r\n");
    r = script(dir, "check '" + (dir / "s.txt").string() + "'");
    EXPECT_EQ(r.err, "Script error in line 1 CT2 file not found\n");
    r = script(dir, "check '" + (dir / "nothing.txt").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error Number 53, File not found\nModule Script, LS"), std::string::npos);
}

// What Load would drop makes `check` fail with a warning on each file line, and `run` refuses the
// file: the 40 mm X move written "Move" would otherwise never happen. Verdicts name the file line
// and the loaded line; a file ending inside an instruction gets its verdicts and the load error.
TEST(ScriptCli, CheckWarnsOfEverySkippedItemWithItsFileLine) {
    test::TempDir dir;
    setUpFolder(dir);
    const std::string file = (dir / "s.txt").string();
    test::writeFile(file, "speed,2\r\nMove,x," + F + ",40\r\n\r\nmove，x，" + F +
                              "，40\r\n  pause,5\r\npause,7\r\n");
    CliResult r = script(dir, "check '" + file + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "file line 1, line 1: OK  [speed,2]\nfile line 6, line 2: OK  [pause,7]\n");
    EXPECT_EQ(r.err,
              file + ": warning: file line 2: \"Move\", \"x\", \"" + F +
                  "\", \"40\" skipped: not an instruction\n" + file +
                  ": warning: file line 4: \"move，x，" + F +
                  "，40\" skipped: not an instruction\n" + file +
                  ": warning: file line 5: \"  pause\", \"5\" skipped: not an instruction\n");
    r = script(dir, "run '" + file + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("The script was not run"), std::string::npos) << r.err;

    test::writeFile(file, "pause,5\nspeed,0\nmove,x," + F + "\n");
    r = script(dir, "check '" + file + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "file line 1, line 1: OK  [pause,5]\n"
              "file line 2, line 2: Script error, speed value not valid  [speed,0]\n");
    EXPECT_EQ(r.err,
              "Error encountered, Error Number 62, Input past end of file\n"
              "Module Script, LS\nScript error in line 2 of Cutting Script\n");
}

// A failed instruction ends `run` with exit 1 and says which line; --keep-going runs past it and
// still fails the command. RC names the file. --speed stops at the slider's top.
TEST(ScriptCli, AFailedLineStopsTheRunUnlessKeepGoing) {
    test::TempDir dir;
    setUpFolder(dir);
    test::writeFile(dir / "gone.ct2", "1\r\n");
    const std::string file = (dir / "s.txt").string();
    test::writeFile(file, "pause,1\ncut,gone.ct1\nmove,y1," + U + ",0.02\n");
    CliResult r = script(dir, "run '" + file + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out.rfind("Script stopped at a failed line: 2 lines run, line failed: 2, 0 steps out", 0),
        0u)
        << r.out;
    EXPECT_NE(r.err.find("Module Script, RC\nCut file: " + (dir / "gone.ct1").string()),
              std::string::npos)
        << r.err;
    r = script(dir, "run '" + file + "' --keep-going");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out.rfind("Script complete: 3 lines run, line failed: 2, 2 steps out", 0), 0u)
        << r.out;

    test::writeFile(file, "move,y1," + U + ",0.02\n");
    EXPECT_EQ(script(dir, "run '" + file + "' --speed 10").exitCode, 0);
    r = script(dir, "run '" + file + "' --speed 10.2");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "--speed 10.2 mm/s is above the speed slider's top of 10 mm/s\n");
}

TEST(ScriptCli, TheTraceOfEveryInstructionHoldsExactlyTheRunnersWrites) {
    test::TempDir dir;
    setUpFolder(dir);
    test::writeFile(dir / "set.ct1", "3\r\n12\r\n48\r\n192\r\n");
    test::writeFile(dir / "set.ct2", "2\r\n0\r\n4\r\n");
    // Typed by hand: UTF-8 with LF line ends.
    test::writeFile(dir / "all.txt", "speed,5\nmove,x," + F + ",0.03\nmove,y1," + U +
                                         ",0.02\nangle,x," + B + ",0.04,y," + D +
                                         ",0.02\npause,2\ncut,set.ct1\n");
    const CliResult r =
        script(dir, "run '" + (dir / "all.txt").string() + "' --delay-ms 3 --trace '" +
                        (dir / "trace.txt").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Script complete: 6 lines run, no line failed, 13 steps out, ", 0), 0u)
        << r.out;

    std::vector<std::string> ops;
    std::istringstream trace(test::readFile(dir / "trace.txt"));
    for (std::string line; std::getline(trace, line);) {
        std::istringstream f(line);
        double t;
        std::string op, port, value;
        ASSERT_TRUE(f >> t >> op >> port >> value) << line;
        ops.push_back(op + " " + port + " " + value);
    }
    // Reset-default pins: X1 dir/step bits 0/1, Y1 2/3, X2 4/5, Y2 6/7.
    const std::vector<std::string> clear = {"CLR 888 1", "CLR 888 5", "CLR 888 3", "CLR 888 7"};
    std::vector<std::string> expected;
    auto tick = [&](int byte) {
        expected.push_back("OUT 888 " + std::to_string(byte));
        expected.insert(expected.end(), clear.begin(), clear.end());
    };
    expected.insert(expected.end(), clear.begin(), clear.end());  // move x: 3 steps forward
    for (int i = 0; i < 3; ++i) tick(0x22);
    expected.insert(expected.end(), clear.begin(), clear.end());  // move y1: 2 steps up
    for (int i = 0; i < 2; ++i) tick(0x0C);
    expected.insert(expected.end(), clear.begin(), clear.end());  // angle: sx 4, sy 2
    for (int byte : {0x33, 0x33 + 0x88, 0x33, 0x33 + 0x88}) tick(byte);
    for (int byte : {3, 12, 48, 192}) tick(byte);  // the set, every tick of it
    EXPECT_EQ(ops, expected);
}

}  // namespace
}  // namespace corvane
