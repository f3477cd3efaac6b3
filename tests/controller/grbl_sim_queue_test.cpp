// On the firmware's simulator in real time: the motion sent beyond the line the machine executes
// stays within the stream's bound of time (what a dead PC leaves the controller to do), the
// lines counted done follow the machine, not the controller's acknowledgements, and a held jog
// is short jogs renewed, so a pulled cable leaves at most one short jog planned. Skipped where
// the simulator's sources are missing.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "controller/controller_address.h"
#include "controller/controller_choice.h"
#include "controller/grbl_connection.h"
#include "controller/grbl_session.h"
#include "controller/serial_open.h"
#include "manual/manual_mover.h"
#include "platform/monotonic_clock.h"
#include "support/grbl_sim.h"
#include "support/test_support.h"

namespace corvane {
namespace {

constexpr int kStepsPerMm = 158;

TEST(GrblSimQueue, QueuedMotionIsBoundedByTimeAndProgressFollowsTheMachine) {
    SKIP_WITHOUT_SIMULATOR();
    // 24 moves of 0.5 mm and 0.25 s each along X: line k ends at X = k/2. With N words the
    // board reports the line it executes (Ln:); without, the position on the path tells.
    for (const bool numbered : {true, false}) {
        test::TempDir dir;
        test::GrblSimPty sim(dir.path(), kStepsPerMm, 1);
        ASSERT_TRUE(sim.ready());
        RealClock clock;
        const auto line = openSerialLine(ControllerAddress{sim.device(), kDefaultControllerBaud});
        GrblSession session(*line, clock);
        session.connect();
        std::vector<ProgramLine> lines{{1, "G21 G90 G93"}};
        for (int k = 1; k <= 24; ++k) {
            std::ostringstream text;
            if (numbered) text << "N" << k + 1 << " ";
            text << "G1 X" << k * 0.5 << " F240";
            lines.push_back({k + 1, text.str()});
        }
        lines.push_back({26, "G94"});
        StreamControl control;
        control.queuedSeconds = 1;
        std::size_t mostAhead = 0, reports = 0;
        control.progress = [&](const StreamProgress& p) {
            if (!p.status || p.status->stateName() != "Run") return;
            ++reports;
            // The move the machine is on: lines[k] runs from X (k-1)/2 to k/2.
            const double x = p.status->position[0];
            const std::size_t on = static_cast<std::size_t>(std::floor(x / 0.5)) + 1;
            mostAhead = std::max(mostAhead, p.sent > on ? p.sent - on : 0);
            // Done is at most the moves behind it, and not far behind them.
            EXPECT_LE(p.executed, on + 1) << "x " << x;
            EXPECT_GE(p.executed + 4, on) << "x " << x;
        };
        const StreamOutcome outcome = session.stream(lines, control);
        ASSERT_EQ(outcome.end, StreamEnd::Completed) << outcome.message;
        EXPECT_GT(reports, 20u);
        // 1 s of motion is 4 moves; one more goes with the bound, and the reports lag.
        EXPECT_LE(mostAhead, 7u) << (numbered ? "numbered" : "by position");
        EXPECT_LE(outcome.mostQueuedSeconds, 1.3);
        ASSERT_TRUE(outcome.finalStatus);
        EXPECT_NEAR(outcome.finalStatus->position[0], 12, 1.0 / kStepsPerMm);
    }
}

// The furthest X the simulator planned, from its block file (steps).
double furthestPlannedY(const std::filesystem::path& blocks) {
    std::ifstream in(blocks);
    double most = 0;
    for (std::string row; std::getline(in, row);) {
        std::istringstream fields(row);
        double x = 0, y = 0;
        char comma = 0;
        if (fields >> x >> comma >> y) most = std::max(most, std::fabs(y));
    }
    return most / kStepsPerMm;
}

TEST(GrblSimQueue, AHeldJogIsRenewedShortJogsAndAPulledCableLosesThePosition) {
    SKIP_WITHOUT_SIMULATOR();
    test::TestMachine m;
    test::GrblSimPty sim(m.dir.path(), kStepsPerMm, 1);
    ASSERT_TRUE(sim.ready());
    RealClock clock;
    Workspace ws(m.dir.path(), m.port, clock);
    ws.settings = m.ws.settings;
    ControllerChoice choice;
    choice.address = "grbl:" + sim.device();
    GrblConnection controller(ws, choice);
    ws.controller = &controller;
    ws.position.HomeSet = true;
    ws.motion.JogSpeed = Fixed4::fromInt(5);
    std::string status2;
    ws.showStatus = [&](int panel, const std::string& text) {
        if (panel == 2) status2 = text;
    };
    ManualMover mover;
    const auto start = std::chrono::steady_clock::now();
    ws.yield = [&] {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(1500))
            sim.pullLine();
    };
    EXPECT_EQ(mover.continuousMove(ws, static_cast<uint8_t>(ws.settings.derived.Y1Up)),
              MoveOutcome::Stopped);
    // 1.5 s at 5 mm/s is 7.5 mm; a single long jog would have planned 2000.
    EXPECT_LT(furthestPlannedY(sim.blocks()), 7.5 + 2 * 1.25 + 0.5);
    EXPECT_GT(furthestPlannedY(sim.blocks()), 1.0);
    EXPECT_FALSE(ws.position.HomeSet);
    EXPECT_NE(status2.find("The position is not known"), std::string::npos) << status2;
}

}  // namespace
}  // namespace corvane
