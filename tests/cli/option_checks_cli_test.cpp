// Numbers the options cannot take are refused before anything runs, with a message that says
// what is wanted, not the range up to the largest double.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_runner.h"

namespace corvane {
namespace {

TEST(OptionChecks, ANumberOutOfItsRangeSaysWhatIsWanted) {
    test::TempDir dir;
    const struct {
        const char* args;
        const char* says;
    } cases[] = {
        {"run --speed 0", "--speed: must be greater than 0, not 0"},
        {"run --pause-ms -1", "--pause-ms: must be 0 or more, not -1"},
        {"simulate --from-segment 0", "--from-segment: must be greater than 0, not 0"},
        {"script run x.txt --speed -2", "--speed: must be greater than 0, not -2"},
        {"export gcode --speed abc -o x.ngc", "--speed: \"abc\" is not a number"},
        {"latency-test --speed 0", "--speed: must be greater than 0, not 0"},
    };
    for (const auto& c : cases) {
        const test::CliResult r = test::cli(dir, c.args);
        EXPECT_NE(r.exitCode, 0) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(r.err.find("1797693134862315"), std::string::npos) << c.args << "\n" << r.err;
        EXPECT_EQ(r.out, "") << c.args;  // nothing ran
    }
}

}  // namespace
}  // namespace corvane
