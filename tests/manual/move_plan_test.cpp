// Return-home and waypoint plans: the worked example, the invariants of every plan (each axis
// makes exactly its step count, the last step falls on the last tick, direction levels never
// change), a complete run landing on the target, and the program-wide plan's life cycle.
#include "manual/move_plan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "common/run_error.h"
#include "machine/position.h"
#include "manual/jog_moves.h"
#include "manual/manual_mover.h"
#include "manual/manual_test_rig.h"

namespace corvane {
namespace {

using testing::ManualRig;

TEST(MovePlan, ReturnHomeAfterX1BackOneAndY1UpHalfAMillimetre) {
    // X2 and Y2 reversed, so their forward and down levels are high bits that must show.
    ManualRig rig({false, false, true, true});
    rig.setHome();
    ManualMover mover;
    const auto& d = rig.ws.settings.derived;
    ASSERT_EQ(
        mover.distanceMove(rig.ws, axisMoveByte(d, AxisMove::X1Back), distanceSteps(158, "1")),
        MoveOutcome::Completed);
    ASSERT_EQ(
        mover.distanceMove(rig.ws, axisMoveByte(d, AxisMove::Y1Up), distanceSteps(158, "0.5")),
        MoveOutcome::Completed);

    planMove(rig.ws, PlanTarget::Home);
    const std::vector<uint8_t>& plan = rig.ws.movePlan.bytes;
    ASSERT_EQ(plan.size(), 158u);
    const uint8_t x1Forward = 0x02, y1Down = 0x08, x2ForwardDir = 0x10, y2DownDir = 0x40;
    for (int i = 1; i <= 158; ++i) {
        const uint8_t expected = x1Forward | (i % 2 == 0 ? y1Down : 0) | x2ForwardDir | y2DownDir;
        ASSERT_EQ(plan[i - 1], expected) << "tick " << i;
    }

    rig.port.clearOperations();
    EXPECT_EQ(mover.runPlan(rig.ws, plan), MoveOutcome::Completed);
    const auto decoded = rig.decode();
    EXPECT_EQ(decoded.net[0], -158);
    EXPECT_EQ(decoded.net[1], -79);
    EXPECT_EQ(decoded.count[2] + decoded.count[3], 0);
    const auto& p = rig.ws.position.Position;
    const double halfStep = 0.5 / 158;
    EXPECT_LE(std::fabs(p.X1), halfStep);
    EXPECT_LE(std::fabs(p.Y1), halfStep);
    EXPECT_EQ(rig.panel1.back(), "X1, Y1 = 00000.000, 00000.000   X2, Y2 = 00000.000, 00000.000");
}

// Seeded random positions and targets, random reversals: the plan's invariants, then the run.
TEST(MovePlan, RandomPlansStepEveryAxisExactlyAndLandWithinHalfAStep) {
    std::mt19937 rng(20261208);
    std::uniform_real_distribution<float> mm(-6.0f, 6.0f);
    std::bernoulli_distribution coin(0.5);
    for (int round = 0; round < 60; ++round) {
        ManualRig rig({coin(rng), coin(rng), coin(rng), coin(rng)});
        rig.setHome();
        const AxisPosition from{mm(rng), mm(rng), mm(rng), mm(rng)};
        AxisPosition to{mm(rng), mm(rng), mm(rng), mm(rng)};
        if (round % 5 == 0) to.Y2 = from.Y2;  // an axis standing still
        const PlanTarget target = round % 3 == 0   ? PlanTarget::Home
                                  : round % 3 == 1 ? PlanTarget::WayPoint1
                                                   : PlanTarget::WayPoint2;
        if (target == PlanTarget::Home) to = AxisPosition{};
        if (target == PlanTarget::WayPoint1) rig.ws.position.WayPoint1 = to;
        if (target == PlanTarget::WayPoint2) rig.ws.position.WayPoint2 = to;
        rig.ws.position.Position = from;
        int yields = 0;
        rig.ws.yield = [&] { ++yields; };

        planMove(rig.ws, target);
        const std::vector<uint8_t> plan = rig.ws.movePlan.bytes;
        const PlanStepCounts n =
            planStepCounts(rig.ws.settings.derived, from, to, target == PlanTarget::Home);
        const int32_t counts[4] = {n.X1, n.Y1, n.X2, n.Y2};
        const int32_t ticks = *std::max_element(counts, counts + 4);
        ASSERT_EQ(static_cast<int32_t>(plan.size()), ticks) << "round " << round;
        EXPECT_EQ(yields, ticks);  // planning yields once per tick

        const float fromA[4] = {from.X1, from.Y1, from.X2, from.Y2};
        const float toA[4] = {to.X1, to.Y1, to.X2, to.Y2};
        for (int a = 0; a < 4; ++a) {
            const double exact = std::fabs(static_cast<double>(toA[a]) - fromA[a]) * 158;
            EXPECT_LE(std::fabs(exact - counts[a]), 0.5 + 1e-6) << "round " << round;
            int32_t steps = 0;
            int lastStep = 0;
            for (int i = 0; i < ticks; ++i) {
                // The direction level stays the same for the whole move.
                ASSERT_EQ(plan[i] >> (2 * a) & 1, plan[0] >> (2 * a) & 1);
                if (plan[i] >> (2 * a + 1) & 1) {
                    ++steps;
                    lastStep = i + 1;
                    // No step earlier than its even share allows, none more than a tick late.
                    const double ideal = std::ceil(static_cast<double>(steps) * ticks / counts[a]);
                    ASSERT_NEAR(lastStep, ideal, 1.0) << "round " << round << " axis " << a;
                }
            }
            EXPECT_EQ(steps, counts[a]) << "round " << round << " axis " << a;
            if (counts[a] > 0) {
                EXPECT_EQ(lastStep, ticks) << "round " << round << " axis " << a;
            }
        }

        ManualMover mover;
        ASSERT_EQ(mover.runPlan(rig.ws, plan), MoveOutcome::Completed);
        const auto decoded = rig.decode();
        const AxisPosition& p = rig.ws.position.Position;
        const float got[4] = {p.X1, p.Y1, p.X2, p.Y2};
        for (int a = 0; a < 4; ++a) {
            // The decoded steps land within half a step; the counted single-precision position
            // also carries the rounding of its repeated additions.
            const double decodedMm = fromA[a] + decoded.net[a] / 158.0;
            EXPECT_LE(std::fabs(decodedMm - toA[a]), 0.5 / 158 + 1e-6) << "round " << round;
            EXPECT_LE(std::fabs(got[a] - toA[a]), 0.5 / 158 + 2e-5) << "round " << round;
        }
    }
}

TEST(MovePlan, LastThresholdAboveTheLastTickStillTakesTheLastStep) {
    // 13 ticks and 7 steps: 13/7 added seven times comes to a hair above 13.
    ManualRig rig;
    const AxisPosition from{13.0f / 158, 7.0f / 158, 0, 0};
    const auto plan = buildMovePlan(rig.ws.settings.derived, from, AxisPosition{}, true);
    ASSERT_EQ(plan.size(), 13u);
    int y1Steps = 0;
    for (uint8_t b : plan) y1Steps += b >> 3 & 1;
    EXPECT_EQ(y1Steps, 7);
    EXPECT_EQ(plan.back() >> 3 & 1, 1);
}

TEST(MovePlan, AnOwedStepNeverLandsOnATickWhereItsAxisAlreadyStepped) {
    // One step fewer than the longest axis over 371309 ticks: the repeated addition drifts
    // enough that the last two steps of X1 both fall due on the last tick.
    ManualRig rig;
    const DerivedSettings& d = rig.ws.settings.derived;
    const AxisPosition from{371308.0f / 158, 0, 371309.0f / 158, 0};
    const PlanStepCounts n = planStepCounts(d, from, AxisPosition{}, true);
    ASSERT_EQ(n.X1, 371308);
    ASSERT_EQ(n.X2, 371309);
    const auto plan = buildMovePlan(d, from, AxisPosition{}, true);
    ASSERT_EQ(plan.size(), 371309u);
    int x1 = 0, x2 = 0;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const bool s1 = (plan[i] & d.X1.StepMask) != 0, s2 = (plan[i] & d.X2.StepMask) != 0;
        x1 += s1;
        x2 += s2;
        const unsigned expected = (s1 ? d.X1Forward : d.X1ForwardDir) + d.Y1DownDir +
                                  (s2 ? d.X2Forward : d.X2ForwardDir) + d.Y2DownDir;
        ASSERT_EQ(plan[i], expected) << "tick " << i + 1;
    }
    EXPECT_EQ(x1, n.X1);
    EXPECT_EQ(x2, n.X2);
}

TEST(MovePlan, SmallDifferencesAndEqualPositionsGiveNoSteps) {
    ManualRig rig;
    const auto& d = rig.ws.settings.derived;
    const AxisPosition here{1.5f, -2.0f, 0.25f, 3.0f};
    EXPECT_TRUE(buildMovePlan(d, here, here, false).empty());
    // Less than half a step (0.0031 mm < 0.5 / 158) on X1: no step at all.
    const AxisPosition near{1.5031f, -2.0f, 0.25f, 3.0f};
    EXPECT_TRUE(buildMovePlan(d, here, near, false).empty());
    // Waypoint above the position: X back and Y up.
    const AxisPosition above{1.5f + 2.0f / 158, -2.0f + 1.0f / 158, 0.25f, 3.0f};
    const auto plan = buildMovePlan(d, here, above, false);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0], 0x03 | 0x04);         // X1 back step, Y1 up level
    EXPECT_EQ(plan[1], 0x03 | 0x04 | 0x08);  // X1 back step, Y1 up step
}

