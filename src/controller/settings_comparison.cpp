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
                                   const std::array<double, 4>& needMmPerMin,
                                   const grbl::AxisMap& axes) {
    static const char* kTowerAxes[4] = {"X1", "Y1", "X2", "Y2"};
    SettingsComparison result;
    bool numbered = false;
    for (int n = 100; n < 110; ++n) numbered = numbered || controller.count(n) != 0;
    if (!numbered) {
        result.warnings.push_back(
            "The controller reports no $100-$123 (a board that keeps its settings in a "
            "configuration file, such as FluidNC's YAML): its steps/mm, max rates and "
            "accelerations could not be compared. Check there that every axis has " +
            std::to_string(stepsPerMm) + " steps/mm before cutting");
        return result;
    }
    for (std::size_t a = 0; a < 4; ++a) {
        const int n = axes.index[a];
        const std::string axis = std::string(1, axes.letters[a]) + " (" + kTowerAxes[a] + ")";
        const auto steps = controller.find(100 + n);
        const auto rate = controller.find(110 + n);
        const auto accel = controller.find(120 + n);
        if (steps == controller.end()) {
            result.refusals.push_back("The controller reports no steps/mm for axis " + axis +
                                      " ($" + std::to_string(100 + n) + ")");
            continue;
        }
        // A difference that changes a 1000 mm move by a tenth of a step is a different size.
        if (std::fabs(steps->second - stepsPerMm) * 1000 > 0.1)
            result.refusals.push_back("Steps/mm of axis " + axis + " differ: the controller has $" +
                                      std::to_string(100 + n) + "=" + number(steps->second) +
                                      ", Corvane's settings " + std::to_string(stepsPerMm) +
                                      ": the cut would come out a different size");
        std::string row = axis + ": steps/mm " + number(steps->second) + " (Corvane " +
                          std::to_string(stepsPerMm) + ")";
        if (rate != controller.end()) {
            row += ", max rate " + number(rate->second) + " mm/min";
            if (rate->second + 1e-9 < needMmPerMin[a])
                result.warnings.push_back("Axis " + axis + ": the controller's max rate $" +
                                          std::to_string(110 + n) + "=" + number(rate->second) +
                                          " mm/min is below the " + number(needMmPerMin[a]) +
                                          " mm/min the cut asks: those moves run slower");
        }
        if (accel != controller.end()) {
            row += ", acceleration " + number(accel->second) + " mm/s^2";
            const double v = needMmPerMin[a] / 60;
            if (accel->second > 0 && v * v / (2 * accel->second) > kRoundedCornerMm)
                result.warnings.push_back(
                    "Axis " + axis + ": at $" + std::to_string(120 + n) + "=" +
                    number(accel->second) + " mm/s^2 the controller needs " +
                    number(std::round(v * v / (2 * accel->second) * 1000) / 1000) +
                    " mm to reach " + number(v) + " mm/s: corners are cut slower");
        }
        result.rows.push_back(row);
    }
    return result;
}

}  // namespace corvane

namespace corvane {

std::vector<std::string> spindleWireWarnings(const std::map<int, double>& controller, double power,
                                             bool dwells) {
    std::vector<std::string> warnings;
    const auto top = controller.find(30);
    if (top != controller.end() && top->second > 0 && power > top->second + 1e-9)
        warnings.push_back("The wire power S" + formatDouble(power) +
                           " is above the controller's top spindle speed $30=" +
                           formatDouble(top->second) + ": the wire runs at $30's power");
    const auto laser = controller.find(32);
    if (dwells && laser != controller.end() && laser->second != 0)
        warnings.push_back(
            "The controller is in laser mode ($32=1): it switches the spindle "
            "output, and so the wire, off while the machine stands, at every "
            "delay point (G4). Set $32=0 or switch the wire with the coolant "
            "output");
    return warnings;
}

}  // namespace corvane
