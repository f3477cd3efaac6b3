// The port backends as the rest of the program sees them: the simulated register file, the
// trace writer, and the --port / CORVANE_PORT choice with its refusals.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "common/run_error.h"
#include "platform/port_select.h"
#include "platform/ppdev_port.h"
#include "platform/simulated_port.h"
#include "platform/tracing_port.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST(SimulatedPort, BitOperationsKeepTheOtherBits) {
    SimulatedPort port;
    port.setRecording(true);
    port.portOut(888, 0b1010'0101);
    port.setPortBit(888, 1);
    port.clrPortBit(888, 0);
    port.notPortBit(888, 7);
    EXPECT_EQ(port.reg(888), 0b0010'0110);
    EXPECT_TRUE(port.getPortBit(888, 2));
    EXPECT_FALSE(port.getPortBit(888, 0));
    EXPECT_EQ(port.portIn(890), 0);  // never written: 0
    port.setPortBit(890, 9);         // no such bit: nothing changes
    EXPECT_EQ(port.reg(890), 0);
    ASSERT_EQ(port.operations().size(), 8u);
    EXPECT_EQ(port.operations()[3].kind, PortOperation::Kind::Not);
    EXPECT_EQ(port.operations()[3].value, 7);
    EXPECT_EQ(port.operations()[6].kind, PortOperation::Kind::In);
    EXPECT_FALSE(port.isHardware());
}

TEST(TracingPort, WritesOneTimedLinePerOperation) {
    test::TempDir dir;
    SimulatedPort inner;
    FakeClock clock(250'000);  // 0.25 ms per reading
    {
        TracingPort trace(inner, clock, (dir / "trace.txt").string());
        trace.portOut(888, 194);
        trace.clrPortBit(888, 1);
        trace.setPortBit(890, 2);
        trace.notPortBit(890, 2);
        EXPECT_FALSE(trace.getPortBit(890, 2));
        EXPECT_EQ(trace.portIn(888), 192);
        EXPECT_EQ(trace.describe(), "Simulated port");
    }
    EXPECT_EQ(inner.reg(888), 192);
    EXPECT_EQ(test::readFile(dir / "trace.txt"),
              "0.000250 OUT 888 194\n"
              "0.000500 CLR 888 1\n"
              "0.000750 SET 890 2\n"
              "0.001000 NOT 890 2\n"
              "0.001250 GET 890 2\n"
              "0.001500 IN 888 192\n");
    try {
        TracingPort bad(inner, clock, (dir / "no" / "trace.txt").string());
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 75);
    }
}

// The operator's program opens the machine's own port without an option: ppdev where the kernel
// lists a parallel port this user may open, the simulated port everywhere else.
TEST(PortSelect, AutoTakesAParallelPortThisUserMayOpenElseTheSimulatedOne) {
    EXPECT_EQ(automaticPortChoice({}).kind, PortChoice::Kind::Simulated);
    EXPECT_EQ(automaticPortChoice({"/nonexistent/parport0"}).kind, PortChoice::Kind::Simulated);
    const test::TempDir dir;
    const std::string device = (dir.path() / "parport0").string();
    test::writeFile(device, "");
    const PortChoice found = automaticPortChoice({"/nonexistent/parport1", device});
    EXPECT_EQ(found.kind, PortChoice::Kind::Ppdev);
    EXPECT_EQ(found.device, "") << "the device at the settings' address is picked at the claim";
    ::unsetenv("CORVANE_PORT");
    EXPECT_EQ(parsePortChoice(std::nullopt, "sim").kind, PortChoice::Kind::Simulated);
    EXPECT_NO_THROW(parsePortChoice("auto"));
    EXPECT_NO_THROW(parsePortChoice(std::nullopt, "auto"));
}

TEST(PortSelect, ParsesTheAcceptedFormsAndRefusesOthers) {
    ::unsetenv("CORVANE_PORT");
    EXPECT_EQ(parsePortChoice(std::nullopt).kind, PortChoice::Kind::Simulated);
    EXPECT_EQ(parsePortChoice("sim").kind, PortChoice::Kind::Simulated);
    EXPECT_EQ(parsePortChoice("direct").kind, PortChoice::Kind::Direct);
    PortChoice pp = parsePortChoice("ppdev");
    EXPECT_EQ(pp.kind, PortChoice::Kind::Ppdev);
    EXPECT_EQ(pp.device, "");  // the device the kernel lists at the settings' address
    EXPECT_EQ(parsePortChoice("ppdev:/dev/parport2").device, "/dev/parport2");
    ::setenv("CORVANE_PORT", "ppdev:/dev/parport1", 1);
    EXPECT_EQ(parsePortChoice(std::nullopt).device, "/dev/parport1");
    EXPECT_EQ(parsePortChoice("sim").kind, PortChoice::Kind::Simulated);  // the option wins
    ::unsetenv("CORVANE_PORT");
    for (const char* bad : {"simulated", "ppdev:", "DIRECT", "lpt1"}) {
        try {
            parsePortChoice(std::string(bad));
            FAIL() << bad;
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 380);
            EXPECT_NE(e.detail().find("sim, direct, ppdev"), std::string::npos);
        }
    }
    auto sim = openPort(PortChoice{}, 888);
    EXPECT_EQ(sim->describe(), "Simulated port");
}

TEST(PortSelect, MissingPpdevDeviceIsAClearErrorNotAFallback) {
    try {
        PpdevPort port("/dev/corvane-no-such-parport", 888);
        FAIL() << "opened";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 70);
        EXPECT_NE(e.detail().find("/dev/corvane-no-such-parport"), std::string::npos);
        EXPECT_NE(e.detail().find("parport_pc"), std::string::npos);
    }
    PortChoice choice;
    choice.kind = PortChoice::Kind::Ppdev;
    choice.device = "/dev/corvane-no-such-parport";
    EXPECT_THROW(openPort(choice, 888), RunError);
}

// Without an address the direct backend asks the kernel for nothing and touches nothing: every
// access is refused (address 0 and 2 are the DMA controller's, not a printer port's).
TEST(PortSelect, DirectPortWithoutAnAddressGrantsNothingAndRefusesEveryAccess) {
    PortChoice choice;
    choice.kind = PortChoice::Kind::Direct;
    auto port = openPort(choice, 0);
    EXPECT_EQ(port->describe(), "Direct I/O (no port set)");
    for (uint16_t address : {0, 2, 888, 890}) {
        try {
            port->clrPortBit(address, 0);
            FAIL() << "wrote " << address;
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), 70);
            EXPECT_NE(e.detail().find("no parallel port is set"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace corvane
