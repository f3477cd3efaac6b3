// Keeps the hot wire from staying on when corvane or corvane-cli ends by a signal. The level
// WireOff would write is worked out beforehand (port, bit, set or clear); a handler for SIGINT,
// SIGTERM, SIGHUP, SIGQUIT and the crash signals writes it straight to the hardware (inb/outb
// or a ppdev ioctl: no allocation, no locks) and to the port trace when one is kept. A
// termination signal then asks for the normal shut-down through a pipe; SIGQUIT and a crash
// signal end the process as they would have ended anyway.
#pragma once

#include <cstdint>
#include <string>

#include "platform/port_select.h"

namespace corvane {

class MachineSettings;

// What WireOff writes for these settings, found by running it on a scratch simulated port.
struct WireLevel {
    bool valid = false;  // false: no wire pin chosen, WireOff writes nothing
    uint16_t port = 0;
    uint8_t bit = 0;
    bool set = false;  // inactive level is the bit set (else cleared)
};
WireLevel inactiveWireLevel(const MachineSettings& settings);

class WireGuard {
public:
    // Installs the handlers once; `kind`/`device` say how the handler reaches the hardware.
    static void install(PortChoice::Kind kind, const std::string& device);
    // Takes the wire pin of these settings (after every load or "Done" of the settings).
    static void arm(const MachineSettings& settings);
    static void disarm();
    // Readable once a termination signal arrived: the application starts its shut-down.
    static int shutdownRequestFd();
    // The signal that asked for the shut-down (0 if none).
    static int requestedBy();
    // The handler's own port write (async-signal-safe); false when there is nothing to write
    // on real hardware (simulated port or no wire pin).
    static bool driveInactive() noexcept;
    static WireLevel armedLevel();
    // The port trace the handler adds its write to (fd of the trace, clock reading at its
    // start, CLOCK_MONOTONIC nanoseconds); -1 for none.
    static void traceTo(int fd, int64_t startCount);
};

}  // namespace corvane
