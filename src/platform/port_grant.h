// The registers a port backend may touch: the data, status and control register of the port
// the settings name (base, base+1, base+2). With no port named (base 0) it grants nothing, so a
// backend never writes to an address the operator did not choose.
#pragma once

#include <cstdint>

namespace corvane {

class PortGrant {
public:
    PortGrant() = default;
    explicit PortGrant(uint16_t base) : base_(base) {}

    uint16_t base() const { return base_; }
    bool any() const { return base_ != 0; }
    bool covers(uint16_t port) const { return base_ != 0 && port >= base_ && port - base_ <= 2; }
    // RunError PermissionDenied naming the address and the granted port (or that none is set).
    void check(uint16_t port) const;

private:
    uint16_t base_ = 0;
};

}  // namespace corvane
