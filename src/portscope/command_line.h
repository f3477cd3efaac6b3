// portscope's command line and the choice of port backend: --port direct|ppdev[:dev]|sim[:378,278]
// (else PORTSCOPE_PORT, else corvane's CORVANE_PORT, else the simulated port at 378).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "portscope/port_access.h"

namespace portscope {

struct PortChoice {
    enum class Kind { Simulated, Direct, Ppdev };
    Kind kind = Kind::Simulated;
    std::string device;                      // ppdev: empty = every known port
    std::vector<uint16_t> simulated{0x378};  // sim: the bases of its ports
};

struct Options {
    bool list = false;
    bool help = false;
    bool version = false;
    std::optional<std::string> port;
    std::optional<std::string> screenshotDir;
    bool realDisplay = false;  // with screenshotDir: pictures from the screen, checked
    std::string error;         // non-empty: the arguments were wrong, and why
};

Options parseOptions(const std::vector<std::string>& args);
std::string usageText();

// Parses a backend text; std::invalid_argument naming the accepted forms for anything else.
PortChoice parsePortChoice(const std::string& text);
// The option when given, else the environment (PORTSCOPE_PORT, then CORVANE_PORT), else sim.
std::string portChoiceText(const std::optional<std::string>& option);

std::unique_ptr<PortBackend> makeBackend(const PortChoice& choice);

// `portscope --list`: one line per detected port, "378 00 78 0C" (base, data, status,
// control, in hex; " simulated" behind it on the simulated machine); empty when none was
// detected. A detected port that could not be claimed gets no line (never FF for registers
// nobody read): `refused` collects why, one line each.
std::string listPorts(IoUnit& io, std::string* refused = nullptr);

}  // namespace portscope
