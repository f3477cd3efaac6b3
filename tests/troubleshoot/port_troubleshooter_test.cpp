// The troubleshooter's stepping loop on the simulated port: the pin map read through the
// backend, the traced waveform of X forward (pattern / step bits clear every 250 ms), the stop
// flag, the position count and the refusal without a known port.
#include "troubleshoot/port_troubleshooter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/tracing_port.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::TestMachine;

TEST(PortTroubleshooter, PinsReadTheirRegisterBitsAndGroundPinsStayUncoloured) {
    TestMachine m;
    // Each register in turn holds one set bit; exactly the pin of that bit reads One.
    const std::pair<uint16_t, int> registers[] = {{0x378, 8}, {0x379, 8}, {0x37A, 4}};
    int pinsFound = 0;
    for (const auto& [address, bits] : registers) {
        for (int bit = 0; bit < bits; ++bit) {
            m.port.setReg(0x378, 0);
            m.port.setReg(0x379, 0);
            m.port.setReg(0x37A, 0);
            m.port.setReg(address, static_cast<uint8_t>(1u << bit));
            if (address == 0x379 && bit < 3) continue;  // status bits 0-2 reach no pin
            const PinLevels levels = readPinLevels(m.port, 0x378);
            int ones = 0;
            int pinOfBit = 0;
            for (int pin = 1; pin <= 25; ++pin) {
                if (levels[pin] == PinLevel::One) {
                    ++ones;
                    pinOfBit = pin;
                }
                EXPECT_EQ(levels[pin] == PinLevel::Uncoloured, pin >= 18) << "pin " << pin;
            }
            EXPECT_EQ(ones, 1);
            static const int kControlPins[] = {1, 14, 16, 17};
            static const int kStatusPins[] = {0, 0, 0, 15, 13, 12, 10, 11};
            const int expected = address == 0x378   ? bit + 2
                                 : address == 0x37A ? kControlPins[bit]
                                                    : kStatusPins[bit];
            EXPECT_EQ(pinOfBit, expected) << "register " << address << " bit " << bit;
            ++pinsFound;
        }
    }
    EXPECT_EQ(pinsFound, 17);
}

TEST(PortTroubleshooter, SimulatedPortIdlesWithTheStatusPinsHigh) {
    SimulatedPort port;
    const PinLevels levels = readPinLevels(port, 0x278);
    // Pin 11's line is inverted by the port: high reads as a clear bit.
    for (int pin : {10, 12, 13, 15}) EXPECT_EQ(levels[pin], PinLevel::One) << pin;
    EXPECT_EQ(levels[11], PinLevel::Zero);
    for (int pin : {1, 2, 9, 14, 16, 17}) EXPECT_EQ(levels[pin], PinLevel::Zero) << pin;
}

TEST(PortTroubleshooter, PairBytesAddBothCarriagesWithTheirReversal) {
    TestMachine m;
    // Reset pins: X1 dir/step 2/3, Y1 4/5, X2 6/7, Y2 8/9.
    EXPECT_EQ(pairByte(m.ws, StepPair::XForward), 0x02 | 0x20);
    EXPECT_EQ(pairByte(m.ws, StepPair::XBack), 0x03 | 0x30);
    EXPECT_EQ(pairByte(m.ws, StepPair::YUp), 0x0C | 0xC0);
    EXPECT_EQ(pairByte(m.ws, StepPair::YDown), 0x08 | 0x80);
    m.ws.settings.fields.reverseX2 = 1;
    m.ws.settings.derive();
    EXPECT_EQ(pairByte(m.ws, StepPair::XForward), 0x02 | 0x30);
    EXPECT_STREQ(pairPage(StepPair::YDown), "ydownppt.rtf");
}

// One line of a trace: time in microseconds, operation, port, value.
struct TraceLine {
    int64_t micros;
    std::string op;
    unsigned port;
    unsigned value;
};

std::vector<TraceLine> readTrace(const std::string& path) {
    std::vector<TraceLine> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        long long whole = 0, frac = 0;
        char op[8] = {};
        unsigned port = 0, value = 0;
        if (std::sscanf(text.c_str(), "%lld.%lld %7s %u %u", &whole, &frac, op, &port, &value) == 5)
            lines.push_back({whole * 1'000'000 + frac, op, port, value});
    }
    return lines;
}

