#include "script/script_language.h"

#include "common/fixed_point.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"
#include "manual/jog_moves.h"

namespace corvane {

namespace {

bool isXAxis(std::string_view a) {
    return a == "x" || a == "x1" || a == "x2";
}
bool isYAxis(std::string_view a) {
    return a == "y" || a == "y1" || a == "y2";
}
bool isXDirection(std::string_view d) {
    return d == kDirForward || d == kDirBack;
}
bool isYDirection(std::string_view d) {
    return d == kDirDown || d == kDirUp;
}

LineFault checkMove(const std::vector<std::string>& items) {
    const std::string& axis = items[1];
    const std::string& direction = items[2];
    if (!isXAxis(axis) && !isYAxis(axis)) return LineFault::UnknownAxis;
    if (isXAxis(axis) ? !isXDirection(direction) : !isYDirection(direction))
        return LineFault::UnknownDirection;
    if (leadingNumber(items[3]) == 0) return LineFault::TravelNotNumeric;
    return LineFault::None;
}

// Only one of the two axis items has to be right; a wrong one's direction is not looked at.
LineFault checkAngle(const std::vector<std::string>& items) {
    const bool xAxis = items[1] == "x";
    const bool yAxis = items[4] == "y";
    if (!xAxis && !yAxis) return LineFault::UnknownAxis;
    if (xAxis && !isXDirection(items[2])) return LineFault::UnknownDirection;
    if (yAxis && !isYDirection(items[5])) return LineFault::UnknownDirection;
    if (leadingNumber(items[3]) == 0 && leadingNumber(items[6]) == 0)
        return LineFault::TravelNotNumeric;
    return LineFault::None;
}

}  // namespace

int scriptItemsNeeded(std::string_view keyword) {
    if (keyword == "move") return 3;
    if (keyword == "angle") return 6;
    if (keyword == "pause" || keyword == "cut" || keyword == "speed") return 1;
    return -1;
}

std::vector<std::string> splitScriptLine(std::string_view line) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string_view::npos) {
            items.emplace_back(line.substr(start));
            return items;
        }
        items.emplace_back(line.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string countFileOf(const std::string& stepFile) {
    if (stepFile.empty()) return "2";
    return stepFile.substr(0, stepFile.size() - 1) + "2";
}

int64_t pauseMillis(std::string_view item) {
    return toInt64(leadingNumber(item));
}

int32_t signedSteps(int32_t stepsPerMm, std::string_view distanceItem) {
    return toInt32(static_cast<double>(stepsPerMm) * leadingNumber(distanceItem));
}

LineFault checkScriptLine(std::string_view line, const LineCheckContext& context) {
    const std::vector<std::string> items = splitScriptLine(line);
    const std::string& keyword = items[0];
    const int needed = scriptItemsNeeded(keyword);
    if (needed < 0) return LineFault::InstructionIncorrect;
    if (static_cast<int>(items.size()) - 1 < needed) return LineFault::TooFewItems;
    if (keyword == "speed") {
        const double v = leadingNumber(items[1]);
        if (v == 0 || v < 0.2 || v > context.speedSliderMax / 5.0) return LineFault::SpeedNotValid;
        return LineFault::None;
    }
    if (keyword == "cut") {
        if (items[1].empty()) return LineFault::Ct1NotFound;
        if (!context.fileExists || !context.fileExists(countFileOf(items[1])))
            return LineFault::Ct2NotFound;
        return LineFault::None;
    }
    if (keyword == "move") return checkMove(items);
    if (keyword == "pause") {
        if (context.runCheck && !isWholeNumberText(items[1])) return LineFault::PauseNotANumber;
        // A time too large for whole milliseconds is no usable pause either.
        const double ms = leadingNumber(items[1]);
        if (!(ms < 9.2e18 && ms > -9.2e18) || pauseMillis(items[1]) == 0)
            return LineFault::PauseNotNumeric;
        return LineFault::None;
    }
    return checkAngle(items);
}

std::string editFaultMessage(LineFault fault) {
    switch (fault) {
        case LineFault::None:
            return {};
        case LineFault::InstructionIncorrect:
            return "Script error, instruction incorrect";
        case LineFault::TooFewItems:
            return "Incorrect number of elements in the script";
        case LineFault::SpeedNotValid:
            return "Script error, speed value not valid";
        case LineFault::Ct1NotFound:
            return "Script error, CT1 file not found";
        case LineFault::Ct2NotFound:
            return "Script error, CT2 file not found";
        case LineFault::UnknownAxis:
            return "Script error, unknown axis";
        case LineFault::UnknownDirection:
            return "Script error, unknown direction";
        case LineFault::TravelNotNumeric:
            return "Script error, travel value must be numeric";
        case LineFault::PauseNotNumeric:
        case LineFault::PauseNotANumber:
            return "Script error, pause value must be numeric";
    }
    return {};
}

std::string runFaultMessage(LineFault fault, int line) {
    const std::string prefix = "Script error in line " + std::to_string(line);
    switch (fault) {
        case LineFault::None:
            return {};
        case LineFault::TooFewItems:
            return "Incorrect number of elements in the script";
        case LineFault::Ct1NotFound:
            return prefix + " CT1 file not found";
        case LineFault::Ct2NotFound:
            return prefix + " CT2 file not found";
        case LineFault::PauseNotANumber:
            return errorReportText(RunError(ErrorNumber::TypeMismatch), "Module Script, RS");
        default:
            return prefix + " of Cutting Script";
    }
}

uint8_t moveByte(const DerivedSettings& d, std::string_view axis, std::string_view direction) {
    const bool forward = direction == kDirForward, back = direction == kDirBack;
    const bool up = direction == kDirUp, down = direction == kDirDown;
    if (axis == "x" && forward) return pairMoveByte(d, PairMove::XForward);
    if (axis == "x" && back) return pairMoveByte(d, PairMove::XBack);
    if (axis == "x1" && forward) return axisMoveByte(d, AxisMove::X1Forward);
    if (axis == "x1" && back) return axisMoveByte(d, AxisMove::X1Back);
    if (axis == "x2" && forward) return axisMoveByte(d, AxisMove::X2Forward);
    if (axis == "x2" && back) return axisMoveByte(d, AxisMove::X2Back);
    if (axis == "y" && up) return pairMoveByte(d, PairMove::YUp);
    if (axis == "y" && down) return pairMoveByte(d, PairMove::YDown);
    if (axis == "y1" && up) return axisMoveByte(d, AxisMove::Y1Up);
    if (axis == "y1" && down) return axisMoveByte(d, AxisMove::Y1Down);
    if (axis == "y2" && up) return axisMoveByte(d, AxisMove::Y2Up);
    if (axis == "y2" && down) return axisMoveByte(d, AxisMove::Y2Down);
    return 0;
}

uint8_t angleXByte(const DerivedSettings& d, std::string_view axis, std::string_view direction) {
    return axis == "x" ? moveByte(d, axis, direction) : 0;
}

uint8_t angleYByte(const DerivedSettings& d, std::string_view axis, std::string_view direction) {
    return axis == "y" ? moveByte(d, axis, direction) : 0;
}

}  // namespace corvane
