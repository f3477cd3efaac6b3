// The watched port: slots, Port changes, samples, beeps and the operator's writes.
#include "portscope/monitor.h"

#include <gtest/gtest.h>

#include "portscope/display_tables.h"
#include "portscope/simulated_machine.h"

namespace portscope {
namespace {

struct Rig {
    explicit Rig(std::vector<uint16_t> ports) : sim(std::move(ports)), io(sim), monitor(io) {
        io.start();
    }
    SimulatedMachine sim;
    IoUnit io;
    Monitor monitor;
};

TEST(Monitor, TwoPortsAlternateOnTheHeaderAndTheSavedPortIsChosen) {
    Rig rig({0x278, 0x378});
    rig.monitor.start(0);
    EXPECT_EQ(rig.monitor.portSlots(), (std::array<uint16_t, 3>{0x378, 0x278, 0}));
    EXPECT_EQ(rig.monitor.base(), 0x378);
    EXPECT_TRUE(rig.monitor.selectNextSlot());
    EXPECT_EQ(rig.monitor.base(), 0x278);
    EXPECT_TRUE(rig.monitor.selectNextSlot());
    EXPECT_EQ(rig.monitor.base(), 0x378);
    EXPECT_TRUE(rig.monitor.selectAddress(0x278));
    EXPECT_EQ(rig.monitor.slot(), 1);
    EXPECT_FALSE(rig.monitor.selectAddress(0x278));

    Rig saved({0x278, 0x378});
    saved.monitor.start(0x278);
    EXPECT_EQ(saved.monitor.base(), 0x278);
    Rig gone({0x378});
    gone.monitor.start(0x278);
    EXPECT_EQ(gone.monitor.base(), 0x378);
    EXPECT_FALSE(gone.monitor.selectNextSlot());
}

TEST(Monitor, APortChangeRedrawsEverythingThenOnlyWhatChanged) {
    Rig rig({0x378});
    rig.monitor.start(0);
    Sample s = rig.monitor.sample();
    EXPECT_EQ(s.changed, 0b111);
    EXPECT_EQ(s.values, (std::array<uint8_t, 3>{0x00, 0x78, 0x0C}));
    EXPECT_EQ(rig.monitor.sample().changed, 0);

    // A printer going away: with the status beep set, one beep per sample that finds a change.
    rig.monitor.setBeeps(1u << kStatus);
    rig.sim.setStatus(0x378, 0x7F);
    s = rig.monitor.sample();
    EXPECT_EQ(s.changed, 1u << kStatus);
    EXPECT_TRUE(s.beep);
    EXPECT_FALSE(rig.monitor.sample().beep);
    rig.sim.setData(0x378, 0x01);
    s = rig.monitor.sample();
    EXPECT_EQ(s.changed, 1u << kData);
    EXPECT_FALSE(s.beep);
    rig.monitor.flipBeep(kData);
    EXPECT_EQ(rig.monitor.beeps(), 0b011);

    rig.monitor.resetPrevious();
    EXPECT_EQ(rig.monitor.sample().changed, 0b111);
}

TEST(Monitor, WritesByPinAndByValueReachTheWritableRegistersOnly) {
    Rig rig({0x378});
    rig.monitor.start(0);
    rig.monitor.flipBits(kData, 0x08);  // the D3 pin
    EXPECT_EQ(rig.sim.data(0x378), 0x08);
    rig.monitor.flipBits(kData, 0x08);
    EXPECT_EQ(rig.sim.data(0x378), 0x00);
    rig.monitor.flipBits(kControl, 0x01);
    EXPECT_EQ(rig.sim.control(0x378), 0x0D);
    rig.monitor.write(kStatus, 0x00);
    EXPECT_EQ(rig.monitor.read(kStatus), 0x78);
    rig.monitor.write(kData, 0xFF);
    EXPECT_EQ(rig.monitor.read(kData), 0xFF);
}

TEST(Monitor, WithoutADetectedPortNothingLowIsEverTouched) {
    Rig rig({});
    rig.monitor.start(0x378);
    EXPECT_FALSE(rig.monitor.hasPort());
    EXPECT_EQ(rig.monitor.portSlots(), (std::array<uint16_t, 3>{0, 0, 0}));
    EXPECT_EQ(rig.monitor.sample().changed, 0);
    rig.monitor.write(kData, 0x55);
    rig.monitor.flipBits(kControl, 0x01);
    rig.monitor.resetPrevious();
    EXPECT_FALSE(rig.monitor.selectNextSlot());
    EXPECT_FALSE(rig.monitor.selectAddress(0));
    EXPECT_EQ(rig.monitor.read(kData), 0);
    for (uint16_t a = 0; a < 0x100; ++a) EXPECT_FALSE(rig.sim.touched(a)) << a;
    // Only the detection's probes of the candidates went to the port.
    for (const auto& a : rig.sim.accesses()) {
        bool candidate = false;
        for (uint16_t base : kCandidatePorts) candidate = candidate || a.address == base;
        EXPECT_TRUE(candidate) << a.address;
    }
}

}  // namespace
}  // namespace portscope
