// The safe order of opening the port: a trace file that cannot be created opens no port; a
// port text that names no known port ("0x378"), a missing settings file and a damaged one
// claim nothing; a good file claims once, after the lock, with the wire pin at rest right
// after the claim.
#include "machine/port_opening.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "machine/wire_guard.h"
#include "platform/locked_port.h"
#include "platform/ppdev_port.h"
#include "support/kernel_ppdev.h"
#include "support/test_support.h"

namespace corvane {
namespace {

struct Rig {
    test::TempDir dir;
    test::TempDir locks;
    test::KernelParport kernel;
    FakeClock clock;
    int opens = 0;
    std::vector<uint16_t> claims;

    PortOpener opener() {
        return [this](const PortChoice&, uint16_t dataPort, std::function<WireRest()> rest) {
            ++opens;
            auto port = std::make_unique<LockedPort>(
                "ppdev",
                [this](uint16_t base, WireRest r) {
                    claims.push_back(base);
                    return std::make_unique<PpdevPort>("/dev/parport0", base, r,
                                                       std::make_unique<test::KernelPpdev>(kernel));
                },
                std::move(rest), locks.path());
            port->setDataPort(dataPort);
            return port;
        };
    }
    // The program's way: settings that loaded in full, or nullptr.
    MachinePort open(const std::optional<std::string>& trace, MachineSettings& s) {
        bool full = true;
        try {
            s.load(dir / "settings.txt");
        } catch (...) {
            full = false;
        }
        PortChoice choice;
        choice.kind = PortChoice::Kind::Ppdev;
        return openMachinePort(
            choice, trace, full ? &s : nullptr, [&s] { return &s; }, clock, opener());
    }
};

std::string settingsWith(const char* port, const char* enable) {
    std::vector<std::string> v = test::resetDefaultsValues();
    v[18] = std::string("\"") + enable + "\"";
    v[19] = std::string("\"") + port + "\"";
    return test::settingsLine(v);
}

TEST(PortOpening, NoClaimWithoutSettingsThatNameAKnownPortInFull) {
    const struct {
        const char* name;
        std::string file;  // empty: no settings file
    } cases[] = {
        {"port text 0x378", settingsWith("0x378", "Pin 16")},
        {"no settings file", ""},
        {"a short line", settingsWith("378h", "Pin 16").substr(0, 120) + "\r\n"},
        {"a bad field 25",
         [] {
             std::vector<std::string> v = test::resetDefaultsValues();
             v[18] = "\"Pin 16\"";
             v[24] = "\"x\"";
             return test::settingsLine(v);
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        if (!c.file.empty()) test::writeFile(rig.dir / "settings.txt", c.file);
        MachineSettings s;
        MachinePort port = rig.open(std::nullopt, s);
        EXPECT_EQ(rig.opens, 1);
        EXPECT_TRUE(rig.claims.empty());
        EXPECT_TRUE(rig.kernel.log.empty());  // not even opened: no claim, no 0x0C
        EXPECT_TRUE(std::filesystem::is_empty(rig.locks.path()));
        EXPECT_EQ(port.live().describe(), "ppdev (no port set)");
    }
}

TEST(PortOpening, ATraceFileThatCannotBeCreatedOpensNoPort) {
    Rig rig;
    test::writeFile(rig.dir / "settings.txt", settingsWith("378h", "Pin 16"));
    MachineSettings s;
    try {
        MachinePort port = rig.open((rig.dir / "no-such-folder" / "trace.txt").string(), s);
        FAIL() << "opened";
    } catch (const RunError& e) {
        EXPECT_NE(e.detail().find("cannot create the trace file"), std::string::npos);
    }
    EXPECT_EQ(rig.opens, 0);
    EXPECT_TRUE(rig.kernel.log.empty());
    EXPECT_TRUE(std::filesystem::is_empty(rig.locks.path()));
}

TEST(PortOpening, AGoodFileClaimsOnceWithTheWirePinAtRestAndTheTraceAndGuardInPlace) {
    Rig rig;
    test::writeFile(rig.dir / "settings.txt", settingsWith("378h", "Pin 16"));
    MachineSettings s;
    {
        MachinePort port = rig.open((rig.dir / "trace.txt").string(), s);
        EXPECT_EQ(rig.claims, std::vector<uint16_t>{888});
        ASSERT_GE(rig.kernel.log.size(), 4u);
        EXPECT_EQ(rig.kernel.log[2], "a: PPCLAIM");
        EXPECT_EQ(rig.kernel.log[3].rfind("a: PPFCONTROL mask 0x04", 0), 0u);
        // Pin 16 active low (Reset Defaults' level) at rest: high.
        EXPECT_TRUE(rig.kernel.pinHigh(16));
        EXPECT_TRUE(std::filesystem::exists(rig.dir / "trace.txt"));
        EXPECT_TRUE(WireGuard::armedLevel().valid);
        EXPECT_EQ(WireGuard::armedLevel().port, 890);
    }
    // Gone: the guard let go first, the port rested and was released, the lock is free.
    EXPECT_FALSE(WireGuard::armedLevel().valid);
    EXPECT_EQ(rig.kernel.log.back(), "a: close");
    EXPECT_NO_THROW(PortLock(0x378, rig.locks.path()));
}

}  // namespace
}  // namespace corvane
