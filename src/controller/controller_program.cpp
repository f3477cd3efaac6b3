// The export's G-code, streamable.
#include "controller/controller_program.h"

#include <algorithm>
#include <cmath>

#include "common/number_format.h"
#include "controller/program_timeline.h"
#include "simulate/gcode_export.h"
#include "simulate/set_decoder.h"
#include "simulate/simulation.h"

namespace corvane {

std::vector<ProgramLine> streamLines(std::string_view program) {
    std::vector<ProgramLine> lines;
    int number = 0;
    std::size_t start = 0;
    while (start < program.size()) {
        std::size_t end = program.find('\n', start);
        if (end == std::string_view::npos) end = program.size();
        ++number;
        std::string text;
        int depth = 0;
        for (char c : program.substr(start, end - start)) {
            if (c == '(')
                ++depth;
            else if (c == ')' && depth > 0)
                --depth;
            else if (depth == 0 && c != '\r')
                text += c;
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        if (!text.empty()) lines.push_back({number, text});
        start = end + 1;
    }
    return lines;
}

std::string wireOnCode(WireOutput output, double power) {
    if (output == WireOutput::Coolant) return "M8";
    return "M3" + powerWord(power);
}

std::string wireOffCode(WireOutput output) {
    return output == WireOutput::Coolant ? "M9" : "M5";
}

std::vector<ProgramLine> controllerCut(const Simulation& sim, const ControllerCutOptions& o) {
    GcodeOptions g;
    g.axes = o.letters == "XYUV" ? GcodeAxes::XYUV : GcodeAxes::XYZA;
    g.speed = o.speed;
    g.pauseMs = o.pauseMs;
    // Power by speed: the wire comes on at the power of the speed the set was made for.
    const std::optional<Material> byspeed = powerMaterial(sim);
    const double power = byspeed ? *powerAt(*byspeed, sim.madeFor->cutSpeedMmS) : o.power;
    g.wireOn = o.wire ? wireOnCode(o.output, power) : std::string();
    g.wirePower = 0;
    g.wireOff = o.wire ? wireOffCode(o.output) : std::string();
    std::vector<ProgramLine> lines = streamLines(gcodeProgram(sim, g));
    // Numbered, so a board that reports Ln: says which line it executes.
    for (ProgramLine& line : lines) line.text = numbered(line.number, line.text);
    // The program's positions count from the start of the cut: where the machine stands.
    std::string zero = "G92";
    for (char letter : o.letters) zero += std::string(" ") + letter + "0";
    lines.insert(lines.begin(), ProgramLine{0, zero});
    return lines;
}

std::array<double, 4> fastestAxisFeeds(const Simulation& sim, Fixed4 speed) {
    std::array<double, 4> fastest{};
    const double tick = tickMs(sim.stepsPerMm, speed);
    for (const DecodedSegment& s : sim.decoded.segments) {
        if (s.ticks <= 0) continue;
        const double minutes = s.durationMs(tick) / 60000.0;
        for (std::size_t a = 0; a < 4; ++a) {
            const double mm =
                std::fabs(static_cast<double>(s.end[a] - s.start[a])) / sim.stepsPerMm;
            fastest[a] = std::max(fastest[a], mm / minutes);
        }
    }
    return fastest;
}

}  // namespace corvane
