// The tick loops: Stop ends a move at its next test (also when another window's move runs
// inside it), a second move command of the same window is ignored, a continuous move sends at
// least one step, and a JogSpeed of 0 refuses the move before any step.
#include "manual/manual_mover.h"

#include <gtest/gtest.h>

#include "machine/controller_connection.h"
#include "manual/jog_moves.h"
#include "manual/manual_test_rig.h"

namespace corvane {
namespace {

using testing::ManualRig;

// A controller that records its jogs and reports them moved in full.
struct JogRecorder : ControllerConnection {
    std::vector<std::array<double, 4>> jogs;
    std::function<void()> duringJog = [] {};
    std::string describe() const override { return "recorder"; }
    ControllerCutResult runCut(Fixed4, double, bool, ControllerControls&,
                               const std::function<void()>&,
                               const std::function<void(const ControllerProgress&)>&) override {
        return {};
    }
    std::string switchWire(bool) override { return {}; }
    ControllerJog jog(const std::array<double, 4>& deltaMm, double, const std::function<bool()>&,
                      const std::function<void()>&) override {
        jogs.push_back(deltaMm);
        duringJog();
        ControllerJog done;
        done.moved = deltaMm;
        return done;
    }
    void hold(bool) override {}
    void softReset() noexcept override {}
};

TEST(ManualMoverStop, StopEndsDistanceAndContinuousMovesAtTheNextTest) {
    ManualRig rig;
    ManualMover mover;
    int ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 10) mover.requestStop();
    };
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 158), MoveOutcome::Stopped);
    EXPECT_EQ(rig.decode().bytes.size(), 10u);

    // Stop while idle only sets the flag; the next move clears it and runs.
    mover.requestStop();
    rig.port.clearOperations();
    ticks = -1000;
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 5), MoveOutcome::Completed);
    EXPECT_EQ(rig.decode().bytes.size(), 5u);

    // Continuous: yield, step, test; Stop in the 25th yield still lets that tick's step out.
    rig.port.clearOperations();
    ticks = -25 + 10;
    EXPECT_EQ(mover.continuousMove(rig.ws, 12), MoveOutcome::Stopped);
    EXPECT_EQ(rig.decode().bytes.size(), 25u);
    EXPECT_EQ(mover.stepsSent(), 25);

    // Stop already requested in the first yield: at least one step is sent.
    rig.port.clearOperations();
    rig.ws.yield = [&] { mover.requestStop(); };
    EXPECT_EQ(mover.continuousMove(rig.ws, 12), MoveOutcome::Stopped);
    EXPECT_EQ(rig.decode().bytes.size(), 1u);
}

TEST(ManualMoverStop, MoveCommandDuringAMoveOfTheSameWindowIsIgnored) {
    ManualRig rig;
    ManualMover mover;
    int ticks = 0;
    std::vector<MoveOutcome> nested;
    rig.ws.yield = [&] {
        ++ticks;
        // Key repeats of a held arrow key and clicks on other buttons of the window.
        if (ticks == 3) nested.push_back(mover.continuousMove(rig.ws, 48));
        if (ticks == 4) nested.push_back(mover.distanceMove(rig.ws, 12, 50));
        if (ticks == 5) nested.push_back(mover.runPlan(rig.ws, {1, 2, 3}));
        if (ticks == 40) mover.requestStop();
    };
    EXPECT_EQ(mover.continuousMove(rig.ws, 2), MoveOutcome::Stopped);
    EXPECT_EQ(nested, std::vector<MoveOutcome>(3, MoveOutcome::Ignored));
    const auto decoded = rig.decode();
    EXPECT_EQ(decoded.bytes, std::vector<uint8_t>(40, 2));
    EXPECT_FALSE(mover.moving());
}

