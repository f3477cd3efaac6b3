// A machine without hardware for tests and dry use: parallel ports at chosen bases whose data
// and control registers latch what was written and whose status bits a test sets. Every grant
// request and every access is counted, so tests can see what was touched.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "portscope/port_access.h"

namespace portscope {

class SimulatedMachine : public PortBackend {
public:
    struct Access {
        uint16_t address;
        bool write;
        uint8_t value;
    };

    explicit SimulatedMachine(std::vector<uint16_t> bases = {0x378});

    void connect() override {}
    [[nodiscard]] bool requestGrant(uint16_t address) override;
    uint8_t in(uint16_t address) override;
    void out(uint16_t address, uint8_t value) override;
    std::string describe() const override;
    bool simulated() const override { return true; }

    // Test and demo side: the lines a printer would drive, and the latches as they stand.
    void setStatus(uint16_t base, uint8_t value);
    uint8_t data(uint16_t base) const;
    uint8_t control(uint16_t base) const;
    void setData(uint16_t base, uint8_t value);
    void setControl(uint16_t base, uint8_t value);
    // A grant the kernel would refuse (direct access to an address it does not allow).
    void refuseGrant(uint16_t address) { refused_.push_back(address); }

    int grantRequests(uint16_t address) const;
    // The latest accesses, oldest first: a monitor polls for as long as it is open, so only the
    // last kKeptAccesses are kept.
    static constexpr size_t kKeptAccesses = 4096;
    const std::deque<Access>& accesses() const { return accesses_; }
    void clearAccesses() {
        accesses_.clear();
        touched_.clear();
    }
    // True when any access or grant request went to the address.
    bool touched(uint16_t address) const;

private:
    struct Registers {
        uint8_t data = 0x00;
        uint8_t status = 0x78;
        uint8_t control = 0x0C;
    };
    Registers* portAt(uint16_t address, int* offset);
    const Registers* portAt(uint16_t address, int* offset) const;
    std::vector<uint16_t> bases_;
    std::map<uint16_t, Registers> ports_;
    std::map<uint16_t, int> grants_;
    std::vector<uint16_t> refused_;
    void remember(const Access& access);
    std::deque<Access> accesses_;
    std::set<uint16_t> touched_;  // every address accessed since the last clear
};

}  // namespace portscope
