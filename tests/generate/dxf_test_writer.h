// Small ASCII DXF files the drawing tests write themselves: a header with $INSUNITS (or none)
// and an ENTITIES section of the kinds the reader takes.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

struct Vertex {
    double x, y, bulge = 0;
};

class DxfText {
public:
    // `units` < 0: no header at all.
    explicit DxfText(int units = 4) {
        if (units >= 0) pair(0, "SECTION").pair(2, "HEADER").pair(9, "$INSUNITS").pair(70, units);
        if (units >= 0) pair(0, "ENDSEC");
        pair(0, "SECTION").pair(2, "ENTITIES");
    }
    DxfText& line(const std::string& layer, double x1, double y1, double x2, double y2) {
        return entity("LINE", layer)
            .pair(10, x1)
            .pair(20, y1)
            .pair(30, 0)
            .pair(11, x2)
            .pair(21, y2)
            .pair(31, 0);
    }
    DxfText& arc(const std::string& layer, double cx, double cy, double r, double a1, double a2) {
        return entity("ARC", layer)
            .pair(10, cx)
            .pair(20, cy)
            .pair(30, 0)
            .pair(40, r)
            .pair(50, a1)
            .pair(51, a2);
    }
    DxfText& circle(const std::string& layer, double cx, double cy, double r) {
        return entity("CIRCLE", layer).pair(10, cx).pair(20, cy).pair(30, 0).pair(40, r);
    }
    DxfText& lwpolyline(const std::string& layer, const std::vector<Vertex>& v, bool closed) {
        entity("LWPOLYLINE", layer).pair(90, static_cast<int>(v.size())).pair(70, closed ? 1 : 0);
        for (const Vertex& p : v) pair(10, p.x).pair(20, p.y).pair(42, p.bulge);
        return *this;
    }
    DxfText& polyline(const std::string& layer, const std::vector<Vertex>& v, bool closed) {
        entity("POLYLINE", layer).pair(66, 1).pair(70, closed ? 1 : 0);
        for (const Vertex& p : v)
            entity("VERTEX", layer).pair(10, p.x).pair(20, p.y).pair(30, 0).pair(42, p.bulge);
        return pair(0, "SEQEND");
    }
    DxfText& spline(const std::string& layer, int degree, const std::vector<double>& knots,
                    const std::vector<std::pair<double, double>>& control) {
        entity("SPLINE", layer).pair(70, 8).pair(71, degree);
        pair(72, static_cast<int>(knots.size())).pair(73, static_cast<int>(control.size()));
        pair(74, 0);
        for (double k : knots) pair(40, k);
        for (const auto& [x, y] : control) pair(10, x).pair(20, y).pair(30, 0);
        return *this;
    }
    DxfText& fitSpline(const std::string& layer,
                       const std::vector<std::pair<double, double>>& fit) {
        entity("SPLINE", layer).pair(70, 8).pair(71, 3).pair(72, 0).pair(73, 0);
        pair(74, static_cast<int>(fit.size()));
        for (const auto& [x, y] : fit) pair(11, x).pair(21, y).pair(31, 0);
        return *this;
    }
    DxfText& ellipse(const std::string& layer, double cx, double cy, double mx, double my,
                     double ratio, double p1, double p2) {
        return entity("ELLIPSE", layer)
            .pair(10, cx)
            .pair(20, cy)
            .pair(30, 0)
            .pair(11, mx)
            .pair(21, my)
            .pair(31, 0)
            .pair(40, ratio)
            .pair(41, p1)
            .pair(42, p2);
    }
    DxfText& text(const std::string& layer) {
        return entity("TEXT", layer).pair(10, 0).pair(20, 0).pair(40, 2).pair(1, "note");
    }
    std::string str() const { return s_ + "  0\nENDSEC\n  0\nEOF\n"; }

private:
    DxfText& entity(const char* kind, const std::string& layer) {
        return pair(0, kind).pair(8, layer);
    }
    DxfText& pair(int code, const std::string& value) {
        s_ += std::to_string(code) + "\n" + value + "\n";
        return *this;
    }
    DxfText& pair(int code, const char* value) { return pair(code, std::string(value)); }
    DxfText& pair(int code, int value) { return pair(code, std::to_string(value)); }
    DxfText& pair(int code, double value) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.12g", value);
        return pair(code, std::string(buf));
    }
    std::string s_;
};

// A w x h rectangle of four LINEs with its lower left corner at (x, y).
inline DxfText& rectangle(DxfText& d, const std::string& layer, double x, double y, double w,
                          double h) {
    return d.line(layer, x, y, x + w, y)
        .line(layer, x + w, y, x + w, y + h)
        .line(layer, x + w, y + h, x, y + h)
        .line(layer, x, y + h, x, y);
}

}  // namespace corvane::test
