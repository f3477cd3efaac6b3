// The ppdev backend against a fake that behaves as the kernel does: the wire pin is at rest right
// after the claim (which resets the control lines) and before every release, also when a step
// after the claim fails; an exclusive claim of a held port names who may hold it; no call ever
// touches control bits 4-7 or turns the data lines around. The call sequences at open, per
// tick, at a failure after the claim and at exit are printed for the record.
#include "support/kernel_ppdev.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "machine/step_output.h"
#include "machine/wire_guard.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "platform/ppdev_port.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::KernelParport;
using test::KernelPpdev;

struct WireChoice {
    const char* enable;
    int pin;
    bool activeLow;
};
const WireChoice kWires[] = {{"Pin 1", 1, true},    {"Pin 1", 1, false},  {"Pin 14", 14, true},
                             {"Pin 14", 14, false}, {"Pin 16", 16, true}, {"Pin 16", 16, false},
                             {"Pin 17", 17, true},  {"Pin 17", 17, false}};

void chooseWire(MachineSettings& s, const WireChoice& w) {
    s.fields.enable = w.enable;
    s.fields.active_low = w.activeLow;
    s.fields.active_high = !w.activeLow;
    s.derive();
}

// The wire pin is inactive: high when it is active low, low when it is active high.
bool atRest(const KernelParport& port, const WireChoice& w) {
    return port.pinHigh(w.pin) == w.activeLow;
}

std::vector<std::string> since(const KernelParport& port, size_t from) {
    return {port.log.begin() + static_cast<long>(from), port.log.end()};
}

void print(const char* title, const std::vector<std::string>& calls) {
    std::printf("[ calls    ] %s:", title);
    for (const std::string& c : calls) std::printf(" %s;", c.c_str());
    std::printf("\n");
}

TEST(KernelPpdev, TheWirePinRestsFromTheClaimToTheReleaseOnEveryPinAndLevel) {
    for (const WireChoice& w : kWires) {
        SCOPED_TRACE(std::string(w.enable) + (w.activeLow ? " active low" : " active high"));
        test::TestMachine m;
        chooseWire(m.ws.settings, w);
        KernelParport kernel;
        {
            PpdevPort port("/dev/parport0", 888, wireRestOf(m.ws.settings),
                           std::make_unique<KernelPpdev>(kernel));
            // The claim is followed at once by the one call that puts the pin at rest.
            ASSERT_GE(kernel.log.size(), 4u);
            EXPECT_EQ(kernel.log[2], "a: PPCLAIM");
            EXPECT_EQ(kernel.log[3].rfind("a: PPFCONTROL", 0), 0u) << kernel.log[3];
            EXPECT_TRUE(atRest(kernel, w));
            m.ws.setPort(port);
            WireOn(m.ws);
            EXPECT_FALSE(atRest(kernel, w));
            StepPulse(m.ws, static_cast<uint8_t>(m.ws.settings.derived.X1Forward),
                      Fixed4::fromInt(1));
            EXPECT_FALSE(atRest(kernel, w));  // a tick leaves the wire alone
        }
        // Let go while on: the release drives it to rest first.
        EXPECT_TRUE(atRest(kernel, w));
        EXPECT_EQ(kernel.log.back(), "a: close");
        EXPECT_EQ(kernel.strayControlBits, 0);
        EXPECT_FALSE(kernel.reverse);
    }
}

// Before this was mended the claim's 0x0C stayed on the pins until the first WireOff, and a
// step failing after the claim released the port with the wire live.
TEST(KernelPpdev, AFailureAfterTheClaimRestsTheWirePinBeforeTheRelease) {
    const unsigned long failing[] = {PPDATADIR, PPRDATA};
    for (const WireChoice& w : kWires) {
        for (unsigned long request : failing) {
            SCOPED_TRACE(std::string(w.enable) + (w.activeLow ? " low " : " high ") +
                         std::to_string(request));
            MachineSettings s;
            s.fields.port_address = "378h";
            chooseWire(s, w);
            KernelParport kernel;
            auto calls = std::make_unique<KernelPpdev>(kernel);
            calls->failOn = request;
            calls->error = EIO;
            EXPECT_THROW(PpdevPort("/dev/parport0", 888, wireRestOf(s), std::move(calls)),
                         RunError);
            EXPECT_TRUE(atRest(kernel, w));
            ASSERT_GE(kernel.log.size(), 3u);
            EXPECT_EQ(kernel.log[kernel.log.size() - 3].rfind("a: PPFCONTROL", 0), 0u);
            EXPECT_EQ(kernel.log[kernel.log.size() - 2], "a: PPRELEASE");
            EXPECT_EQ(kernel.log.back(), "a: close");
            EXPECT_EQ(kernel.devices, 0);
        }
    }
}

