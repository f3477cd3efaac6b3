// The schedule the ticks keep, on the fake clock: lateness is made up by the following ticks
// without a tick coming early, a pulse under 20 us or a low time under 1 ms; a hold or a pause
// restarts the schedule instead of racing; a new speed applies from the next tick. And the
// figures the tick timing reports from what it recorded.
#include <gtest/gtest.h>

#include <vector>

#include "machine/step_output.h"
#include "machine/tick_timing.h"
#include "machine/workspace.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using Kind = PortOperation::Kind;

// Write and last step-bit clear of every tick, in fake-clock counts (ns).
struct TickLog {
    explicit TickLog(test::TestMachine& m) {
        m.port.setObserver([this, &m](const PortOperation& op) {
            if (op.kind == Kind::Out) ticks.push_back({m.clock.peek(), -1, -1});
            if (op.kind == Kind::Clr && !ticks.empty()) {
                if (ticks.back().firstClear < 0) ticks.back().firstClear = m.clock.peek();
                ticks.back().lastClear = m.clock.peek();
            }
        });
    }
    struct Tick {
        int64_t write, firstClear, lastClear;
    };
    std::vector<Tick> ticks;
};

constexpr int64_t kSlack = 20'000;  // a few fake-clock reads (1 us each)

int64_t periodNs(double speed) {
    return static_cast<int64_t>(stepHighTimeMs(158, Fixed4::fromDouble(speed)).raw()) * 100 +
           1'000'000;
}