TEST(MovePlan, ProgramWidePlanIsReplacedAndAFailedPlanLeavesNothingToRun) {
    ManualRig rig;
    rig.setHome();
    rig.ws.position.Position = AxisPosition{1, 0, 0, 0};
    rig.ws.position.WayPoint1 = AxisPosition{1, 0.5f, 0, 0};
    planMove(rig.ws, PlanTarget::Home);
    EXPECT_EQ(rig.ws.movePlan.bytes.size(), 158u);
    planMove(rig.ws, PlanTarget::WayPoint1);
    EXPECT_EQ(rig.ws.movePlan.bytes.size(), 79u);  // the latest plan replaces the first

    // Y1 wired to Y2's pins: a tick stepping both Y axes overflows the byte (192 + 192).
    rig.ws.settings.fields.y1_dir = "Pin 8";
    rig.ws.settings.fields.y1_step = "Pin 9";
    rig.ws.settings.derive();
    rig.ws.position.Position = AxisPosition{};
    rig.ws.position.WayPoint2 = AxisPosition{0, 1, 0, 1};
    try {
        planMove(rig.ws, PlanTarget::WayPoint2);
        FAIL() << "expected an overflow";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_TRUE(rig.ws.movePlan.bytes.empty());

    // A step count beyond 32 bits.
    rig.ws.position.Position = AxisPosition{2e7f, 0, 0, 0};
    EXPECT_THROW(planMove(rig.ws, PlanTarget::Home), RunError);
    EXPECT_TRUE(rig.ws.movePlan.bytes.empty());
}

TEST(MovePlan, VariantTextsAndTargets) {
    EXPECT_STREQ(planVariant(PlanTarget::Home).errorLabel, "Module Main, RH");
    EXPECT_STREQ(planVariant(PlanTarget::WayPoint1).startCaption, "Move  WayPoint #1");
    EXPECT_STREQ(planVariant(PlanTarget::WayPoint2).runEndStatus,
                 "Move to Waypoint #2 Complete...");
    ManualRig rig;
    rig.ws.position.WayPoint2 = AxisPosition{1, 2, 3, 4};
    EXPECT_EQ(planTargetPosition(rig.ws, PlanTarget::WayPoint2), (AxisPosition{1, 2, 3, 4}));
    EXPECT_EQ(planTargetPosition(rig.ws, PlanTarget::Home), AxisPosition{});
}

}  // namespace
}  // namespace corvane
