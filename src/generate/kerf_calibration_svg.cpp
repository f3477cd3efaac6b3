// The calibration comb as an SVG picture: the part as cut, each tooth's speed and nominal
// width, the width to measure half way up, where the wire starts, and the arithmetic.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/number_format.h"
#include "generate/kerf_calibration.h"

namespace corvane {

namespace {

constexpr double kScale = 4;    // px per mm
constexpr double kPad = 60;     // px left of the comb
constexpr double kTop = 90;     // px above it: the title and the teeth's speeds
constexpr double kRight = 130;  // px right of it: where the wire starts
constexpr double kFoot = 130;   // px of text below it

std::string px(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

std::string text(double x, double y, const std::string& s, const char* extra = "") {
    return "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" " + extra + ">" + s + "</text>\n";
}

std::string line(double x1, double y1, double x2, double y2, const char* style) {
    return "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
           px(y2) + "\" " + style + "/>\n";
}

}  // namespace

std::string kerfCalibrationSvg(const KerfCalibrationCut& cut) {
    const double width = std::max(cut.lengthMm * kScale + kPad + kRight, 760.0);
    const double height = cut.heightMm * kScale + kTop + kFoot;
    auto X = [](double mm) { return kPad + mm * kScale; };
    auto Y = [&cut](double mm) { return kTop + (cut.heightMm - mm) * kScale; };
    std::string s = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) +
                    "\" height=\"" + px(height) +
                    "\" font-family=\"sans-serif\" font-size=\"12\">\n";
    s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    s += text(kPad, 24,
              "Kerf calibration comb: " + formatDouble(cut.lengthMm) + " x " +
                  formatDouble(cut.heightMm) + " mm, cut at " + formatDouble(cut.cutSpeedMmS) +
                  " mm/s (the slider's speed for this set)",
              "font-size=\"14\" font-weight=\"bold\"");
    std::string points;
    for (std::size_t k = 0; k < cut.path.size(); ++k)
        points += px(X(cut.path.x[k])) + "," + px(Y(cut.path.y[k])) + " ";
    s += "<polygon points=\"" + points +
         "\" fill=\"#f3e7c9\" stroke=\"#333\" stroke-width=\"1.5\"/>\n";
    // Where the wire starts and which way it goes.
    if (cut.path.size() > 1) {
        const double x0 = X(cut.path.x[0]), y0 = Y(cut.path.y[0]);
        s += "<circle cx=\"" + px(x0) + "\" cy=\"" + px(y0) + "\" r=\"4\" fill=\"#c00\"/>\n";
        s += text(x0 + 8, y0 + 4, "start, up first", "fill=\"#c00\"");
    }
    for (std::size_t i = 0; i < cut.teeth.size(); ++i) {
        const CalibrationTooth& t = cut.teeth[i];
        // Half way up the tooth: between the base's top (the path's second point) and its top.
        const double top = cut.heightMm, half = (cut.path.y[1] + top) / 2;
        const double l = X(t.leftXMm), r = X(t.rightXMm), cx = (l + r) / 2;
        s += line(l, Y(half), r, Y(half),
                  "stroke=\"#06c\" stroke-width=\"1.5\" marker-start=\"url(#a)\" "
                  "marker-end=\"url(#a)\"");
        s += text(cx, Y(top) - 22,
                  "tooth " + std::to_string(i + 1) + ": " + formatDouble(t.speedMmS) + " mm/s",
                  "text-anchor=\"middle\" font-weight=\"bold\"");
        s += text(cx, Y(top) - 8, "nominal " + formatDouble(t.nominalMm()) + " mm",
                  "text-anchor=\"middle\" fill=\"#06c\"");
        s += text(cx, Y(half) - 6, "W" + std::to_string(i + 1),
                  "text-anchor=\"middle\" fill=\"#06c\" font-weight=\"bold\"");
    }
    s += "<defs><marker id=\"a\" viewBox=\"0 0 10 10\" refX=\"5\" refY=\"5\" markerWidth=\"6\" "
         "markerHeight=\"6\" orient=\"auto-start-reverse\"><path d=\"M0,0 L10,5 L0,10 z\" "
         "fill=\"#06c\"/></marker></defs>\n";
    double y = Y(0) + 30;
    const char* lines[] = {
        "Cut it like any set, at the speed above; each tooth runs all round at its own speed.",
        "Measure each tooth's width half way up with calipers, at both ends of the block, and "
        "take the mean.",
        "The wire's centre ran on the nominal sides and melted half the kerf off each of the "
        "tooth's two faces:",
        "kerf at the tooth's speed = nominal width - measured width.",
        "Then: corvane-cli calibrate kerf --measured W1,W2,... --material NAME (the same "
        "--speeds and sizes)."};
    for (const char* l : lines) {
        s += text(kPad, y, l);
        y += 18;
    }
    s += "</svg>\n";
    return s;
}

}  // namespace corvane
