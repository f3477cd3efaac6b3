// What simulate and export gcode both start from: the named set (or the working one, put back
// first if a generation was interrupted) decoded, its warnings printed, and the speed to use.
#pragma once

#include <optional>
#include <string>

#include "machine/workspace.h"
#include "simulate/simulation.h"

namespace corvane::cli {

struct SimulatedSet {
    Simulation sim;
    CuttingSpeed speed;
};

// RunError when the set cannot be read.
SimulatedSet simulateNamedSet(Workspace& ws, const std::string& set, std::optional<double> speed);

}  // namespace corvane::cli
