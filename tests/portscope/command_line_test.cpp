// Arguments, the backend choice and the window-less list of ports.
#include "portscope/command_line.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

TEST(CommandLine, OptionsAndTheirMistakes) {
    Options o = parseOptions({"--list", "--port", "sim:378,278"});
    EXPECT_TRUE(o.list);
    EXPECT_EQ(o.port, "sim:378,278");
    EXPECT_TRUE(o.error.empty());
    o = parseOptions({"--screenshot=/tmp/x", "--port=ppdev"});
    EXPECT_EQ(o.screenshotDir, "/tmp/x");
    EXPECT_EQ(o.port, "ppdev");
    EXPECT_FALSE(parseOptions({"--port"}).error.empty());
    EXPECT_FALSE(parseOptions({"--bogus"}).error.empty());
    EXPECT_TRUE(parseOptions({"-h"}).help);
    EXPECT_TRUE(parseOptions({"--version"}).version);
}

TEST(CommandLine, PortChoices) {
    PortChoice c = parsePortChoice("sim:378,278");
    EXPECT_EQ(c.kind, PortChoice::Kind::Simulated);
    EXPECT_EQ(c.simulated, (std::vector<uint16_t>{0x378, 0x278}));
    EXPECT_EQ(parsePortChoice("sim").simulated, (std::vector<uint16_t>{0x378}));
    EXPECT_EQ(parsePortChoice("direct").kind, PortChoice::Kind::Direct);
    c = parsePortChoice("ppdev:/dev/parport1");
    EXPECT_EQ(c.kind, PortChoice::Kind::Ppdev);
    EXPECT_EQ(c.device, "/dev/parport1");
    EXPECT_EQ(parsePortChoice("ppdev").device, "");
    for (const char* bad :
         {"", "lpt1", "sim:", "sim:xyz", "sim:0", "sim:378,", "direct:1", "ppdev:"})
        EXPECT_THROW(parsePortChoice(bad), std::invalid_argument) << bad;

    ::setenv("PORTSCOPE_PORT", "direct", 1);
    ::setenv("CORVANE_PORT", "ppdev:/dev/parport0", 1);
    EXPECT_EQ(portChoiceText(std::string("sim")), "sim");
    EXPECT_EQ(portChoiceText(std::nullopt), "direct");
    ::unsetenv("PORTSCOPE_PORT");
    EXPECT_EQ(portChoiceText(std::nullopt), "ppdev:/dev/parport0");
    ::unsetenv("CORVANE_PORT");
    EXPECT_EQ(portChoiceText(std::nullopt), "sim");
}

TEST(CommandLine, ListPrintsEveryDetectedPortWithItsRegisters) {
    SimulatedMachine sim({0x278, 0x378});
    sim.setData(0x378, 0xA5);
    sim.setStatus(0x278, 0x7F);
    IoUnit io(sim);
    io.start();
    EXPECT_EQ(listPorts(io), "378 A5 78 0C simulated\n278 00 7F 0C simulated\n");
    EXPECT_EQ(sim.data(0x378), 0xA5);
    SimulatedMachine empty(std::vector<uint16_t>{});
    IoUnit none(empty);
    none.start();
    EXPECT_EQ(listPorts(none), "");
}

// A port the kernel lists but that could not be claimed (ppdev, held exclusively) gets no line
// of FF: it is named with the reason.
TEST(CommandLine, ListNamesAPortItCouldNotClaimInsteadOfShowingFF) {
    struct Listed : SimulatedMachine {
        using SimulatedMachine::SimulatedMachine;
        std::optional<std::vector<uint16_t>> knownPorts() override {
            return std::vector<uint16_t>{0x378, 0x278};
        }
        std::string refusal(uint16_t) const override { return "in use by corvane (process 7)"; }
    } sim({0x378, 0x278});
    for (uint16_t r = 0; r < 4; ++r) sim.refuseGrant(static_cast<uint16_t>(0x278 + r));
    IoUnit io(sim);
    io.start();
    std::string refused;
    const std::string lines = listPorts(io, &refused);
    EXPECT_EQ(lines, "378 00 78 0C simulated\n");
    EXPECT_EQ(refused, "278: in use by corvane (process 7)\n");
}

}  // namespace
}  // namespace portscope
