// The session against the firmware's own simulator on a pty, in real time: Pause (feed hold)
// mid-move and resume ends on the target or the firmware's known one step off it (said), the
// same program without a hold exactly on it, the slider's override shows in the status
// reports, Stop leaves the machine standing with the spindle off, and an error:N stops the
// stream with the firmware's message. Skipped where the simulator's sources are missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "controller/controller_address.h"
#include "controller/controller_program.h"
#include "controller/grbl_session.h"
#include "controller/serial_open.h"
#include "platform/monotonic_clock.h"
#include "support/grbl_sim.h"
#include "support/test_support.h"

namespace corvane {
namespace {

constexpr int kStepsPerMm = 158;

struct SimSession {
    explicit SimSession(double speed) : sim(dir.path(), kStepsPerMm, speed) {
        if (!sim.ready()) return;
        line = openSerialLine(ControllerAddress{sim.device(), kDefaultControllerBaud});
        session = std::make_unique<GrblSession>(*line, clock);
        identity = session->connect();
    }
    test::TempDir dir;
    test::GrblSimPty sim;
    RealClock clock;
    std::unique_ptr<SerialLine> line;
    std::unique_ptr<GrblSession> session;
    ControllerIdentity identity;
};

// Two seconds of cutting with the wire on: 20 mm at 10 mm/min... in inverse time, F30 = 2 s.
const std::array<double, 4> kTarget{20, 0, 20, 0};
const char* kProgram =
    "G21 G90 G93\nM3 S1000\nG1 X10 Y5 Z10 A5 F60\nG1 X20 Y0 Z20 A0 F30\nM5\nG94\nM2\n";

TEST(GrblSimSession, PauseResumeAndOverrideEndOnTheTarget) {
    SKIP_WITHOUT_SIMULATOR();
    SimSession s(1);
    ASSERT_TRUE(s.session);
    EXPECT_EQ(s.identity.rxBuffer, 1024);
    EXPECT_NEAR(s.identity.settings.at(100), kStepsPerMm, 1e-6);
    // Without a hold the program ends exactly on the target (first: a lost step stays lost).
    StreamControl plain;
    const StreamOutcome unheld = s.session->stream(streamLines(kProgram), plain);
    ASSERT_EQ(unheld.end, StreamEnd::Completed) << unheld.message;
    ASSERT_TRUE(unheld.finalStatus);
    for (std::size_t a = 0; a < 4; ++a)
        EXPECT_NEAR(unheld.finalStatus->position[a], kTarget[a], 0.0006) << "axis " << a;
    EXPECT_FALSE(unheld.endDifference);

    StreamControl control;
    bool held = false, resumed = false, overrideSeen = false;
    control.progress = [&](const StreamProgress& p) {
        if (!p.status) return;
        if (p.status->stateName() == "Run" && !held) {
            control.hold = held = true;
            control.feedOverride = 150;
        }
        if (p.status->state == "Hold:0" && !resumed) control.hold = false, resumed = true;
        if (p.status->hasOverrides && p.status->overrides[0] == 150) overrideSeen = true;
    };
    const StreamOutcome outcome = s.session->stream(streamLines(kProgram), control);
    ASSERT_EQ(outcome.end, StreamEnd::Completed) << outcome.message;
    EXPECT_TRUE(held && resumed);
    EXPECT_TRUE(overrideSeen);
    ASSERT_TRUE(outcome.finalStatus);
    EXPECT_EQ(outcome.finalStatus->stateName(), "Idle");
    // The firmware's known fault: a held block resumed loses one step on its minor axes in
    // about half of the runs. Each axis ends on the target or exactly one step off it, and the
    // stream says so whenever it is off; nothing else may hide behind that step.
    const double step = 1.0 / kStepsPerMm;
    bool off = false;
    for (std::size_t a = 0; a < 4; ++a) {
        const double d = outcome.finalStatus->position[a] - kTarget[a];
        EXPECT_TRUE(std::fabs(d) < 0.0006 || std::fabs(std::fabs(d) - step) < 0.0006)
            << "axis " << a << " off by " << d;
        if (std::fabs(d) >= 0.0006) {
            off = true;
            ASSERT_TRUE(outcome.endDifference);
            EXPECT_NEAR((*outcome.endDifference)[a], d, 1e-9);
        }
    }
    EXPECT_EQ(outcome.endDifference.has_value(), off);
    EXPECT_TRUE(outcome.held);
    if (outcome.endDifference) {
        EXPECT_NE(endDifferenceText(*outcome.endDifference).find("loses a step"),
                  std::string::npos);
    }

    EXPECT_FALSE(outcome.finalStatus->spindleOn);
}

TEST(GrblSimSession, StopHoldsThenResetsWithTheSpindleOffAndErrorsStopTheStream) {
    SKIP_WITHOUT_SIMULATOR();
    SimSession s(1);
    ASSERT_TRUE(s.session);
    StreamControl control;
    bool wireWasOn = false;
    control.progress = [&](const StreamProgress& p) {
        if (p.status && p.status->stateName() == "Run" && p.status->spindleOn) {
            wireWasOn = true;
            control.stop = true;
        }
    };
    StreamOutcome outcome = s.session->stream(streamLines(kProgram), control);
    EXPECT_EQ(outcome.end, StreamEnd::Stopped);
    EXPECT_TRUE(wireWasOn);
    const auto after = s.session->queryStatus();
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->moving()) << after->state;
    EXPECT_FALSE(after->spindleOn);
    EXPECT_GT(after->position[0], 0.0);  // stopped on the way, not at the end
    EXPECT_LT(after->position[0], 20.0);

    // An alarm after the reset is the operator's to clear; the next program then fails on
    // its third line (no F in inverse-time mode) and nothing after it is planned.
    if (after->stateName() == "Alarm") {
        ASSERT_EQ(s.session->command("$X").kind, grbl::ReplyKind::Ok);
    }
    const std::string blocksBefore = test::readFile(s.sim.blocks());
    StreamControl plain;
    outcome =
        s.session->stream(streamLines("G21 G90 G93\nG1 X1 F600\nG1 X2\nG1 X3 F600\nG94\n"), plain);
    EXPECT_EQ(outcome.end, StreamEnd::Error);
    EXPECT_EQ(outcome.code, 22);
    EXPECT_EQ(outcome.failedLine.number, 3);
    EXPECT_EQ(outcome.message,
              "error:22 on line 3 \"G1 X2\": Feed rate has not yet been set or is undefined.");
    ASSERT_TRUE(outcome.finalStatus);
    EXPECT_FALSE(outcome.finalStatus->moving());
    // At most the move before the failed line was planned (the reset may drop it before the
    // simulator reports it): neither X2 nor X3.
    const std::string blocks = test::readFile(s.sim.blocks());
    EXPECT_LE(std::count(blocks.begin(), blocks.end(), '\n'),
              std::count(blocksBefore.begin(), blocksBefore.end(), '\n') + 1)
        << blocks;
}

}  // namespace
}  // namespace corvane
