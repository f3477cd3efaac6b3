// A decoded set as G-code for LinuxCNC (XYUV) or GRBL-family 4-axis boards (XYZA): mm, absolute,
// inverse-time feed so each move takes as long as its ticks on the parallel port, both towers
// arriving together; the positions are the decoded steps, so the program cuts what the set cuts.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/fixed_point.h"

namespace corvane {

struct Simulation;

enum class GcodeAxes { XYUV, XYZA };
// "XYUV" or "XYZA", any case; nullopt otherwise.
std::optional<GcodeAxes> parseGcodeAxes(std::string_view text);
const char* gcodeAxesName(GcodeAxes axes);

struct GcodeOptions {
    GcodeAxes axes = GcodeAxes::XYUV;
    Fixed4 speed = Fixed4::fromInt(1);  // mm/s, as CutSpeed
    double pauseMs = 1;                 // the dwell at each delay point
    std::string wireOn = "M3";
    std::string wireOff = "M5";
    std::string date;  // for the header; today (UTC) when empty
};

struct GcodeSummary {
    int moves = 0;   // G1 lines, lead moves included
    int dwells = 0;  // G4 lines
    double seconds = 0;
};

// The whole program: a header comment naming the set, its airfoils and sizes, the speed and the
// date; G21 G90 G93; the wire-on code; one G1 with all four axes per lead move and per segment
// that has ticks (F = 60000 / its milliseconds); a G4 after each segment a delay point names; the
// wire-off code; G94 and M2.
std::string gcodeProgram(const Simulation& sim, const GcodeOptions& options,
                         GcodeSummary* summary = nullptr);

// Today's date in UTC, YYYY-MM-DD.
std::string todayUtc();

}  // namespace corvane
