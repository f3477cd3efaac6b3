// The watching half of the main window without the widgets: the detected ports and the one
// being watched, the previous register values that decide what a sample redraws, the beep
// flags, and the operator's writes. With no port detected (base 0) nothing is read or written.
#pragma once

#include <array>
#include <cstdint>

#include "portscope/port_access.h"

namespace portscope {

struct Sample {
    std::array<uint8_t, 3> values{};  // data, status, control
    uint8_t changed = 0;              // bit k: register k differs from its previous value
    bool beep = false;                // a changed register has its beep flag set
};

class Monitor {
public:
    explicit Monitor(IoUnit& io) : io_(io) {}

    // Grants the twelve candidate registers, fills the three slots by detection and selects
    // the slot of `savedPort` when it was detected, else slot 0 (then a Port change).
    void start(uint16_t savedPort);

    const std::array<uint16_t, 3>& portSlots() const { return slots_; }
    int slot() const { return slot_; }
    uint16_t base() const { return base_; }
    bool hasPort() const { return base_ != 0; }

    // The "Port" header and the address labels: the next slot, back to slot 0 after the last
    // or before an empty one. Returns true when the base changed (a Port change followed).
    bool selectNextSlot();
    // A port item of the pop-up menu.
    bool selectAddress(uint16_t address);
    // Sets every previous value to the complement of the register, so the next sample redraws
    // everything (a Port change, a new colour).
    void resetPrevious();

    Sample sample();
    const std::array<uint8_t, 3>& previous() const { return previous_; }

    uint8_t read(int offset);
    void write(int offset, uint8_t value);
    void flipBits(int offset, uint8_t mask);  // read, XOR, write

    uint8_t beeps() const { return beeps_; }
    void setBeeps(uint8_t flags) { beeps_ = flags & 7; }
    void flipBeep(int offset) { beeps_ ^= static_cast<uint8_t>(1u << offset); }

private:
    void portChange(uint16_t base);
    IoUnit& io_;
    std::array<uint16_t, 3> slots_{};
    int slot_ = 0;
    uint16_t base_ = 0;
    std::array<uint8_t, 3> previous_{};
    uint8_t beeps_ = 0;
};

}  // namespace portscope
