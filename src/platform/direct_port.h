// Real port access with ioperm + inb/outb (x86 Linux, root or CAP_SYS_RAWIO). The kernel grants
// exactly the three registers of the port the settings name, when the port opens and when the
// port setting changes; nothing is granted on demand, so no other address is ever touched.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/port_grant.h"
#include "platform/port_io.h"

namespace corvane {

// The processor's port instructions and the kernel's permission call (a fake in tests).
class PortInstructions {
public:
    virtual ~PortInstructions() = default;
    virtual int ioperm(uint16_t from, unsigned count, bool on) = 0;  // 0 or an errno value
    virtual uint8_t inb(uint16_t port) = 0;
    virtual void outb(uint8_t value, uint16_t port) = 0;
};
// The real instructions; on a processor without port I/O every ioperm fails.
std::unique_ptr<PortInstructions> realPortInstructions();

class DirectPort : public PortIo {
public:
    // Grants the three registers at base..base+2 (none for base 0: every access is then
    // refused) and drives the wire pin to `rest` at once. RunError PermissionDenied with a
    // message naming what is missing (root or CAP_SYS_RAWIO) when the kernel refuses.
    explicit DirectPort(uint16_t base, WireRest rest = {},
                        std::unique_ptr<PortInstructions> io = realPortInstructions());
    DirectPort(uint16_t base, std::unique_ptr<PortInstructions> io)
        : DirectPort(base, WireRest{}, std::move(io)) {}
    ~DirectPort() override;

    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    // Drives the wire pin to rest, gives the old registers back and asks for the new port's
    // three (nothing for 0), where the wire pin goes to rest first.
    void setDataPort(uint16_t base) override;
    std::string describe() const override;
    bool isHardware() const override { return true; }

    const PortGrant& grant() const { return grant_; }

private:
    void driveRest();
    std::unique_ptr<PortInstructions> io_;
    WireRest rest_;
    PortGrant grant_;
};

}  // namespace corvane
