// The machine's one lease: a second asker is refused with the holder's name, the hold ends with
// its scope wherever that is left, and no settings come into force while it is held.
#include "machine/machine_lease.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "machine/step_output.h"
#include "machine/wire_state.h"
#include "machine/workspace.h"
#include "support/test_support.h"

namespace corvane {
namespace {

TEST(MachineLease, OneHolderAtATimeNamedInTheRefusalAndFreedWithItsScope) {
    MachineLease lease;
    int cut = 0, jog = 0;
    EXPECT_TRUE(lease.refusal().empty());
    EXPECT_TRUE(lease.mayWrite(&jog));
    {
        LeaseHold hold = lease.take(&cut, "泡沫切割 - 进度信息");
        ASSERT_TRUE(hold);
        EXPECT_TRUE(lease.heldBy(&cut));
        EXPECT_TRUE(lease.mayWrite(&cut));
        EXPECT_FALSE(lease.mayWrite(&jog));
        // A second asker, and the holder asking again, get nothing; the first hold stays.
        EXPECT_FALSE(lease.take(&jog, "单轴手动控制"));
        EXPECT_FALSE(lease.take(&cut, "again"));
        EXPECT_TRUE(lease.heldBy(&cut));
        EXPECT_NE(lease.refusal().find("泡沫切割 - 进度信息"), std::string::npos);
        EXPECT_NE(lease.settingsRefusal().find("泡沫切割 - 进度信息"), std::string::npos);
        // Moved, the hold still releases exactly once.
        LeaseHold moved = std::move(hold);
        EXPECT_FALSE(hold);
        EXPECT_TRUE(lease.held());
    }
    EXPECT_FALSE(lease.held());
    EXPECT_TRUE(lease.holderName().empty());
    EXPECT_TRUE(lease.refusal().empty());
    // Left by an exception, the scope frees it too.
    try {
        LeaseHold hold = lease.take(&jog, kCommandLineHolder);
        EXPECT_NE(lease.refusal().find("a cut started from the command line"), std::string::npos);
        throw RunError(ErrorNumber::PermissionDenied);
    } catch (const RunError&) {
    }
    EXPECT_FALSE(lease.held());
    EXPECT_FALSE(lease.take(nullptr, "nobody"));
}

TEST(MachineLease, SettingsApplyUnderALeaseChangesNothingAndWritesNothing) {
    test::TestMachine m;
    m.ws.settings.fields.enable = "Pin 1";
    m.ws.settings.derive();
    const MachineSettings before = m.ws.settings;
    MachineSettings next = before;
    next.fields.enable = "Pin 17";
    next.fields.port_address = "278h";
    next.derive();
    int cut = 0;
    LeaseHold hold = m.ws.lease.take(&cut, "机翼切割 - 切割进度信息");
    m.port.clearOperations();
    try {
        applyMachineSettings(m.ws, next);
        FAIL() << "applied under a lease";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 70);
        EXPECT_NE(e.detail().find("机翼切割 - 切割进度信息"), std::string::npos);
    }
    EXPECT_TRUE(m.port.operations().empty());
    EXPECT_EQ(m.ws.settings.fileLine(), before.fileLine());
    EXPECT_EQ(m.ws.settings.derived.DataPort, 0x378);
    EXPECT_EQ(m.ws.settings.derived.wire, before.derived.wire);
    hold.release();
    applyMachineSettings(m.ws, next);
    EXPECT_EQ(m.ws.settings.derived.DataPort, 0x278);
}

}  // namespace
}  // namespace corvane
