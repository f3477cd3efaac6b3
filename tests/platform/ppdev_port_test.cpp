// The ppdev backend against a fake device: the exact calls at open, per tick and per wire
// change, and the messages when the port is held by someone else.
#include "platform/ppdev_port.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>
// After sys/ioctl.h: the request numbers need its macros.
#include <linux/ppdev.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "common/run_error.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "support/test_support.h"

namespace corvane {
namespace {

// Records every call by name; a control or data register that remembers what was written.
struct FakeDevice : PpdevCalls {
    std::vector<std::string>* log;
    unsigned long failOn = 0;  // this request fails with `error`
    int error = EBUSY;
    int openError = 0;  // open fails with this
    unsigned char data = 0x5A, control = 0x04;
    explicit FakeDevice(std::vector<std::string>* l) : log(l) {}

    int open(const std::string& device, int& fd) override {
        log->push_back("open " + device);
        fd = 7;
        return openError;
    }
    int ioctl(int, unsigned long request, void* arg) override {
        auto* byte = static_cast<unsigned char*>(arg);
        std::string name;
        if (request == PPEXCL) name = "EXCL";
        if (request == PPCLAIM) name = "CLAIM";
        if (request == PPRELEASE) name = "RELEASE";
        if (request == PPDATADIR) name = "DATADIR " + std::to_string(*static_cast<int*>(arg));
        if (request == PPRDATA) name = "RDATA", *byte = data;
        if (request == PPRCONTROL) name = "RCONTROL", *byte = control;
        if (request == PPRSTATUS) name = "RSTATUS", *byte = 0x78;
        if (request == PPWDATA) name = "WDATA " + std::to_string(data = *byte);
        if (request == PPWCONTROL) name = "WCONTROL " + std::to_string(control = *byte);
        if (request == PPFCONTROL) {
            auto* frob = static_cast<ppdev_frob_struct*>(arg);
            control = static_cast<unsigned char>((control & ~frob->mask) | frob->val);
            name = "FCONTROL " + std::to_string(frob->mask) + " " + std::to_string(frob->val);
        }
        log->push_back(name);
        return request == failOn ? error : 0;
    }
    void close(int) override { log->push_back("close"); }
};

TEST(PpdevPort, OpensExclusivelyDrivesTheDataLinesAndReleasesWithoutWriting) {
    std::vector<std::string> log;
    {
        PpdevPort port("/dev/parport0", 888, std::make_unique<FakeDevice>(&log));
        EXPECT_EQ(log, (std::vector<std::string>{"open /dev/parport0", "EXCL", "CLAIM", "DATADIR 0",
                                                 "RDATA"}));
        log.clear();
    }
    EXPECT_EQ(log, (std::vector<std::string>{"RELEASE", "close"}));
}

// A device that cannot be opened names the device, the error and the fix an operator applies.
TEST(PpdevPort, AnUnopenableDeviceNamesTheDeviceTheErrorAndTheFix) {
    const struct {
        int error;
        const char* fix;
    } cases[] = {{EACCES, "sudo adduser $USER lp"},
                 {EPERM, "lp group"},
                 {ENOENT, "sudo modprobe parport_pc ppdev"},
                 {ENODEV, "modprobe"}};
    for (const auto& c : cases) {
        std::vector<std::string> log;
        auto device = std::make_unique<FakeDevice>(&log);
        device->openError = c.error;
        try {
            PpdevPort port("/dev/parport1", 888, std::move(device));
            ADD_FAILURE() << "opened with error " << c.error;
        } catch (const RunError& e) {
            EXPECT_NE(e.detail().find("/dev/parport1"), std::string::npos) << e.detail();
            EXPECT_NE(e.detail().find(std::strerror(c.error)), std::string::npos) << e.detail();
            EXPECT_NE(e.detail().find(c.fix), std::string::npos) << e.detail();
        }
    }
}

TEST(PpdevPort, APortHeldByAnotherDriverIsAClearMessageAndNothingStaysOpen) {
    std::vector<std::string> log;
    auto device = std::make_unique<FakeDevice>(&log);
    device->failOn = PPCLAIM;
    try {
        PpdevPort port("/dev/parport0", 888, std::move(device));
        FAIL() << "opened";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 70);
        EXPECT_NE(e.detail().find("rmmod lp"), std::string::npos) << e.detail();
    }
    EXPECT_EQ(log.back(), "close");
    EXPECT_EQ(std::count(log.begin(), log.end(), std::string("DATADIR 0")), 0);
}

TEST(PpdevPort, ATickIsFiveDataWritesAndNoReadAndAWireChangeIsOneCall) {
    std::vector<std::string> log;
    PpdevPort port("/dev/parport0", 888, std::make_unique<FakeDevice>(&log));
    test::TestMachine m;
    m.ws.setPort(port);
    m.ws.settings.fields.enable = "Pin 16";
    m.ws.settings.derive();
    log.clear();
    // Reset Defaults pins: X1 step on D1, direction on D0 (X1Forward = step bit only).
    const uint8_t x1Forward = static_cast<uint8_t>(m.ws.settings.derived.X1Forward);
    StepPulse(m.ws, x1Forward, Fixed4::fromInt(1));
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0], "WDATA " + std::to_string(x1Forward));
    for (size_t i = 1; i < log.size(); ++i) EXPECT_EQ(log[i].rfind("WDATA ", 0), 0u) << log[i];
    EXPECT_EQ(log.back(), "WDATA 0");  // every step bit clear, from the kept copy
    log.clear();
    WireOn(m.ws);   // pin 16 active low: bit 2 cleared, alone
    WireOff(m.ws);  // and set
    EXPECT_EQ(log, (std::vector<std::string>{"FCONTROL 4 0", "FCONTROL 4 4"}));
    log.clear();
    EXPECT_TRUE(port.getPortBit(889, 3));  // the troubleshooter's read goes to the port
    EXPECT_EQ(log, (std::vector<std::string>{"RSTATUS"}));
    EXPECT_THROW(port.portOut(891, 0), RunError);
}

}  // namespace
}  // namespace corvane
