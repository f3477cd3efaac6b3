// Reading the wing feature options; every wrong text is named with what was wanted.
#include "cli/wing_feature_options.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "common/number_format.h"

namespace corvane::cli {

namespace {

// The whole text as one finite number.
std::optional<double> number(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, by);) parts.push_back(part);
    if (!text.empty() && text.back() == by) parts.push_back("");
    return parts;
}

// "MM" (both faces) or "LEFT:RIGHT" (or "LEFT/RIGHT" inside a spar), not negative.
std::optional<FacePair> pair(const std::string& text, char by) {
    const std::vector<std::string> parts = split(text, by);
    if (parts.empty() || parts.size() > 2) return std::nullopt;
    const std::optional<double> l = number(parts[0]);
    const std::optional<double> r = parts.size() == 2 ? number(parts[1]) : l;
    if (!l || !r || *l < 0 || *r < 0) return std::nullopt;
    return FacePair{*l, *r};
}

std::optional<SparSlot> spar(const std::string& text, std::string& problem) {
    const std::string wanted =
        "--spar takes upper|lower:POS:WIDTH:DEPTH[:same|proportional|"
        "per-face] (POS in mm, or a fraction as 35% or 0.35; a figure "
        "may be LEFT/RIGHT), not \"" +
        text + "\"";
    const std::vector<std::string> parts = split(text, ':');
    if (parts.size() < 4 || parts.size() > 5) {
        problem = wanted;
        return std::nullopt;
    }
    SparSlot s;
    if (parts[0] == "upper") {
        s.surface = SlotSurface::Upper;
    } else if (parts[0] == "lower") {
        s.surface = SlotSurface::Lower;
    } else {
        problem = wanted;
        return std::nullopt;
    }
    std::string pos = parts[1];
    bool percent = false;
    bool perFace = false;
    for (const std::string* p : {&parts[1], &parts[2], &parts[3]})
        perFace = perFace || p->find('/') != std::string::npos;
    if (pos.find('%') != std::string::npos) {
        percent = true;
        std::erase(pos, '%');
    }
    const std::optional<FacePair> centre = pair(pos, '/');
    const std::optional<FacePair> width = pair(parts[2], '/');
    const std::optional<FacePair> depth = pair(parts[3], '/');
    if (!centre || !width || !depth) {
        problem = wanted;
        return std::nullopt;
    }
    s.centre = *centre;
    s.centreIsFraction = percent || (centre->left < 1 && centre->right < 1);
    if (percent) s.centre = {centre->left / 100, centre->right / 100};
    s.widthMm = *width;
    s.depthMm = *depth;
    const std::string scaling = parts.size() == 5 ? parts[4] : perFace ? "per-face" : "same";
    if (scaling == "same" && !perFace) {
        s.scaling = SlotScaling::Same;
    } else if (scaling == "proportional" && !perFace) {
        s.scaling = SlotScaling::Proportional;
    } else if (scaling == "per-face") {
        s.scaling = SlotScaling::PerFace;
    } else {
        problem = perFace ? "--spar \"" + text +
                                "\" gives figures per face (LEFT/RIGHT): its "
                                "scaling can only be per-face"
                          : wanted;
        return std::nullopt;
    }
    return s;
}

}  // namespace

bool WingFeatureOptions::any() const {
    return sheetingUpper || sheetingLower || teThickness || leStock || teStock || !spars.empty();
}

void addWingFeatureOptions(CLI::App* wing, WingFeatureOptions& o) {
    wing->add_option(
        "--sheeting-upper", o.sheetingUpper,
        "faces: upper surface moved inward for the sheeting, mm (LEFT:RIGHT per face)");
    wing->add_option(
        "--sheeting-lower", o.sheetingLower,
        "faces: lower surface moved inward for the sheeting, mm (LEFT:RIGHT per face)");
    wing->add_option("--spar", o.spars,
                     "faces: spar slot upper|lower:POS:WIDTH:DEPTH[:same|proportional|per-face], "
                     "POS in mm from the leading edge or a fraction (35% or 0.35); repeatable");
    wing->add_option("--te-thickness", o.teThickness,
                     "faces: the core's least trailing-edge thickness, mm (LEFT:RIGHT)");
    wing->add_option("--le-stock", o.leStock,
                     "faces: foam left ahead of the leading edge, mm (LEFT:RIGHT)");
    wing->add_option("--te-stock", o.teStock,
                     "faces: foam left behind the trailing edge, mm (LEFT:RIGHT)");
    wing->add_flag("--mirror", o.mirror,
                   "also save the other half (root at the other tower) as NAME-mirror beside "
                   "--save NAME");
}

std::optional<WingFeatures> wingFeaturesFrom(const WingFeatureOptions& o, std::string& problem) {
    WingFeatures f;
    f.mirror = o.mirror;
    const std::pair<const char*, std::pair<const std::optional<std::string>*, FacePair*>> pairs[] =
        {{"--sheeting-upper", {&o.sheetingUpper, &f.sheetingUpperMm}},
         {"--sheeting-lower", {&o.sheetingLower, &f.sheetingLowerMm}},
         {"--te-thickness", {&o.teThickness, &f.teThicknessMm}},
         {"--le-stock", {&o.leStock, &f.leStockMm}},
         {"--te-stock", {&o.teStock, &f.teStockMm}}};
    for (const auto& [name, what] : pairs) {
        if (!*what.first) continue;
        const std::optional<FacePair> p = pair(**what.first, ':');
        if (!p) {
            problem = std::string(name) + " takes MM or LEFT:RIGHT in mm, not negative, not \"" +
                      **what.first + "\"";
            return std::nullopt;
        }
        *what.second = *p;
    }
    for (const std::string& text : o.spars) {
        std::optional<SparSlot> s = spar(text, problem);
        if (!s) return std::nullopt;
        f.slots.push_back(*s);
    }
    return f;
}

std::string featureSummary(const WingFeatures& f, double leftChordMm, double rightChordMm) {
    std::string out;
    const std::pair<const char*, const FacePair*> pairs[] = {{"SheetingUpper", &f.sheetingUpperMm},
                                                             {"SheetingLower", &f.sheetingLowerMm},
                                                             {"TeThickness", &f.teThicknessMm},
                                                             {"LeStock", &f.leStockMm},
                                                             {"TeStock", &f.teStockMm}};
    for (const auto& [name, p] : pairs) {
        if (p->left == 0 && p->right == 0) continue;
        out += std::string(name) + "=" + formatTwoDecimals(p->left) + "," +
               formatTwoDecimals(p->right) + "\n";
    }
    for (std::size_t i = 0; i < f.slots.size(); ++i) {
        out += "SparSlot" + std::to_string(i + 1) + "=" +
               (f.slots[i].surface == SlotSurface::Upper ? "upper" : "lower");
        for (bool right : {false, true}) {
            const SlotAtFace a = slotAtFace(f.slots[i], right, leftChordMm, rightChordMm);
            out += " " + formatTwoDecimals(a.centreMm) + "," + formatTwoDecimals(a.widthMm) + "," +
                   formatTwoDecimals(a.depthMm);
        }
        out += "\n";
    }
    return out;
}

}  // namespace corvane::cli
