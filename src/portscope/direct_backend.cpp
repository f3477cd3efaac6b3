// ioperm per granted address; the start-up check asks for one candidate and gives it back, so
// the grant table alone decides what is open afterwards.
#include "portscope/direct_backend.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/run_error.h"

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

std::optional<std::vector<uint16_t>> DirectBackend::knownPorts() {
    std::vector<uint16_t> bases;
    for (const corvane::KernelPort& p : corvane::listKernelPorts(procRoot_)) {
        for (uint16_t c : kCandidatePorts)
            if (c == p.base) bases.push_back(p.base);
    }
    if (bases.empty()) return std::nullopt;
    // In the candidates' order, as detection would find them.
    std::vector<uint16_t> ordered;
    for (uint16_t c : kCandidatePorts)
        if (std::find(bases.begin(), bases.end(), c) != bases.end()) ordered.push_back(c);
    return ordered;
}

bool DirectBackend::mayWrite(uint16_t base) {
    if (locks_.count(base) != 0) return true;
    try {
        locks_[base] = std::make_unique<corvane::PortLock>(base);
        refusals_.erase(base);
        return true;
    } catch (const corvane::RunError& e) {
        refusals_[base] = "read-only: " + e.detail();
        return false;
    }
}

std::string DirectBackend::refusal(uint16_t base) const {
    const auto it = refusals_.find(base);
    return it == refusals_.end() ? std::string() : it->second;
}

void DirectBackend::out(uint16_t address, uint8_t value) {
#if PORTSCOPE_HAS_PORT_IO
    // The registers of a port start at a multiple of four (0x3BC, 0x378, 0x278).
    if (!mayWrite(static_cast<uint16_t>(address & ~3u))) return;
    outb(value, address);
#else
    (void)address;
    (void)value;
#endif
}

}  // namespace portscope
