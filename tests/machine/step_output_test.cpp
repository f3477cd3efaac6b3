// One tick on the simulated port with the fake clock: the register sequence and its timing,
// where the position update runs, the high-time formula and the wire pin operations.
#include "machine/step_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_error.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using Kind = PortOperation::Kind;

TEST(StepHighTime, FormulaAndDivisionByZero) {
    EXPECT_EQ(stepHighTimeMs(158, Fixed4::fromInt(1)).raw(), 53291);
    EXPECT_EQ(stepHighTimeMs(158, Fixed4::fromDouble(6.2)).raw(), 208);
    EXPECT_EQ(stepHighTimeMs(4000, Fixed4::fromDouble(0.2)).raw(), 2500);  // 1.25 - 1 ms
    EXPECT_LT(stepHighTimeMs(158, Fixed4::fromInt(10)).raw(), 0);
    for (auto [steps, speed] : {std::pair{158, Fixed4{}}, std::pair{0, Fixed4::fromInt(1)}}) {
        try {
            stepHighTimeMs(steps, speed);
            FAIL() << "no error";
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 11);
        }
    }
}

// Everything that happens, in order, with the fake clock's count at that moment.
struct Event {
    std::string what;
    int64_t at;
};

struct Recorder {
    explicit Recorder(test::TestMachine& m) {
        m.port.setObserver([this, &m](const PortOperation& op) {
            std::string k = op.kind == Kind::Out ? "OUT" : op.kind == Kind::Clr ? "CLR" : "OTHER";
            events.push_back({k + " " + std::to_string(op.port) + " " + std::to_string(op.value),
                              m.clock.peek()});
        });
        m.ws.showStatus = [this, &m](int panel, const std::string& text) {
            events.push_back({"STATUS " + std::to_string(panel) + " " + text, m.clock.peek()});
        };
    }
    std::vector<Event> events;
};

