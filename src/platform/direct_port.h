// Real port access with ioperm + inb/outb (x86 Linux, root or CAP_SYS_RAWIO).
#pragma once

#include <cstdint>

#include "platform/port_io.h"

namespace corvane {

class DirectPort : public PortIo {
public:
    // Asks the kernel for the three registers at base..base+2. RunError PermissionDenied with a
    // message naming what is missing (root or CAP_SYS_RAWIO) when refused.
    explicit DirectPort(uint16_t base);
    ~DirectPort() override;

    void portOut(uint16_t port, uint8_t value) override;
    void setPortBit(uint16_t port, uint8_t bit) override;
    void clrPortBit(uint16_t port, uint8_t bit) override;
    void notPortBit(uint16_t port, uint8_t bit) override;
    bool getPortBit(uint16_t port, uint8_t bit) override;
    uint8_t portIn(uint16_t port) override;
    std::string describe() const override;
    bool isHardware() const override { return true; }

private:
    void ensureAccess(uint16_t port);
    uint16_t base_;
};

}  // namespace corvane
