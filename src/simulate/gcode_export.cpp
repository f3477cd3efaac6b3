#include "simulate/gcode_export.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "common/number_format.h"
#include "simulate/simulation.h"

namespace corvane {

namespace {

// A comment both interpreters read as one: no parentheses inside, printable ASCII only (some
// senders stop at other bytes), and under 80 characters with its parentheses, as GRBL-family
// senders expect; a longer text keeps its end (a path's file name).
std::string comment(std::string_view text) {
    std::string out = "(";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '(')
            out += '[';
        else if (c == ')')
            out += ']';
        else if (u < 0x20 || u > 0x7E)
            out += '?';
        else
            out += c;
    }
    constexpr std::size_t kMax = kGcodeCommentMax - 1;  // with the closing parenthesis
    if (out.size() > kMax) out = "(..." + out.substr(out.size() - (kMax - 4));
    return out + ")\n";
}

// Four decimals; a value that rounds to zero is written without a minus sign.
std::string mm4(double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.4f", value);
    std::string s(buf);
    if (s == "-0.0000") s = "0.0000";
    return s;
}

// Inverse-time feed with at least six significant digits, so a long segment keeps its time.
std::string feed(double perMinute) {
    int decimals = 4;
    if (perMinute > 0)
        decimals = std::max(4, 5 - static_cast<int>(std::floor(std::log10(perMinute))));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, perMinute);
    return buf;
}

// Fixed point, four decimals at most, no trailing zeros: interpreters refuse an exponent.
std::string fixedWord(double value) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.4f", value);
    std::string s(buf);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

// Seconds to 0.1 ms; a shorter dwell means nothing to a controller. Empty when it rounds to 0.
std::string dwellSeconds(double seconds) {
    const std::string s = fixedWord(seconds);
    return s == "0" || s[0] == '-' ? std::string() : s;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string sideText(const Simulation& sim, int side, const char* axes) {
    const std::vector<std::string>& f = sim.datInfo;
    const auto s = static_cast<std::size_t>(side);
    std::string text = std::string(side == 0 ? "left " : "right ") + axes + ": ";
    if (f.size() < 4) return text + "no DAT information";
    text += baseName(f[s]) + (sim.profiles && sim.profiles->wing ? ", chord " : ", size ") +
            f[2 + s] + " mm";
    if (f.size() >= 8 && f[4 + s] == "1") text += ", washout " + f[6 + s] + " deg";
    return text;
}

}  // namespace

std::optional<GcodeAxes> parseGcodeAxes(std::string_view text) {
    std::string upper;
    for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "XYUV") return GcodeAxes::XYUV;
    if (upper == "XYZA") return GcodeAxes::XYZA;
    return std::nullopt;
}

const char* gcodeAxesName(GcodeAxes axes) {
    return axes == GcodeAxes::XYUV ? "XYUV" : "XYZA";
}

std::string wireOnLine(const GcodeOptions& o) {
    std::string line = o.wireOn;
    // Every letter outside a comment starts a word, so an S followed by a number is the power
    // word whether it stands alone ("M3 S500") or not ("M3S500", "m3 s 500", "M3S#1").
    bool hasPower = false;
    bool inComment = false;
    std::size_t semicolon = line.size();  // a ';' comment runs to the end of the line
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (!inComment && c == ';') {
            semicolon = i;
            break;
        }
        if (inComment || c == '(') {
            inComment = c != ')';
            continue;
        }
        if (c != 'S' && c != 's') continue;
        std::size_t v = i + 1;
        while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
        if (v < line.size() && (std::isdigit(static_cast<unsigned char>(line[v])) ||
                                std::string_view("+-.#[").find(line[v]) != std::string_view::npos))
            hasPower = true;
    }
    if (hasPower || o.wirePower <= 0 || line.empty()) return line;
    std::size_t at = semicolon;
    while (at > 0 && line[at - 1] == ' ') --at;
    line.insert(at, powerWord(o.wirePower));
    return line;
}

std::string powerWord(double power) {
    return " S" + fixedWord(power);
}

std::optional<Material> powerMaterial(const Simulation& sim) {
    if (!sim.madeFor) return std::nullopt;
    std::optional<Material> m = sim.madeFor->usedMaterial();
    if (!m || !powerAt(*m, sim.madeFor->cutSpeedMmS)) return std::nullopt;
    return m;
}

