// A real port (direct I/O or ppdev) opened in the safe order: nothing is claimed until the
// settings name a known port; then the port's lock is taken, the backend claims the port and
// drives the wire pin to rest at once. A change of port lets the old one go (wire pin at rest
// first) and claims the new one the same way; with no port every access is refused.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "common/port_lock.h"
#include "platform/port_io.h"

namespace corvane {

class LockedPort : public PortIo {
public:
    // Opens the backend for a port address once the lock is held; RunError when it cannot.
    using Opener = std::function<std::unique_ptr<PortIo>(uint16_t base, WireRest rest)>;
    // The wire pin's rest for the settings in force when the claim happens.
    using RestSource = std::function<WireRest()>;

    // `kindText` names the backend while no port is claimed ("Direct I/O", "ppdev").
    LockedPort(std::string kindText, Opener open, RestSource rest,
               std::filesystem::path lockDirectory = {});
    ~LockedPort() override;

    // 0: lets the claimed port go. Another base: lets the old one go, then locks and claims
    // the new one (RunError, with nothing claimed, when either fails).
    void setDataPort(uint16_t base) override;
    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    std::string describe() const override;
    bool isHardware() const override { return true; }
    int deviceHandle() const override { return inner_ ? inner_->deviceHandle() : -1; }

    bool claimed() const { return inner_ != nullptr; }

private:
    PortIo& inner(uint16_t port);
    void release();
    std::string kindText_;
    Opener open_;
    RestSource rest_;
    std::filesystem::path lockDirectory_;
    uint16_t base_ = 0;
    std::unique_ptr<PortLock> lock_;
    std::unique_ptr<PortIo> inner_;  // goes before the lock: the port is let go, then unlocked
};

}  // namespace corvane
