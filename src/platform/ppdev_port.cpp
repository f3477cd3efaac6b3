// The kernel's ppdev driver: claim the port once, then read and write its three registers.
#include "platform/ppdev_port.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/run_error.h"
#include "platform/port_grant.h"

namespace corvane {

namespace {

[[noreturn]] void failOpen(const std::string& device, const char* step, int err) {
    std::string why = std::strerror(err);
    if (err == ENOENT) why += " (load the parport_pc and ppdev modules)";
    if (err == EACCES || err == EPERM) why += " (add the user to the lp group)";
    if (err == EBUSY) why += " (another program holds the port)";
    throw RunError(ErrorNumber::PermissionDenied, device + ": " + step + ": " + why);
}

[[noreturn]] void failIo(const std::string& device, int err) {
    throw RunError(ErrorNumber::PathFileAccessError,
                   device + ": port access failed: " + std::strerror(err));
}

}  // namespace

PpdevPort::PpdevPort(const std::string& device, uint16_t dataPort)
    : device_(device), dataPort_(dataPort) {
    fd_ = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) failOpen(device, "cannot open", errno);
    if (::ioctl(fd_, PPCLAIM) != 0) {
        int err = errno;
        ::close(fd_);
        fd_ = -1;
        failOpen(device, "cannot claim the port", err);
    }
}

PpdevPort::~PpdevPort() {
    if (fd_ >= 0) {
        ::ioctl(fd_, PPRELEASE);
        ::close(fd_);
    }
}

PpdevPort::Reg PpdevPort::regOf(uint16_t port) const {
    // With no port named every address is refused (address 0 would otherwise be the data
    // register and 2 the control register of the claimed port).
    PortGrant(dataPort_).check(port);
    if (port == dataPort_) return Reg::Data;
    if (port == static_cast<uint16_t>(dataPort_ + 1)) return Reg::Status;
    if (port == static_cast<uint16_t>(dataPort_ + 2)) return Reg::Control;
    return Reg::None;
}

uint8_t PpdevPort::read(Reg reg) {
    unsigned char value = 0;
    int rc = 0;
    switch (reg) {
        case Reg::Data:
            rc = ::ioctl(fd_, PPRDATA, &value);
            break;
        case Reg::Status:
            rc = ::ioctl(fd_, PPRSTATUS, &value);
            break;
        case Reg::Control:
            rc = ::ioctl(fd_, PPRCONTROL, &value);
            break;
        case Reg::None:
            return 0;  // an address the port does not have reads as nothing
    }
    if (rc != 0) failIo(device_, errno);
    return value;
}

void PpdevPort::write(Reg reg, uint8_t value) {
    unsigned char v = value;
    int rc = 0;
    switch (reg) {
        case Reg::Data:
            rc = ::ioctl(fd_, PPWDATA, &v);
            break;
        case Reg::Control:
            rc = ::ioctl(fd_, PPWCONTROL, &v);
            break;
        case Reg::Status:  // read-only register: a write has no effect, as on the hardware
        case Reg::None:
            return;
    }
    if (rc != 0) failIo(device_, errno);
}

void PpdevPort::portOut(uint16_t port, uint8_t value) {
    write(regOf(port), value);
}

uint8_t PpdevPort::portIn(uint16_t port) {
    return read(regOf(port));
}

void PpdevPort::setPortBit(uint16_t port, uint8_t bit) {
    Reg r = regOf(port);
    if (bit < 8) write(r, static_cast<uint8_t>(read(r) | (1u << bit)));
}

void PpdevPort::clrPortBit(uint16_t port, uint8_t bit) {
    Reg r = regOf(port);
    if (bit < 8) write(r, static_cast<uint8_t>(read(r) & ~(1u << bit)));
}

void PpdevPort::notPortBit(uint16_t port, uint8_t bit) {
    Reg r = regOf(port);
    if (bit < 8) write(r, static_cast<uint8_t>(read(r) ^ (1u << bit)));
}

bool PpdevPort::getPortBit(uint16_t port, uint8_t bit) {
    return bit < 8 && ((read(regOf(port)) >> bit) & 1u) != 0;
}

}  // namespace corvane
