// corvane-cli run --resume / --from-segment / --from-delay-point and simulate --from-segment, as
// the operator would call them after a Stop: the traces of the two runs put together are the
// uninterrupted cut's, and a set that changed is refused by the name of the file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using Result = test::CliResult;

// The data-register writes of a trace, in order.
std::vector<int> traced(const test::TempDir& dir) {
    std::istringstream trace(test::readFile(dir / "trace.txt"));
    std::vector<int> outs;
    for (std::string line; std::getline(trace, line);) {
        std::istringstream f(line);
        double t;
        std::string op;
        int port, value;
        if ((f >> t >> op >> port >> value) && op == "OUT" && port == 888) outs.push_back(value);
    }
    return outs;
}

// 30 ticks in six segments, a delay point after segment 2.
void writeSet(const test::TempDir& dir) {
    test::copyResources(dir.path());
    std::string steps;
    std::mt19937 rng(33);
    for (int i = 0; i < 30; ++i) steps += std::to_string(rng() % 256) + "\r\n";
    test::writeFile(dir / "cut.ct1", steps);
    test::writeFile(dir / "cut_cnt.ct2", "5\r\n10\r\n0\r\n15\r\n20\r\n25\r\n30\r\n");
}

TEST(ResumeCli, StoppedAtARandomTickTheResumeWritesExactlyTheRestOfTheCut) {
    test::TempDir dir;
    writeSet(dir);
    ASSERT_EQ(
        cli(dir, "run --floor-seconds 0 --trace '" + (dir / "trace.txt").string() + "'").exitCode,
        0);
    const std::vector<int> whole = traced(dir);
    ASSERT_EQ(whole.size(), 30u);
    const std::string trace = " --trace '" + (dir / "trace.txt").string() + "'";
    std::mt19937 rng(7);
    for (int trial = 0; trial < 4; ++trial) {
        const int k = 1 + static_cast<int>(rng() % 29);
        Result r = cli(dir, "run --floor-seconds 0 --stop-after " + std::to_string(k) + trace);
        ASSERT_EQ(r.exitCode, 130) << r.err;
        EXPECT_EQ(traced(dir), std::vector<int>(whole.begin(), whole.begin() + k));
        r = cli(dir, "run --floor-seconds 0 --resume --heat-s 0" + trace);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("stopped at tick " + std::to_string(k) + " of 30"), std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("The carriages must stand where the cut stopped"), std::string::npos);
        EXPECT_EQ(traced(dir), std::vector<int>(whole.begin() + k, whole.end())) << "k " << k;
    }
    // The cut ended normally: nothing is left to resume.
    const Result none = cli(dir, "run --floor-seconds 0 --resume" + trace);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("There is no stopped cut to resume"), std::string::npos) << none.err;
}

TEST(ResumeCli, AChangedSetIsRefusedByNameAndAnEarlierPointIsReachedBackAlongThePath) {
    test::TempDir dir;
    writeSet(dir);
    const std::string trace = " --trace '" + (dir / "trace.txt").string() + "'";
    ASSERT_EQ(cli(dir, "run --floor-seconds 0 --stop-after 17" + trace).exitCode, 130);
    const std::vector<int> before = traced(dir);

    const std::string counts = test::readFile(dir / "cut_cnt.ct2");
    test::writeFile(dir / "cut_cnt.ct2", counts + "0\r\n");
    Result r = cli(dir, "run --floor-seconds 0 --resume" + trace);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The cut cannot be resumed: cut_cnt.ct2 has changed since the cut "
                         "stopped"),
              std::string::npos)
        << r.err;
    test::writeFile(dir / "cut_cnt.ct2", counts);

    r = cli(dir, "run --floor-seconds 0 --from-delay-point 2" + trace);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("There is no delay point 2 in this set (it has 1)"), std::string::npos)
        << r.err;
    r = cli(dir, "simulate --from-segment 3");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("the record says the cut stopped at tick 17 of 30"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Back along the cut path: 7 ticks, to tick 10"), std::string::npos)
        << r.out;

    // Delay point 1 stands after tick 10: seven ticks back, each the reverse of the one it undoes.
    r = cli(dir, "run --floor-seconds 0 --heat-s 0 --from-delay-point 1" + trace);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<int> after = traced(dir);
    ASSERT_EQ(after.size(), 7u + 20u);
    // The default pins: direction bits D0, D2, D4, D6.
    for (int i = 0; i < 7; ++i) EXPECT_EQ(after[static_cast<size_t>(i)], before[16 - i] ^ 0x55);
    ASSERT_EQ(cli(dir, "run --floor-seconds 0" + trace).exitCode, 0);
    const std::vector<int> whole = traced(dir);
    EXPECT_EQ(std::vector<int>(after.begin() + 7, after.end()),
              std::vector<int>(whole.begin() + 10, whole.end()));
}

}  // namespace
}  // namespace corvane
