// The default port backend: a register file of every address written, so a dry run behaves
// like the machine without touching hardware. Records every operation when asked to.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_grant.h"
#include "platform/port_io.h"

namespace corvane {

struct PortOperation {
    enum class Kind { Out, Set, Clr, Not, Get, In };
    Kind kind;
    uint16_t port;
    uint8_t value;  // the byte written or read, or the bit number for Set/Clr/Not/Get
};

class SimulatedPort : public PortIo {
public:
    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    // Restricts the register file to one port's registers, as the program's backend is; a
    // fresh simulated port (the tests' bench) accepts every address.
    void setDataPort(uint16_t base) override { grant_ = PortGrant(base); }
    std::string describe() const override { return "Simulated port"; }
    bool isHardware() const override { return false; }

    // The status register of a port with nothing attached: pins 10, 11, 12, 13 and 15 high,
    // which reads bits 6, 5, 4, 3 set and bit 7 (the inverted pin 11) clear. The status
    // registers of the three known addresses (0x379, 0x279, 0x3BD) start with it.
    static constexpr uint8_t kIdleStatus = 0x78;

    uint8_t reg(uint16_t port) const;
    void setReg(uint16_t port, uint8_t value) { regs_[port] = value; }

    // Keep every operation in memory (tests decode them); off by default.
    void setRecording(bool on) { recording_ = on; }
    const std::vector<PortOperation>& operations() const { return ops_; }
    void clearOperations() { ops_.clear(); }
    // Called after every operation (a trace writer, a test probe).
    void setObserver(std::function<void(const PortOperation&)> observer) {
        observer_ = std::move(observer);
    }

private:
    void record(PortOperation::Kind kind, uint16_t port, uint8_t value);
    void check(uint16_t port) const {
        if (grant_) grant_->check(port);
    }
    std::optional<PortGrant> grant_;
    std::map<uint16_t, uint8_t> regs_{
        {0x379, kIdleStatus}, {0x279, kIdleStatus}, {0x3BD, kIdleStatus}};
    bool recording_ = false;
    std::vector<PortOperation> ops_;
    std::function<void(const PortOperation&)> observer_;
};

}  // namespace corvane
