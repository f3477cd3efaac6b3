// The script runner on the simulated port and the fake clock: the check pass that runs nothing,
// the integer interleave of "angle", step timing, pauses, speed lines, cut-file sets with delay
// points, Stop, errors that end one line but not the run, and the no-port refusal.
#include "script/script_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machine/workspace.h"
#include "manual/manual_test_rig.h"
#include "platform/simulated_port.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using testing::ManualRig;

const std::string F = kDirForward, B = kDirBack, D = kDirDown, U = kDirUp;

struct Rig : ManualRig {
    ScriptRunner runner{ws};
    std::vector<std::string> messages;
    std::vector<std::string> panel3;
    std::vector<int> selected;
    explicit Rig(const char* steps = "158") : ManualRig({}, steps) {
        runner.message = [this](const std::string& text, const std::string& title) {
            messages.push_back(title.empty() ? text : title + ": " + text);
        };
        runner.selectLine = [this](int index) { selected.push_back(index); };
        ws.showStatus = [this](int panel, const std::string& text) {
            if (panel == 2) panel2.push_back(text);
            if (panel == 3) panel3.push_back(text);
        };
    }
    ScriptOutcome run(const std::vector<std::string>& lines) { return runner.run(lines); }
};

TEST(ScriptRunner, AWrongLineStopsTheRunBeforeAnythingMoves) {
    Rig rig;
    const ScriptOutcome out =
        rig.run({"move,x," + F + ",3", "move,x,向前,3", "move,y," + U + ",1"});
    EXPECT_EQ(out.end, ScriptEnd::CheckFailed);
    EXPECT_EQ(out.failingLine, 2);
    EXPECT_EQ(rig.port.operations().size(), 0u);
    EXPECT_EQ(rig.messages, (std::vector<std::string>{"Script error in line 2 of Cutting Script"}));
    EXPECT_EQ(rig.selected, (std::vector<int>{1}));
    EXPECT_EQ(rig.panel3,
              (std::vector<std::string>{"Checking script, Line (1)", "Checking script, Line (2)"}));
}

// A number too large to read at all stops the check on its line with the run's error report,
// for the runner and for a speed, a move and an angle alike; nothing moves.
TEST(ScriptRunner, ANumberPastTheRangeOfADoubleFailsTheCheckOnItsLine) {
    for (const std::string& bad :
         {"move,x," + F + ",1e999", "angle,x," + F + ",-2d400,y," + U + ",1",
          std::string("speed,9e9999")}) {
        Rig rig;
        const ScriptOutcome out = rig.run({"move,x," + F + ",3", bad});
        EXPECT_EQ(out.end, ScriptEnd::CheckFailed) << bad;
        EXPECT_EQ(out.failingLine, 2) << bad;
        EXPECT_EQ(rig.selected, (std::vector<int>{1})) << bad;
        EXPECT_EQ(rig.messages,
                  (std::vector<std::string>{
                      "Error encountered, Error Number 6, Overflow\rModule Script, RS"}))
            << bad;
        EXPECT_TRUE(rig.port.operations().empty()) << bad;
    }
}

TEST(ScriptRunner, EmptyListAndNoPort) {
    Rig rig;
    ScriptOutcome out = rig.run({});
    EXPECT_EQ(out.end, ScriptEnd::Completed);
    EXPECT_EQ(rig.panel2, (std::vector<std::string>{""}));
    EXPECT_EQ(rig.panel3, (std::vector<std::string>{""}));
    EXPECT_TRUE(rig.messages.empty());

    rig.ws.settings.derived.DataPort = 0;
    ASSERT_FALSE(rig.ws.portKnown());
    out = rig.run({"move,x," + F + ",3"});
    EXPECT_EQ(out.end, ScriptEnd::Refused);
    ASSERT_EQ(rig.messages.size(), 1u);
    EXPECT_EQ(rig.messages[0], std::string("No Port: ") + rig.ws.portRefusal());
    EXPECT_TRUE(rig.port.operations().empty());
}

