// Chaining: every piece end is matched with the ends within the tolerance (sorted by x, so a
// drawing of thousands of pieces stays quick); an end with no partner is loose, one with
// several is a branching point. Crossings by a sweep over the segments sorted by their left end.
#include "generate/drawing_outline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <numeric>

namespace corvane {

namespace {

constexpr double kSamePoint = 1e-7;

struct End {
    DrawingPoint p;
    std::size_t piece;
    int side;  // 0: the piece's first point, 1: its last
};

double dist(DrawingPoint a, DrawingPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

void finishOutline(DrawingOutline& o) {
    std::vector<DrawingPoint> pts;
    std::vector<char> joint;
    for (std::size_t i = 0; i < o.points.size(); ++i) {
        if (!pts.empty() && dist(pts.back(), o.points[i]) < kSamePoint) {
            joint.back() = joint.back() || o.corner[i];
            continue;
        }
        pts.push_back(o.points[i]);
        joint.push_back(o.corner[i]);
    }
    if (o.closed && pts.size() > 1 && dist(pts.front(), pts.back()) < kDrawingChainToleranceMm) {
        pts.back() = pts.front();
        joint.front() = 1;
        joint.back() = 1;
    }
    o.points = std::move(pts);
    o.corner.assign(o.points.size(), 0);
    const std::size_t n = o.points.size();
    o.length = 0;
    o.minX = o.maxX = n ? o.points[0].x : 0;
    o.minY = o.maxY = n ? o.points[0].y : 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) o.length += dist(o.points[i - 1], o.points[i]);
        o.minX = std::min(o.minX, o.points[i].x);
        o.maxX = std::max(o.maxX, o.points[i].x);
        o.minY = std::min(o.minY, o.points[i].y);
        o.maxY = std::max(o.maxY, o.points[i].y);
    }
    // Corners only where the drawing has a vertex; a closed outline's seam counts as one.
    const std::size_t distinct = o.closed ? n - 1 : n;
    if (distinct < 3) return;
    for (std::size_t i = 0; i < distinct; ++i) {
        if (!joint[i]) continue;
        if (!o.closed && (i == 0 || i + 1 == n)) continue;
        const DrawingPoint prev = o.points[i == 0 ? distinct - 1 : i - 1];
        const DrawingPoint next = o.points[i + 1];
        const DrawingPoint here = o.points[i];
        const double a1 = std::atan2(here.y - prev.y, here.x - prev.x);
        const double a2 = std::atan2(next.y - here.y, next.x - here.x);
        double turn = std::abs(a2 - a1);
        if (turn > std::numbers::pi) turn = 2 * std::numbers::pi - turn;
        if (turn * 180 / std::numbers::pi > kDrawingCornerDegrees) o.corner[i] = 1;
    }
    if (o.closed) o.corner[n - 1] = o.corner[0];
}

struct Segment {
    DrawingPoint a, b;
    std::size_t outline, index;
};

double cross(DrawingPoint o, DrawingPoint a, DrawingPoint b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool onSegment(DrawingPoint p, DrawingPoint a, DrawingPoint b) {
    return std::min(a.x, b.x) - kSamePoint <= p.x && p.x <= std::max(a.x, b.x) + kSamePoint &&
           std::min(a.y, b.y) - kSamePoint <= p.y && p.y <= std::max(a.y, b.y) + kSamePoint;
}

// Where two segments meet, if they do.
bool meet(const Segment& s, const Segment& t, DrawingPoint& at) {
    const double d1 = cross(t.a, t.b, s.a), d2 = cross(t.a, t.b, s.b);
    const double d3 = cross(s.a, s.b, t.a), d4 = cross(s.a, s.b, t.b);
    const double eps = 1e-12;
    if (((d1 > eps && d2 < -eps) || (d1 < -eps && d2 > eps)) &&
        ((d3 > eps && d4 < -eps) || (d3 < -eps && d4 > eps))) {
        const double u = d1 / (d1 - d2);
        at = {s.a.x + u * (s.b.x - s.a.x), s.a.y + u * (s.b.y - s.a.y)};
        return true;
    }
    const std::pair<double, DrawingPoint> touch[4] = {{d1, s.a}, {d2, s.b}, {d3, t.a}, {d4, t.b}};
    for (int i = 0; i < 4; ++i) {
        const Segment& other = i < 2 ? t : s;
        if (std::abs(touch[i].first) <= eps && onSegment(touch[i].second, other.a, other.b)) {
            at = touch[i].second;
            return true;
        }
    }
    return false;
}

bool inside(DrawingPoint p, const DrawingOutline& o) {
    bool in = false;
    for (std::size_t i = 0, j = o.points.size() - 1; i < o.points.size(); j = i++) {
        const DrawingPoint a = o.points[i], b = o.points[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

DrawingPoint rightmost(const DrawingOutline& o) {
    return *std::max_element(o.points.begin(), o.points.end(),
                             [](DrawingPoint a, DrawingPoint b) { return a.x < b.x; });
}

void findCrossings(const std::vector<DrawingOutline>& outlines, std::vector<std::string>& out) {
    std::vector<Segment> segs;
    for (std::size_t k = 0; k < outlines.size(); ++k) {
        const DrawingOutline& o = outlines[k];
        if (!o.closed) continue;
        for (std::size_t i = 0; i + 1 < o.points.size(); ++i)
            segs.push_back({o.points[i], o.points[i + 1], k, i});
    }
    std::sort(segs.begin(), segs.end(), [](const Segment& s, const Segment& t) {
        return std::min(s.a.x, s.b.x) < std::min(t.a.x, t.b.x);
    });
    int found = 0;
    for (std::size_t i = 0; i < segs.size() && found < 5; ++i) {
        const Segment& s = segs[i];
        const double right = std::max(s.a.x, s.b.x) + kSamePoint;
        for (std::size_t j = i + 1; j < segs.size(); ++j) {
            const Segment& t = segs[j];
            if (std::min(t.a.x, t.b.x) > right) break;
            if (std::max(t.a.y, t.b.y) < std::min(s.a.y, s.b.y) - kSamePoint ||
                std::min(t.a.y, t.b.y) > std::max(s.a.y, s.b.y) + kSamePoint)
                continue;
            if (s.outline == t.outline) {
                const std::size_t last = outlines[s.outline].points.size() - 2;
                const std::size_t lo = std::min(s.index, t.index), hi = std::max(s.index, t.index);
                if (hi - lo == 1 || (lo == 0 && hi == last)) continue;
            }
            DrawingPoint at;
            if (!meet(s, t, at)) continue;
            out.push_back(s.outline == t.outline ? "the outline crosses itself at " + placeText(at)
                                                 : "two outlines cross at " + placeText(at));
            if (++found >= 5) break;
        }
    }
}

}  // namespace

int DrawingOutline::corners() const {
    const std::size_t n = closed && !corner.empty() ? corner.size() - 1 : corner.size();
    return static_cast<int>(std::count(corner.begin(), corner.begin() + static_cast<long>(n), 1));
}

std::string placeText(DrawingPoint p) {
    auto num = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3f", std::abs(v) < 5e-4 ? 0.0 : v);
        std::string s = buf;
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
        return s;
    };
    return "(" + num(p.x) + ", " + num(p.y) + ")";
}

std::vector<std::string> drawnLayers(const Drawing& d) {
    std::vector<std::string> out;
    for (const DrawingPiece& p : d.pieces)
        if (std::find(out.begin(), out.end(), p.layer) == out.end()) out.push_back(p.layer);
    return out;
}

LayerOutlines chainLayer(const Drawing& d, const std::string& layer) {
    LayerOutlines result;
    result.layer = layer;
    std::vector<const DrawingPiece*> pieces;
    // A piece that never leaves its first point (a zero-length line) draws nothing.
    const auto draws = [](const DrawingPiece& p) {
        return std::any_of(p.points.begin(), p.points.end(), [&](DrawingPoint q) {
            return dist(q, p.points.front()) > kDrawingChainToleranceMm;
        });
    };
    for (const DrawingPiece& p : d.pieces)
        if (p.layer == layer && p.points.size() >= 2 && draws(p)) pieces.push_back(&p);
    result.pieces = static_cast<int>(pieces.size());

    std::vector<End> ends;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        ends.push_back({pieces[i]->points.front(), i, 0});
        ends.push_back({pieces[i]->points.back(), i, 1});
    }
    std::vector<std::size_t> order(ends.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return ends[a].p.x < ends[b].p.x; });
    std::vector<std::vector<std::size_t>> partners(ends.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            const End& a = ends[order[i]];
            const End& b = ends[order[j]];
            if (b.p.x - a.p.x > kDrawingChainToleranceMm) break;
            if (dist(a.p, b.p) <= kDrawingChainToleranceMm) {
                partners[order[i]].push_back(order[j]);
                partners[order[j]].push_back(order[i]);
            }
        }
    }
    std::vector<DrawingPoint> branches;
    for (std::size_t e = 0; e < ends.size(); ++e) {
        if (partners[e].size() < 2) continue;
        const bool known = std::any_of(branches.begin(), branches.end(), [&](DrawingPoint b) {
            return dist(b, ends[e].p) <= 2 * kDrawingChainToleranceMm;
        });
        if (!known) branches.push_back(ends[e].p);
    }
    for (DrawingPoint b : branches)
        result.problems.push_back("three or more ends meet at " + placeText(b) +
                                  ": the outline branches there");

