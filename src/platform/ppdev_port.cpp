// The kernel's ppdev driver: claim the port once, exclusively, then read and write its three
// registers with one ioctl per change.
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

class RealPpdevCalls : public PpdevCalls {
public:
    int open(const std::string& device, int& fd) override {
        fd = ::open(device.c_str(), O_RDWR | O_CLOEXEC);
        return fd < 0 ? errno : 0;
    }
    int ioctl(int fd, unsigned long request, void* arg) override {
        return ::ioctl(fd, request, arg) == 0 ? 0 : errno;
    }
    void close(int fd) override { ::close(fd); }
};

[[noreturn]] void failOpen(const std::string& device, const char* step, int err,
                           bool exclusive = false) {
    std::string why = std::strerror(err);
    if (exclusive && (err == ENXIO || err == EBUSY)) {
        // The exclusive claim fails this way when any other device shares the port.
        why +=
            " (another driver or program holds the port: the printer driver lp, a portscope "
            "or another corvane. Free it with \"sudo rmmod lp\" or close the other program; "
            "\"fuser -v " +
            device + "\" names it)";
    } else if (err == ENOENT || err == ENODEV || err == ENXIO) {
        why +=
            " (load the drivers with \"sudo modprobe parport_pc ppdev\"; \"ls /dev/parport*\" "
            "lists the ports)";
    } else if (err == EACCES || err == EPERM) {
        why +=
            " (join the lp group with \"sudo adduser $USER lp\" and log in again; the README's "
            "section on real machines has the udev rule for /dev/parport*)";
    } else if (err == EBUSY) {
        why +=
            " (another driver or program holds the port: the printer driver lp is the usual "
            "one, free it with \"sudo rmmod lp\", or close the program using the port)";
    }
    throw RunError(ErrorNumber::PermissionDenied, device + ": " + step + ": " + why);
}

[[noreturn]] void failIo(const std::string& device, int err) {
    throw RunError(ErrorNumber::PathFileAccessError,
                   device + ": port access failed: " + std::strerror(err));
}

}  // namespace

std::unique_ptr<PpdevCalls> realPpdevCalls() {
    return std::make_unique<RealPpdevCalls>();
}

PpdevPort::PpdevPort(const std::string& device, uint16_t dataPort, WireRest rest,
                     std::unique_ptr<PpdevCalls> calls)
    : device_(device), rest_(rest), dataPort_(dataPort), calls_(std::move(calls)) {
    if (int err = calls_->open(device, fd_); err != 0) failOpen(device, "cannot open", err);
    auto giveUp = [this](const char* what, int err, bool claimed, bool exclusive) {
        if (claimed) {
            driveRest();
            calls_->ioctl(fd_, PPRELEASE, nullptr);
        }
        calls_->close(fd_);
        fd_ = -1;
        failOpen(device_, what, err, exclusive);
    };
    // Exclusive: no other driver (lp) may share the port and write between our ticks.
    if (int err = calls_->ioctl(fd_, PPEXCL, nullptr); err != 0)
        giveUp("cannot have the port to itself", err, false, false);
    if (int err = calls_->ioctl(fd_, PPCLAIM, nullptr); err != 0)
        giveUp("cannot claim the port", err, false, true);
    // The claim has set the control lines to the kernel's default: the wire pin goes to rest
    // before any step that can fail.
    if (int err = driveRest(); err != 0)
        giveUp("cannot drive the wire pin inactive", err, true, false);
    // A port left in reverse mode would take our data writes without driving pins 2-9.
    int forward = 0;
    if (int err = calls_->ioctl(fd_, PPDATADIR, &forward); err != 0)
        giveUp("cannot drive the data lines", err, true, false);
    unsigned char value = 0;
    if (int err = calls_->ioctl(fd_, PPRDATA, &value); err != 0)
        giveUp("cannot read the data register", err, true, false);
    data_ = value;
}

