// Keeps the hot wire from staying on when corvane or corvane-cli ends or stops by a signal. The
// level WireOff would write is worked out beforehand (port, bit, set or clear); a handler for
// every catchable signal whose default ends or stops the process writes it straight to the
// hardware (inb/outb or a ppdev ioctl: no allocation, no locks) and to the port trace when one
// is kept. A termination signal (SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGALRM, the real-time
// signals, ...) then asks for the normal shut-down through a pipe; a crash or core signal
// (SIGSEGV, SIGQUIT, SIGTRAP, SIGSYS, SIGXCPU, ...) ends the process as it would have ended
// anyway; SIGTSTP, SIGTTIN and SIGTTOU stop the motion (halts()) and then the process, and after
// SIGCONT nothing resumes by itself. SIGPIPE and SIGXFSZ are ignored, so the write fails with
// EPIPE or EFBIG and the motion stops with a message. SIGKILL, SIGSTOP, an OOM kill, power loss
// and a hung kernel cannot be caught: the pin keeps its last level (the README says what
// hardware covers that).
#pragma once

#include <cstdint>
#include <string>

#include "platform/port_io.h"
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
// The same level as a port backend drives it right after its claim (no wire pin: mask 0).
WireRest wireRestOf(const MachineSettings& settings);

class WireGuard {
public:
    // Installs the handlers once; `kind`/`device` say how the handler reaches the hardware.
    static void install(PortChoice::Kind kind, const std::string& device = {});
    // Only the stop signals (Ctrl-Z and the terminal stops), first thing in a command-line
    // program: a stop before the cut begins is counted too, so the command can refuse to start
    // the cut after SIGCONT. The other signals keep their defaults until install().
    static void watchStops();
    // The live port: arm() takes the ppdev descriptor from it. nullptr before it goes.
    static void watch(const PortIo* port);
    // Takes the wire pin of these settings (after every load or "Done" of the settings).
    static void arm(const MachineSettings& settings);
    static void disarm();
    // Lets go of the port and the trace before they close: disarm, no trace, no live port.
    static void release();
    // How many SIGTSTP/SIGTTIN/SIGTTOU have stopped the process: a motion that sees the count
    // change stops (the handler has already driven the wire pin inactive).
    static int halts();
    // Readable once a termination signal arrived: the application starts its shut-down.
    static int shutdownRequestFd();
    // The signal that asked for the shut-down (0 if none).
    static int requestedBy();
    // The handler's own port write (async-signal-safe); false when there is nothing to write
    // on real hardware (simulated port or no wire pin).
    static bool driveInactive() noexcept;
    static WireLevel armedLevel();
    // A controller's serial line (its descriptor; -1 for none): every handler writes the soft
    // reset (0x18) to it, which stops motion and switches the controller's outputs off.
    static void resetControllerOn(int fd);
    // The port trace the handler adds its write to (fd of the trace, clock reading at its
    // start, CLOCK_MONOTONIC nanoseconds); -1 for none.
    static void traceTo(int fd, int64_t startCount);
};

}  // namespace corvane
