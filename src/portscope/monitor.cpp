// Slots, samples and writes of the watched port.
#include "portscope/monitor.h"

namespace portscope {

void Monitor::start(uint16_t savedPort) {
    io_.grantCandidates();
    for (int i = 0; i < 3; ++i) slots_[static_cast<size_t>(i)] = io_.detect(i + 1);
    slot_ = 0;
    for (int i = 0; i < 3; ++i)
        if (savedPort != 0 && slots_[static_cast<size_t>(i)] == savedPort) slot_ = i;
    portChange(slots_[static_cast<size_t>(slot_)]);
}

bool Monitor::selectNextSlot() {
    int next = slot_ + 1;
    if (next > 2 || slots_[static_cast<size_t>(next)] == 0) next = 0;
    slot_ = next;
    const uint16_t address = slots_[static_cast<size_t>(slot_)];
    if (address == base_) return false;
    portChange(address);
    return true;
}

bool Monitor::selectAddress(uint16_t address) {
    for (int i = 0; i < 3; ++i)
        if (slots_[static_cast<size_t>(i)] == address && address != 0) slot_ = i;
    if (address == base_ || address == 0) return false;
    portChange(address);
    return true;
}

void Monitor::portChange(uint16_t base) {
    base_ = base;
    resetPrevious();
}

void Monitor::resetPrevious() {
    for (int k = 0; k < 3; ++k) previous_[static_cast<size_t>(k)] = static_cast<uint8_t>(~read(k));
}

Sample Monitor::sample() {
    Sample s;
    if (!hasPort()) return s;
    for (int k = 0; k < 3; ++k) {
        const auto i = static_cast<size_t>(k);
        s.values[i] = read(k);
        if (s.values[i] == previous_[i]) continue;
        previous_[i] = s.values[i];
        s.changed |= static_cast<uint8_t>(1u << k);
        if (beeps_ & (1u << k)) s.beep = true;
    }
    return s;
}

uint8_t Monitor::read(int offset) {
    if (!hasPort()) return 0;
    return io_.read(static_cast<uint16_t>(base_ + offset));
}

void Monitor::write(int offset, uint8_t value) {
    if (hasPort()) io_.write(static_cast<uint16_t>(base_ + offset), value);
}

void Monitor::flipBits(int offset, uint8_t mask) {
    if (hasPort()) write(offset, static_cast<uint8_t>(read(offset) ^ mask));
}

}  // namespace portscope