    std::vector<char> used(pieces.size(), 0);
    // Walks from piece `start` entered at `side`; closed when it comes back to where it began.
    auto walk = [&](std::size_t start, int side) {
        DrawingOutline o;
        std::size_t piece = start;
        int in = side;
        while (true) {
            used[piece] = 1;
            const DrawingPiece& p = *pieces[piece];
            const std::size_t n = p.points.size();
            for (std::size_t k = 0; k < n; ++k) {
                const std::size_t idx = in == 0 ? k : n - 1 - k;
                if (k == 0 && !o.points.empty()) {
                    o.corner.back() = 1;
                    continue;
                }
                o.points.push_back(p.points[idx]);
                o.corner.push_back(p.joint[idx]);
            }
            const std::size_t exitEnd = piece * 2 + static_cast<std::size_t>(1 - in);
            if (partners[exitEnd].empty()) break;
            const End& next = ends[partners[exitEnd].front()];
            if (next.piece == start && next.side == side) {
                o.closed = true;
                break;
            }
            if (used[next.piece]) break;
            piece = next.piece;
            in = next.side;
        }
        finishOutline(o);
        return o;
    };
    for (std::size_t e = 0; e < ends.size(); ++e) {
        if (!partners[e].empty() || used[ends[e].piece]) continue;
        DrawingOutline o = walk(ends[e].piece, ends[e].side);
        result.problems.push_back("the chain from " + placeText(o.points.front()) + " to " +
                                  placeText(o.points.back()) +
                                  " is open: its ends meet nothing within 0.01 mm");
        result.outlines.push_back(std::move(o));
    }
    for (std::size_t i = 0; i < pieces.size(); ++i)
        if (!used[i]) result.outlines.push_back(walk(i, 0));

