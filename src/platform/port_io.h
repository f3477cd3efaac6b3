// The parallel port as the program touches it: byte writes and single-bit set, clear, invert
// and read on 16-bit I/O addresses. Backends: simulated (default), direct I/O, ppdev.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// The wire pin's inactive level on the control register. A real backend drives it right after
// its claim (which resets the control lines) and again before it lets the port go. mask 0: the
// settings choose no wire pin.
struct WireRest {
    uint8_t mask = 0;  // one of control bits 0-3
    bool set = false;  // inactive when the bit is set (else cleared)
};

class PortIo {
public:
    virtual ~PortIo() = default;

    virtual void portOut(uint16_t port, uint8_t value) = 0;
    virtual void setPortBit(uint16_t port, uint8_t bit) = 0;
    virtual void clrPortBit(uint16_t port, uint8_t bit) = 0;
    virtual void notPortBit(uint16_t port, uint8_t bit) = 0;
    virtual bool getPortBit(uint16_t port, uint8_t bit) = 0;
    virtual uint8_t portIn(uint16_t port) = 0;

    // The port the settings name (its data address; 0 when none is known): the backend touches
    // only its three registers from now on and refuses everything else with a RunError. Called
    // when the port opens and whenever the settings are applied.
    virtual void setDataPort(uint16_t base) = 0;

    // What the operator sees of the live backend: "Simulated port", "Direct I/O at 0x378",
    // "ppdev /dev/parport0".
    virtual std::string describe() const = 0;
    // True when writes reach real hardware.
    virtual bool isHardware() const = 0;
    // The open ppdev descriptor a signal handler may drive the wire pin through; -1 for none.
    virtual int deviceHandle() const { return -1; }
};

}  // namespace corvane
