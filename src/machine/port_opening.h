// Opens the machine's port in the one safe order every program shares (corvane, corvane-cli run
// and script run): the trace file and the signal guard first; then, only for settings that
// loaded in full and name a known port, the port's lock and the claim, with the wire pin driven
// inactive right after the claim (the kernel's claim resets the control lines); then the guard
// armed on the live port. A trace file that cannot be created opens no port at all.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/monotonic_clock.h"
#include "platform/port_io.h"
#include "platform/port_select.h"
#include "platform/tracing_port.h"

namespace corvane {

class MachineSettings;

struct MachinePort {
    std::unique_ptr<PortIo> backend;
    std::unique_ptr<TracingPort> tracer;  // wraps backend; goes first
    PortIo& live() { return tracer ? static_cast<PortIo&>(*tracer) : *backend; }

    MachinePort() = default;
    MachinePort(MachinePort&&) = default;
    MachinePort& operator=(MachinePort&&) = default;
    // The guard lets go of the port before it goes.
    ~MachinePort();
};

using PortOpener = std::function<std::unique_ptr<PortIo>(const PortChoice&, uint16_t dataPort,
                                                         std::function<WireRest()> rest)>;

// `loaded`: the settings when they loaded in full, nullptr when they did not (or there is no
// settings file): nothing is then claimed until the settings name a port. `current` gives the
// settings in force at each later claim (a port chosen in 设备设置). RunError when the trace
// file cannot be created (nothing opened) or the port cannot be opened.
MachinePort openMachinePort(const PortChoice& choice, const std::optional<std::string>& tracePath,
                            const MachineSettings* loaded,
                            std::function<const MachineSettings*()> current, MonotonicClock& clock,
                            const PortOpener& open = openPort);

}  // namespace corvane