double moveFaceSpeed(const Simulation& sim, const DecodedSegment& s, double ms) {
    if (!(ms > 0) || sim.stepsPerMm == 0) return 0;
    double at[2] = {0, 1};  // fractions of the way from the left tower to the right
    if (sim.faces && sim.faces->towersMm > 0) {
        at[0] = sim.faces->leftGapMm / sim.faces->towersMm;
        at[1] = (sim.faces->leftGapMm + sim.faces->spanMm) / sim.faces->towersMm;
    }
    double sum = 0;
    for (double f : at) {
        double d[2];
        for (std::size_t c = 0; c < 2; ++c) {  // x, y
            const double left = static_cast<double>(s.end[c] - s.start[c]);
            const double right = static_cast<double>(s.end[c + 2] - s.start[c + 2]);
            d[c] = (left + (right - left) * f) / sim.stepsPerMm;
        }
        sum += std::hypot(d[0], d[1]);
    }
    return sum / 2 / (ms / 1000.0);
}

std::string todayUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y-%m-%d", &tm);
    return buf;
}

std::string gcodeProgram(const Simulation& sim, const GcodeOptions& o, GcodeSummary* summary) {
    const char* letters = gcodeAxesName(o.axes);  // X1, Y1, X2, Y2 in this order
    const double tick = tickMs(sim.stepsPerMm, o.speed);
    const double pauseSeconds = o.pauseMs / 1000.0;
    GcodeSummary sum;
    const DecodedSet& d = sim.decoded;

    std::string g;
    g += comment("Corvane G-code of the cut-file set");
    g += comment(sim.paths.step.string());
    g += comment(sideText(sim, 0, "X Y"));
    g += comment(sideText(sim, 1, o.axes == GcodeAxes::XYUV ? "U V" : "Z A"));
    g += comment("speed " + formatDouble(o.speed.toDouble()) + " mm/s: " + formatDouble(tick) +
                 " ms a tick at " + std::to_string(sim.stepsPerMm) + " steps/mm");
    g += comment(std::to_string(d.ticks) + " ticks, " + std::to_string(d.pauses) +
                 " delay points of " + formatDouble(o.pauseMs) + " ms");
    g += comment("made " + (o.date.empty() ? todayUtc() : o.date));
    g += comment("positions from the start of the cut: set all four axes to zero there");
    g += "G21 G90 G93\n";

    // Returns whether a dwell line was written.
    auto dwellLine = [&](double seconds, const std::string& note) {
        const std::string p = dwellSeconds(seconds);
        if (p.empty()) return false;
        g += "G4 P" + p + (note.empty() ? "\n" : " " + comment(note));
        ++sum.dwells;
        sum.seconds += seconds;
        return true;
    };
    const std::optional<Material> power = o.powerBySpeed ? powerMaterial(sim) : std::nullopt;
    if (power) {
        g += comment("power by speed: " + std::string(power->name) +
                     ", S at each move's face speed");
        GcodeOptions on = o;
        on.wirePower = *powerAt(*power, sim.madeFor->cutSpeedMmS);
        if (!o.wireOn.empty()) g += wireOnLine(on) + "\n";
    } else if (!o.wireOn.empty()) {
        g += wireOnLine(o) + "\n";
    }
    if (!o.wireOn.empty()) dwellLine(o.preheatMs / 1000.0, "preheat");

    auto dwell = [&](int count) {
        for (int i = 0; i < count; ++i) dwellLine(pauseSeconds, {});
    };
    dwell(d.pausesAtStart);
    for (const DecodedSegment& s : d.segments) {
        if (s.ticks > 0) {
            const double ms = s.durationMs(tick);
            if (s.end == s.start) {
                // Ticks that step no axis still take their time on the port.
                dwellLine(ms / 1000.0,
                          "segment " + std::to_string(s.number) + ": ticks without a step");
            } else {
                sum.seconds += ms / 1000.0;
                g += "G1";
                const std::array<double, 4> end = s.endMm(sim.stepsPerMm);
                for (std::size_t a = 0; a < 4; ++a) {
                    g += ' ';
                    g += letters[a];
                    g += mm4(end[a]);
                }
                g += " F" + feed(60000.0 / ms);
                if (power) g += powerWord(*powerAt(*power, moveFaceSpeed(sim, s, ms)));
                if (s.kind == SegmentKind::LeadIn) g += " (lead-in)";
                if (s.kind == SegmentKind::LeadOut) g += " (lead-out)";
                g += "\n";
                ++sum.moves;
            }
        }
        dwell(s.pausesAfter);
    }
    if (!o.wireOff.empty()) g += o.wireOff + "\n";
    g += "G94\nM2\n";
    if (summary) *summary = sum;
    return g;
}

}  // namespace corvane
