// The controller's own settings beside Corvane's, axis by axis (X Y Z A carry X1 Y1 X2 Y2):
// steps per mm that differ would cut a different size, so they refuse the connection with both
// values named; a max rate below what the cut asks would slow the move, and an acceleration
// that rounds the cut's corners, are warnings.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace corvane {

inline constexpr const char* kControllerAxes = "XYZA";

struct SettingsComparison {
    std::vector<std::string> refusals;
    std::vector<std::string> warnings;
    std::vector<std::string> rows;  // one line an axis: both values side by side
    bool accepted() const { return refusals.empty(); }
};

// `needMmPerMin`: the fastest feed each axis must make (the cut's, or the slider's top).
SettingsComparison compareSettings(const std::map<int, double>& controller, int32_t stepsPerMm,
                                   const std::array<double, 4>& needMmPerMin);

// The distance (mm) over which the controller's acceleration reaches the cut's speed; past this
// a corner is visibly slowed.
inline constexpr double kRoundedCornerMm = 0.1;

}  // namespace corvane