// Checks the limits of every tick: pulse >= 20 us, low >= 1 ms, never before its schedule.
void expectLimits(const TickLog& log, int64_t origin, int64_t period, size_t from = 0) {
    for (size_t k = from; k < log.ticks.size(); ++k) {
        const TickLog::Tick& t = log.ticks[k];
        EXPECT_GE(t.firstClear - t.write, 20'000) << "tick " << k;
        EXPECT_GE(t.write, origin + static_cast<int64_t>(k - from) * period) << "early tick " << k;
        if (k > from) {
            EXPECT_GE(t.write - log.ticks[k - 1].lastClear, 1'000'000) << "tick " << k;
        }
    }
}

TEST(TickSchedule, ALateTickIsMadeUpWithoutAnEarlyTickOrAShortLowTime) {
    // At 1 mm/s the high time (5.3 ms) takes the 3 ms in one tick; at 5 mm/s (0.27 ms) it takes
    // about a dozen ticks, each shortened down to the pulse limit at most.
    for (double speed : {1.0, 5.0}) {
        SCOPED_TRACE(speed);
        test::TestMachine m;
        TickLog log(m);
        const Fixed4 v = Fixed4::fromDouble(speed);
        const int64_t period = periodNs(speed);
        restartTickSchedule(m.ws.motion);
        for (int k = 0; k < 40; ++k)
            StepPulse(m.ws, 0x03, v, [&] {
                if (k == 5) m.clock.advance(3'000'000);  // the window system held tick 5
            });
        const int64_t origin = log.ticks[0].write;
        expectLimits(log, origin, period);
        EXPECT_GE(log.ticks[6].write - origin - 6 * period, 2'000'000) << "tick 6 was late";
        int64_t shortest = INT64_MAX;
        for (size_t k = 7; k < log.ticks.size(); ++k)
            shortest = std::min(shortest, log.ticks[k].write - log.ticks[k - 1].write);
        EXPECT_LT(shortest, period - 200'000) << "nothing was made up";
        for (size_t k = 30; k < log.ticks.size(); ++k)
            EXPECT_LE(log.ticks[k].write - origin - static_cast<int64_t>(k) * period, kSlack)
                << "tick " << k << " is still behind its schedule";
    }
}

// A gap below the hold limit is made up unless the loop restarts the schedule (a pause); a
// hold longer than the limit restarts it by itself. A restarted schedule shortens nothing.
TEST(TickSchedule, APauseOrAHoldRestartsTheSchedule) {
    struct Case {
        int64_t gapNs;
        bool restart;
        bool madeUp;
    };
    for (const Case c : {Case{30'000'000, false, true}, Case{30'000'000, true, false},
                         Case{500'000'000, false, false}}) {
        SCOPED_TRACE(c.gapNs);
        SCOPED_TRACE(c.restart);
        test::TestMachine m;
        TickLog log(m);
        const Fixed4 v = Fixed4::fromInt(1);
        const int64_t period = periodNs(1.0);
        restartTickSchedule(m.ws.motion);
        for (int k = 0; k < 5; ++k) StepPulse(m.ws, 0x03, v);
        m.clock.advance(c.gapNs);
        if (c.restart) ClearStepBits(m.ws);  // a new move begins with it
        for (int k = 0; k < 5; ++k) StepPulse(m.ws, 0x03, v);
        int64_t shortest = INT64_MAX;
        for (size_t k = 6; k < log.ticks.size(); ++k)
            shortest = std::min(shortest, log.ticks[k].write - log.ticks[k - 1].write);
        if (c.madeUp) {
            EXPECT_LT(shortest, period - 1'000'000);
        } else {
            EXPECT_GE(shortest, period) << "a restarted schedule raced";
            expectLimits(log, log.ticks[5].write, period, 5);
        }
    }
}

TEST(TickSchedule, ASpeedChangeAppliesFromTheNextTick) {
    test::TestMachine m;
    TickLog log(m);
    restartTickSchedule(m.ws.motion);
    for (int k = 0; k < 3; ++k) StepPulse(m.ws, 0x03, Fixed4::fromInt(1));
    for (int k = 0; k < 4; ++k) StepPulse(m.ws, 0x03, Fixed4::fromInt(2));
    const int64_t slow = periodNs(1.0), fast = periodNs(2.0);
    // The old speed's ticks keep their period; the first new tick starts the new schedule on
    // time (no catching up with the old one) and every tick from it has the new high time.
    EXPECT_NEAR(log.ticks[3].write - log.ticks[2].write, slow, kSlack);
    for (size_t k = 3; k < log.ticks.size(); ++k)
        EXPECT_NEAR(log.ticks[k].firstClear - log.ticks[k].write, fast - 1'000'000, kSlack);
    for (size_t k = 4; k < log.ticks.size(); ++k)
        EXPECT_NEAR(log.ticks[k].write - log.ticks[k - 1].write, fast, kSlack);
    expectLimits(log, log.ticks[3].write, fast, 3);
}

TEST(TickTiming, FiguresFromRecordedTicks) {
    TickTiming t(1'000'000'000);
    const int64_t T = 1'000'000;
    // Periods: 98 on time, one 2 ms late tick, one made up by 2 ms: the mean error is 0.
    int64_t write = 0;
    t.record(write, 0, T, true);
    for (int k = 1; k <= 100; ++k) {
        const int64_t ideal = k * T;
        write = ideal + (k == 50 ? 2'000'000 : 0);
        t.record(write, ideal, T, false);
    }
    const TickFigures f = t.figures();
    EXPECT_EQ(f.ticks, 101);
    EXPECT_EQ(f.restarts, 1);
    EXPECT_NEAR(f.meanPeriodErrorPct, 0.0, 1e-9);
    EXPECT_LE(f.p50Us, 1.0);  // to the microsecond
    EXPECT_DOUBLE_EQ(f.maxUs, 2000.0);
    EXPECT_DOUBLE_EQ(f.p99Us, 2000.0);
    EXPECT_DOUBLE_EQ(f.driftMaxUs, 2000.0);
    EXPECT_DOUBLE_EQ(f.driftMaxPeriods, 2.0);
    EXPECT_EQ(f.lateOver100Us, 1);
    EXPECT_EQ(f.lateOver1Ms, 1);
    EXPECT_EQ(tickVerdict(f).substr(0, 4), "poor");
}

}  // namespace
}  // namespace corvane
