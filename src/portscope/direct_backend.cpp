// ioperm per granted address; the start-up check asks for one candidate and gives it back, so
// the grant table alone decides what is open afterwards.
#include "portscope/direct_backend.h"

#include <cerrno>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define PORTSCOPE_HAS_PORT_IO 1
#else
#define PORTSCOPE_HAS_PORT_IO 0
#endif

namespace portscope {

void DirectBackend::connect() {
#if PORTSCOPE_HAS_PORT_IO
    const uint16_t probe = kCandidatePorts[1];
    if (ioperm(probe, 1, 1) != 0) {
        const int err = errno;
        if (err == EPERM)
            throw AccessError(
                "Direct port access needs root or the CAP_SYS_RAWIO capability "
                "(sudo setcap cap_sys_rawio+ep portscope), or use --port ppdev, for which "
                "membership of the lp group is enough.");
        if (err == ENOSYS)
            throw AccessError(
                "Direct port access is not offered here (the kernel does not implement ioperm, "
                "as in some containers and virtual machines); use --port ppdev instead.");
        throw AccessError(std::string("Direct port access was refused: ") + std::strerror(err) +
                          ". Use --port ppdev instead.");
    }
    ioperm(probe, 1, 0);
#else
    throw AccessError("Direct port access needs an x86 processor; use --port ppdev instead.");
#endif
}

bool DirectBackend::requestGrant(uint16_t address) {
#if PORTSCOPE_HAS_PORT_IO
    return ioperm(address, 1, 1) == 0;
#else
    (void)address;
    return false;
#endif
}

uint8_t DirectBackend::in(uint16_t address) {
#if PORTSCOPE_HAS_PORT_IO
    return inb(address);
#else
    (void)address;
    return 0xFF;
#endif
}

void DirectBackend::out(uint16_t address, uint8_t value) {
#if PORTSCOPE_HAS_PORT_IO
    outb(value, address);
#else
    (void)address;
    (void)value;
#endif
}

}  // namespace portscope
