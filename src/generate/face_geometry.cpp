// Placing, offsetting, clipping and projecting the face outlines, and the refusals with their
// numbers.
#include "generate/face_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

#include "common/number_format.h"
#include "generate/face_kerf.h"

namespace corvane {

namespace {

constexpr double kDegree = 3.14159265358979323846 / 180.0;

std::string mm(double v) {
    return formatTwoDecimals(v) + " mm";
}

double orient(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

}  // namespace

std::optional<Normal> outwardNormal(const Outline& o, std::size_t i, double side) {
    const double dx = o.x[i + 1] - o.x[i], dy = o.y[i + 1] - o.y[i];
    const double len = std::hypot(dx, dy);
    if (len == 0) return std::nullopt;
    return Normal{side * dy / len, -side * dx / len};
}

// The loop a crossing closes: inside (points first + 1 .. second) or, on a closed outline, round
// the ends (points second + 1 .. last and 0 .. first). Collapses the smaller onto the crossing.
void clipLoop(Outline& o, const Crossing& c, bool closed) {
    const std::size_t n = o.size();
    const std::size_t inside = c.second - c.first;
    const std::size_t round = closed ? (n - 1 - c.second) + (c.first + 1) : SIZE_MAX;
    auto put = [&](std::size_t k) {
        o.x[k] = c.x;
        o.y[k] = c.y;
    };
    if (inside <= round) {
        for (std::size_t k = c.first + 1; k <= c.second; ++k) put(k);
    } else {
        for (std::size_t k = c.second + 1; k < n; ++k) put(k);
        for (std::size_t k = 0; k <= c.first; ++k) put(k);
    }
}

std::size_t loopSize(const Crossing& c, std::size_t n, bool closed) {
    const std::size_t inside = c.second - c.first;
    if (!closed) return inside;
    return std::min(inside, (n - 1 - c.second) + (c.first + 1));
}

bool closedOutline(const Outline& o) {
    const std::size_t n = o.size();
    return n >= 3 && std::hypot(o.x[n - 1] - o.x[0], o.y[n - 1] - o.y[0]) < 1e-9;
}

Outline placeOnFace(const Profile& unit, double chordMm, double washoutDeg, double pivot, double dx,
                    double dy) {
    Outline o;
    o.x.resize(unit.size());
    o.y.resize(unit.size());
    const double c = std::cos(washoutDeg * kDegree), s = std::sin(washoutDeg * kDegree);
    const double px = pivot * chordMm;
    for (std::size_t k = 0; k < unit.size(); ++k) {
        const double x = unit.x[k] * chordMm - px, y = unit.y[k] * chordMm;
        o.x[k] = px + x * c - y * s + dx;
        o.y[k] = x * s + y * c + dy;
    }
    return o;
}

double signedArea2(const Outline& o) {
    const std::size_t n = o.size();
    double a = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = i + 1 == n ? 0 : i + 1;
        a += o.x[i] * o.y[j] - o.x[j] * o.y[i];
    }
    return a;
}

std::vector<Crossing> selfCrossings(const Outline& o, std::size_t limit) {
    std::vector<Crossing> found;
    const std::size_t n = o.size();
    if (n < 4) return found;
    const bool closed = closedOutline(o);
    const std::size_t segments = n - 1;
    // A sweep along x: each segment meets only those whose x range overlaps its own.
    std::vector<std::size_t> order(segments);
    std::iota(order.begin(), order.end(), 0);
    auto lo = [&](std::size_t i) { return std::min(o.x[i], o.x[i + 1]); };
    auto hi = [&](std::size_t i) { return std::max(o.x[i], o.x[i + 1]); };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return lo(a) < lo(b); });
    std::vector<std::size_t> active;
    for (std::size_t i : order) {
        const double x0 = lo(i);
        std::erase_if(active, [&](std::size_t a) { return hi(a) < x0; });
        const double ylo = std::min(o.y[i], o.y[i + 1]), yhi = std::max(o.y[i], o.y[i + 1]);
        for (std::size_t j : active) {
            const std::size_t a = std::min(i, j), b = std::max(i, j);
            if (b == a + 1 || (closed && a == 0 && b == segments - 1)) continue;
            if (std::max(o.y[j], o.y[j + 1]) < ylo || std::min(o.y[j], o.y[j + 1]) > yhi) continue;
            const double d1 = orient(o.x[a], o.y[a], o.x[a + 1], o.y[a + 1], o.x[b], o.y[b]);
            const double d2 =
                orient(o.x[a], o.y[a], o.x[a + 1], o.y[a + 1], o.x[b + 1], o.y[b + 1]);
            const double d3 = orient(o.x[b], o.y[b], o.x[b + 1], o.y[b + 1], o.x[a], o.y[a]);
            const double d4 =
                orient(o.x[b], o.y[b], o.x[b + 1], o.y[b + 1], o.x[a + 1], o.y[a + 1]);
            if (!((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0))) continue;
            if (!((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) continue;
            const double t = d3 / (d3 - d4);
            found.push_back(
                {a, b, o.x[a] + t * (o.x[a + 1] - o.x[a]), o.y[a] + t * (o.y[a + 1] - o.y[a])});
            if (found.size() >= limit) return found;
        }
        active.push_back(i);
    }
    return found;
}

Outline offsetOutline(const Outline& o, double distance) {
    return offsetOutlineVarying(o, std::vector<double>(o.size(), distance));
}

Outline offsetOutlineVarying(const Outline& o, const std::vector<double>& distance) {
    const std::size_t n = o.size();
    if (n < 2 || distance.size() != n ||
        std::all_of(distance.begin(), distance.end(), [](double d) { return d == 0; }))
        return o;
    const bool closed = closedOutline(o);
    const double side = signedArea2(o) >= 0 ? 1.0 : -1.0;
    std::vector<std::optional<Normal>> normal(n - 1);
    for (std::size_t i = 0; i + 1 < n; ++i) normal[i] = outwardNormal(o, i, side);
    // The nearest segment with a length before and after each point (repeated points share it).
    std::vector<std::optional<Normal>> before(n), after(n);
    for (std::size_t i = 1; i < n; ++i) before[i] = normal[i - 1] ? normal[i - 1] : before[i - 1];
    for (std::size_t i = n - 1; i-- > 0;) after[i] = normal[i] ? normal[i] : after[i + 1];
    if (closed) {
        before[0] = before[n - 1];
        after[n - 1] = after[0];
    }
    Outline out = o;
    for (std::size_t i = 0; i < n; ++i) {
        std::optional<Normal> a = before[i], b = after[i];
        if (!a) a = b;
        if (!b) b = a;
        if (!a) continue;  // every point the same: nothing to offset
        const double sx = a->x + b->x, sy = a->y + b->y;
        const double denom = 1 + a->x * b->x + a->y * b->y;
        double mx, my;
        if (denom < 1e-12) {  // the outline turns straight back: out along the first segment
            mx = -a->y * side * kMitreLimit;
            my = a->x * side * kMitreLimit;
        } else {
            mx = sx / denom;
            my = sy / denom;
            const double len = std::hypot(mx, my);
            if (len > kMitreLimit) {
                mx *= kMitreLimit / len;
                my *= kMitreLimit / len;
            }
        }
        out.x[i] = o.x[i] + distance[i] * mx;
        out.y[i] = o.y[i] + distance[i] * my;
    }
    // Each clipped loop may uncover another; a handful is all a real outline has.
    for (int round = 0; round < 256; ++round) {
        std::vector<Crossing> cs = selfCrossings(out);
        if (cs.empty()) break;
        const Crossing* smallest = &cs.front();
        for (const Crossing& c : cs) {
            if (loopSize(c, n, closed) < loopSize(*smallest, n, closed)) smallest = &c;
        }
        clipLoop(out, *smallest, closed);
    }
    return out;
}

Outline projectBeyond(const Outline& near, const Outline& far, double distance, double span) {
    Outline t;
    const std::size_t n = near.size();
    t.x.resize(n);
    t.y.resize(n);
    const double f = distance / span;
    for (std::size_t k = 0; k < n; ++k) {
        t.x[k] = near.x[k] + (near.x[k] - far.x[k]) * f;
        t.y[k] = near.y[k] + (near.y[k] - far.y[k]) * f;
    }
    return t;
}

std::size_t leadingEdgeIndex(const Profile& unit) {
    return static_cast<std::size_t>(std::min_element(unit.x.begin(), unit.x.end()) -
                                    unit.x.begin());
}

namespace {

struct ChordLine {
    double lx, ly, tx, ty;  // leading edge, trailing edge
    double length() const { return std::hypot(tx - lx, ty - ly); }
};

ChordLine chordOf(const Outline& o, std::size_t le) {
    const std::size_t n = o.size();
    return {o.x[le], o.y[le], (o.x[0] + o.x[n - 1]) / 2, (o.y[0] + o.y[n - 1]) / 2};
}

// The chord line of the wire's cone at `distance` beyond the near face.
ChordLine chordBeyond(const ChordLine& near, const ChordLine& far, double distance, double span) {
    const double f = distance / span;
    return {near.lx + (near.lx - far.lx) * f, near.ly + (near.ly - far.ly) * f,
            near.tx + (near.tx - far.tx) * f, near.ty + (near.ty - far.ty) * f};
}

// Where the chord of the cone beyond `near` shrinks to nothing along its own direction: the
// apex's distance from the near face, or nullopt when the cone widens that way.
std::optional<double> apexDistance(const ChordLine& near, const ChordLine& far, double span) {
    const double cx = near.tx - near.lx, cy = near.ty - near.ly;
    const double ox = far.tx - far.lx, oy = far.ty - far.ly;
    const double nn = cx * cx + cy * cy, on = ox * cx + oy * cy;
    if (on <= nn) return std::nullopt;
    return span * nn / (on - nn);
}

double depthOf(const Outline& o) {
    const auto [lo, hi] = std::minmax_element(o.x.begin(), o.x.end());
    return o.size() ? *hi - *lo : 0;
}

}  // namespace

FaceGeometryResult buildFaceGeometry(const Profile& leftPlain, const Profile& rightPlain,
                                     const FaceDesign& d, const std::optional<FaceBlank>& blank) {
    // The features are cut into the sections first, so the kerf, the projection and the towers
    // follow them; refused, the plain sections still show what else is wrong.
    const FeaturedSections featured =
        applyWingFeatures(leftPlain, rightPlain, d.leftChordMm, d.rightChordMm, d.features,
                          d.leftKerfMm, d.rightKerfMm);
    const bool cut = featured.refusals.empty();
    const Profile& leftUnit = cut ? featured.left : leftPlain;
    const Profile& rightUnit = cut ? featured.right : rightPlain;
    FaceGeometryResult r = faceGeometryFromOutlines(
        placeOnFace(leftUnit, d.leftChordMm, d.leftWashoutDeg, d.washoutPivot, 0, 0),
        placeOnFace(rightUnit, d.rightChordMm, d.rightWashoutDeg, d.washoutPivot, d.sweepMm,
                    d.riseMm),
        leadingEdgeIndex(leftUnit), leadingEdgeIndex(rightUnit), d, blank);
    if (!cut) {
        r.refusals.insert(r.refusals.begin(), featured.refusals.begin(), featured.refusals.end());
        r.geometry.reset();
    }
    return r;
}

FaceGeometryResult faceGeometryFromOutlines(Outline leftFace, Outline rightFace, std::size_t leftLe,
                                            std::size_t rightLe, const FaceDesign& d,
                                            const std::optional<FaceBlank>& blank) {
    FaceGeometryResult r;
    std::vector<std::string>& no = r.refusals;
    const double d2 = d.rightGapMm();
    if (d.spanMm <= 0)
        no.push_back("The faces overlap: the span between them is " + mm(d.spanMm) +
                     "; it must be greater than 0.");
    if (d.leftGapMm < 0)
        no.push_back("The left face lies outside the towers: the left gap is " + mm(d.leftGapMm) +
                     ".");
    if (d2 < 0)
        no.push_back("The right face lies outside the towers: left gap " + mm(d.leftGapMm) +
                     " plus span " + mm(d.spanMm) + " is " + mm(d.leftGapMm + d.spanMm) +
                     ", the towers are " + mm(d.towersMm) + " apart.");
    if (d.leftChordMm <= 0 || d.rightChordMm <= 0)
        no.push_back("A face chord must be greater than 0: left " + mm(d.leftChordMm) + ", right " +
                     mm(d.rightChordMm) + ".");
    if (d.leftKerfMm < 0 || d.rightKerfMm < 0)
        no.push_back("A kerf cannot be negative: left " + mm(d.leftKerfMm) + ", right " +
                     mm(d.rightKerfMm) + ".");
    if (d.kerfBySpeed &&
        (!(d.kerfBySpeed->cutSpeedMmS > 0) || d.kerfBySpeed->material.points.empty()))
        no.push_back(
            "Kerf by speed needs the material's measured points and the speed the set "
            "is made for, above 0: " +
            formatDouble(d.kerfBySpeed->cutSpeedMmS) + " mm/s.");
    if (leftFace.size() != rightFace.size() || leftFace.size() < 2 || leftLe >= leftFace.size() ||
        rightLe >= rightFace.size())
        no.push_back("The two profiles must have the same number of points, at least 2.");
    if (!no.empty()) return r;

    FaceGeometry g;
    g.leftFace = std::move(leftFace);
    g.rightFace = std::move(rightFace);
    cutFaces(g, d);

    const ChordLine leftChord = chordOf(g.leftFace, leftLe);
    const ChordLine rightChord = chordOf(g.rightFace, rightLe);
    const ChordLine leftTower = chordBeyond(leftChord, rightChord, d.leftGapMm, d.spanMm);
    const ChordLine rightTower = chordBeyond(rightChord, leftChord, d2, d.spanMm);
    g.leftTowerChordMm = leftTower.length();
    g.rightTowerChordMm = rightTower.length();

    // The cone is judged on the designed sections: a kerf that differs between the faces turns
    // the short stretch round a sharp trailing edge back on itself at a tower, which only moves
    // the carriages there and leaves the faces as designed.
    const Outline leftShape = projectBeyond(g.leftFace, g.rightFace, d.leftGapMm, d.spanMm);
    const Outline rightShape = projectBeyond(g.rightFace, g.leftFace, d2, d.spanMm);
    struct Side {
        const char* name;
        const Outline& cut;
        const Outline& face;
        const Outline& tower;
        const ChordLine& near;
        const ChordLine& far;
        double gap;
    };
    const Side sides[2] = {
        {"left", g.leftCut, g.leftFace, leftShape, leftChord, rightChord, d.leftGapMm},
        {"right", g.rightCut, g.rightFace, rightShape, rightChord, leftChord, d2}};
    for (const Side& s : sides) {
        const std::string side = s.name;
        const std::optional<double> apex = apexDistance(s.near, s.far, d.spanMm);
        const std::string magnification = " (" + side + " gap " + mm(s.gap) + ", span " +
                                          mm(d.spanMm) + ", d/w " +
                                          formatTwoDecimals(s.gap / d.spanMm) + ")";
        // A chord that shrinks to nothing before the tower turns the outline end for end there
        // (a half turn, which keeps its sense of rotation); a thickness that does flips it.
        const bool chordTurns = apex && *apex < s.gap;
        if (chordTurns || signedArea2(s.face) * signedArea2(s.tower) < 0) {
            no.push_back("The " + side +
                         " tower outline turns over: the wire's cone has its apex " +
                         (chordTurns ? mm(*apex) + " from the " + side + " face"
                                     : "between the " + side + " face") +
                         ", nearer than the " + side + " tower" + magnification +
                         ". Bring the face chords closer or the towers nearer the faces.");
            continue;
        }
        const std::vector<Crossing> cross = selfCrossings(s.tower, 1);
        if (!cross.empty()) {
            no.push_back("The " + side + " tower outline crosses itself between points " +
                         std::to_string(cross[0].first + 1) + " and " +
                         std::to_string(cross[0].second + 2) +
                         ": the wire's lines meet between the " + side + " face and its tower" +
                         (apex ? ", the cone's apex " + mm(*apex) + " from the face" : "") +
                         magnification + ".");
        }
    }
    if (blank) {
        const double faceDepth =
            std::max(*std::max_element(g.leftFace.x.begin(), g.leftFace.x.end()),
                     *std::max_element(g.rightFace.x.begin(), g.rightFace.x.end())) -
            std::min(*std::min_element(g.leftFace.x.begin(), g.leftFace.x.end()),
                     *std::min_element(g.rightFace.x.begin(), g.rightFace.x.end()));
        const double allowed = faceDepth + blank->depthMm;
        const double reach = blank->widthMm / 2;
        for (const Side& s : sides) {
            const std::string side = s.name;
            if (reach > s.gap) {
                no.push_back("The blank does not fit between the towers: it reaches " + mm(reach) +
                             " beyond the " + side + " face, the " + side + " tower is " +
                             mm(s.gap) + " away.");
                continue;
            }
            const Outline& other = &s.cut == &g.leftCut ? g.rightCut : g.leftCut;
            const Outline atEnd = projectBeyond(s.cut, other, reach, d.spanMm);
            const double depth = depthOf(atEnd);
            if (depth > allowed)
                no.push_back("The wire's outline at the " + side + " end of the blank is " +
                             mm(depth) + " deep, longer than the blank's " + mm(allowed) +
                             " (faces " + mm(faceDepth) + " plus " + mm(blank->depthMm) + ").");
        }
    }
    if (no.empty()) r.geometry = std::move(g);
    return r;
}

}  // namespace corvane
