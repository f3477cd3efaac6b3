// The safe order of opening the port, in one place.
#include "machine/port_opening.h"

#include <unistd.h>

#include "machine/machine_settings.h"
#include "machine/wire_guard.h"

namespace corvane {

MachinePort::~MachinePort() {
    if (!backend) return;
    WireGuard::release();
}

MachinePort openMachinePort(const PortChoice& choice, const std::optional<std::string>& tracePath,
                            const MachineSettings* loaded,
                            std::function<const MachineSettings*()> current, MonotonicClock& clock,
                            const PortOpener& open) {
    // 1. The trace file: one that cannot be created ends the command before any claim.
    const int traceFd = tracePath ? TracingPort::createFile(*tracePath) : -1;
    // 2. The signal guard, so that a signal from the claim on finds it in place.
    WireGuard::install(choice.kind);
    // 3. The claim, only for a known port of settings that loaded in full.
    const uint16_t dataPort = loaded != nullptr && loaded->derived.DataPort > 0
                                  ? static_cast<uint16_t>(loaded->derived.DataPort)
                                  : 0;
    auto rest = [current = std::move(current)]() -> WireRest {
        const MachineSettings* s = current ? current() : nullptr;
        return s != nullptr ? wireRestOf(*s) : WireRest{};
    };
    MachinePort port;
    try {
        port.backend = open(choice, dataPort, rest);
    } catch (...) {
        if (traceFd >= 0) ::close(traceFd);
        throw;
    }
    if (traceFd >= 0) {
        port.tracer = std::make_unique<TracingPort>(*port.backend, clock, traceFd, *tracePath);
        WireGuard::traceTo(port.tracer->fd(), port.tracer->startCount());
    }
    // 4. The guard armed on the live port (the backend has driven the pin inactive already).
    WireGuard::watch(&port.live());
    if (loaded != nullptr) WireGuard::arm(*loaded);
    return port;
}

}  // namespace corvane
