// Refusals of port operations outside the granted registers.
#include "platform/port_grant.h"

#include <cstdio>
#include <string>

#include "common/number_format.h"
#include "common/run_error.h"

namespace corvane {

void PortGrant::check(uint16_t port) const {
    if (covers(port)) return;
    if (base_ == 0) {
        throw RunError(ErrorNumber::PermissionDenied,
                       "no parallel port is set, so nothing is written to " +
                           formatPortAddress(port) +
                           ": choose the port address in 设备设置 and press Done");
    }
    throw RunError(ErrorNumber::PermissionDenied,
                   formatPortAddress(port) + " is not a register of the port at " +
                       formatPortAddress(base_) + "; nothing was written");
}

}  // namespace corvane