TEST(ScriptRunner, MovesSpeedAndStepTiming) {
    Rig rig("100");
    int speedShown = 0;
    rig.runner.speedChanged = [&] { ++speedShown; };
    const auto& d = rig.ws.settings.derived;
    const ScriptOutcome out =
        rig.run({"speed,2", "move,x1," + B + ",0.05", "move,y," + D + ",0.004",
                 "move,y," + D + ",-1", "speed,0.23456"});
    EXPECT_EQ(out.end, ScriptEnd::Completed);
    EXPECT_EQ(out.stats.linesRun, 5);
    EXPECT_EQ(out.stats.steps, 5);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(5, static_cast<uint8_t>(d.X1Back)));
    // 100 steps/mm at 2 mm/s: 4 ms high, 1 ms low.
    EXPECT_EQ(rig.ws.motion.StepHighTimeMs, Fixed4::fromInt(4));
    // The speed as written, to four decimals (not the slider's 0.2 grid).
    EXPECT_EQ(rig.ws.motion.JogSpeed.raw(), 2346);
    EXPECT_EQ(speedShown, 2);
    EXPECT_EQ(rig.panel3.back(), "");
    EXPECT_NE(std::find(rig.panel3.begin(), rig.panel3.end(), "Running script, Line (3)"),
              rig.panel3.end());
}

TEST(ScriptRunner, AngleInterleavesTheMinorPairOnItsRoundedCounter) {
    Rig rig("100");
    const auto& d = rig.ws.settings.derived;
    const uint8_t x = static_cast<uint8_t>(d.X1Forward + d.X2Forward);
    const uint8_t y = static_cast<uint8_t>(d.Y1Up + d.Y2Up);
    EXPECT_EQ(rig.run({"angle,x," + F + ",0.1,y," + U + ",0.04"}).end,
              ScriptEnd::Completed);  // sx = 10, sy = 4
    std::vector<uint8_t> expected;
    for (int i = 1; i <= 10; ++i) expected.push_back(i % 2 == 0 ? x + y : x);
    EXPECT_EQ(rig.decode().bytes, expected);

    rig.port.clearOperations();
    EXPECT_EQ(rig.run({"angle,x," + B + ",0.03,y," + D + ",0.07"}).end,
              ScriptEnd::Completed);  // Y dominant: sy = 7, sx = 3
    const auto steps = rig.decode();
    EXPECT_EQ(steps.count[1], 7);
    EXPECT_EQ(steps.count[3], 7);
    EXPECT_EQ(steps.count[0], steps.count[2]);
    EXPECT_GE(steps.count[0], 2);
    EXPECT_LE(steps.count[0], 3);

    rig.port.clearOperations();
    EXPECT_EQ(rig.run({"angle,x," + F + ",0.05,y," + U + ",0.05"}).end,
              ScriptEnd::Completed);  // 45 degrees: both every tick
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(5, static_cast<uint8_t>(x + y)));
}

