#include "simulate/svg_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "common/number_format.h"
#include "simulate/face_svg.h"
#include "simulate/simulation.h"

namespace corvane {

namespace {

constexpr double kWidth = 1000;          // drawing width of a panel, px
constexpr double kMaxPanelHeight = 420;  // a tall shape is scaled down to this
constexpr double kMargin = 40;
constexpr double kTitleHeight = 28;
constexpr const char* kIntendedColour = "#8cbbe8";
constexpr const char* kPathColour = "#b00020";
constexpr const char* kDelayColour = "#e07000";
constexpr const char* kPairColour = "#9a9a9a";
constexpr std::size_t kPairEvery = 10;

struct Point {
    double x, y;  // mm
};

// One stretch of the decoded path: a lead move (dashed) or the profile segments between them.
struct Run {
    bool lead = false;
    std::vector<Point> points;
};

struct Bounds {
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    void add(Point p) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
};

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

// Whether p lies farther than `limit` from the line through a and b (a point when they meet).
bool fartherThan(Point p, Point a, Point b, double limit) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    const double px = p.x - a.x, py = p.y - a.y;
    if (len2 == 0) return px * px + py * py > limit * limit;
    const double cross = px * dy - py * dx;
    return cross * cross > limit * limit * len2;
}

// A round length for the scale bar near a fifth of the drawing: 1, 2 or 5 times a power of ten.
double scaleBarMm(double widthMm) {
    const double target = std::max(widthMm / 5, 1e-3);
    const double power = std::pow(10.0, std::floor(std::log10(target)));
    for (double m : {5.0, 2.0, 1.0})
        if (m * power <= target) return m * power;
    return power;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string svgPicture(const Simulation& sim) {
    const DecodedSet& d = sim.decoded;
    const double mmPerStep = 1.0 / sim.stepsPerMm;
    auto mm = [&](const AxisSteps& at, int side) {
        const auto a = static_cast<std::size_t>(2 * side);
        return Point{static_cast<double>(at[a]) * mmPerStep,
                     static_cast<double>(at[a + 1]) * mmPerStep};
    };

    // The intended profiles start where the decoded profile starts (the end of the lead-in).
    const AxisSteps origin = profileStart(d);
    std::vector<Point> intended[2];
    if (sim.profiles) {
        const IntendedSide* sides[2] = {&sim.profiles->left, &sim.profiles->right};
        for (int s = 0; s < 2; ++s) {
            const Point o = mm(origin, s);
            for (std::size_t k = 0; k < sides[s]->x.size(); ++k)
                intended[s].push_back({o.x + sides[s]->x[k], o.y + sides[s]->y[k]});
        }
    }

    Bounds bounds[2];
    for (int s = 0; s < 2; ++s) {
        const auto a = static_cast<std::size_t>(2 * s);
        bounds[s].add({static_cast<double>(d.min[a]) * mmPerStep,
                       static_cast<double>(d.min[a + 1]) * mmPerStep});
        bounds[s].add({static_cast<double>(d.max[a]) * mmPerStep,
                       static_cast<double>(d.max[a + 1]) * mmPerStep});
        for (Point p : intended[s]) bounds[s].add(p);
    }
    // Both panels share the horizontal range: X1 and X2 line up as the towers stand.
    for (Bounds& b : bounds) {
        b.minX = std::min(bounds[0].minX, bounds[1].minX);
        b.maxX = std::max(bounds[0].maxX, bounds[1].maxX);
    }
    const double widthMm = std::max(bounds[0].maxX - bounds[0].minX, 1.0);
    double heightMm = 0;
    for (const Bounds& b : bounds) heightMm = std::max(heightMm, b.maxY - b.minY);
    heightMm = std::max(heightMm, 1.0);
    const double scale = std::min(kWidth / widthMm, kMaxPanelHeight / heightMm);  // px per mm
    const double tolerance = 0.5 / scale;

    // The decoded path of each side, thinned to what a pixel can show.
    std::vector<Run> runs[2];
    for (int s = 0; s < 2; ++s) runs[s].push_back(Run{false, {Point{0, 0}}});
    const DecodedSegment* current = nullptr;
    int64_t tickInSegment = 0;
    Point chordStart[2], chordEnd[2];
    auto startSegment = [&](const DecodedSegment& seg) {
        current = &seg;
        const bool lead = seg.kind != SegmentKind::Profile;
        for (int s = 0; s < 2; ++s) {
            chordStart[s] = mm(seg.start, s);
            chordEnd[s] = mm(seg.end, s);
            if (runs[s].back().lead != lead) {
                const Point from = runs[s].back().points.back();
                runs[s].push_back(Run{lead, {from}});
            }
        }
    };
    visitTicks(sim.set, *sim.decoder, sim.lead, d,
               [&](const DecodedSegment& seg, const AxisSteps& at) {
                   if (&seg != current) {
                       startSegment(seg);
                       tickInSegment = 0;
                   }
                   const bool last = ++tickInSegment == seg.ticks;
                   for (int s = 0; s < 2; ++s) {
                       const Point p = mm(at, s);
                       std::vector<Point>& pts = runs[s].back().points;
                       const Point prev = pts.back();
                       const bool off = fartherThan(p, chordStart[s], chordEnd[s], tolerance) &&
                                        fartherThan(p, prev, prev, tolerance);
                       if (off || (last && (p.x != prev.x || p.y != prev.y))) pts.push_back(p);
                   }
               });
    for (int s = 0; s < 2; ++s) {
        const Point end = mm(d.end, s);
        std::vector<Point>& pts = runs[s].back().points;
        if (pts.back().x != end.x || pts.back().y != end.y) pts.push_back(end);
    }

    // Delay points: where the wire stands while it waits.
    struct Delay {
        AxisSteps at;
        int count;
    };
    std::vector<Delay> delays;
    if (d.pausesAtStart > 0) delays.push_back({AxisSteps{}, d.pausesAtStart});
    for (const DecodedSegment& seg : d.segments)
        if (seg.pausesAfter > 0) delays.push_back({seg.end, seg.pausesAfter});

    // Layout: a header, two panels one above the other, the legend and the scale bar.
    const double panelHeight[2] = {(bounds[0].maxY - bounds[0].minY) * scale,
                                   (bounds[1].maxY - bounds[1].minY) * scale};
    double top = kMargin + 2 * 18;
    double panelTop[2];
    for (int s = 0; s < 2; ++s) {
        panelTop[s] = top + kTitleHeight;
        top = panelTop[s] + panelHeight[s] + kMargin / 2;
    }
    double faceHeight = 0;
    const std::string facePanel = facePanelSvg(sim, top, kMargin, kWidth, faceHeight);
    top += faceHeight;
    const double legendTop = top + 10;
    const double totalWidth = kWidth + 2 * kMargin;
    const double totalHeight = legendTop + 60;

    auto sx = [&](int s, Point p) { return num(kMargin + (p.x - bounds[s].minX) * scale); };
    auto sy = [&](int s, Point p) { return num(panelTop[s] + (bounds[s].maxY - p.y) * scale); };
    auto px = [&](int s, Point p) { return sx(s, p) + "," + sy(s, p); };
    auto polyline = [&](int s, const std::vector<Point>& pts, const std::string& style) {
        std::string out = "<polyline fill=\"none\" " + style + " points=\"";
        for (std::size_t i = 0; i < pts.size(); ++i) {
            if (i) out += ' ';
            out += px(s, pts[i]);
        }
        return out + "\"/>\n";
    };

    // The cutting direction: an arrow from the first intended point towards the first one a
    // few pixels on, so that a dense trailing edge still shows which way the wire goes.
    auto directionArrow = [&](int s) {
        const std::vector<Point>& pts = intended[s];
        for (std::size_t k = 1; k < pts.size(); ++k) {
            const double dx = (pts[k].x - pts[0].x) * scale, dy = (pts[k].y - pts[0].y) * scale;
            const double len = std::hypot(dx, dy);
            if (len < 6) continue;
            const double ux = dx / len, uy = -dy / len;  // the picture's y runs down
            const double x0 = kMargin + (pts[0].x - bounds[s].minX) * scale;
            const double y0 = panelTop[s] + (bounds[s].maxY - pts[0].y) * scale;
            const double x1 = x0 + 22 * ux, y1 = y0 + 22 * uy;
            const double hx = x1 - 7 * ux, hy = y1 - 7 * uy;
            return "<g class=\"direction\" stroke=\"#208020\" stroke-width=\"1.5\" "
                   "fill=\"#208020\"><line x1=\"" +
                   num(x0) + "\" y1=\"" + num(y0) + "\" x2=\"" + num(x1) + "\" y2=\"" + num(y1) +
                   "\"/><polygon points=\"" + num(x1) + "," + num(y1) + " " + num(hx - 3.5 * uy) +
                   "," + num(hy + 3.5 * ux) + " " + num(hx + 3.5 * uy) + "," + num(hy - 3.5 * ux) +
                   "\"/></g>\n";
        }
        return std::string();
    };

    std::string svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(totalWidth) + "\" height=\"" +
           num(totalHeight) + "\" viewBox=\"0 0 " + num(totalWidth) + " " + num(totalHeight) +
           "\" font-family=\"sans-serif\" font-size=\"13\">\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg += "<text x=\"" + num(kMargin) + "\" y=\"" + num(kMargin - 10) +
           "\" font-size=\"15\" font-weight=\"bold\">" +
           escaped("Simulated cut of " + sim.paths.step.string()) + "</text>\n";
    std::string figures = std::to_string(d.ticks) + " ticks, " + std::to_string(d.profileSegments) +
                          " segments, " + std::to_string(d.pauses) + " delay points, " +
                          std::to_string(sim.stepsPerMm) + " steps/mm";
    if (sim.check)
        figures += "; largest distance from the profile: left " +
                   formatDouble(std::round(sim.check->left.maxDistanceMm * 1e4) / 1e4) +
                   " mm, right " +
                   formatDouble(std::round(sim.check->right.maxDistanceMm * 1e4) / 1e4) + " mm";
    else if (!sim.profilesMissing.empty())
        figures += "; no profiles: " + sim.profilesMissing;
    svg += "<text x=\"" + num(kMargin) + "\" y=\"" + num(kMargin + 12) + "\">" + escaped(figures) +
           "</text>\n";

    const char* sideNames[2] = {"Left tower (X1, Y1)", "Right tower (X2, Y2)"};
    for (int s = 0; s < 2; ++s) {
        std::string title = sideNames[s];
        if (sim.profiles) {
            const IntendedSide& side = s == 0 ? sim.profiles->left : sim.profiles->right;
            title += ": " + baseName(side.path) + " at " + formatDouble(side.size) + " mm";
            if (side.washoutDegrees)
                title += ", washout " + formatDouble(*side.washoutDegrees) + "°";
        }
        svg += "<text x=\"" + num(kMargin) + "\" y=\"" + num(panelTop[s] - 10) + "\">" +
               escaped(title) + "</text>\n";
        svg += "<g id=\"" + std::string(s == 0 ? "left" : "right") + "\">\n";
        if (intended[s].size() > 1)
            svg += polyline(s, intended[s],
                            std::string("stroke=\"") + kIntendedColour +
                                "\" stroke-width=\"4\" stroke-linejoin=\"round\" "
                                "stroke-linecap=\"round\" class=\"intended\"");
        for (const Run& run : runs[s]) {
            if (run.points.size() < 2) continue;
            std::string style = std::string("stroke=\"") + kPathColour + "\" stroke-width=\"1.2\"";
            style += run.lead ? " stroke-dasharray=\"6 4\" class=\"lead\"" : " class=\"decoded\"";
            svg += polyline(s, run.points, style);
        }
        svg += "<circle cx=\"" + sx(s, {0, 0}) + "\" cy=\"" + sy(s, {0, 0}) +
               "\" r=\"3.5\" fill=\"#208020\" class=\"start\"/>\n";
        svg += directionArrow(s);
        for (const Delay& delay : delays) {
            const Point at = mm(delay.at, s);
            const std::string cx = sx(s, at), cy = sy(s, at);
            svg += "<circle cx=\"" + cx + "\" cy=\"" + cy + "\" r=\"6\" fill=\"none\" stroke=\"" +
                   kDelayColour + "\" stroke-width=\"2\" class=\"delay\"/>\n";
            if (delay.count > 1)
                svg += "<text x=\"" + cx + "\" y=\"" + cy + "\" dx=\"8\" dy=\"-8\" fill=\"" +
                       kDelayColour + "\">" + std::to_string(delay.count) + "×</text>\n";
        }
        svg += "</g>\n";
    }

    // Which left point goes with which right point: every tenth pair joined across the panels,
    // numbered at both ends, so points that do not correspond show as crossing lines.
    if (intended[0].size() == intended[1].size()) {
        svg += "<g class=\"pairs\" stroke=\"" + std::string(kPairColour) +
               "\" stroke-width=\"0.7\" fill=\"" + kPairColour + "\" font-size=\"10\">\n";
        for (std::size_t k = 0; k < intended[0].size(); k += kPairEvery) {
            const Point a = intended[0][k], b = intended[1][k];
            svg += "<line class=\"pair\" x1=\"" + sx(0, a) + "\" y1=\"" + sy(0, a) + "\" x2=\"" +
                   sx(1, b) + "\" y2=\"" + sy(1, b) + "\"/>";
            for (int s = 0; s < 2; ++s) {
                const Point q = s == 0 ? a : b;
                svg += "<text stroke=\"none\" x=\"" + sx(s, q) + "\" y=\"" + sy(s, q) +
                       "\" dx=\"3\" dy=\"-3\">" + std::to_string(k + 1) + "</text>";
            }
            svg += "\n";
        }
        svg += "</g>\n";
    }

    svg += facePanel;

    // Legend and scale bar.
    double x = kMargin;
    const double y = legendTop + 10;
    auto legend = [&](const std::string& sample, const std::string& text) {
        svg += sample + "<text x=\"" + num(x + 34) + "\" y=\"" + num(y + 4) + "\">" +
               escaped(text) + "</text>\n";
        x += 34 + 8 * static_cast<double>(text.size()) + 24;
    };
    legend("<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 28) + "\" y2=\"" +
               num(y) + "\" stroke=\"" + kIntendedColour + "\" stroke-width=\"4\"/>",
           "intended profile");
    legend("<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 28) + "\" y2=\"" +
               num(y) + "\" stroke=\"" + kPathColour + "\" stroke-width=\"1.2\"/>",
           "decoded path");
    legend("<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 28) + "\" y2=\"" +
               num(y) + "\" stroke=\"" + kPathColour +
               "\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"/>",
           "lead moves");
    legend("<circle cx=\"" + num(x + 14) + "\" cy=\"" + num(y) +
               "\" r=\"6\" fill=\"none\" stroke=\"" + kDelayColour + "\" stroke-width=\"2\"/>",
           "delay point");
    legend("<circle cx=\"" + num(x + 14) + "\" cy=\"" + num(y) + "\" r=\"3.5\" fill=\"#208020\"/>",
           "start and direction");
    legend("<line x1=\"" + num(x) + "\" y1=\"" + num(y) + "\" x2=\"" + num(x + 28) + "\" y2=\"" +
               num(y) + "\" stroke=\"" + kPairColour + "\" stroke-width=\"0.7\"/>",
           "every tenth pair");

    const double barMm = scaleBarMm(widthMm);
    const double barY = y + 30, barX = kMargin;
    const double barX2 = barX + barMm * scale;
    svg += "<g class=\"scale-bar\" stroke=\"black\" stroke-width=\"1.5\">";
    svg += "<line x1=\"" + num(barX) + "\" y1=\"" + num(barY) + "\" x2=\"" + num(barX2) +
           "\" y2=\"" + num(barY) + "\"/>";
    for (double bx : {barX, barX2})
        svg += "<line x1=\"" + num(bx) + "\" y1=\"" + num(barY - 5) + "\" x2=\"" + num(bx) +
               "\" y2=\"" + num(barY + 5) + "\"/>";
    svg += "</g>\n<text x=\"" + num(barX2 + 10) + "\" y=\"" + num(barY + 4) + "\">" +
           formatDouble(barMm) + " mm</text>\n";
    svg += "</svg>\n";
    return svg;
}

}  // namespace corvane
