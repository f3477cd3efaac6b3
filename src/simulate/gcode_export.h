// A decoded set as G-code for LinuxCNC (XYUV) or GRBL-family 4-axis boards (XYZA): mm, absolute,
// inverse-time feed so each move takes as long as its ticks on the parallel port, both towers
// arriving together; the positions are the decoded steps, so the program cuts what the set cuts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/fixed_point.h"
#include "generate/materials.h"
#include "simulate/set_decoder.h"

namespace corvane {

struct Simulation;

enum class GcodeAxes { XYUV, XYZA };
// "XYUV" or "XYZA", any case; nullopt otherwise.
[[nodiscard]] std::optional<GcodeAxes> parseGcodeAxes(std::string_view text);
const char* gcodeAxesName(GcodeAxes axes);

// Longest comment line, parentheses included: GRBL-family senders take lines under 80.
inline constexpr std::size_t kGcodeCommentMax = 79;
// The wire's power word when the wire-on code carries none: a PWM output's full scale on
// GRBL-family boards (their default $30), which LinuxCNC takes as a spindle speed.
inline constexpr double kDefaultWirePower = 1000;

struct GcodeOptions {
    GcodeAxes axes = GcodeAxes::XYUV;
    Fixed4 speed = Fixed4::fromInt(1);  // mm/s, as CutSpeed
    double pauseMs = 1;                 // the dwell at each delay point
    double preheatMs = 0;               // a dwell after the wire-on code
    std::string wireOn = "M3";
    double wirePower = kDefaultWirePower;  // S word added to wireOn unless it has one; 0: none
    std::string wireOff = "M5";
    std::string date;  // for the header; today (UTC) when empty
    // Power by speed: when the set was made with a material whose points all carry a power,
    // each move gets the S word of the power at its face speed, and the wire-on line the power
    // at the speed the set was made for. Off, or without such a material, the power is constant.
    bool powerBySpeed = true;
};

struct GcodeSummary {
    int moves = 0;   // G1 lines, lead moves included
    int dwells = 0;  // G4 lines
    double seconds = 0;
};

// The whole program: header comments naming the set, its airfoils and sizes, the speed and the
// date; G21 G90 G93; the wire-on line and the preheat dwell; one G1 with all four axes per lead
// move and per segment that has ticks (F = 60000 / its milliseconds); a G4 after each segment a
// delay point names; the wire-off code; G94 and M2. Dwells are fixed-point seconds to 0.1 ms;
// one that rounds to 0 is left out.
std::string gcodeProgram(const Simulation& sim, const GcodeOptions& options,
                         GcodeSummary* summary = nullptr);

// The wire-on line: the code, with " S<power>" when it carries no S word and power is set.
std::string wireOnLine(const GcodeOptions& options);

// The power word of a line, " S<power>" in fixed point: the one writer of every S word the
// export and the controller stream send.
std::string powerWord(double power);

// The material whose powers the set's moves take: the one the set was made with, when every
// point of it carries a power.
std::optional<Material> powerMaterial(const Simulation& sim);

// A move's speed at the faces, mm/s, when it takes `ms`: the mean of the wire's speeds at the
// two faces (a face set's, or those a tower set was placed at; the towers' for a tower set).
double moveFaceSpeed(const Simulation& sim, const DecodedSegment& move, double ms);

// Today's date in UTC, YYYY-MM-DD.
std::string todayUtc();

}  // namespace corvane
