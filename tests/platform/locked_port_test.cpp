// A real port is claimed only for a known port, after its lock, and let go (wire pin at rest
// first) before it is unlocked; a second program on the same port is refused naming the first.
#include "platform/locked_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_error.h"
#include "platform/port_select.h"
#include "platform/ppdev_port.h"
#include "support/kernel_ppdev.h"
#include "support/test_support.h"

namespace corvane {
namespace {

struct Rig {
    test::TempDir locks;
    test::KernelParport kernel;
    std::vector<uint16_t> claims;
    LockedPort::Opener opener() {
        return [this](uint16_t base, WireRest rest) {
            claims.push_back(base);
            return std::make_unique<PpdevPort>("/dev/parport0", base, rest,
                                               std::make_unique<test::KernelPpdev>(kernel));
        };
    }
    LockedPort make(WireRest rest = {0x01, false}) {
        return LockedPort(
            "ppdev", opener(), [rest] { return rest; }, locks.path());
    }
    bool lockFileExists() const { return !PortLock::holderOf(0x378, locks.path()).empty(); }
};

TEST(LockedPort, WithoutAKnownPortNothingIsLockedClaimedOrWritten) {
    Rig rig;
    LockedPort port = rig.make();
    port.setDataPort(0);
    EXPECT_TRUE(rig.claims.empty());
    EXPECT_TRUE(rig.kernel.log.empty());
    EXPECT_FALSE(rig.lockFileExists());
    EXPECT_THROW(port.portOut(888, 1), RunError);
    EXPECT_THROW(port.setPortBit(890, 0), RunError);
    EXPECT_EQ(port.describe(), "ppdev (no port set)");
}

TEST(LockedPort, ASecondOpenerOfThePortIsRefusedNamingTheHolderAndClaimsNothing) {
    Rig rig;
    LockedPort first = rig.make();
    first.setDataPort(888);
    ASSERT_EQ(rig.claims, std::vector<uint16_t>{888});
    LockedPort second = rig.make();
    try {
        second.setDataPort(888);
        FAIL() << "claimed twice";
    } catch (const RunError& e) {
        EXPECT_NE(e.detail().find("(process " + std::to_string(::getpid()) + ")"),
                  std::string::npos)
            << e.detail();
    }
    EXPECT_EQ(rig.claims.size(), 1u);
    EXPECT_FALSE(second.claimed());
}

TEST(LockedPort, AChangeOfPortRestsAndReleasesTheOldBeforeClaimingTheNew) {
    Rig rig;
    LockedPort port = rig.make({0x04, true});
    port.setDataPort(888);
    port.clrPortBit(890, 2);  // the wire on
    rig.kernel.log.clear();
    port.setDataPort(632);
    ASSERT_GE(rig.kernel.log.size(), 4u);
    EXPECT_EQ(rig.kernel.log[0], "a: PPFCONTROL mask 0x04 val 0x04");
    EXPECT_EQ(rig.kernel.log[1], "a: PPRELEASE");
    EXPECT_EQ(rig.kernel.log[2], "a: close");
    EXPECT_EQ(rig.claims, (std::vector<uint16_t>{888, 632}));
    // The old port's lock went with it.
    EXPECT_NO_THROW(PortLock(0x378, rig.locks.path()));
}

TEST(LockedPort, AClaimThatFailsLeavesTheLockFree) {
    Rig rig;
    LockedPort port(
        "ppdev",
        [](uint16_t, WireRest) -> std::unique_ptr<PortIo> {
            throw RunError(ErrorNumber::PermissionDenied, "refused");
        },
        {}, rig.locks.path());
    EXPECT_THROW(port.setDataPort(888), RunError);
    EXPECT_NO_THROW(PortLock(0x378, rig.locks.path()));
}

TEST(LockedPort, TheSimulatedPortTakesNoLock) {
    test::TempDir locks;
    ::setenv("CORVANE_LOCK_DIR", locks.path().c_str(), 1);
    auto a = openPort(PortChoice{}, 888);
    auto b = openPort(PortChoice{}, 888);
    ::unsetenv("CORVANE_LOCK_DIR");
    EXPECT_TRUE(std::filesystem::is_empty(locks.path()));
    EXPECT_NO_THROW(a->portOut(888, 1));
    EXPECT_NO_THROW(b->portOut(888, 1));
}

}  // namespace
}  // namespace corvane
