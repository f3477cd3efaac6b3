// The wire's one state and the port safety rules: nothing is written without a known port,
// settings come into force without leaving any pin active, and the backends keep to the
// registers of the named port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_error.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "platform/direct_port.h"
#include "platform/port_select.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using Kind = PortOperation::Kind;

MachineSettings wireSettings(const char* pin, bool activeLow, const char* address = "378h") {
    MachineSettings s;
    s.fields.resetDefaults();
    s.fields.steps_per_inch = "158";
    s.fields.enable = pin;
    s.fields.active_low = activeLow;
    s.fields.active_high = !activeLow;
    s.fields.port_address = address;
    s.derive();
    return s;
}

// The level the wire pin's line is at (true = active) under `s`, from the control register.
bool pinActive(const SimulatedPort& port, const MachineSettings& s) {
    const bool set = (port.reg(static_cast<uint16_t>(s.derived.ControlPort)) >> s.wireBit()) & 1;
    const bool inverted = s.fields.enable != "Pin 16";
    const bool lineHigh = set != inverted;
    return s.fields.active_low ? !lineHigh : lineHigh;
}

TEST(NoKnownPort, EveryMoveAndWireOnIsRefusedWithTheCauseAndNothingIsWritten) {
    test::TestMachine m;
    m.ws.settings = wireSettings("Pin 1", true, "0x378");
    ASSERT_FALSE(m.ws.portKnown());
    const std::string refusal = m.ws.portRefusal();
    EXPECT_NE(refusal.find("\"0x378\""), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("设备设置"), std::string::npos);
    const std::vector<std::function<void()>> commands = {
        [&] { WireOn(m.ws); },
        [&] { StepPulse(m.ws, 0x03, Fixed4::fromInt(1)); },
        [&] { ClearStepBits(m.ws); },
    };
    for (const auto& command : commands) {
        try {
            command();
            ADD_FAILURE() << "not refused";
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 70);
            EXPECT_EQ(e.detail(), refusal);
        }
    }
    WireOff(m.ws);  // nothing was switched on through an unknown port: nothing to write
    EXPECT_FALSE(m.ws.wire.on());
    EXPECT_TRUE(m.port.operations().empty());
}

TEST(ApplySettings, AChangeOfWirePinDrivesTheOldPinInactiveFirstAndLeavesTheNewOneInactive) {
    test::TestMachine m;
    m.ws.settings = wireSettings("Pin 16", true);
    WireOn(m.ws);
    ASSERT_TRUE(m.ws.wire.on());
    ASSERT_TRUE(pinActive(m.port, m.ws.settings));
    m.port.clearOperations();
    const MachineSettings pin1 = wireSettings("Pin 1", true);
    applyMachineSettings(m.ws, pin1);
    const auto& ops = m.port.operations();
    ASSERT_EQ(ops.size(), 2u);
    // Pin 16 active low is inactive with its bit set; then pin 1 active low with bit 0 clear.
    EXPECT_EQ(ops[0].kind, Kind::Set);
    EXPECT_EQ(ops[0].value, 2);
    EXPECT_EQ(ops[1].kind, Kind::Clr);
    EXPECT_EQ(ops[1].value, 0);
    EXPECT_FALSE(m.ws.wire.on());
    EXPECT_EQ(m.ws.wire.drivenBy().enable, "Pin 1");
    EXPECT_FALSE(pinActive(m.port, pin1));
    EXPECT_FALSE(pinActive(m.port, wireSettings("Pin 16", true)));
}

TEST(ApplySettings, ThePortsGrantFollowsTheSettingsAndAnUnknownPortGrantsNothing) {
    test::TestMachine m;
    m.port.setDataPort(888);
    m.ws.settings = wireSettings("Pin 14", false);
    applyMachineSettings(m.ws, wireSettings("Pin 14", false, "278h"));
    EXPECT_NO_THROW(m.ws.port().portOut(632, 1));
    EXPECT_THROW(m.ws.port().portOut(888, 1), RunError);
    m.port.clearOperations();
    // An unknown address: the old pin goes inactive on its own port, then nothing is granted.
    applyMachineSettings(m.ws, wireSettings("Pin 14", false, "0x378"));
    ASSERT_EQ(m.port.operations().size(), 1u);
    EXPECT_EQ(m.port.operations()[0].port, 634);
    for (uint16_t address : {0, 2, 632, 634, 888})
        EXPECT_THROW(m.ws.port().setPortBit(address, 0), RunError) << address;
}

