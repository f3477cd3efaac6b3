// Steps per mm, max rates and accelerations compared.
#include "controller/settings_comparison.h"

#include <cmath>

#include "common/number_format.h"

namespace corvane {

namespace {

std::string number(double v) {
    return formatDouble(v);
}

}  // namespace

SettingsComparison compareSettings(const std::map<int, double>& controller, int32_t stepsPerMm,
                                   const std::array<double, 4>& needMmPerMin) {
    static const char* kTowerAxes[4] = {"X1", "Y1", "X2", "Y2"};
    SettingsComparison result;
    for (int a = 0; a < 4; ++a) {
        const std::string axis = std::string(1, kControllerAxes[a]) + " (" + kTowerAxes[a] + ")";
        const auto steps = controller.find(100 + a);
        const auto rate = controller.find(110 + a);
        const auto accel = controller.find(120 + a);
        if (steps == controller.end()) {
            result.refusals.push_back("The controller reports no steps/mm for axis " + axis +
                                      " ($" + std::to_string(100 + a) + ")");
            continue;
        }
        // A difference that changes a 1000 mm move by a tenth of a step is a different size.
        if (std::fabs(steps->second - stepsPerMm) * 1000 > 0.1)
            result.refusals.push_back("Steps/mm of axis " + axis + " differ: the controller has $" +
                                      std::to_string(100 + a) + "=" + number(steps->second) +
                                      ", Corvane's settings " + std::to_string(stepsPerMm) +
                                      ": the cut would come out a different size");
        std::string row = axis + ": steps/mm " + number(steps->second) + " (Corvane " +
                          std::to_string(stepsPerMm) + ")";
        if (rate != controller.end()) {
            row += ", max rate " + number(rate->second) + " mm/min";
            if (rate->second + 1e-9 < needMmPerMin[a])
                result.warnings.push_back("Axis " + axis + ": the controller's max rate $" +
                                          std::to_string(110 + a) + "=" + number(rate->second) +
                                          " mm/min is below the " + number(needMmPerMin[a]) +
                                          " mm/min the cut asks: those moves run slower");
        }
        if (accel != controller.end()) {
            row += ", acceleration " + number(accel->second) + " mm/s^2";
            const double v = needMmPerMin[a] / 60;
            if (accel->second > 0 && v * v / (2 * accel->second) > kRoundedCornerMm)
                result.warnings.push_back(
                    "Axis " + axis + ": at $" + std::to_string(120 + a) + "=" +
                    number(accel->second) + " mm/s^2 the controller needs " +
                    number(std::round(v * v / (2 * accel->second) * 1000) / 1000) +
                    " mm to reach " + number(v) + " mm/s: corners are cut slower");
        }
        result.rows.push_back(row);
    }
    return result;
}

}  // namespace corvane
