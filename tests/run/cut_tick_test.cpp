#include "run/cut_tick.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// The cut record's two phases around each tick's port write: `writing` right before it,
// `written` right after it, the yield later in the low time; the troubleshooter's slow tick
// takes its callbacks in the same order.
TEST(CutTick, WritingRunsBeforeThePortWriteAndWrittenAfterIt) {
    using Tick = std::function<void(test::RunnerBench&, const std::function<void()>&,
                                    const std::function<void()>&, const std::function<void()>&)>;
    const std::vector<std::pair<const char*, Tick>> ticks = {
        {"CutTick",
         [](test::RunnerBench& b, const auto& yield, const auto& writing, const auto& written) {
             CutTick(b.ws, 0x03, b.ws.motion.CutSpeed, yield, writing, written);
         }},
        {"PacedTick",
         [](test::RunnerBench& b, const auto& yield, const auto& writing, const auto& written) {
             PacedTick(b.ws, 0x03, Fixed4::fromInt(2), Fixed4::fromInt(2), yield, writing, written);
         }},
    };
    for (const auto& [name, tick] : ticks) {
        test::RunnerBench b;
        std::vector<std::string> order;
        b.port.setObserver([&](const PortOperation& op) {
            if (op.kind == Kind::Out) order.push_back("out");
        });
        tick(
            b, [&] { order.push_back("yield"); }, [&] { order.push_back("writing"); },
            [&] { order.push_back("written"); });
        EXPECT_EQ(order, (std::vector<std::string>{"writing", "out", "written", "yield"})) << name;
    }
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