TEST(KernelPpdev, AnExclusiveClaimOfAHeldPortNamesWhoMayHoldItAndHowToFreeIt) {
    // Held by another corvane (exclusively) and by the printer driver (shared).
    for (bool byPrinterDriver : {false, true}) {
        KernelParport kernel;
        std::unique_ptr<PpdevPort> first;
        if (byPrinterDriver)
            kernel.devices = 1;
        else
            first = std::make_unique<PpdevPort>("/dev/parport0", 888, WireRest{0x04, true},
                                                std::make_unique<KernelPpdev>(kernel, "a"));
        const unsigned char control = kernel.control;
        try {
            PpdevPort second("/dev/parport0", 888, WireRest{0x01, false},
                             std::make_unique<KernelPpdev>(kernel, "b"));
            ADD_FAILURE() << "the second claim succeeded";
        } catch (const RunError& e) {
            for (const std::string& needle : std::vector<std::string>{
                     "lp", "portscope", "another corvane", "sudo rmmod lp", std::strerror(ENXIO)})
                EXPECT_NE(e.detail().find(needle), std::string::npos)
                    << needle << ": " << e.detail();
        }
        // The refused one wrote nothing: the holder's pins are as they were.
        EXPECT_EQ(kernel.control, control);
        EXPECT_EQ(kernel.log.back(), "b: close");
    }
}

TEST(KernelPpdev, NoWriteTouchesControlBitsAboveThreeOrTurnsTheDataLinesAround) {
    KernelParport kernel;
    PpdevPort port("/dev/parport0", 888, WireRest{0x02, true},
                   std::make_unique<KernelPpdev>(kernel));
    std::mt19937 rng(27);
    for (int i = 0; i < 2000; ++i) {
        const auto value = static_cast<uint8_t>(rng() & 0xFF);
        const auto bit = static_cast<uint8_t>(rng() % 8);
        switch (rng() % 5) {
            case 0:
                port.portOut(890, value);
                break;
            case 1:
                port.setPortBit(890, bit);
                break;
            case 2:
                port.clrPortBit(890, bit);
                break;
            case 3:
                port.notPortBit(890, bit);
                break;
            case 4:
                port.portOut(888, value);
                break;
        }
        ASSERT_EQ(kernel.strayControlBits, 0) << i;
        ASSERT_FALSE(kernel.reverse) << i;
    }
    // The low four lines still follow the writes.
    port.portOut(890, 0xF5);
    EXPECT_EQ(kernel.control, 0x05);
}

TEST(KernelPpdev, CallSequencesAtOpenPerTickAtAFailureAfterTheClaimAndAtExit) {
    test::TestMachine m;
    chooseWire(m.ws.settings, {"Pin 1", 1, true});
    KernelParport kernel;
    std::vector<std::string> open, tick, exit, failure;
    {
        PpdevPort port("/dev/parport0", 888, wireRestOf(m.ws.settings),
                       std::make_unique<KernelPpdev>(kernel));
        open = kernel.log;
        m.ws.setPort(port);
        size_t mark = kernel.log.size();
        StepPulse(m.ws, static_cast<uint8_t>(m.ws.settings.derived.X1Forward), Fixed4::fromInt(1));
        tick = since(kernel, mark);
        m.ws.setPort(m.port);
        kernel.log.clear();
    }  // the port goes
    exit = kernel.log;
    KernelParport failing;
    auto calls = std::make_unique<KernelPpdev>(failing);
    calls->failOn = PPDATADIR;
    EXPECT_THROW(PpdevPort("/dev/parport0", 888, wireRestOf(m.ws.settings), std::move(calls)),
                 RunError);
    failure = failing.log;
    print("open", open);
    print("tick", tick);
    print("failure after the claim", failure);
    print("exit", exit);
    EXPECT_EQ(open, (std::vector<std::string>{"a: open /dev/parport0", "a: PPEXCL", "a: PPCLAIM",
                                              "a: PPFCONTROL mask 0x01 val 0x00", "a: PPDATADIR 0",
                                              "a: PPRDATA"}));
    ASSERT_EQ(tick.size(), 5u);  // the byte, then the four step bits cleared from the copy
    for (const std::string& c : tick) EXPECT_EQ(c.rfind("a: PPWDATA", 0), 0u) << c;
    EXPECT_EQ(exit, (std::vector<std::string>{"a: PPFCONTROL mask 0x01 val 0x00", "a: PPRELEASE",
                                              "a: close"}));
    EXPECT_EQ(failure, (std::vector<std::string>{
                           "a: open /dev/parport0", "a: PPEXCL", "a: PPCLAIM",
                           "a: PPFCONTROL mask 0x01 val 0x00", "a: PPDATADIR 0 -> error",
                           "a: PPFCONTROL mask 0x01 val 0x00", "a: PPRELEASE", "a: close"}));
}

}  // namespace
}  // namespace corvane