PpdevPort::~PpdevPort() {
    if (fd_ >= 0) {
        driveRest();
        calls_->ioctl(fd_, PPRELEASE, nullptr);
        calls_->close(fd_);
    }
}

int PpdevPort::driveRest() noexcept {
    if (rest_.mask == 0 || fd_ < 0) return 0;
    const auto mask = static_cast<unsigned char>(rest_.mask & 0x0F);
    ppdev_frob_struct frob{mask, static_cast<unsigned char>(rest_.set ? mask : 0)};
    try {
        return calls_->ioctl(fd_, PPFCONTROL, &frob);
    } catch (...) {
        return EIO;
    }
}

PpdevPort::Reg PpdevPort::regOf(uint16_t port) const {
    // With no port named every address is refused (address 0 would otherwise be the data
    // register and 2 the control register of the claimed port).
    PortGrant(dataPort_).check(port);
    if (port == dataPort_) return Reg::Data;
    if (port == static_cast<uint16_t>(dataPort_ + 1)) return Reg::Status;
    return Reg::Control;
}

void PpdevPort::call(unsigned long request, void* arg) {
    if (int err = calls_->ioctl(fd_, request, arg); err != 0) failIo(device_, err);
}

uint8_t PpdevPort::read(Reg reg) {
    unsigned char value = 0;
    call(reg == Reg::Data ? PPRDATA : reg == Reg::Status ? PPRSTATUS : PPRCONTROL, &value);
    return value;
}

void PpdevPort::writeData(uint8_t value) {
    unsigned char v = value;
    call(PPWDATA, &v);
    data_ = value;
}

void PpdevPort::frobControl(uint8_t mask, uint8_t value) {
    ppdev_frob_struct frob{mask, static_cast<unsigned char>(value & mask)};
    call(PPFCONTROL, &frob);
}

void PpdevPort::portOut(uint16_t port, uint8_t value) {
    switch (regOf(port)) {
        case Reg::Data:
            writeData(value);
            break;
        case Reg::Control:
            // Lines 0-3 only: bit 4 enables the interrupt and bit 5 reverses the data lines.
            frobControl(0x0F, value);
            break;
        case Reg::Status:  // read-only register: a write has no effect, as on the hardware
            break;
    }
}

// Read back from the port, for the troubleshooter and the bit tests.
uint8_t PpdevPort::portIn(uint16_t port) {
    return read(regOf(port));
}

void PpdevPort::setPortBit(uint16_t port, uint8_t bit) {
    const Reg r = regOf(port);
    if (bit >= 8 || (r == Reg::Control && bit >= 4)) return;  // no control line above bit 3
    const auto mask = static_cast<uint8_t>(1u << bit);
    if (r == Reg::Data) writeData(static_cast<uint8_t>(data_ | mask));
    if (r == Reg::Control) frobControl(mask, mask);
}

void PpdevPort::clrPortBit(uint16_t port, uint8_t bit) {
    const Reg r = regOf(port);
    if (bit >= 8 || (r == Reg::Control && bit >= 4)) return;  // no control line above bit 3
    const auto mask = static_cast<uint8_t>(1u << bit);
    if (r == Reg::Data) writeData(static_cast<uint8_t>(data_ & ~mask));
    if (r == Reg::Control) frobControl(mask, 0);
}

void PpdevPort::notPortBit(uint16_t port, uint8_t bit) {
    const Reg r = regOf(port);
    if (bit >= 8 || (r == Reg::Control && bit >= 4)) return;  // no control line above bit 3
    const auto mask = static_cast<uint8_t>(1u << bit);
    if (r == Reg::Data) writeData(static_cast<uint8_t>(data_ ^ mask));
    if (r == Reg::Control) frobControl(mask, static_cast<uint8_t>(~read(Reg::Control)));
}

bool PpdevPort::getPortBit(uint16_t port, uint8_t bit) {
    return bit < 8 && ((read(regOf(port)) >> bit) & 1u) != 0;
}

}  // namespace corvane
