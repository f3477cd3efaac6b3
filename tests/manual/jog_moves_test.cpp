// Distance moves and jog bytes: exactly round-half-even(StepsPerMm x distance) ticks of the
// button's byte, nothing for zero, negative or missing numbers, pair sums and their overflow.
#include "manual/jog_moves.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "machine/position.h"
#include "manual/manual_mover.h"
#include "manual/manual_test_rig.h"

namespace corvane {
namespace {

using testing::ManualRig;

TEST(DistanceMove, SendsRoundHalfEvenStepsOfTheButtonsByte) {
    struct Case {
        const char* text;
        int steps;
    };
    const Case cases[] = {{"1", 158},       {"2.5", 395}, {"0.0032", 1}, {"0.00316", 0},
                          {"-5", 0},        {"0", 0},     {"", 0},       {"abc", 0},
                          {" 1 .5mm", 237}, {"0.5", 79},  {"1e-9", 0}};
    for (const Case& c : cases) {
        ManualRig rig;
        ManualMover mover;
        const uint8_t byte = axisMoveByte(rig.ws.settings.derived, AxisMove::X1Forward);
        const int32_t n = distanceSteps(rig.ws.settings.derived.StepsPerMm, c.text);
        EXPECT_EQ(n, c.steps) << c.text;
        EXPECT_EQ(mover.distanceMove(rig.ws, byte, n), MoveOutcome::Completed) << c.text;
        const auto decoded = rig.decode();
        ASSERT_EQ(static_cast<int>(decoded.bytes.size()), c.steps) << c.text;
        for (uint8_t b : decoded.bytes) ASSERT_EQ(b, 2) << c.text;  // X1 step bit, direction low
        EXPECT_EQ(decoded.net[0], -c.steps) << c.text;
        // The move always ends with every step bit low.
        EXPECT_EQ(rig.port.reg(testing::kDataPort) & 0xAA, 0) << c.text;
    }
}

TEST(DistanceMove, HugeDistanceIsAnOverflowNotAWrappedCount) {
    EXPECT_THROW(distanceSteps(158, "1e12"), RunError);
    EXPECT_EQ(distanceSteps(158, "-1e12"), 0);
}

TEST(DistanceMove, WithHomeSetX1BackOneMillimetreShowsOneMillimetre) {
    ManualRig rig;
    rig.setHome();
    ManualMover mover;
    const auto& d = rig.ws.settings.derived;
    ASSERT_EQ(mover.distanceMove(rig.ws, axisMoveByte(d, AxisMove::X1Back),
                                 distanceSteps(d.StepsPerMm, "1")),
              MoveOutcome::Completed);
    ASSERT_FALSE(rig.panel1.empty());
    EXPECT_EQ(rig.panel1.back(), "X1, Y1 = 00001.000, 00000.000   X2, Y2 = 00000.000, 00000.000");
    EXPECT_NEAR(rig.ws.position.Position.X1, 1.0, 1e-5);
    EXPECT_EQ(rig.decode().net[0], 158);
}

TEST(JogBytes, EachButtonMovesOnlyItsAxesInItsDirection) {
    ManualRig rig({false, true, false, true});  // reversal must not change the sense
    rig.setHome();
    const auto& d = rig.ws.settings.derived;
    struct AxisCase {
        AxisMove move;
        int axis;
        int sense;
    };
    const AxisCase axes[] = {{AxisMove::X1Back, 0, 1}, {AxisMove::X1Forward, 0, -1},
                             {AxisMove::Y1Up, 1, 1},   {AxisMove::Y1Down, 1, -1},
                             {AxisMove::X2Back, 2, 1}, {AxisMove::X2Forward, 2, -1},
                             {AxisMove::Y2Up, 3, 1},   {AxisMove::Y2Down, 3, -1}};
    for (const AxisCase& c : axes) {
        rig.port.clearOperations();
        ManualMover mover;
        ASSERT_EQ(mover.distanceMove(rig.ws, axisMoveByte(d, c.move), 3), MoveOutcome::Completed);
        const auto decoded = rig.decode();
        for (int a = 0; a < 4; ++a) {
            EXPECT_EQ(decoded.net[a], a == c.axis ? 3 * c.sense : 0) << static_cast<int>(c.move);
            EXPECT_EQ(decoded.count[a], a == c.axis ? 3 : 0);
        }
        // Only the moving axis's bits: the standing axes' direction bits are 0.
        const uint8_t own = static_cast<uint8_t>(3 << (2 * c.axis));
        EXPECT_EQ(decoded.bytes.at(0) & ~own, 0);
    }
    struct PairCase {
        PairMove move;
        int first, second, sense;
    };
    const PairCase pairs[] = {{PairMove::XBack, 0, 2, 1},
                              {PairMove::XForward, 0, 2, -1},
                              {PairMove::YUp, 1, 3, 1},
                              {PairMove::YDown, 1, 3, -1}};
    for (const PairCase& c : pairs) {
        rig.port.clearOperations();
        ManualMover mover;
        ASSERT_EQ(mover.distanceMove(rig.ws, pairMoveByte(d, c.move), 4), MoveOutcome::Completed);
        const auto decoded = rig.decode();
        for (int a = 0; a < 4; ++a) {
            const bool moves = a == c.first || a == c.second;
            EXPECT_EQ(decoded.net[a], moves ? 4 * c.sense : 0) << static_cast<int>(c.move);
        }
    }
    // The counted position followed the decoded steps: X1 3-3+4-4 = 0, Y1 3-3+4-4 = 0.
    EXPECT_NEAR(rig.ws.position.Position.X1, 0, 1e-6);
    EXPECT_NEAR(rig.ws.position.Position.Y2, 0, 1e-6);
}

TEST(JogBytes, PairSumAboveAByteIsAnOverflow) {
    ManualRig rig;
    auto& f = rig.ws.settings.fields;
    f.y2_dir = "Pin 8";
    f.y2_step = "Pin 9";
    f.y1_dir = "Pin 8";
    f.y1_step = "Pin 9";
    rig.ws.settings.derive();
    EXPECT_THROW(pairMoveByte(rig.ws.settings.derived, PairMove::YUp), RunError);
    EXPECT_THROW(pairMoveByte(rig.ws.settings.derived, PairMove::YDown), RunError);
    EXPECT_EQ(pairMoveByte(rig.ws.settings.derived, PairMove::XBack), 3 + 48);
}

}  // namespace
}  // namespace corvane
