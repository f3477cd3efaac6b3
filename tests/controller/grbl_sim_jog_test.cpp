// Jogs, return moves and waypoints on the firmware's simulator through the same mover the jog
// and return windows use: a distance as one $J= move, a continuous move cancelled (0x85) by the
// stop flag, and the return-home plan as one straight move back to the start, the counted
// position following what the controller moved. Skipped where the simulator's sources are
// missing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "controller/controller_choice.h"
#include "controller/grbl_connection.h"
#include "manual/manual_mover.h"
#include "manual/move_plan.h"
#include "platform/monotonic_clock.h"
#include "support/grbl_sim.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST(GrblSimJog, DistanceContinuousAndReturnHomeMoveTheController) {
    SKIP_WITHOUT_SIMULATOR();
    test::TestMachine m;  // 158 steps/mm
    test::GrblSimPty sim(m.dir.path(), 158, 1);
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
    const double step = 1.0 / 158;
    const DerivedSettings& d = ws.settings.derived;

    ManualMover mover;
    EXPECT_EQ(mover.distanceMove(ws, static_cast<uint8_t>(d.X1Back), 395), MoveOutcome::Completed)
        << mover.controllerError();
    EXPECT_NEAR(ws.position.Position.X1, 2.5, step);
    EXPECT_EQ(m.port.operations().size(), 0u);  // nothing went to the port

    int turns = 0;
    ws.yield = [&] {
        if (++turns == 5) mover.requestStop();
    };
    EXPECT_EQ(mover.continuousMove(ws, static_cast<uint8_t>(d.Y1Up)), MoveOutcome::Stopped);
    const float y1 = ws.position.Position.Y1;
    EXPECT_GT(y1, 0.0f);
    EXPECT_LT(y1, 100.0f);  // cancelled long before its end
    ws.yield = [] {};

    const std::vector<uint8_t> home = buildMovePlan(d, ws.position.Position, AxisPosition{}, true);
    EXPECT_EQ(mover.runPlan(ws, home), MoveOutcome::Completed) << mover.controllerError();
    EXPECT_NEAR(ws.position.Position.X1, 0, step);
    EXPECT_NEAR(ws.position.Position.Y1, 0, step);
    GrblSession* session = controller.session();
    ASSERT_NE(session, nullptr);
    const auto status = session->queryStatus();
    ASSERT_TRUE(status);
    EXPECT_EQ(status->stateName(), "Idle");
    EXPECT_NEAR(status->position[0], 0, step);
    EXPECT_NEAR(status->position[1], 0, step);
}

}  // namespace
}  // namespace corvane