TEST(StepPulse, RegisterSequenceAndTimingOfOneTick) {
    test::TestMachine m;  // Reset Defaults pins, 158 steps/mm
    m.ws.position.HomeSet = true;
    Recorder rec(m);
    const uint8_t byte = m.ws.settings.derived.X1Forward + m.ws.settings.derived.Y2Up;  // 2 + 192
    StepPulse(m.ws, byte, Fixed4::fromInt(1));
    StepPulse(m.ws, byte, Fixed4::fromInt(1));

    ASSERT_EQ(rec.events.size(), 12u);
    const std::vector<std::string> expected = {
        "OUT 888 194", "STATUS 1 X1, Y1 = -00000.006, 00000.000   X2, Y2 = 00000.000, 00000.006",
        "CLR 888 1",  // X1 step bit
        "CLR 888 5",  // X2
        "CLR 888 3",  // Y1
        "CLR 888 7",  // Y2
    };
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(rec.events[i].what, expected[i]);
    EXPECT_EQ(rec.events[6].what, "OUT 888 194");
    EXPECT_EQ(m.ws.motion.StepHighTimeMs.raw(), 53291);
    EXPECT_EQ(m.ws.motion.LastPortByte, 194);
    EXPECT_FALSE(m.ws.motion.PositionUpdatePending);

    // High time: never shorter than 5.3291 ms, and over by no more than a few clock reads.
    const int64_t high = rec.events[2].at - rec.events[0].at;
    EXPECT_GE(high, 5'329'100);
    EXPECT_LE(high, 5'329'100 + 5'000);
    // Low time counts from the last step-bit clear: at least 1 ms before the next write.
    const int64_t low = rec.events[6].at - rec.events[5].at;
    EXPECT_GE(low, 1'000'000);
    EXPECT_LE(low, 1'000'000 + 5'000);

    // After the move: the last byte with the step bits clear, the direction bits kept.
    EXPECT_EQ(m.port.reg(888), 64);
}

// Above the slider top the high time is negative: the pulse still lasts 20 us, and the
// position update runs once inside it.
TEST(StepPulse, AboveTheSliderTopThePulseKeepsTwentyMicroseconds) {
    test::TestMachine m;
    m.ws.position.HomeSet = true;
    Recorder rec(m);
    StepPulse(m.ws, m.ws.settings.derived.X2Back, Fixed4::fromInt(10));  // high time < 0
    ASSERT_EQ(rec.events.size(), 6u);
    EXPECT_EQ(rec.events[0].what, "OUT 888 48");
    EXPECT_EQ(rec.events[1].what,
              "STATUS 1 X1, Y1 = 00000.000, 00000.000   X2, Y2 = 00000.006, 00000.000");
    EXPECT_EQ(rec.events[2].what.substr(0, 3), "CLR");
    EXPECT_GE(rec.events[2].at - rec.events[0].at, 20'000);
    EXPECT_FLOAT_EQ(m.ws.position.Position.X2, static_cast<float>(1.0 / 158));
}

TEST(PreciseWait, ZeroOrLessReturnsAfterOneReadingAndKeepsTheUpdatePending) {
    test::TestMachine m;
    m.ws.motion.PositionUpdatePending = true;
    int shown = 0;
    m.ws.showStatus = [&](int, const std::string&) { ++shown; };
    PreciseWait(m.ws, Fixed4{});
    PreciseWait(m.ws, Fixed4::fromDouble(-0.5));
    EXPECT_EQ(m.clock.reads(), 2);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(m.ws.motion.PositionUpdatePending);
    PreciseWait(m.ws, Fixed4::fromDouble(0.0001));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(m.ws.motion.PositionUpdatePending);
}

TEST(PreciseWait, RoundsTheWaitToWholeCountsOfAnOddClock) {
    // 3579545 Hz (the old PC timer): 3580 counts per ms; 0.5 ms -> 1790 counts.
    test::TestMachine m;
    FakeClock slow(1, 3'579'545);
    Workspace ws(m.dir.path(), m.port, slow);
    int64_t before = slow.peek();
    PreciseWait(ws, Fixed4::fromDouble(0.5));
    EXPECT_GE(slow.peek() - before, 1 + 1790);
    EXPECT_LE(slow.peek() - before, 1 + 1790 + 2);
}

TEST(StepPulse, SpeedZeroRaisesDivisionByZeroBeforeAnyWrite) {
    test::TestMachine m;
    try {
        StepPulse(m.ws, 2, Fixed4{});
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 11);
    }
    EXPECT_TRUE(m.port.operations().empty());
}

TEST(StepPulse, WithoutHomeTheNotSetTextIsShownAndNothingCounted) {
    test::TestMachine m;
    std::vector<std::string> shown;
    m.ws.showStatus = [&](int, const std::string& t) { shown.push_back(t); };
    StepPulse(m.ws, 255, Fixed4::fromInt(1));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "起点位置尚未设置");
    EXPECT_EQ(m.ws.position.Position, AxisPosition{});
}

struct WireCase {
    const char* pin;
    bool low;
    Kind on;
    Kind off;
    uint8_t bit;
};

TEST(Wire, OnAndOffByPinAndLevel) {
    const WireCase cases[] = {
        {"Pin 1", true, Kind::Set, Kind::Clr, 0},   {"Pin 14", true, Kind::Set, Kind::Clr, 1},
        {"Pin 16", true, Kind::Clr, Kind::Set, 2},  {"Pin 17", true, Kind::Set, Kind::Clr, 3},
        {"Pin 1", false, Kind::Clr, Kind::Set, 0},  {"Pin 14", false, Kind::Clr, Kind::Set, 1},
        {"Pin 16", false, Kind::Set, Kind::Clr, 2}, {"Pin 17", false, Kind::Clr, Kind::Set, 3},
    };
    for (const WireCase& c : cases) {
        test::TestMachine m;
        m.ws.settings.fields.enable = c.pin;
        m.ws.settings.fields.active_low = c.low;
        m.ws.settings.fields.active_high = !c.low;
        m.ws.settings.derive();
        WireOn(m.ws);
        EXPECT_TRUE(m.ws.wire.on());
        WireOff(m.ws);
        EXPECT_FALSE(m.ws.wire.on());
        EXPECT_EQ(m.ws.wire.drivenBy().enable, c.pin);
        EXPECT_EQ(m.ws.wire.drivenBy().bit, c.bit);
        const auto& ops = m.port.operations();
        ASSERT_EQ(ops.size(), 2u) << c.pin;
        EXPECT_EQ(ops[0].kind, c.on) << c.pin << " low=" << c.low;
        EXPECT_EQ(ops[1].kind, c.off) << c.pin << " low=" << c.low;
        for (const auto& op : ops) {
            EXPECT_EQ(op.port, 890);
            EXPECT_EQ(op.value, c.bit);
        }
    }
}

TEST(Wire, NoPinOrNoLevelWritesNothing) {
    for (const char* text : {"未使用     ", "未使用", "Not Used", "pin 1"}) {
        test::TestMachine m;
        m.ws.settings.fields.enable = text;
        m.ws.settings.derive();
        WireOn(m.ws);
        EXPECT_FALSE(m.ws.wire.on()) << text;  // nothing was switched on
        WireOff(m.ws);
        EXPECT_TRUE(m.port.operations().empty()) << text;
    }
    test::TestMachine m;
    m.ws.settings.fields.enable = "Pin 16";
    m.ws.settings.fields.active_low = false;
    m.ws.settings.fields.active_high = false;
    WireOn(m.ws);
    WireOff(m.ws);
    EXPECT_TRUE(m.port.operations().empty());
}

}  // namespace
}  // namespace corvane
