// simulate's check at the foam faces: the options that place the faces of a tower set, and the
// lines that report each face (largest distance, bound, the section measured there).
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>

#include "simulate/simulation.h"

namespace corvane::cli {

struct FaceCheckOptions {
    std::optional<double> leftGap, span, towers;
};

void addFaceCheckOptions(CLI::App* cmd, FaceCheckOptions& o);

// Runs the check on a tower set when the options place its faces (a face set checks itself);
// prints it. Returns false when a face deviates beyond what rounding explains, or when the
// options are incomplete (the reason printed).
// `tickMs`: a tick's length at the cutting speed, for each face's speed range.
[[nodiscard]] bool reportFaces(Simulation& sim, const FaceCheckOptions& o, double kerfMm,
                               double tickMs, std::ostream& out);

}  // namespace corvane::cli
