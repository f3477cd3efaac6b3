// ppdev: open every known device at start (that is the access check), claim one when its first
// address is granted (claiming resets its control register, so it happens as late as it can).
#include "portscope/ppdev_backend.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "common/run_error.h"

namespace portscope {

namespace fs = std::filesystem;

namespace {

int candidateRank(uint16_t base) {
    for (size_t i = 0; i < kCandidatePorts.size(); ++i)
        if (kCandidatePorts[i] == base) return static_cast<int>(i);
    return static_cast<int>(kCandidatePorts.size());
}

std::string deviceName(const std::string& option) {
    if (option.empty() || option.find('/') != std::string::npos) return option;
    if (std::all_of(option.begin(), option.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "/dev/parport" + option;
    return "/dev/" + option;
}

std::string openFailure(const std::string& device, int err) {
    if (err == ENOENT || err == ENXIO || err == ENODEV)
        return device + " is missing: load the ppdev module (sudo modprobe ppdev).";
    if (err == EACCES || err == EPERM)
        return "portscope may not open " + device +
               ": add your user to the lp group (sudo adduser $USER lp) and log in again.";
    return "portscope cannot open " + device + ": " + std::strerror(err) + ".";
}

}  // namespace

std::vector<KernelPort> kernelPorts(const fs::path& procRoot, const fs::path& devRoot) {
    std::vector<KernelPort> ports = corvane::listKernelPorts(procRoot, devRoot);
    std::stable_sort(ports.begin(), ports.end(), [](const KernelPort& a, const KernelPort& b) {
        return candidateRank(a.base) < candidateRank(b.base);
    });
    return ports;
}

PpdevBackend::PpdevBackend(std::string device, fs::path procRoot, fs::path devRoot)
    : device_(deviceName(device)), procRoot_(std::move(procRoot)), devRoot_(std::move(devRoot)) {}

PpdevBackend::~PpdevBackend() {
    for (Open& o : open_) {
        if (o.claimed) ::ioctl(o.fd, PPRELEASE);
        if (o.fd >= 0) ::close(o.fd);
    }
}

void PpdevBackend::connect() {
    std::vector<KernelPort> ports = kernelPorts(procRoot_, devRoot_);
    if (!device_.empty()) {
        std::erase_if(ports, [&](const KernelPort& p) { return p.device != device_; });
        if (ports.empty())
            throw AccessError("The kernel knows no parallel port " + device_ +
                              ": load the parport_pc and ppdev modules "
                              "(sudo modprobe parport_pc ppdev) or name another device.");
    }
    if (ports.empty())
        throw AccessError(
            "The kernel knows no parallel port: load the parport_pc and ppdev modules "
            "(sudo modprobe parport_pc ppdev).");
    std::string firstFailure;
    for (const KernelPort& port : ports) {
        const int fd = ::open(port.device.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            if (firstFailure.empty()) firstFailure = openFailure(port.device, errno);
            continue;
        }
        open_.push_back({port, fd, false, nullptr, {}, {}});
    }
    if (open_.empty()) throw AccessError(firstFailure);
}

PpdevBackend::Open* PpdevBackend::portOf(uint16_t address, int* offset) {
    for (Open& o : open_) {
        if (address >= o.port.base && address < o.port.base + 4) {
            *offset = address - o.port.base;
            return &o;
        }
    }
    return nullptr;
}

bool PpdevBackend::requestGrant(uint16_t address) {
    int offset = 0;
    Open* o = portOf(address, &offset);
    if (o == nullptr) return false;
    if (o->claimed) return true;
    // One program per port: corvane (or another portscope) holding it is named, and nothing
    // here claims it (a claim would reset its control lines under a running cut).
    try {
        o->lock = std::make_unique<corvane::PortLock>(o->port.base);
    } catch (const corvane::RunError& e) {
        o->refusal = e.detail();
        return false;
    }
    if (::ioctl(o->fd, PPCLAIM) == 0) {
        o->claimed = true;
        o->refusal.clear();
        return true;
    }
    const int err = errno;
    o->lock.reset();
    o->refusal = o->port.device + " could not be claimed: " + std::strerror(err);
    if (err == ENXIO || err == EBUSY)
        o->refusal +=
            " (another program holds it exclusively, such as corvane during a cut; close it "
            "and start portscope again)";
    return false;
}

std::string PpdevBackend::refusal(uint16_t base) const {
    for (const Open& o : open_)
        if (o.port.base == base) return o.refusal.empty() ? o.writeError : o.refusal;
    return {};
}

uint8_t PpdevBackend::in(uint16_t address) {
    int offset = 0;
    Open* o = portOf(address, &offset);
    if (o == nullptr || !o->claimed) return 0xFF;
    unsigned char value = 0xFF;
    const unsigned long request = offset == 0   ? PPRDATA
                                  : offset == 1 ? PPRSTATUS
                                  : offset == 2 ? PPRCONTROL
                                                : 0;
    // ppdev offers no fourth register: it reads like an empty address.
    if (request == 0 || ::ioctl(o->fd, request, &value) != 0) return 0xFF;
    return value;
}

void PpdevBackend::out(uint16_t address, uint8_t value) {
    int offset = 0;
    Open* o = portOf(address, &offset);
    if (o == nullptr || !o->claimed) return;
    unsigned char v = value;
    // The status register takes no writes, as on the hardware.
    const unsigned long request = offset == 0 ? PPWDATA : offset == 2 ? PPWCONTROL : 0;
    if (request == 0) return;
    // A write the kernel refused is said where the port's refusal is shown, until one succeeds.
    if (::ioctl(o->fd, request, &v) != 0)
        o->writeError =
            "the kernel refused a write to " + o->port.device + ": " + std::strerror(errno);
    else
        o->writeError.clear();
}

std::optional<std::vector<uint16_t>> PpdevBackend::knownPorts() {
    std::vector<uint16_t> bases;
    for (const Open& o : open_) bases.push_back(o.port.base);
    return bases;
}

std::string PpdevBackend::describe() const {
    std::string text = "ppdev";
    for (size_t i = 0; i < open_.size(); ++i) text += (i == 0 ? " " : ", ") + open_[i].port.device;
    return text;
}

}  // namespace portscope
