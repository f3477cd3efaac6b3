// Direct port I/O: the kernel grants the three registers with ioperm; inb/outb do the rest.
#include "platform/direct_port.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/run_error.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CORVANE_HAS_PORT_IO 1
#else
#define CORVANE_HAS_PORT_IO 0
#endif

namespace corvane {

namespace {

std::string hex(uint16_t port) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(port));
    return buf;
}

[[noreturn]] void refuse(uint16_t port, int err) {
    std::string why = err == EPERM ? "the program needs root or the CAP_SYS_RAWIO capability"
                                   : std::string(std::strerror(err));
    throw RunError(ErrorNumber::PermissionDenied,
                   "direct port access at " + hex(port) + " was refused: " + why +
                       " (or use --port ppdev, which the lp group is enough for)");
}

}  // namespace

DirectPort::DirectPort(uint16_t base) : base_(base) {
#if CORVANE_HAS_PORT_IO
    if (base == 0) {
        throw RunError(ErrorNumber::PermissionDenied,
                       "direct port access needs a port address in the machine settings");
    }
    if (ioperm(base, 3, 1) != 0) refuse(base, errno);
#else
    throw RunError(ErrorNumber::PermissionDenied,
                   "direct port access at " + hex(base) + " needs an x86 processor");
#endif
}

DirectPort::~DirectPort() {
#if CORVANE_HAS_PORT_IO
    ioperm(base_, 3, 0);
#endif
}

void DirectPort::ensureAccess(uint16_t port) {
#if CORVANE_HAS_PORT_IO
    if (port >= base_ && port <= base_ + 2) return;
    if (ioperm(port, 1, 1) != 0) refuse(port, errno);
#else
    (void)port;
#endif
}

void DirectPort::portOut(uint16_t port, uint8_t value) {
    ensureAccess(port);
#if CORVANE_HAS_PORT_IO
    outb(value, port);
#else
    (void)value;
#endif
}

uint8_t DirectPort::portIn(uint16_t port) {
    ensureAccess(port);
#if CORVANE_HAS_PORT_IO
    return inb(port);
#else
    return 0;
#endif
}

void DirectPort::setPortBit(uint16_t port, uint8_t bit) {
    if (bit < 8) portOut(port, static_cast<uint8_t>(portIn(port) | (1u << bit)));
}

void DirectPort::clrPortBit(uint16_t port, uint8_t bit) {
    if (bit < 8) portOut(port, static_cast<uint8_t>(portIn(port) & ~(1u << bit)));
}

void DirectPort::notPortBit(uint16_t port, uint8_t bit) {
    if (bit < 8) portOut(port, static_cast<uint8_t>(portIn(port) ^ (1u << bit)));
}

bool DirectPort::getPortBit(uint16_t port, uint8_t bit) {
    return bit < 8 && ((portIn(port) >> bit) & 1u) != 0;
}

std::string DirectPort::describe() const {
    return "Direct I/O at " + hex(base_);
}

}  // namespace corvane
