// The cut a controller streams: the decoded set as the same G-code the export writes (G21 G90
// G93, F on every G1, delay points as G4 P, XYZA), with the comments and blank lines left out
// (they would only fill the controller's buffer) and each line keeping its number in the
// exported file, so a message names the line the operator can find in an export.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/fixed_point.h"
#include "controller/grbl_session.h"

namespace corvane {

struct Simulation;

// How the controller switches the wire: its spindle output (M3 S<power> / M5) or, for boards
// that switch the wire with a relay, its coolant output (M8 / M9).
enum class WireOutput { Spindle, Coolant };

struct ControllerCutOptions {
    Fixed4 speed = Fixed4::fromInt(1);  // mm/s the stream is planned at
    double pauseMs = 1;
    bool wire = false;  // switch the wire on for the cut (off at its end)
    WireOutput output = WireOutput::Spindle;
    double power = 1000;           // S word of M3
    std::string letters = "XYZA";  // the board's words for X1 Y1 X2 Y2 (or XYUV)
};

std::vector<ProgramLine> streamLines(std::string_view program);
// The cut as streamed: the zeroing line `G92 X0 Y0 Z0 A0` (the positions count from where the
// machine stands), then the program's lines, each with its number as an N word.
std::vector<ProgramLine> controllerCut(const Simulation& sim, const ControllerCutOptions& options);

// The fastest feed (mm/min) each axis X1 Y1 X2 Y2 makes in the set at `speed`.
std::array<double, 4> fastestAxisFeeds(const Simulation& sim, Fixed4 speed);

// The wire lines for an output: on, off.
std::string wireOnCode(WireOutput output, double power);
std::string wireOffCode(WireOutput output);

}  // namespace corvane
