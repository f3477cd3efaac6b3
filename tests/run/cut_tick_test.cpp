#include "run/cut_tick.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "run/run_fixture.h"

namespace corvane {
namespace {

using Kind = PortOperation::Kind;

// The yield runs inside the low millisecond: a yield shorter than it does not lengthen the
// tick, a longer one does, and the low time never falls short of 1 ms from the clearing.
TEST(CutTick, TheYieldRunsInsideTheLowMillisecond) {
    test::RunnerBench b;
    b.ws.motion.CutSpeed = Fixed4::fromInt(1);
    int64_t outAt = -1, clearedAt = -1, nextOutAt = -1;
    b.port.setObserver([&](const PortOperation& op) {
        if (op.kind == Kind::Out) (outAt < 0 ? outAt : nextOutAt) = b.clock.peek();
        if (op.kind == Kind::Clr && op.value == 6 && clearedAt < 0) clearedAt = b.clock.peek();
    });
    int yields = 0;
    for (int64_t yieldNs : {400'000, 3'000'000}) {
        outAt = clearedAt = nextOutAt = -1;
        CutTick(b.ws, 0x03, b.ws.motion.CutSpeed, [&] {
            ++yields;
            b.clock.advance(yieldNs);
        });
        CutTick(b.ws, 0x03, b.ws.motion.CutSpeed, {});
        const int64_t period = nextOutAt - outAt;
        // The clear keeps the schedule: a tick a few clock reads late is that much shorter.
        EXPECT_NEAR(clearedAt - outAt, 5'329'100, 10'000);
        EXPECT_GE(nextOutAt - clearedAt, std::max<int64_t>(1'000'000, yieldNs));
        if (yieldNs < 1'000'000)
            EXPECT_LT(period, 6'329'100 + 50'000) << "a short yield lengthened the tick";
        else
            EXPECT_GE(period, 5'319'100 + yieldNs);
    }
    EXPECT_EQ(yields, 2);
}

// Above the slider top the high wait is empty and the position update falls into the low
// time; a yield that outlasts it must not lose the update.
TEST(CutTick, APositionUpdateIsNeverLostToALongYield) {
    test::RunnerBench b;
    b.ws.position.HomeSet = true;
    const Fixed4 fast = Fixed4::fromInt(10);  // 1000 / 1580 - 1 < 0
    for (int i = 0; i < 3; ++i) CutTick(b.ws, 0x03, fast, [&] { b.clock.advance(2'000'000); });
    EXPECT_FALSE(b.ws.motion.PositionUpdatePending);
    EXPECT_NEAR(std::abs(b.ws.position.Position.X1), 3.0f / 158, 1e-6);
    EXPECT_EQ(b.ws.position.Position.Y1, 0.0f);
}

}  // namespace
}  // namespace corvane
