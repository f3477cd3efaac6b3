#include "simulate/face_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/number_format.h"
#include "simulate/simulation.h"

namespace corvane {

namespace {

constexpr double kMaxHeight = 420;
constexpr const char* kFaceColour[2] = {"#8cbbe8", "#9fd89f"};  // designed, lightly
constexpr const char* kCutColour[2] = {"#4a7fb5", "#3d8f3d"};   // offset by half the kerf
constexpr const char* kWireColour[2] = {"#b00020", "#7a3db0"};  // the wire at the face

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

}  // namespace

std::string facePanelSvg(const Simulation& sim, double top, double left, double width,
                         double& height) {
    height = 0;
    if (!sim.faces || !sim.faceCheck) return {};
    const FaceTargets& f = *sim.faces;
    const FaceCheck& c = *sim.faceCheck;
    const Outline* outlines[8] = {&f.left.designed, &f.right.designed, &f.left.cut,
                                  &f.right.cut,     &c.left.path,      &c.right.path,
                                  &f.left.finished, &f.right.finished};
    double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
    for (const Outline* o : outlines) {
        for (std::size_t k = 0; k < o->size(); ++k) {
            minX = std::min(minX, o->x[k]), maxX = std::max(maxX, o->x[k]);
            minY = std::min(minY, o->y[k]), maxY = std::max(maxY, o->y[k]);
        }
    }
    if (minX > maxX) return {};
    const double scale =
        std::min(width / std::max(maxX - minX, 1.0), kMaxHeight / std::max(maxY - minY, 1.0));
    const double panelTop = top + 28;
    auto polyline = [&](const Outline& o, const std::string& style) {
        std::string out = "<polyline fill=\"none\" " + style + " points=\"";
        for (std::size_t k = 0; k < o.size(); ++k) {
            if (k) out += ' ';
            out +=
                num(left + (o.x[k] - minX) * scale) + "," + num(panelTop + (maxY - o.y[k]) * scale);
        }
        return out + "\"/>\n";
    };
    auto mm = [](double v) { return formatDouble(std::round(v * 1e4) / 1e4); };
    std::string svg =
        "<text x=\"" + num(left) + "\" y=\"" + num(top + 12) + "\">" +
        std::string(f.faceSet ? "Faces of this face set" : "Faces placed on this tower set") +
        ": largest distance left " + mm(c.left.maxDistanceMm) + " mm, right " +
        mm(c.right.maxDistanceMm) + " mm (rounding explains " + mm(c.boundMm) + " mm)</text>\n";
    svg += "<g id=\"faces\">\n";
    const char* side[2] = {"left", "right"};
    const FaceTarget* t[2] = {&f.left, &f.right};
    const FaceSideCheck* s[2] = {&c.left, &c.right};
    for (int i = 0; i < 2; ++i) {
        if (t[i]->finished.size())
            svg += polyline(t[i]->finished, std::string("stroke=\"") + kWireColour[i] +
                                                "\" stroke-width=\"0.6\" stroke-dasharray=\"1 2\" "
                                                "class=\"face-finished " +
                                                side[i] + "\"");
        svg += polyline(t[i]->designed, std::string("stroke=\"") + kFaceColour[i] +
                                            "\" stroke-width=\"4\" stroke-linejoin=\"round\" "
                                            "class=\"face-designed " +
                                            side[i] + "\"");
        svg += polyline(t[i]->cut, std::string("stroke=\"") + kCutColour[i] +
                                       "\" stroke-width=\"0.8\" stroke-dasharray=\"3 2\" "
                                       "class=\"face-kerf " +
                                       side[i] + "\"");
        svg +=
            polyline(s[i]->path, std::string("stroke=\"") + kWireColour[i] +
                                     "\" stroke-width=\"1.2\" class=\"face-wire " + side[i] + "\"");
    }
    svg += "</g>\n";
    // One legend row for each face.
    const double legendY = panelTop + (maxY - minY) * scale + 22;
    for (int i = 0; i < 2; ++i) {
        double x = left;
        const double y = legendY + 20 * i;
        const bool featured = t[i]->finished.size() > 0;
        const std::string items[4][2] = {
            {kFaceColour[i],
             std::string(side[i]) + (featured ? " face with its features" : " face as designed")},
            {kCutColour[i], "offset by half its kerf"},
            {kWireColour[i], "the wire at the " + std::string(side[i]) + " face"},
            {featured ? kWireColour[i] : "", "finished section (dotted)"}};
        for (const auto& item : items) {
            if (item[0].empty()) continue;
            svg += "<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 24) +
                   "\" y2=\"" + num(y) + "\" stroke=\"" + item[0] +
                   "\" stroke-width=\"3\"/><text x=\"" + num(x + 30) + "\" y=\"" + num(y + 4) +
                   "\">" + item[1] + "</text>\n";
            x += 30 + 7.5 * static_cast<double>(item[1].size()) + 18;
        }
    }
    height = legendY + 36 - top;
    return svg;
}

}  // namespace corvane