TEST(PortTroubleshooter, XForwardAlternatesPatternAndClearStepBitsEvery250ms) {
    TestMachine m;
    m.port.setReg(0x378, 0xFF);  // whatever an earlier move left
    const std::string tracePath = (m.dir / "trace.txt").string();
    int yields = 0;
    int refreshes = 0;
    PortStepper stepper;
    {
        TracingPort traced(m.port, m.clock, tracePath);
        m.ws.setPort(traced);
        m.ws.yield = [&] {
            if (++yields == 6) stepper.requestStop();
        };
        stepper.run(m.ws, pairByte(m.ws, StepPair::XForward), [&] {
            ++refreshes;
            readPinLevels(m.ws.port(), 0x378);
        });
        EXPECT_FALSE(stepper.stepping());
    }
    EXPECT_EQ(stepper.stepsSent(), 5);
    EXPECT_EQ(refreshes, 10);

    const std::vector<TraceLine> trace = readTrace(tracePath);
    std::vector<const TraceLine*> outs;
    std::vector<const TraceLine*> clears;  // the last step-bit clear of each group of four
    for (size_t i = 0; i < trace.size(); ++i) {
        const TraceLine& line = trace[i];
        if (line.port != 0x378) continue;
        if (line.op == "OUT") outs.push_back(&line);
        if (line.op == "CLR" && (i + 1 == trace.size() || trace[i + 1].op != "CLR"))
            clears.push_back(&line);
    }
    ASSERT_EQ(outs.size(), 5u);
    // A clear before the first step, one after each step, one on leaving.
    ASSERT_EQ(clears.size(), 7u);
    for (const TraceLine* out : outs) EXPECT_EQ(out->value, 0x22u);
    for (size_t k = 0; k < outs.size(); ++k) {
        const int64_t high = clears[k + 1]->micros - outs[k]->micros;
        EXPECT_NEAR(high, 250'000, 5'000) << "step " << k;
        if (k + 1 < outs.size()) {
            const int64_t low = outs[k + 1]->micros - clears[k + 1]->micros;
            EXPECT_NEAR(low, 250'000, 5'000) << "step " << k;
        }
    }
    // The last write's direction bits (low for X forward) stay; all four step bits end clear.
    EXPECT_EQ(m.port.reg(0x378), 0x00);
}

TEST(PortTroubleshooter, StepsCountInThePositionAndAStopBeforeTheFirstStepSendsNone) {
    TestMachine m;
    m.ws.position.HomeSet = true;
    PortStepper stepper;
    int yields = 0;
    m.ws.yield = [&] {
        if (++yields == 4) stepper.requestStop();
    };
    stepper.run(m.ws, pairByte(m.ws, StepPair::YUp), [] {});
    EXPECT_EQ(stepper.stepsSent(), 3);
    EXPECT_NEAR(m.ws.position.Position.Y1, 3.0 / 158.0, 1e-6);
    EXPECT_NEAR(m.ws.position.Position.Y2, 3.0 / 158.0, 1e-6);
    EXPECT_EQ(m.ws.position.Position.X1, 0.0f);

    // A second run clears the flag first; a stop in its first yield sends nothing.
    m.ws.yield = [&] { stepper.requestStop(); };
    m.port.clearOperations();
    stepper.run(m.ws, pairByte(m.ws, StepPair::YUp), [] {});
    EXPECT_EQ(stepper.stepsSent(), 0);
    for (const PortOperation& op : m.port.operations())
        EXPECT_NE(op.kind, PortOperation::Kind::Out);
}

TEST(PortTroubleshooter, WithoutAKnownPortNothingIsWritten) {
    TestMachine m;
    m.ws.settings.derived.DataPort = 0;
    m.port.clearOperations();
    PortStepper stepper;
    m.ws.yield = [&] { stepper.requestStop(); };
    stepper.run(m.ws, 0x22, [] {});
    EXPECT_TRUE(m.port.operations().empty());
}

// The loop reads the pair's byte and the port on every pass: pins changed between two steps
// are the ones the next step pulses, and the old step pin is left low.
TEST(PortTroubleshooter, APinChangeBetweenStepsIsFollowedByTheNextStep) {
    TestMachine m;
    PortStepper stepper;
    int yields = 0;
    m.ws.yield = [&] {
        ++yields;
        if (yields == 3) {
            // X1 step moves from pin 3 to pin 9, X2 step from pin 7 to pin 8.
            m.ws.settings.fields.x1_step = "Pin 9";
            m.ws.settings.fields.x2_step = "Pin 8";
            m.ws.settings.fields.y2_dir = "Pin 3";
            m.ws.settings.fields.y2_step = "Pin 7";
            m.ws.settings.derive();
        }
        if (yields == 5) stepper.requestStop();
    };
    m.port.clearOperations();
    stepper.run(m.ws, StepPair::XForward, [] {});
    std::vector<int> outs;
    for (const PortOperation& op : m.port.operations())
        if (op.kind == PortOperation::Kind::Out) outs.push_back(op.value);
    EXPECT_EQ(outs, (std::vector<int>{0x22, 0x22, 0xC0, 0xC0}));
    // Neither the old X1 step pin (3) nor the old X2 step pin (7) is left high.
    EXPECT_EQ(m.port.reg(0x378) & 0x22, 0);
    EXPECT_EQ(m.port.reg(0x378) & 0xC0, 0);
}

}  // namespace
}  // namespace corvane
