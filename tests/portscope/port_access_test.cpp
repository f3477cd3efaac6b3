// The unit `iounit` on the simulated machine and the ppdev port list on a made-up /proc.
#include "portscope/port_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "portscope/direct_backend.h"
#include "portscope/ppdev_backend.h"
#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

namespace fs = std::filesystem;

TEST(IoUnit, AsksOneGrantPerAddressAndNeverTouchesTheLowAddresses) {
    SimulatedMachine sim;
    IoUnit io(sim);
    io.start();
    io.grantCandidates();
    for (uint16_t base : kCandidatePorts)
        for (uint16_t r = 0; r < 4; ++r) EXPECT_EQ(sim.grantRequests(base + r), 1) << base + r;
    io.write(0x378, 0x12);
    EXPECT_EQ(io.read(0x378), 0x12);
    io.read(0x379);
    io.write(0x500, 1);
    io.read(0x500);
    EXPECT_EQ(sim.grantRequests(0x378), 1);
    EXPECT_EQ(sim.grantRequests(0x500), 1);
    for (uint16_t low : {0, 1, 2, 0x80, 0xFF}) {
        io.write(low, 0xAA);
        EXPECT_EQ(io.read(low), 0xFF);
        EXPECT_FALSE(sim.touched(low)) << low;
    }
}

TEST(IoUnit, ARefusedGrantReadsAllOnesAndSendsNoWrite) {
    SimulatedMachine sim;
    sim.refuseGrant(0x37A);
    IoUnit io(sim);
    io.start();
    io.write(0x37A, 0x05);
    EXPECT_EQ(io.read(0x37A), 0xFF);
    EXPECT_EQ(sim.control(0x378), 0x0C);
    EXPECT_EQ(sim.grantRequests(0x37A), 1);
    for (const auto& a : sim.accesses()) EXPECT_NE(a.address, 0x37A);
}

// A monitor left open polls for days: the simulated machine keeps only its latest accesses, and
// still knows every address it was ever asked for.
TEST(SimulatedMachine, KeepsTheLatestAccessesAndRemembersEveryAddressTouched) {
    SimulatedMachine sim;
    sim.out(0x278, 1);
    const size_t polls = 3 * SimulatedMachine::kKeptAccesses;
    for (size_t i = 0; i < polls; ++i) sim.out(0x378, static_cast<uint8_t>(i));
    ASSERT_EQ(sim.accesses().size(), SimulatedMachine::kKeptAccesses);
    EXPECT_EQ(sim.accesses().back().value, static_cast<uint8_t>(polls - 1));
    EXPECT_EQ(sim.accesses().front().value,
              static_cast<uint8_t>(polls - SimulatedMachine::kKeptAccesses));
    EXPECT_TRUE(sim.touched(0x278));
    EXPECT_FALSE(sim.touched(0x3BC));
    sim.clearAccesses();
    EXPECT_FALSE(sim.touched(0x278));
}

TEST(IoUnit, DetectsTheAnsweringCandidatesInOrderAndLeavesTheirDataAsItWas) {
    struct Case {
        std::vector<uint16_t> ports;
        std::vector<uint16_t> expected;
    };
    for (const Case& c :
         {Case{{0x378}, {0x378, 0, 0}}, Case{{0x278, 0x378}, {0x378, 0x278, 0}},
          Case{{0x278, 0x3BC, 0x378}, {0x3BC, 0x378, 0x278}}, Case{{}, {0, 0, 0}}}) {
        SimulatedMachine sim(c.ports);
        for (uint16_t p : c.ports) sim.setData(p, static_cast<uint8_t>(p & 0xFF));
        IoUnit io(sim);
        io.start();
        for (int n = 1; n <= 3; ++n)
            EXPECT_EQ(io.detect(n), c.expected[static_cast<size_t>(n - 1)]);
        EXPECT_EQ(io.detect(0), 0);
        for (uint16_t p : c.ports) EXPECT_EQ(sim.data(p), p & 0xFF);
        // The last write to every probed data register puts back what was read from it.
        for (uint16_t base : kCandidatePorts) {
            const SimulatedMachine::Access* firstRead = nullptr;
            const SimulatedMachine::Access* lastWrite = nullptr;
            for (const auto& a : sim.accesses()) {
                if (a.address != base) continue;
                if (!a.write && firstRead == nullptr) firstRead = &a;
                if (a.write) lastWrite = &a;
            }
            ASSERT_NE(lastWrite, nullptr);
            EXPECT_EQ(lastWrite->value, firstRead->value);
        }
    }
}

class ProcTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("portscope_proc_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "proc");
        fs::create_directories(root / "dev");
    }
    void TearDown() override { fs::remove_all(root); }
    void port(const std::string& name, const std::string& baseAddr) {
        fs::create_directories(root / "proc" / name);
        std::ofstream(root / "proc" / name / "base-addr") << baseAddr;
    }
    fs::path root;
};

TEST_F(ProcTree, KernelPortsComeInCandidateOrderThenByNumber) {
    port("parport0", "53264\t53272\n");  // a PCI card at D010
    port("parport1", "632\t1656\n");
    port("parport2", "888\t1912\n");
    port("parport3", "garbage\n");
    port("parportx", "956\n");
    fs::create_directories(root / "proc" / "default");
    const auto ports = kernelPorts(root / "proc", root / "dev");
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].base, 0x378);
    EXPECT_EQ(ports[0].device, (root / "dev" / "parport2").string());
    EXPECT_EQ(ports[1].base, 0x278);
    EXPECT_EQ(ports[2].base, 0xD010);
    EXPECT_EQ(ports[2].number, 0);
}

TEST_F(ProcTree, PpdevStartUpSaysWhatIsMissing) {
    {
        PpdevBackend none("", root / "proc", root / "dev");
        try {
            none.connect();
            FAIL() << "no port known, yet connected";
        } catch (const AccessError& e) {
            EXPECT_NE(std::string(e.what()).find("modprobe parport_pc ppdev"), std::string::npos);
        }
    }
    port("parport0", "888 1912");
    {
        PpdevBackend noDevice("", root / "proc", root / "dev");
        try {
            noDevice.connect();
            FAIL() << "no device file, yet connected";
        } catch (const AccessError& e) {
            EXPECT_NE(std::string(e.what()).find("load the ppdev module"), std::string::npos);
        }
    }
    {
        PpdevBackend other("parport7", root / "proc", root / "dev");
        EXPECT_THROW(other.connect(), AccessError);
    }
    if (::geteuid() != 0) {
        std::ofstream(root / "dev" / "parport0") << "";
        fs::permissions(root / "dev" / "parport0", fs::perms::none);
        PpdevBackend locked("0", root / "proc", root / "dev");
        try {
            locked.connect();
            FAIL() << "unreadable device, yet connected";
        } catch (const AccessError& e) {
            EXPECT_NE(std::string(e.what()).find("lp group"), std::string::npos);
        }
    }
}

TEST(DirectBackend, RefusalNamesRootOrTheCapability) {
    DirectBackend direct;
    try {
        direct.connect();
        GTEST_SKIP() << "this process may use direct port access";
    } catch (const AccessError& e) {
        const std::string text = e.what();
        EXPECT_TRUE(text.find("CAP_SYS_RAWIO") != std::string::npos ||
                    text.find("x86") != std::string::npos ||
                    text.find("does not implement ioperm") != std::string::npos)
            << text;
        EXPECT_NE(text.find("ppdev"), std::string::npos);
    }
}

}  // namespace
}  // namespace portscope

namespace portscope {
namespace {

// Direct I/O detects the ports the kernel lists from its list: no complement is written to
// their data lines (uncounted steps on a powered cutter); only without a list does it probe.
TEST_F(ProcTree, DirectDetectionOfKernelListedPortsWritesNothing) {
    DirectBackend unlisted(root / "proc");
    EXPECT_FALSE(unlisted.knownPorts().has_value());
    port("parport0", "632\t1656\n");
    port("parport1", "888\t1912\n");
    port("parport2", "53264\t53272\n");  // not a candidate address: not shown
    DirectBackend listed(root / "proc");
    ASSERT_TRUE(listed.knownPorts().has_value());
    EXPECT_EQ(*listed.knownPorts(), (std::vector<uint16_t>{0x378, 0x278}));
}

}  // namespace
}  // namespace portscope