    findCrossings(result.outlines, result.problems);

    std::vector<std::size_t> outer;
    for (std::size_t i = 0; i < result.outlines.size(); ++i) {
        const DrawingOutline& o = result.outlines[i];
        if (!o.closed) continue;
        double area = 0;
        for (std::size_t k = 0; k + 1 < o.points.size(); ++k)
            area += o.points[k].x * o.points[k + 1].y - o.points[k + 1].x * o.points[k].y;
        if (o.points.size() < 4 || std::abs(area) / 2 < kDrawingChainToleranceMm * o.length) {
            result.problems.push_back("the outline at " + placeText(rightmost(o)) +
                                      " encloses no area");
            continue;
        }
        bool hole = false;
        for (std::size_t j = 0; j < result.outlines.size() && !hole; ++j) {
            if (j != i && result.outlines[j].closed && inside(o.points[0], result.outlines[j]))
                hole = true;
        }
        if (hole) {
            result.problems.push_back(
                "an inner outline (a hole) at " + placeText(rightmost(o)) +
                ": a hot wire cannot reach it without an entry slot; draw the slot into the "
                "outline or cut the hole on its own");
        } else {
            outer.push_back(i);
        }
    }
    if (outer.size() > 1) {
        std::string where;
        for (std::size_t i : outer)
            where += (where.empty() ? "" : ", ") + placeText(rightmost(result.outlines[i]));
        result.problems.push_back(std::to_string(outer.size()) + " separate outlines on layer " +
                                  layer + " (at " + where + "): one part a layer");
    }
    if (result.outlines.empty()) result.problems.push_back("layer " + layer + " draws nothing");
    return result;
}

std::string chooseLayer(const Drawing& d, const std::string& wanted) {
    const std::vector<std::string> layers = drawnLayers(d);
    auto list = [&] {
        std::string s;
        for (const std::string& l : layers) s += (s.empty() ? "" : ", ") + l;
        return s.empty() ? std::string("none") : s;
    };
    if (!wanted.empty()) {
        if (std::find(layers.begin(), layers.end(), wanted) == layers.end())
            throw DrawingError("layer " + wanted + " draws nothing; layers that draw: " + list());
        return wanted;
    }
    if (layers.size() != 1)
        throw DrawingError("choose a layer (--layer NAME); layers that draw: " + list());
    return layers.front();
}

DrawingOutline partOutline(const Drawing& d, const std::string& layer) {
    LayerOutlines lo = chainLayer(d, layer);
    if (!lo.problems.empty()) {
        std::string text;
        for (const std::string& p : lo.problems) text += (text.empty() ? "" : "\n") + p;
        throw DrawingError(text);
    }
    return lo.outlines.front();
}

}  // namespace corvane