TEST(WireState, ListenersHearEveryDriveUntilTheyLeave) {
    test::TestMachine m;
    m.ws.settings = wireSettings("Pin 17", true);
    std::vector<bool> heard;
    const int id = m.ws.wire.listen([&] { heard.push_back(m.ws.wire.on()); });
    WireOn(m.ws);
    WireOff(m.ws);
    m.ws.wire.unlisten(id);
    WireOn(m.ws);
    EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

// The kernel side of the direct backend: every ioperm and every instruction, in order.
struct FakeInstructions : PortInstructions {
    std::vector<std::string>* log;
    explicit FakeInstructions(std::vector<std::string>* l) : log(l) {}
    int ioperm(uint16_t from, unsigned count, bool on) override {
        log->push_back("ioperm " + std::to_string(from) + " " + std::to_string(count) +
                       (on ? " on" : " off"));
        return 0;
    }
    uint8_t inb(uint16_t port) override {
        log->push_back("in " + std::to_string(port));
        return 0;
    }
    void outb(uint8_t value, uint16_t port) override {
        log->push_back("out " + std::to_string(port) + " " + std::to_string(value));
    }
};

TEST(DirectPort, GrantsOnlyTheNamedPortsRegistersAndNothingWithoutOne) {
    std::vector<std::string> log;
    // "0x378" names no port: DataPort 0, no grant, no access at all (not 0 and 2).
    MachineSettings unknown = wireSettings("Pin 1", true, "0x378");
    DirectPort port(static_cast<uint16_t>(unknown.derived.DataPort),
                    std::make_unique<FakeInstructions>(&log));
    EXPECT_EQ(port.describe(), "Direct I/O (no port set)");
    test::TestMachine m;
    m.ws.setPort(port);
    m.ws.settings = unknown;
    EXPECT_THROW(WireOn(m.ws), RunError);
    WireOff(m.ws);
    for (uint16_t address : {0, 1, 2, 888, 890}) {
        EXPECT_THROW(port.portOut(address, 0), RunError);
        EXPECT_THROW(port.clrPortBit(address, 0), RunError);
        EXPECT_THROW(port.portIn(address), RunError);
    }
    EXPECT_TRUE(log.empty());

    // Done with 378h: the three registers are granted once; 0x37B and the old addresses stay out.
    applyMachineSettings(m.ws, wireSettings("Pin 1", true));
    EXPECT_EQ(log, (std::vector<std::string>{"ioperm 888 3 on", "in 890", "out 890 0"}));
    log.clear();
    EXPECT_THROW(port.portOut(891, 0), RunError);
    EXPECT_THROW(port.portOut(2, 0), RunError);
    EXPECT_TRUE(log.empty());
    // A change of port gives the old registers back before asking for the new ones.
    port.setDataPort(632);
    EXPECT_EQ(log, (std::vector<std::string>{"ioperm 888 3 off", "ioperm 632 3 on"}));
}

TEST(PortSelect, TheProgramsSimulatedPortKeepsToTheNamedRegisters) {
    auto none = openPort(PortChoice{}, 0);
    EXPECT_THROW(none->clrPortBit(2, 0), RunError);
    EXPECT_THROW(none->portOut(0, 0), RunError);
    auto named = openPort(PortChoice{}, 888);
    EXPECT_NO_THROW(named->portOut(888, 5));
    EXPECT_NO_THROW(named->setPortBit(890, 0));
    EXPECT_THROW(named->portOut(891, 0), RunError);
}

}  // namespace
}  // namespace corvane