// With keepGoing each failed move, angle, pause or cut is reported under its own name and the
// run goes on; the outcome lists the failed lines.
TEST(ScriptRunner, ErrorsInsideALineAreReportedAndKeepGoingRunsOn) {
    Rig rig("100");
    test::TempDir dir;
    const std::string missing = (dir / "gone.ct1").string();
    test::writeFile(dir / "gone.ct2", "1\r\n");
    rig.runner.keepGoing = true;
    const ScriptOutcome out =
        rig.run({"angle,x," + F + ",1,y," + U + ",0", "cut," + missing, "move,x," + F + ",1e9",
                 "pause,1e15", "move,y1," + U + ",0.02"});
    EXPECT_EQ(out.end, ScriptEnd::Completed);
    EXPECT_EQ(out.stats.failedLines, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(out.stats.linesRun, 5);
    EXPECT_EQ(linesRunSummary(out.stats), "5 lines run, lines failed: 1, 2, 3, 4");
    EXPECT_EQ(rig.messages,
              (std::vector<std::string>{
                  "Error encountered, Error Number 11, Division by zero\rModule Script, RA",
                  "Error encountered, Error Number 53, File not found\rModule Script, RC\r"
                  "Cut file: " +
                      missing,
                  "Error encountered, Error Number 6, Overflow\rModule Script, RM",
                  "Error encountered, Error Number 6, Overflow\rModule Script, RP"}));
    EXPECT_EQ(rig.decode().count[1], 2);  // the last line still ran
}

// By default the first failed instruction ends the run: a missing set, a step byte of 256 and an
// angle with one distance 0, each followed by a move that must not happen. The window's
// question decides instead when it is there.
TEST(ScriptRunner, AFailedLineStopsTheRunUnlessTheOperatorGoesOn) {
    test::TempDir dir;
    test::writeFile(dir / "gone.ct2", "1\r\n");
    test::writeFile(dir / "big.ct1", "1\r\n256\r\n");
    test::writeFile(dir / "big.ct2", "2\r\n");
    const std::string failing[] = {"cut," + (dir / "gone.ct1").string(),
                                   "cut," + (dir / "big.ct1").string(),
                                   "angle,x," + F + ",1,y," + U + ",0"};
    const std::string move = "move,y1," + U + ",0.02";
    for (const std::string& bad : failing) {
        Rig rig("100");
        const ScriptOutcome out = rig.run({"pause,1", bad, move});
        EXPECT_EQ(out.end, ScriptEnd::LineFailed) << bad;
        EXPECT_EQ(out.stats.failedLines, (std::vector<int>{2})) << bad;
        EXPECT_EQ(out.stats.linesRun, 2) << bad;
        EXPECT_EQ(rig.decode().count[1], 0) << bad;  // the move after it never ran
        ASSERT_EQ(rig.messages.size(), 1u) << bad;
        if (bad.starts_with("cut")) {
            EXPECT_NE(rig.messages[0].find("Cut file: " + bad.substr(4)), std::string::npos)
                << rig.messages[0];
        }

        Rig asked("100");
        std::vector<std::pair<int, std::string>> questions;
        asked.runner.askContinue = [&questions](int line, const std::string& text) {
            questions.emplace_back(line, text);
            return true;
        };
        const ScriptOutcome on = asked.run({"pause,1", bad, move});
        EXPECT_EQ(on.end, ScriptEnd::Completed) << bad;
        EXPECT_EQ(questions, (std::vector<std::pair<int, std::string>>{{2, bad}}));
        EXPECT_EQ(asked.decode().count[1], 2) << bad;
    }
}

TEST(ScriptRunner, PausesWaitTheirRoundedMilliseconds) {
    test::TestMachine m;  // a clock read is 1 us here
    ScriptRunner runner(m.ws);
    const int64_t before = m.clock.peek();
    EXPECT_EQ(runner.run({"pause,0.6"}).end, ScriptEnd::Completed);
    const int64_t oneMs = m.clock.frequency() / 1000;
    const int64_t waited = m.clock.peek() - before;
    EXPECT_GE(waited, oneMs);
    EXPECT_LT(waited, oneMs + oneMs / 10);
    EXPECT_TRUE(m.port.operations().empty());

    Rig rig;
    // A long pause lets the window system run and ends on Stop; the run ends before line 2.
    int yields = 0;
    rig.runner.yield = [&] {
        if (++yields == 3) rig.runner.requestStop();
    };
    const ScriptOutcome out = rig.run({"pause,60000", "move,x," + F + ",1"});
    EXPECT_EQ(out.end, ScriptEnd::Stopped);
    EXPECT_EQ(yields, 4);  // the third slice's yield, then the one after the line
    EXPECT_TRUE(rig.port.operations().empty());
}

TEST(ScriptRunner, StopEndsTheMoveAfterItsStepAndTheRunBeforeTheNextLine) {
    Rig rig;
    int ticks = 0;
    rig.runner.yield = [&] {
        if (++ticks == 7) rig.runner.requestStop();
    };
    const ScriptOutcome out = rig.run({"move,x," + F + ",10", "move,y," + U + ",10"});
    EXPECT_EQ(out.end, ScriptEnd::Stopped);
    EXPECT_EQ(out.stats.steps, 7);
    EXPECT_EQ(rig.decode().bytes.size(), 7u);
    EXPECT_EQ(rig.panel3.back(), "");
    EXPECT_EQ(rig.panel2.back(), "");
}

TEST(ScriptRunner, ACutSetOutputsEveryTickAndWaitsAtItsDelayPoints) {
    Rig rig;
    test::TempDir dir;
    std::string steps;
    for (int k = 1; k <= 201; ++k) steps += std::to_string(k % 2 ? 0x0A : 0x22) + "\r\n";
    test::writeFile(dir / "set.ct1", steps);
    test::writeFile(dir / "set.ct2", "101\r\n0\r\n201\r\n");
    std::vector<int64_t> outTimes;
    rig.port.setObserver([&](const PortOperation& op) {
        if (op.kind == PortOperation::Kind::Out) outTimes.push_back(rig.clock.peek());
    });
    rig.runner.delayText = [] { return "250"; };
    const ScriptOutcome out = rig.run({"cut," + (dir / "set.ct1").string()});
    EXPECT_EQ(out.end, ScriptEnd::Completed);
    EXPECT_EQ(out.stats.steps, 201);
    ASSERT_EQ(outTimes.size(), 201u);
    EXPECT_EQ(rig.ws.motion.DelayWaitMs, Fixed4::fromInt(250));
    const int64_t ms = rig.clock.frequency() / 1000;
    EXPECT_GE(outTimes[101] - outTimes[100], 250 * ms);  // between tick 101 and tick 102
    EXPECT_LT(outTimes[100] - outTimes[99], 20 * ms);
    EXPECT_EQ(rig.panel2,
              (std::vector<std::string>{"Processing cut file step 1 of 201",
                                        "Processing cut file step 102 of 201", "", ""}));

    // A short step file ends the set through its error report; the panel is cleared.
    test::writeFile(dir / "set.ct1", "10\r\n");
    rig.panel2.clear();
    // The error report and the cleared panel are what this case checks.
    (void)rig.run({"cut," + (dir / "set.ct1").string()});
    EXPECT_EQ(rig.messages.back(),
              "Error encountered, Error Number 62, Input past end of file\rModule Script, RC\r"
              "Cut file: " +
                  (dir / "set.ct1").string());
    EXPECT_EQ(rig.panel2.back(), "");
}

// A standstill shorter than the hold limit (a pause line before a cut, a delay point inside
// one) must not leave the next ticks racing to make it up: they keep their full period.
TEST(ScriptRunner, TicksAfterAShortPauseOrDelayPointKeepTheirPeriod) {
    test::TempDir dir;
    std::string steps;
    for (int k = 1; k <= 40; ++k) steps += std::to_string(k % 2 ? 0x0A : 0x22) + "\r\n";
    test::writeFile(dir / "set.ct1", steps);
    test::writeFile(dir / "set.ct2", "20\r\n0\r\n40\r\n");
    const std::string cut = "cut," + (dir / "set.ct1").string();
    const std::string move = "move,x," + F + ",0.1";
    for (const std::vector<std::string>& script :
         {std::vector<std::string>{cut}, std::vector<std::string>{move, "pause,30", cut},
          std::vector<std::string>{move, "pause,5", cut}}) {
        SCOPED_TRACE(script.size() == 1 ? "delay point" : script[1]);
        test::TestMachine m;  // a clock read is 1 us
        ScriptRunner runner(m.ws);
        runner.delayText = [] { return "30"; };
        std::vector<int64_t> writes;
        m.port.setObserver([&](const PortOperation& op) {
            if (op.kind == PortOperation::Kind::Out) writes.push_back(m.clock.peek());
        });
        ASSERT_EQ(runner.run(script).end, ScriptEnd::Completed);
        // 158 steps/mm at the jog speed of 1 mm/s: 6.33 ms a tick.
        const int64_t period = 1'000'000'000 / 158;
        int shortTicks = 0;
        for (size_t k = 1; k < writes.size(); ++k)
            if (writes[k] - writes[k - 1] < period - 50'000) ++shortTicks;
        EXPECT_EQ(shortTicks, 0) << "ticks raced after the standstill";
    }
}

}  // namespace
}  // namespace corvane
