// Grants, reads, writes and detection on top of whichever backend reaches the port.
#include "portscope/port_access.h"

namespace portscope {

namespace {
constexpr uint16_t kLowestPortAddress = 0x100;
}

void IoUnit::start() {
    backend_.connect();
    asked_.reset();
    allowed_.reset();
}

void IoUnit::grant(uint16_t address) {
    if (address < kLowestPortAddress || asked_[address]) return;
    asked_[address] = true;
    allowed_[address] = backend_.requestGrant(address);
}

bool IoUnit::usable(uint16_t address) {
    grant(address);
    return allowed_[address];
}

uint8_t IoUnit::read(uint16_t address) {
    return usable(address) ? backend_.in(address) : 0xFF;
}

void IoUnit::write(uint16_t address, uint8_t value) {
    if (usable(address)) backend_.out(address, value);
}

uint16_t IoUnit::detect(int n) {
    if (n < 1) return 0;
    int found = 0;
    if (auto known = backend_.knownPorts()) {
        for (uint16_t base : *known)
            if (++found == n) return base;
        return 0;
    }
    for (uint16_t base : kCandidatePorts) {
        const uint8_t before = read(base);
        write(base, static_cast<uint8_t>(before ^ 0xFF));
        const uint8_t after = read(base);
        write(base, before);
        if (after != before && ++found == n) return base;
    }
    return 0;
}

void IoUnit::grantCandidates() {
    for (uint16_t base : kCandidatePorts)
        for (uint16_t r = 0; r < 4; ++r) grant(static_cast<uint16_t>(base + r));
}

}  // namespace portscope
