// Chooses the port backend from --port or CORVANE_PORT: "sim" (default), "direct",
// "ppdev", "ppdev:/dev/parportN" or "auto" (ppdev where the kernel lists a parallel port whose
// device this user may open, else sim). Never falls back silently to another backend.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_io.h"

namespace corvane {

struct PortChoice {
    enum class Kind { Simulated, Direct, Ppdev };
    Kind kind = Kind::Simulated;
    std::string device;  // ppdev: empty = the device the kernel lists at the settings' address
};

// Parses the choice: the option value when given, else CORVANE_PORT, else simulated.
// RunError InvalidPropertyValue with a message naming the accepted forms for anything else.
// `fallback` is the choice when neither names one ("sim" for the command line; the operator's
// program passes "auto", so a PC with a parallel port drives it without an option).
PortChoice parsePortChoice(const std::optional<std::string>& option,
                           const std::string& fallback = "sim");

// "auto": ppdev when one of `devices` (the kernel's parallel port devices) can be opened for
// reading and writing by this user, else the simulated port.
PortChoice automaticPortChoice(const std::vector<std::string>& devices);

// Opens the chosen backend; `dataPort` is the settings' data address (888 for 378h, 0 when
// the settings name no known port or did not load in full: a real backend then claims nothing
// and refuses every access until setDataPort names one). A real port is locked against other
// programs before it is claimed, and `rest` (read at each claim) puts the wire pin at its
// inactive level right after the claim. RunError with the backend's own message when it
// cannot be opened.
std::unique_ptr<PortIo> openPort(const PortChoice& choice, uint16_t dataPort,
                                 std::function<WireRest()> rest = {});

}  // namespace corvane
