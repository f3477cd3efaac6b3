// The unit `iounit`: portscope's only way to the parallel port. One grant per address, asked of
// the backend before the first access and never twice; reads, writes and the detection of the
// three classic port addresses.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace portscope {

// The classic parallel-port bases, in the order detection tries them.
inline constexpr std::array<uint16_t, 3> kCandidatePorts = {0x3BC, 0x378, 0x278};

// Start-up could not reach any port: what() says what is missing, for the operator.
class AccessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the kernel offers: a per-address grant and byte input and output.
class PortBackend {
public:
    virtual ~PortBackend() = default;
    // Start-up: throws AccessError naming what is missing when no access is possible.
    virtual void connect() = 0;
    // Opens one address for this process; false when the kernel refused it.
    [[nodiscard]] virtual bool requestGrant(uint16_t address) = 0;
    virtual uint8_t in(uint16_t address) = 0;
    virtual void out(uint16_t address, uint8_t value) = 0;
    // The port bases the kernel reports, when it keeps such a list (ppdev); nullopt means
    // detection probes the candidate addresses.
    virtual std::optional<std::vector<uint16_t>> knownPorts() { return std::nullopt; }
    // "Simulated port", "Direct I/O", "ppdev /dev/parport0".
    virtual std::string describe() const = 0;
    // True for the simulated machine: every place that shows a port says so.
    virtual bool simulated() const { return false; }
    // Why the port at `base` could not be claimed or written (held by another program, the
    // kernel refused), for the window and --list; empty when nothing was refused.
    virtual std::string refusal(uint16_t base) const {
        (void)base;
        return {};
    }
};

class IoUnit {
public:
    explicit IoUnit(PortBackend& backend) : backend_(backend) {}

    // Connects the backend and clears the grant table; AccessError when it cannot.
    void start();
    // Asks the backend once per address. An address below 0x100 (timers, interrupt and DMA
    // controllers, never a parallel port) is never granted, read or written.
    void grant(uint16_t address);
    bool granted(uint16_t address) const { return asked_[address]; }
    // Asked and allowed: reads of it show the port, not the 0xFF of a refused grant.
    bool allowed(uint16_t address) const { return asked_[address] && allowed_[address]; }
    // Reads 0xFF and ignores the write where the grant was refused: an unpermitted port
    // instruction would end the process.
    uint8_t read(uint16_t address);
    void write(uint16_t address, uint8_t value);
    // The n-th answering candidate (n from 1), 0 when fewer answer. The data register of every
    // candidate is left as it was.
    uint16_t detect(int n);
    // The twelve registers of the three candidates (base to base + 3), granted at start.
    void grantCandidates();

    PortBackend& backend() { return backend_; }

private:
    bool usable(uint16_t address);
    PortBackend& backend_;
    std::bitset<65536> asked_;
    std::bitset<65536> allowed_;
};

}  // namespace portscope
