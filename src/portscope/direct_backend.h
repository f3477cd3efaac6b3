// Direct port access on x86 Linux: ioperm opens one address at a time for this process (root
// or CAP_SYS_RAWIO), inb and outb do the rest.
#pragma once

#include "portscope/port_access.h"

namespace portscope {

class DirectBackend : public PortBackend {
public:
    void connect() override;
    bool requestGrant(uint16_t address) override;
    uint8_t in(uint16_t address) override;
    void out(uint16_t address, uint8_t value) override;
    std::string describe() const override { return "Direct I/O"; }
};

}  // namespace portscope
