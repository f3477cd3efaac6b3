// The counted position: step bytes move it, the status bar and messages show it, and
// waypoint.txt keeps the two waypoints.
#include "machine/position.h"

#include <cfloat>
#include <cmath>

#include "common/file_io.h"
#include "common/fixed_point.h"
#include "common/number_format.h"
#include "common/number_text.h"
#include "common/records.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"

namespace corvane {

namespace {

// Single-precision storage of a double; out of its range is an Overflow, not infinity.
float toSingle(double value) {
    if (std::isfinite(value) && std::fabs(value) > FLT_MAX) throw RunError(ErrorNumber::Overflow);
    return static_cast<float>(value);
}

// One axis: with its step bit set, the direction bit adds a step when it is high on a normal
// axis and when it is low on a reversed one (the same rule for X and Y).
void countAxis(float& position, const AxisPins& axis, double mmPerStep, uint8_t portByte) {
    if (((portByte >> axis.StepBit) & 1u) == 0) return;
    bool dirHigh = axis.DirBit >= 0 && axis.DirBit < 8 && ((portByte >> axis.DirBit) & 1u) != 0;
    bool adds = dirHigh != axis.Reversed;
    double sum = static_cast<double>(position) + (adds ? mmPerStep : -mmPerStep);
    position = static_cast<float>(sum);
}

}  // namespace

std::string positionStatusText(const PositionState& state) {
    std::string text;
    positionStatusText(state, text);
    return text;
}

void positionStatusText(const PositionState& state, std::string& text) {
    text.clear();
    if (!state.HomeSet) {
        text += kHomeNotSetText;
        return;
    }
    // Appended piece by piece: the short pieces need no heap and `text` keeps its capacity.
    const AxisPosition& p = state.Position;
    text += "X1, Y1 = ";
    text += formatPosition(p.X1);
    text += ", ";
    text += formatPosition(p.Y1);
    text += "   X2, Y2 = ";
    text += formatPosition(p.X2);
    text += ", ";
    text += formatPosition(p.Y2);
}

bool applyStepByte(PositionState& state, const DerivedSettings& settings, uint8_t portByte) {
    if (!state.HomeSet) return false;
    AxisPosition& p = state.Position;
    countAxis(p.X1, settings.X1, settings.MmPerStep, portByte);
    countAxis(p.Y1, settings.Y1, settings.MmPerStep, portByte);
    countAxis(p.X2, settings.X2, settings.MmPerStep, portByte);
    countAxis(p.Y2, settings.Y2, settings.MmPerStep, portByte);
    return true;
}

void toggleHome(PositionState& state) {
    state.HomeSet = !state.HomeSet;
    if (state.HomeSet) state.Position = AxisPosition{};
}

std::string waypointDisplayText(int which, const AxisPosition& waypoint) {
    return "Current WayPoint #" + std::to_string(which) +
           " Position \r\rX1, Y1 = " + formatSingle(waypoint.X1) + ", " +
           formatSingle(waypoint.Y1) + "\r\rX2, Y2 = " + formatSingle(waypoint.X2) + ", " +
           formatSingle(waypoint.Y2);
}

float storedWaypointValue(double typed) {
    return toSingle(roundDecimalHalfEven(typed, 5));
}

std::optional<float> waypointFieldValue(std::string_view text) {
    std::optional<double> typed = leadingNumberIfAny(text);
    if (!typed) return std::nullopt;
    return storedWaypointValue(*typed);
}

void loadWaypoints(const std::filesystem::path& file, PositionState& state) {
    RecordReader reader(readFileBytes(file));
    for (AxisPosition* wp : {&state.WayPoint1, &state.WayPoint2}) {
        for (float* v : {&wp->X1, &wp->Y1, &wp->X2, &wp->Y2}) {
            *v = toSingle(reader.next().asNumber());
        }
    }
}

void saveWaypoints(const std::filesystem::path& file, const PositionState& state) {
    RecordWriter w;
    for (const AxisPosition* wp : {&state.WayPoint1, &state.WayPoint2}) {
        w.single(wp->X1).single(wp->Y1).single(wp->X2).single(wp->Y2);
    }
    w.endLine();
    writeFileAtomic(file, w.bytes());
}

}  // namespace corvane
