// corvane-cli on the grblHAL firmware's simulator behind a pty: a demo wing streamed as fast as
// the simulator runs with every line ok and every planned block on the decoded set's segment
// end; the steps/mm mismatch refused; and in real time, SIGTERM and a pulled line (the pty
// closed) ending the cut with the machine standing and the wire off; the summary names the
// counted position and the wire as the controller last reported them. Skipped where the
// simulator's sources are missing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "simulate/simulation.h"
#include "support/grbl_sim.h"
#include "support/test_support.h"

namespace corvane {
namespace {

constexpr int kStepsPerMm = 158;

struct CliResult {
    int exitCode = -1;
    std::string out, err;
};

std::string cliCommand(const test::TempDir& dir, const std::string& args) {
    return std::string("exec '") + CORVANE_CLI + "' --app-dir '" + dir.path().string() + "' " +
           args + " >'" + (dir / "stdout.txt").string() + "' 2>'" + (dir / "stderr.txt").string() +
           "'";
}

CliResult cli(const test::TempDir& dir, const std::string& args) {
    const int status = std::system(cliCommand(dir, args).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFile(dir / "stdout.txt"),
            test::readFile(dir / "stderr.txt")};
}

// The demo wing of the simulate test: lead moves of 10 mm, 158 steps/mm, with or without its
// two delay points (the simulator's status reports stall while it waits in a G4 in real time).
void makeDemoSet(const test::TempDir& dir, bool delayPoints = true) {
    test::copyResources(dir.path());
    std::vector<std::string> v = test::resetDefaultsValues();
    v[0] = "1";
    v[3] = "\"10\"";
    v[7] = "\"157.5\"";
    v[27] = "\"0.3\"";
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
    const std::string samples = std::string(CORVANE_RESOURCES) + "/samples/";
    const CliResult r =
        cli(dir, "generate wing --left '" + samples + "naca2412.dat' --right '" + samples +
                     "naca0012.dat' --left-chord 271.86 --right-chord 136.33 "
                     "--right-washout -2 " +
                     (delayPoints ? "--delay-points 20,40 " : "") + "--save '" +
                     (dir / "demo.ct1").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
}

// Runs the command in the background; waits until its stderr holds `marker`, then `act`s.
CliResult runUntil(const test::TempDir& dir, const std::string& args, const std::string& marker,
                   const std::function<void(pid_t)>& act) {
    const std::string command = cliCommand(dir, args);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    bool seen = false;
    for (int i = 0; i < 600 && !seen; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        seen = test::readFile(dir / "stderr.txt").find(marker) != std::string::npos;
    }
    if (seen)
        act(child);
    else
        ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::readFile(dir / "stdout.txt"),
            test::readFile(dir / "stderr.txt")};
}

TEST(ControllerCli, DemoSetStreamedEveryLineOkAndEveryBlockOnItsSegmentEnd) {
    SKIP_WITHOUT_SIMULATOR();
    test::TempDir dir;
    makeDemoSet(dir);
    test::GrblSimPty sim(dir.path(), kStepsPerMm, 0);
    ASSERT_TRUE(sim.ready());
    const std::string controller = "--controller grbl:" + sim.device() + "@115200";

    CliResult r = cli(dir, "controller " + controller + " info");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("Banner: GrblHAL"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("RX buffer: 1024 bytes"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("X (X1): steps/mm 158 (Corvane 158)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("The controller matches Corvane's settings"), std::string::npos);

    r = cli(dir, "run " + controller + " --set '" + (dir / "demo").string() +
                     "' --speed 6.2 --pause-ms 500 --wire on");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::istringstream summary(r.out);
    std::string first;
    std::getline(summary, first);
    long acknowledged = 0, total = 0;
    ASSERT_EQ(std::sscanf(first.c_str(), "Cut complete: %ld of %ld lines acknowledged",
                          &acknowledged, &total),
              2)
        << r.out;
    EXPECT_EQ(acknowledged, total);
    EXPECT_NE(r.out.find("Final state: Idle at X0.000 Y0.000 Z0.000 A0.000"), std::string::npos);
    EXPECT_NE(r.out.find("wire off"), std::string::npos);
    EXPECT_NE(r.err.find("wire on"), std::string::npos) << r.err;  // seen while it cut
    // The demo's lead-out comes back to where the cut began.
    EXPECT_NE(r.out.find("Counted position: X1 0.000 Y1 0.000 X2 0.000 Y2 0.000 mm from where "
                         "the cut began"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Wire: off, as the controller last reported it"), std::string::npos);
    sim.stop();  // the block file complete

    // The controller's planned block ends against the decoded set's segment ends.
    test::TestMachine m;
    m.ws.settings.load(dir / "settings.txt");
    ASSERT_EQ(m.ws.settings.derived.StepsPerMm, kStepsPerMm);
    const Simulation decoded = simulateSet(m.ws, setPathsFor(m.ws, (dir / "demo").string()));
    std::vector<AxisSteps> ends;
    for (const DecodedSegment& s : decoded.decoded.segments)
        if (s.ticks > 0 && s.end != s.start) ends.push_back(s.end);
    std::istringstream blocks(test::readFile(sim.blocks()));
    std::size_t n = 0;
    double worst = 0;
    for (std::string line; std::getline(blocks, line); ++n) {
        double p[4];
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf, %lf, %lf, %lf", &p[0], &p[1], &p[2], &p[3]), 4);
        ASSERT_LT(n, ends.size());
        for (std::size_t a = 0; a < 4; ++a)
            worst = std::max(worst, std::fabs(p[a] - static_cast<double>(ends[n][a])));
    }
    EXPECT_EQ(n, ends.size());
    EXPECT_LE(worst, 0.5);
}

TEST(ControllerCli, AStepsPerMmMismatchIsRefusedWithBothValues) {
    SKIP_WITHOUT_SIMULATOR();
    test::TempDir dir;
    makeDemoSet(dir);
    test::GrblSimPty sim(dir.path(), 400, 0);
    ASSERT_TRUE(sim.ready());
    const std::string controller = "--controller grbl:" + sim.device();
    CliResult r = cli(dir, "controller " + controller + " info");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Refused: Steps/mm of axis X (X1) differ: the controller has $100=400, "
                         "Corvane's settings 158"),
              std::string::npos)
        << r.out;
    r = cli(dir, "run " + controller + " --set '" + (dir / "demo").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("$103=400, Corvane's settings 158"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Corvane will not cut on this controller."), std::string::npos);
    EXPECT_EQ(r.err.find("Streaming"), std::string::npos);

    r = cli(dir, "run --controller grbl:" + (dir / "no-such-tty").string());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no-such-tty"), std::string::npos) << r.err;
    r = cli(dir, "run --controller /dev/ttyUSB0");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("grbl:DEVICE[@BAUD]"), std::string::npos) << r.err;
}

TEST(ControllerCli, SigtermAndAPulledLineEndTheCutInRealTime) {
    SKIP_WITHOUT_SIMULATOR();
    test::TempDir dir;
    makeDemoSet(dir, false);
    const std::string run = "--set '" + (dir / "demo").string() + "' --speed 6.2 --wire on";
    {
        test::GrblSimPty sim(dir.path(), kStepsPerMm, 1);
        ASSERT_TRUE(sim.ready());
        const CliResult r = runUntil(dir, "run --controller grbl:" + sim.device() + " " + run,
                                     "Run at", [](pid_t pid) { ::kill(pid, SIGTERM); });
        EXPECT_EQ(r.exitCode, 128 + SIGTERM) << r.out << r.err;
        EXPECT_NE(r.out.find("Cut stopped"), std::string::npos) << r.out;
        const std::size_t final = r.out.find("Final state: ");
        ASSERT_NE(final, std::string::npos) << r.out;
        const std::string state = r.out.substr(final);
        EXPECT_TRUE(state.rfind("Final state: Idle", 0) == 0 ||
                    state.rfind("Final state: Alarm", 0) == 0)
            << state;
        EXPECT_NE(state.find("feed 0 mm/min"), std::string::npos) << state;
        EXPECT_NE(state.find("wire off"), std::string::npos) << state;
        // Stopped on the way: where the controller stands, counted from the start.
        EXPECT_NE(r.out.find("Counted position: X1 -"), std::string::npos) << r.out;
    }
    {
        test::GrblSimPty sim(dir.path(), kStepsPerMm, 1);
        ASSERT_TRUE(sim.ready());
        const CliResult r = runUntil(dir, "run --controller grbl:" + sim.device() + " " + run,
                                     "Run at", [&sim](pid_t) { sim.pullLine(); });
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        EXPECT_NE(r.err.find("was lost"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("The cut ended: the controller cannot be reached."),
                  std::string::npos);
        EXPECT_NE(r.out.find("Cut failed"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Counted position: not known"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("Wire: on, as the controller last reported it"), std::string::npos)
            << r.out;
    }
}

}  // namespace
}  // namespace corvane
