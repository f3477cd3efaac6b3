// The spin margin of the real-time waits: the lateness it learns from the wake-ups (a high
// percentile of the last ones, forgetting older ones), the bounds it keeps (never under the
// prompt wake-up's margin, never over its ceiling, every sleeping wait still sleeping a share of
// its length), and on the fake clock with a PC that wakes late: the ticks keep their schedule.
#include "machine/spin_margin.h"

#include <gtest/gtest.h>

#include <vector>

#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/simulated_port.h"
#include "support/test_support.h"

namespace corvane {
namespace {

struct Wakes {
    int count;
    int64_t lateUs;
};

SpinMargin learned(const std::vector<Wakes>& wakes) {
    SpinMargin m;
    for (const Wakes& w : wakes)
        for (int i = 0; i < w.count; ++i) m.observe(w.lateUs);
    return m;
}

TEST(SpinMargin, LearnsAHighPercentileOfTheWakeUpsWithinItsBounds) {
    struct Case {
        const char* name;
        std::vector<Wakes> wakes;
        int64_t waitUs;
        bool tight;
        int64_t marginUs;  // at least the wait: the wait spins all of it
    };
    const std::vector<Case> cases = {
        {"too few to learn from: the widest", {{10, 30}}, 5000, false, 1500},
        {"a prompt PC: the lowest bound", {{1024, 30}}, 5000, false, 100},
        {"a tail past 0.1 % is covered", {{1014, 30}, {10, 400}}, 5000, false, 430},
        {"one late wake-up in the window is not", {{1023, 30}, {1, 400}}, 5000, false, 100},
        {"wake-ups past the ceiling", {{1024, 5000}}, 5000, false, 1500},
        {"the low time: learned, under 85 %", {{1014, 30}, {10, 400}}, 1000, false, 430},
        {"the low time sleeps 15 % however late", {{1024, 5000}}, 1000, false, 850},
        {"no spare time: the widest at once", {{1024, 30}}, 1000, true, 850},
        {"a wait under the margin spins", {{1024, 30}}, 90, false, 100},
        {"a sleep under 50 us is not worth it", {{1024, 30}}, 140, false, 140},
        {"negative lateness counts as on time", {{1024, -400}}, 5000, false, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SpinMargin m = learned(c.wakes);
        EXPECT_EQ(m.micros(c.waitUs, c.tight), c.marginUs);
    }
    EXPECT_EQ(learned({{1014, 30}, {10, 400}}).learnedLatenessMicros(), 410);
    EXPECT_EQ(learned({{10, 30}}).learnedLatenessMicros(), 0);
    EXPECT_EQ(learned({{1024, 5000}}).learnedLatenessMicros(), SpinMargin::kMaxMicros);
}

TEST(SpinMargin, ForgetsWakeUpsOlderThanItsWindow) {
    SpinMargin m = learned({{SpinMargin::kWindow, 600}});
    EXPECT_EQ(m.learnedMarginMicros(), 630);
    for (int i = 0; i < SpinMargin::kWindow / 2; ++i) m.observe(30);
    EXPECT_EQ(m.learnedMarginMicros(), 630) << "half the window still wakes late";
    for (int i = 0; i < SpinMargin::kWindow / 2; ++i) m.observe(30);
    EXPECT_EQ(m.learnedMarginMicros(), 100);
    EXPECT_EQ(m.samples(), SpinMargin::kWindow);
}

// A PC whose sleeps all end `late` counts after the time asked; it notes each sleep's length.
class LateClock : public FakeClock {
public:
    explicit LateClock(int64_t late) : FakeClock(1000), late_(late) {}
    void sleepUntil(int64_t count) override {
        if (count > peek()) sleeps.push_back(count - peek());
        FakeClock::sleepUntil(count + late_);
    }
    std::vector<int64_t> sleeps;

private:
    int64_t late_;
};

TEST(SpinMarginWait, RealTimeTicksLearnLateWakeUpsAndKeepEveryBound) {
    struct Case {
        double speed;
        int64_t lateUs;
        bool realtime;
        bool onTime;  // no tick held up by a late wake-up
    };
    for (const Case c : {Case{1.0, 300, true, true}, Case{6.2, 600, true, true},
                         Case{1.0, 3000, true, false}, Case{1.0, 300, false, true}}) {
        SCOPED_TRACE(c.speed);
        SCOPED_TRACE(c.lateUs);
        SCOPED_TRACE(c.realtime);
        test::TempDir dir;
        SimulatedPort port;
        LateClock clock(c.lateUs * 1000);
        Workspace ws(dir.path(), port, clock);
        ws.settings.fields.resetDefaults();
        ws.settings.fields.steps_per_inch = "158";
        ws.settings.derive();
        ws.motion.realtime = c.realtime;
        std::vector<int64_t> writes;
        port.setObserver([&](const PortOperation& op) {
            if (op.kind == PortOperation::Kind::Out) writes.push_back(clock.peek());
        });
        const Fixed4 v = Fixed4::fromDouble(c.speed);
        const int64_t period =
            (std::max(stepHighTimeMs(158, v), kMinPulseMs) + Fixed4::fromInt(1)).raw() * 100;
        restartTickSchedule(ws.motion);
        const int ticks = 200;
        for (int k = 0; k < ticks; ++k) StepPulse(ws, 0x03, v);

        const SpinMargin& margin = ws.motion.margin;
        if (!c.realtime) {
            EXPECT_EQ(margin.samples(), 0) << "only real-time wake-ups are learned from";
        } else if (c.lateUs < SpinMargin::kMaxMicros) {
            EXPECT_GE(margin.learnedLatenessMicros(), c.lateUs);
            EXPECT_LE(margin.learnedLatenessMicros(), c.lateUs + 20);
        } else {
            EXPECT_EQ(margin.learnedMarginMicros(), SpinMargin::kMaxMicros);
        }
        // Where the tick has spare time it stays on its schedule; at the slider top no period
        // is stretched (the few reads of each tick do add up there, as at normal priority).
        const bool spare = c.speed < 6;
        if (c.onTime) {
            for (size_t k = 1; k < writes.size(); ++k) {
                EXPECT_LE(writes[k] - writes[k - 1] - period, 10'000) << "tick " << k;
                if (spare) {
                    EXPECT_LE(writes[k] - writes[0] - static_cast<int64_t>(k) * period, 30'000)
                        << "tick " << k << " is behind its schedule";
                }
            }
        }
        if (c.realtime) {
            // However late the PC wakes, every low time still sleeps its share (15 % of it,
            // less the clock's reads before the sleep).
            int64_t lowSleeps = 0;
            for (int64_t s : clock.sleeps)
                if (s >= 140'000 && s < 1'000'000) ++lowSleeps;
            EXPECT_GE(lowSleeps, ticks - 1) << "a tick spun its whole low time";
        }
    }
}

}  // namespace
}  // namespace corvane
