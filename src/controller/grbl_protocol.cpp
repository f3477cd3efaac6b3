// The controller's reply lines and real-time bytes.
#include "controller/grbl_protocol.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>
#include <vector>

namespace corvane::grbl {

namespace {

int leadingInt(std::string_view text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() ? value : -1;
}

std::vector<std::string_view> split(std::string_view text, char by) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(by, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

double toDouble(std::string_view text) {
    return std::strtod(std::string(text).c_str(), nullptr);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

Reply classify(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    Reply reply;
    reply.text = std::string(line);
    if (line == "ok") {
        reply.kind = ReplyKind::Ok;
    } else if (startsWith(line, "error:")) {
        reply.kind = ReplyKind::Error;
        reply.code = leadingInt(line.substr(6));
    } else if (startsWith(line, "ALARM:")) {
        reply.kind = ReplyKind::Alarm;
        reply.code = leadingInt(line.substr(6));
    } else if (startsWith(line, "<") && line.back() == '>') {
        reply.kind = ReplyKind::Status;
    } else if (startsWith(line, "Grbl")) {
        reply.kind = ReplyKind::Banner;
    } else if (startsWith(line, "[")) {
        reply.kind = ReplyKind::Bracketed;
    } else if (startsWith(line, "$") && line.find('=') != std::string_view::npos) {
        reply.kind = ReplyKind::Setting;
    }
    return reply;
}

std::string StatusReport::stateName() const {
    return state.substr(0, state.find(':'));
}

bool StatusReport::moving() const {
    const std::string name = stateName();
    return name == "Run" || name == "Jog" || name == "Home" || state == "Hold:1";
}

std::optional<std::string> axesOf(std::string_view line) {
    if (!startsWith(line, "[AXS:")) return std::nullopt;
    std::string_view body = line.substr(5);
    if (!body.empty() && body.back() == ']') body.remove_suffix(1);
    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    return std::string(body.substr(colon + 1));
}

std::optional<AxisMap> axisMapOf(std::string_view axes, std::string* why) {
    auto at = [&](char letter) {
        const std::size_t i = axes.find(letter);
        return i == std::string_view::npos ? -1 : static_cast<int>(i);
    };
    for (const char* letters : {"XYZA", "XYUV"}) {
        AxisMap map;
        map.letters = letters;
        bool all = true;
        for (std::size_t a = 0; a < 4; ++a) {
            map.index[a] = at(letters[a]);
            all = all && map.index[a] >= 0;
        }
        if (all) return map;
    }
    if (why != nullptr)
        *why = "The controller's axes are " + std::string(axes) +
               ": a four-axis cutter needs X Y Z A or X Y U V (X1 Y1 X2 Y2), so Corvane will not "
               "drive this board";
    return std::nullopt;
}

std::optional<StatusReport> parseStatus(std::string_view line, const std::array<int, 4>& index) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.size() < 2 || line.front() != '<' || line.back() != '>') return std::nullopt;
    const std::vector<std::string_view> fields = split(line.substr(1, line.size() - 2), '|');
    StatusReport report;
    report.state = std::string(fields[0]);
    for (std::size_t i = 1; i < fields.size(); ++i) {
        const std::string_view f = fields[i];
        const std::size_t colon = f.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view key = f.substr(0, colon);
        const std::vector<std::string_view> values = split(f.substr(colon + 1), ',');
        // The board's values in its own order, X1 Y1 X2 Y2 picked out by `index`.
        auto picked = [&] {
            std::array<double, 4> out{};
            for (std::size_t a = 0; a < 4; ++a) {
                const auto at = static_cast<std::size_t>(index[a]);
                if (index[a] >= 0 && at < values.size()) out[a] = toDouble(values[at]);
            }
            return out;
        };
        if (key == "MPos" || key == "WPos") {
            report.position = picked();
            report.hasPosition = true;
            report.workPosition = key == "WPos";
        } else if (key == "WCO") {
            report.offset = picked();
        } else if (key == "FS" || key == "F") {
            report.feed = toDouble(values[0]);
            if (values.size() > 1) report.spindle = toDouble(values[1]);
        } else if (key == "Ov" && values.size() >= 3) {
            for (std::size_t k = 0; k < 3; ++k) report.overrides[k] = leadingInt(values[k]);
            report.hasOverrides = true;
        } else if (key == "A") {
            const std::string_view a = f.substr(colon + 1);
            report.spindleOn = a.find_first_of("SC") != std::string_view::npos;
            report.coolantOn = a.find_first_of("FM") != std::string_view::npos;
            report.hasAccessories = report.accessoriesKnown = true;
        } else if (key == "Ln") {
            report.line = leadingInt(values[0]);
        }
    }
    return report;
}

std::optional<std::array<double, 4>> StatusReport::machinePosition() const {
    if (!hasPosition) return std::nullopt;
    if (!workPosition) return position;
    if (!offset) return std::nullopt;
    std::array<double, 4> machine = position;
    for (std::size_t a = 0; a < 4; ++a) machine[a] += (*offset)[a];
    return machine;
}

StatusReport mergeStatus(const std::optional<StatusReport>& previous, StatusReport next) {
    if (!next.hasAccessories && next.hasOverrides) {
        next.accessoriesKnown = true;
        next.spindleOn = next.coolantOn = false;
    }
    if (!previous) return next;
    if (!next.offset) next.offset = previous->offset;
    if (!next.hasOverrides && previous->hasOverrides) {
        next.overrides = previous->overrides;
        next.hasOverrides = true;
    }
    if (!next.accessoriesKnown && previous->accessoriesKnown) {
        next.accessoriesKnown = true;
        next.spindleOn = previous->spindleOn;
        next.coolantOn = previous->coolantOn;
    }
    return next;
}

std::string errorMeaning(int code) {
    static const std::pair<int, const char*> kErrors[] = {
        {1, "G-code words consist of a letter and a value. Letter was not found."},
        {2, "Missing the expected G-code word value or numeric value format is not valid."},
        {3, "Grbl '$' system command was not recognized or supported."},
        {4, "Negative value received for an expected positive value."},
        {5, "Homing cycle failure. Homing is not enabled via settings."},
        {7, "An EEPROM read failed. Auto-restoring affected EEPROM to default values."},
        {8, "Grbl '$' command cannot be used unless Grbl is IDLE."},
        {9, "G-code commands are locked out during alarm or jog state."},
        {10, "Soft limits cannot be enabled without homing also enabled."},
        {11, "Max characters per line exceeded. Received command line was not executed."},
        {14, "Build info or startup line exceeded EEPROM line length limit."},
        {15, "Jog target exceeds machine travel. Jog command has been ignored."},
        {16, "Jog command has no '=' or contains prohibited g-code."},
        {17, "Laser mode requires PWM output."},
        {20, "Unsupported or invalid g-code command found in block."},
        {21, "More than one g-code command from same modal group found in block."},
        {22, "Feed rate has not yet been set or is undefined."},
        {23, "G-code command in block requires an integer value."},
        {24, "More than one g-code command that requires axis words found in block."},
        {25, "Repeated g-code word found in block."},
        {26,
         "No axis words found in block for g-code command or current modal state which "
         "requires them."},
        {27, "Line number value is invalid."},
        {28, "G-code command is missing a required value word."},
        {29, "G59.x work coordinate systems are not supported."},
        {30, "G53 only allowed with G0 and G1 motion modes."},
        {31, "Axis words found in block when no command or current modal state uses them."},
        {32, "G2 and G3 arcs require at least one in-plane axis word."},
        {33, "Motion command target is invalid."},
        {34, "Arc radius value is invalid."},
        {35, "G2 and G3 arcs require at least one in-plane offset word."},
        {36, "Unused value words found in block."},
        {37, "G43.1 dynamic tool length offset is not assigned to configured tool length axis."},
        {38, "Tool number greater than max supported value."},
    };
    for (const auto& [n, text] : kErrors)
        if (n == code) return text;
    return "Unknown error number " + std::to_string(code) + ".";
}

std::string alarmMeaning(int code) {
    static const std::pair<int, const char*> kAlarms[] = {
        {1, "Hard limit triggered. Machine position is likely lost due to sudden halt."},
        {2, "Soft limit alarm. G-code motion target exceeds machine travel."},
        {3, "Reset while in motion. Machine position is likely lost due to sudden halt."},
        {4, "Probe fail. Probe is not in the expected initial state."},
        {5, "Probe fail. Probe did not contact the workpiece."},
        {6, "Homing fail. The active homing cycle was reset."},
        {7, "Homing fail. Safety door was opened during homing cycle."},
        {8, "Homing fail. Pull off travel failed to clear limit switch."},
        {9, "Homing fail. Could not find limit switch within search distances."},
        {10, "E-stop asserted."},
        {11, "Homing required. Execute homing command ($H) to continue."},
        {14, "Spindle at speed timeout."},
    };
    for (const auto& [n, text] : kAlarms)
        if (n == code) return text;
    return "Unknown alarm number " + std::to_string(code) + ".";
}

int clampFeedOverride(int percent) {
    return std::clamp(percent, kFeedOverrideMin, kFeedOverrideMax);
}

std::string feedOverrideBytes(int from, int to) {
    from = clampFeedOverride(from);
    to = clampFeedOverride(to);
    std::string bytes;
    while (to - from >= 10) bytes += kFeedOverridePlus10, from += 10;
    while (from - to >= 10) bytes += kFeedOverrideMinus10, from -= 10;
    while (to > from) bytes += kFeedOverridePlus1, ++from;
    while (from > to) bytes += kFeedOverrideMinus1, --from;
    return bytes;
}

std::optional<int> rxBufferOf(std::string_view optLine) {
    if (!startsWith(optLine, "[OPT:")) return std::nullopt;
    std::string_view body = optLine.substr(5);
    if (!body.empty() && body.back() == ']') body.remove_suffix(1);
    const std::vector<std::string_view> parts = split(body, ',');
    if (parts.size() < 3) return std::nullopt;
    const int rx = leadingInt(parts[2]);
    if (rx <= 0) return std::nullopt;
    return rx;
}

}  // namespace corvane::grbl
