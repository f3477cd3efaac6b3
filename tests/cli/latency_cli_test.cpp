// corvane-cli latency-test --compare-priorities as an operator runs it: each speed at both
// priorities in two columns with every figure, and what real-time buys (or why it cannot say).
// The figures themselves depend on the PC and are not judged here.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cli/cli_runner.h"

namespace corvane {
namespace {

TEST(LatencyCli, ComparePrioritiesPrintsBothColumnsAtEachSpeed) {
    test::TempDir dir;
    const test::CliResult r = test::cli(dir, "latency-test --seconds 0.1 --compare-priorities");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* speed : {"6.2 mm/s (slider top)", "1 mm/s:"}) {
        const size_t at = r.out.find(speed);
        ASSERT_NE(at, std::string::npos) << speed << "\n" << r.out;
        const std::string block = r.out.substr(at, r.out.find("\n\n", at) - at);
        EXPECT_NE(block.find("0.1 s at each priority"), std::string::npos) << block;
        EXPECT_TRUE(std::regex_search(
            block, std::regex(R"(\n {37}normal \(SCHED_OTHER\) +(real-time|normal) \()")))
            << block;
        // Every figure row has a cell in both columns.
        EXPECT_TRUE(std::regex_search(
            block, std::regex(R"(mean period error \(\+ is slow\) +[-+]\d+\.\d{3} % +[-+]\d)")))
            << block;
        EXPECT_TRUE(std::regex_search(
            block, std::regex(R"(period deviation p50 / p99 / max +\d+ / \d+ / \d+ us +\d+ / )")))
            << block;
        for (const char* row : {"schedule drift", "ticks late by", "bare timer loop",
                                "p99 ratio ticks / bare loop", "verdict"})
            EXPECT_NE(block.find(row), std::string::npos) << row;
        // Granted: the difference it makes; refused: why there is none to show.
        EXPECT_TRUE(block.find("Real-time against normal: mean error ") != std::string::npos ||
                    block.find("Real-time priority was not granted") != std::string::npos)
            << block;
    }
}

TEST(LatencyCli, ComparePrioritiesRefusesNoRealtime) {
    test::TempDir dir;
    const test::CliResult r =
        test::cli(dir, "latency-test --seconds 0.1 --compare-priorities --no-realtime");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find("excludes"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace corvane
