// The lock, then the claim; the release, then the unlock.
#include "platform/locked_port.h"

#include "platform/port_grant.h"

namespace corvane {

LockedPort::LockedPort(std::string kindText, Opener open, RestSource rest,
                       std::filesystem::path lockDirectory)
    : kindText_(std::move(kindText)),
      open_(std::move(open)),
      rest_(std::move(rest)),
      lockDirectory_(std::move(lockDirectory)) {}

LockedPort::~LockedPort() {
    release();
}

void LockedPort::release() {
    inner_.reset();  // the backend drives the wire pin to rest before it lets the port go
    lock_.reset();
    base_ = 0;
}

void LockedPort::setDataPort(uint16_t base) {
    if (base == base_ && (base == 0 || inner_)) return;
    release();
    if (base == 0) return;
    auto lock = std::make_unique<PortLock>(base, lockDirectory_);
    inner_ = open_(base, rest_ ? rest_() : WireRest{});
    lock_ = std::move(lock);
    base_ = base;
}

PortIo& LockedPort::inner(uint16_t port) {
    if (!inner_) PortGrant().check(port);  // refuses: no port is set
    return *inner_;
}

void LockedPort::portOut(uint16_t port, uint8_t value) {
    inner(port).portOut(port, value);
}
void LockedPort::setPortBit(uint16_t port, uint8_t bit) {
    inner(port).setPortBit(port, bit);
}
void LockedPort::clrPortBit(uint16_t port, uint8_t bit) {
    inner(port).clrPortBit(port, bit);
}
void LockedPort::notPortBit(uint16_t port, uint8_t bit) {
    inner(port).notPortBit(port, bit);
}
bool LockedPort::getPortBit(uint16_t port, uint8_t bit) {
    return inner(port).getPortBit(port, bit);
}
uint8_t LockedPort::portIn(uint16_t port) {
    return inner(port).portIn(port);
}

std::string LockedPort::describe() const {
    return inner_ ? inner_->describe() : kindText_ + " (no port set)";
}

}  // namespace corvane
