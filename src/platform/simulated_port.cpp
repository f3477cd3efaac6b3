// The simulated port: every address is a byte register; nothing reaches hardware.
#include "platform/simulated_port.h"

namespace corvane {

uint8_t SimulatedPort::reg(uint16_t port) const {
    auto it = regs_.find(port);
    return it == regs_.end() ? 0 : it->second;
}

void SimulatedPort::record(PortOperation::Kind kind, uint16_t port, uint8_t value) {
    PortOperation op{kind, port, value};
    if (recording_) ops_.push_back(op);
    if (observer_) observer_(op);
}

void SimulatedPort::portOut(uint16_t port, uint8_t value) {
    check(port);
    regs_[port] = value;
    record(PortOperation::Kind::Out, port, value);
}

// Bit numbers beyond 7 address no bit of a byte register: they change nothing.
void SimulatedPort::setPortBit(uint16_t port, uint8_t bit) {
    check(port);
    if (bit < 8) regs_[port] = static_cast<uint8_t>(reg(port) | (1u << bit));
    record(PortOperation::Kind::Set, port, bit);
}

void SimulatedPort::clrPortBit(uint16_t port, uint8_t bit) {
    check(port);
    if (bit < 8) regs_[port] = static_cast<uint8_t>(reg(port) & ~(1u << bit));
    record(PortOperation::Kind::Clr, port, bit);
}

void SimulatedPort::notPortBit(uint16_t port, uint8_t bit) {
    check(port);
    if (bit < 8) regs_[port] = static_cast<uint8_t>(reg(port) ^ (1u << bit));
    record(PortOperation::Kind::Not, port, bit);
}

bool SimulatedPort::getPortBit(uint16_t port, uint8_t bit) {
    check(port);
    bool value = bit < 8 && ((reg(port) >> bit) & 1u) != 0;
    record(PortOperation::Kind::Get, port, bit);
    return value;
}

uint8_t SimulatedPort::portIn(uint16_t port) {
    check(port);
    uint8_t value = reg(port);
    record(PortOperation::Kind::In, port, value);
    return value;
}

}  // namespace corvane
