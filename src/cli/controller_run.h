// corvane-cli on a GRBL-family controller: `run --controller grbl:DEVICE` streams the set as
// the export's G-code, and `controller info|unlock` shows the controller and its comparison
// with Corvane's settings, or clears its alarm when the operator says so.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace corvane::cli {

struct ControllerRunOptions {
    std::string controller;  // grbl:DEVICE[@BAUD]
    std::string set;         // saved set NAME, empty: the working set
    std::optional<double> speed;
    double pauseMs = 1;
    bool wire = false;
    std::string wireOutput = "spindle";  // or coolant (M8/M9)
    double wirePower = 1000;
};

// The exit code as a port run gives it: 0 complete, 1 failed, 130 stopped, 128+N by signal N.
int runOnController(CliContext& ctx, const ControllerRunOptions& options);

}  // namespace corvane::cli
