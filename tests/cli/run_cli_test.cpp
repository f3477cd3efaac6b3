// corvane-cli run, as the operator would call it: the working set played on the simulated port,
// traced, with the summary line and the program's error report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace corvane {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out, err;
};

RunResult runCli(const test::TempDir& dir, const std::string& args) {
    const auto out = dir / "stdout.txt";
    const auto err = dir / "stderr.txt";
    const std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" + dir.path().string() +
                            "' run " + args + " >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(cmd.c_str());
    RunResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    return r;
}

TEST(RunCli, PlaysTheWorkingSetTracesEveryWriteAndSummarises) {
    test::TempDir dir;
    test::copyResources(dir.path());
    test::writeFile(dir / "cut.ct1", "3\r\n11\r\n34\r\n2\r\n243\r\n81\r\n");
    test::writeFile(dir / "cut_cnt.ct2", "2\r\n0\r\n4\r\n6\r\n");
    const RunResult r = runCli(dir, "--trace '" + (dir / "trace.txt").string() + "' --pause-ms 5");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("Cut complete: 6 ticks, 3 segments, 1 pauses, ", 0), 0u) << r.out;
    EXPECT_NE(r.err.find("Simulated port"), std::string::npos);
    // The floor beside the cut's figures: the bare loop, the ratio, the priority and the cause.
    for (const char* line : {"  bare timer loop (same schedule, wait and priority, no port work)",
                             "  priority: ", "  p99 ratio ticks / bare loop: ", "  Cause: "})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;

    std::istringstream trace(test::readFile(dir / "trace.txt"));
    std::vector<int> outs;
    double last = -1;
    for (std::string line; std::getline(trace, line);) {
        std::istringstream f(line);
        double t;
        std::string op;
        int port, value;
        ASSERT_TRUE(f >> t >> op >> port >> value) << line;
        EXPECT_GE(t, last);
        last = t;
        if (op == "OUT" && port == 888) outs.push_back(value);
    }
    EXPECT_EQ(outs, (std::vector<int>{3, 11, 34, 2, 243, 81}));
}

TEST(RunCli, ErrorsAreReportedWithTheRunnersLabelAndAFailingExit) {
    test::TempDir dir;
    test::copyResources(dir.path());
    RunResult r = runCli(dir, "");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error encountered, Error Number 53, File not found\nModule 10, BC"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.out.rfind("Cut failed: 0 ticks", 0), 0u) << r.out;
    r = runCli(dir, "--foam");
    EXPECT_NE(r.err.find("Module 11, BC"), std::string::npos) << r.err;
    r = runCli(dir, "--port bogus");
    EXPECT_NE(r.exitCode, 0);
}

// The wire of every trace line on the control register, in order ("SET 0", "CLR 0").
std::vector<std::string> wireWrites(const std::string& traceText) {
    std::istringstream trace(traceText);
    std::vector<std::string> ops;
    for (std::string line; std::getline(trace, line);) {
        std::istringstream f(line);
        double t;
        std::string op;
        int port, value;
        if ((f >> t >> op >> port >> value) && port == 890 && (op == "SET" || op == "CLR"))
            ops.push_back(op + " " + std::to_string(value));
    }
    return ops;
}

void writeWireSettings(const test::TempDir& dir, const char* address) {
    std::vector<std::string> v = test::resetDefaultsValues();
    v[18] = "\"Pin 1\"";
    v[19] = std::string("\"") + address + "\"";
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
}

TEST(RunCli, WireOnSwitchesTheWireOnBeforeTheCutAndOffAfterIt) {
    test::TempDir dir;
    test::copyResources(dir.path());
    writeWireSettings(dir, "378h");
    test::writeFile(dir / "cut.ct1", "3\r\n11\r\n");
    test::writeFile(dir / "cut_cnt.ct2", "2\r\n");
    const std::string trace = (dir / "trace.txt").string();
    RunResult r = runCli(dir, "--wire on --trace '" + trace + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // Pin 1 active low: inactive first, on before the first step, off after the last.
    const std::string text = test::readFile(dir / "trace.txt");
    const auto ops = wireWrites(text);
    ASSERT_GE(ops.size(), 3u) << text;
    EXPECT_EQ(ops[0], "CLR 0");
    EXPECT_EQ(ops[1], "SET 0");
    EXPECT_EQ(ops.back(), "CLR 0");
    EXPECT_LT(text.find("SET 890 0"), text.find("OUT 888"));
    EXPECT_GT(text.rfind("CLR 890 0"), text.rfind("OUT 888"));
    // Without --wire the cut cuts nothing: the wire is only ever driven off.
    r = runCli(dir, "--trace '" + trace + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& op : wireWrites(test::readFile(dir / "trace.txt")))
        EXPECT_EQ(op, "CLR 0");
}

TEST(RunCli, NoKnownPortIsRefusedBeforeAnyBackendOpensOnEveryBackend) {
    test::TempDir dir;
    test::copyResources(dir.path());
    writeWireSettings(dir, "0x378");
    test::writeFile(dir / "cut.ct1", "3\r\n11\r\n");
    test::writeFile(dir / "cut_cnt.ct2", "2\r\n");
    for (const char* backend : {"sim", "direct", "ppdev:/nonexistent/parport9"}) {
        const std::string trace = (dir / "trace.txt").string();
        std::filesystem::remove(trace);
        const RunResult r =
            runCli(dir, std::string("--wire on --port ") + backend + " --trace '" + trace + "'");
        EXPECT_EQ(r.exitCode, 1) << backend;
        EXPECT_NE(r.err.find("No parallel port is set: the port address \"0x378\""),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("设备设置"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(trace)) << backend;
    }
}

}  // namespace
}  // namespace corvane
