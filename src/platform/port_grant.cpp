// Refusals of port operations outside the granted registers.
#include "platform/port_grant.h"

#include <cstdio>
#include <string>

#include "common/run_error.h"

namespace corvane {

namespace {
std::string hex(unsigned port) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", port);
    return buf;
}
}  // namespace

void PortGrant::check(uint16_t port) const {
    if (covers(port)) return;
    if (base_ == 0) {
        throw RunError(ErrorNumber::PermissionDenied,
                       "no parallel port is set, so nothing is written to " + hex(port) +
                           ": choose the port address in 设备设置 and press Done");
    }
    throw RunError(ErrorNumber::PermissionDenied, hex(port) + " is not a register of the port at " +
                                                      hex(base_) + "; nothing was written");
}

}  // namespace corvane
