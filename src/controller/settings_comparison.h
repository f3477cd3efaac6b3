// The controller's own settings beside Corvane's, axis by axis (X Y Z A carry X1 Y1 X2 Y2):
// steps per mm that differ would cut a different size, so they refuse the connection with both
// values named; a max rate below what the cut asks would slow the move, and an acceleration
// that rounds the cut's corners, are warnings. A board whose settings are not numbered the GRBL
// way (FluidNC keeps them in a YAML file, no $100) is said to be uncompared, not refused. The
// wire's power is set against the spindle's top speed ($30), and laser mode ($32), which
// switches the spindle output off while the machine stands, is a warning for a cut with dwells.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "controller/grbl_protocol.h"

namespace corvane {

struct SettingsComparison {
    std::vector<std::string> refusals;
    std::vector<std::string> warnings;
    std::vector<std::string> rows;  // one line an axis: both values side by side
    bool accepted() const { return refusals.empty(); }
};

// `needMmPerMin`: the fastest feed each axis must make (the cut's, or the slider's top).
// `axes`: where X1 Y1 X2 Y2 sit among the board's axes ($100 + index).
SettingsComparison compareSettings(const std::map<int, double>& controller, int32_t stepsPerMm,
                                   const std::array<double, 4>& needMmPerMin,
                                   const grbl::AxisMap& axes = {});

// Warnings about the wire on the spindle output: a power above $30, laser mode ($32=1) when
// the cut stands at delay points (`dwells`).
std::vector<std::string> spindleWireWarnings(const std::map<int, double>& controller, double power,
                                             bool dwells);

// The distance (mm) over which the controller's acceleration reaches the cut's speed; past this
// a corner is visibly slowed.
inline constexpr double kRoundedCornerMm = 0.1;

}  // namespace corvane