TEST(ManualMoverStop, StopEndsAMoveStartedInsideAnotherWindowsMoveAndThenTheOuterOne) {
    ManualRig rig;
    ManualMover outer;  // e.g. the single-axis window, moving X1 back
    ManualMover inner;  // the manual-control window, started from a nested click
    int ticks = 0;
    MoveOutcome innerOutcome{};
    rig.ws.yield = [&] {
        ++ticks;
        if (ticks == 3) innerOutcome = inner.continuousMove(rig.ws, 12);
        if (ticks == 20) inner.requestStop();
        if (ticks == 30) outer.requestStop();
    };
    EXPECT_EQ(outer.distanceMove(rig.ws, 3, 1000), MoveOutcome::Stopped);
    EXPECT_EQ(innerOutcome, MoveOutcome::Stopped);
    const auto bytes = rig.decode().bytes;
    // Outer ticks 1-3, inner ticks 4-20 (its 17 steps), outer resumes up to the stop at 30.
    std::vector<uint8_t> expected(3, 3);
    expected.insert(expected.end(), 17, 12);
    expected.insert(expected.end(), 10, 3);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(inner.stepsSent(), 17);
    EXPECT_FALSE(outer.moving());
    EXPECT_FALSE(inner.moving());
}

TEST(ManualMoverKind, EachMoveGoesToTheConnectionChosenWhenItStarts) {
    ManualRig rig;
    ManualMover mover;
    JogRecorder controller;
    rig.ws.position.HomeSet = true;
    rig.ws.controller = &controller;
    // A nested move of the same window is ignored whatever kind it would run on.
    std::vector<MoveOutcome> nested;
    controller.duringJog = [&] {
        rig.ws.controller = nullptr;
        nested.push_back(mover.distanceMove(rig.ws, 2, 5));
        rig.ws.controller = &controller;
    };
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 158), MoveOutcome::Completed);
    ASSERT_EQ(controller.jogs.size(), 1u);
    EXPECT_DOUBLE_EQ(controller.jogs[0][0], -1.0);  // 158 steps forward on X1
    EXPECT_EQ(nested, std::vector<MoveOutcome>{MoveOutcome::Ignored});
    EXPECT_TRUE(rig.port.operations().empty());
    EXPECT_NEAR(rig.ws.position.Position.X1, -1.0, 1e-6);

    // The controller dropped while the window stays open: the next move ticks the port.
    rig.ws.controller = nullptr;
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 5), MoveOutcome::Completed);
    EXPECT_EQ(rig.decode().bytes, std::vector<uint8_t>(5, 2));
    EXPECT_EQ(controller.jogs.size(), 1u);
    EXPECT_FALSE(mover.moving());
}

TEST(ManualMoverSpeed, JogSpeedZeroRefusesBeforeAnyStepAndEndsARunningMoveCleanly) {
    ManualRig rig;
    ManualMover mover;
    rig.ws.motion.JogSpeed = Fixed4::fromInt(0);
    EXPECT_TRUE(jogSpeedIsZero(rig.ws));
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 158), MoveOutcome::SpeedZero);
    EXPECT_EQ(mover.continuousMove(rig.ws, 2), MoveOutcome::SpeedZero);
    EXPECT_EQ(mover.runPlan(rig.ws, {2, 2, 2}), MoveOutcome::SpeedZero);
    EXPECT_TRUE(rig.port.operations().empty());  // not even a step-bit clear
    EXPECT_FALSE(mover.moving());

    // The slider dragged to 0 during a move: the move ends before the next step, no throw.
    rig.ws.motion.JogSpeed = Fixed4::fromInt(1);
    int ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 7) rig.ws.motion.JogSpeed = Fixed4::fromInt(0);
    };
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 158), MoveOutcome::SpeedZero);
    EXPECT_EQ(rig.decode().bytes.size(), 7u);
    EXPECT_EQ(rig.port.reg(testing::kDataPort) & 0xAA, 0);
}

TEST(ManualMoverSpeed, SpeedChangesTakeEffectFromTheNextTick) {
    ManualRig rig;
    ManualMover mover;
    int ticks = 0;
    rig.ws.yield = [&] {
        if (++ticks == 2) rig.ws.motion.JogSpeed = Fixed4::fromDouble(6.2);
    };
    EXPECT_EQ(mover.distanceMove(rig.ws, 2, 3), MoveOutcome::Completed);
    // 1000 / (158 x 6.2) - 1 = 0.0208 ms: the high time of the last tick.
    EXPECT_EQ(rig.ws.motion.StepHighTimeMs, Fixed4::fromDouble(0.0208));
}

}  // namespace
}  // namespace corvane
