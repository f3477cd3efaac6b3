// Direct port I/O: the kernel grants the three registers with ioperm; inb/outb do the rest.
#include "platform/direct_port.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "common/number_format.h"
#include "common/run_error.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define CORVANE_HAS_PORT_IO 1
#else
#define CORVANE_HAS_PORT_IO 0
#endif

namespace corvane {

namespace {

[[noreturn]] void refuse(uint16_t port, int err) {
    std::string why = err == EPERM ? "the program needs root or the CAP_SYS_RAWIO capability"
                                   : std::string(std::strerror(err));
    throw RunError(ErrorNumber::PermissionDenied,
                   "direct port access at " + formatPortAddress(port) + " was refused: " + why +
                       " (or use --port ppdev, which the lp group is enough for)");
}

class RealInstructions : public PortInstructions {
public:
    int ioperm(uint16_t from, unsigned count, bool on) override {
#if CORVANE_HAS_PORT_IO
        return ::ioperm(from, count, on ? 1 : 0) == 0 ? 0 : errno;
#else
        (void)from, (void)count, (void)on;
        return ENOSYS;
#endif
    }
    uint8_t inb(uint16_t port) override {
#if CORVANE_HAS_PORT_IO
        return ::inb(port);
#else
        (void)port;
        return 0;
#endif
    }
    void outb(uint8_t value, uint16_t port) override {
#if CORVANE_HAS_PORT_IO
        ::outb(value, port);
#else
        (void)value, (void)port;
#endif
    }
};

}  // namespace

std::unique_ptr<PortInstructions> realPortInstructions() {
    return std::make_unique<RealInstructions>();
}

DirectPort::DirectPort(uint16_t base, WireRest rest, std::unique_ptr<PortInstructions> io)
    : io_(std::move(io)), rest_(rest) {
    setDataPort(base);
}

DirectPort::~DirectPort() {
    if (!grant_.any()) return;
    driveRest();
    io_->ioperm(grant_.base(), 3, false);
}

void DirectPort::driveRest() {
    if (rest_.mask == 0 || !grant_.any()) return;
    const auto control = static_cast<uint16_t>(grant_.base() + 2);
    const uint8_t now = io_->inb(control);
    portOut(control, static_cast<uint8_t>(rest_.set ? (now | rest_.mask) : (now & ~rest_.mask)));
}

void DirectPort::setDataPort(uint16_t base) {
    if (base == grant_.base()) return;
    if (grant_.any()) {
        driveRest();
        io_->ioperm(grant_.base(), 3, false);
    }
    grant_ = PortGrant();
    if (base == 0) return;
    if (int err = io_->ioperm(base, 3, true); err != 0) refuse(base, err);
    grant_ = PortGrant(base);
    driveRest();
}

void DirectPort::portOut(uint16_t port, uint8_t value) {
    grant_.check(port);
    // Control lines 0-3 only: bit 5 would turn the data lines around, bit 4 enable interrupts.
    if (port == grant_.base() + 2) value &= 0x0F;
    io_->outb(value, port);
}

uint8_t DirectPort::portIn(uint16_t port) {
    grant_.check(port);
    return io_->inb(port);
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
    return grant_.any() ? "Direct I/O at " + formatPortAddress(grant_.base())
                        : "Direct I/O (no port set)";
}

}  // namespace corvane
