// Curves to chords: arcs and bulges by the sagitta of the tolerance, splines and fit-point
// curves by halving each parameter step until its middle lies within the tolerance.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "generate/dxf_reader.h"

namespace corvane {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxHalvings = 14;
// CAD programs write splines up to degree 11.
constexpr int kMaxSplineDegree = 11;

void checkSize(std::size_t n) {
    if (n > kDrawingMaxPiecePoints)
        throw DrawingError("a curve needs more than " + std::to_string(kDrawingMaxPiecePoints) +
                           " points at the flattening tolerance");
}

double distanceToChord(DrawingPoint p, DrawingPoint a, DrawingPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// Appends the points after `a` up to and including `b`, halving [t0, t1] while the curve's
// middle strays from the chord by more than the tolerance.
template <class Curve>
void refine(const Curve& f, double t0, double t1, DrawingPoint a, DrawingPoint b, double tol,
            int depth, std::vector<DrawingPoint>& out) {
    const double tm = 0.5 * (t0 + t1);
    const DrawingPoint m = f(tm);
    if (depth < kMaxHalvings && distanceToChord(m, a, b) > tol) {
        refine(f, t0, tm, a, m, tol, depth + 1, out);
        refine(f, tm, t1, m, b, tol, depth + 1, out);
        return;
    }
    out.push_back(b);
    checkSize(out.size());
}

template <class Curve>
void flattenRange(const Curve& f, double t0, double t1, int pieces, double tol,
                  std::vector<DrawingPoint>& out) {
    if (out.empty()) out.push_back(f(t0));
    DrawingPoint a = out.back();
    for (int i = 1; i <= pieces; ++i) {
        const double s0 = t0 + (t1 - t0) * (i - 1) / pieces;
        const double s1 = t0 + (t1 - t0) * i / pieces;
        const DrawingPoint b = f(s1);
        refine(f, s0, s1, a, b, tol, 0, out);
        a = b;
    }
}

}  // namespace

std::vector<DrawingPoint> flattenArc(DrawingPoint c, double r, double start, double sweep,
                                     double tol) {
    if (!std::isfinite(r) || !std::isfinite(start) || !std::isfinite(sweep) || r < 0)
        throw DrawingError("an arc with a radius or angle that is not a number");
    double step = kPi / 4;
    if (r > tol) step = std::min(step, 2 * std::acos(1 - tol / r));
    const double n = std::ceil(std::abs(sweep) / step);
    checkSize(static_cast<std::size_t>(std::min(n + 4, 1e12)));
    // The quarter angles the arc passes are points of their own, so the outline's extent (the
    // part's size) is the curve's, not a chord's.
    std::vector<double> cuts{start};
    const double lo = std::min(start, start + sweep), hi = std::max(start, start + sweep);
    for (double q = std::floor(lo / (kPi / 2)) + 1; q * (kPi / 2) < hi - 1e-9; ++q) {
        if (q * (kPi / 2) > lo + 1e-9) cuts.push_back(q * (kPi / 2));
        if (cuts.size() > 8) break;
    }
    if (sweep < 0) std::reverse(cuts.begin() + 1, cuts.end());
    cuts.push_back(start + sweep);
    std::vector<DrawingPoint> out;
    out.reserve(static_cast<std::size_t>(n) + cuts.size());
    out.push_back({c.x + r * std::cos(start), c.y + r * std::sin(start)});
    for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
        const double a0 = cuts[k], a1 = cuts[k + 1];
        const int count = std::max(1, static_cast<int>(std::ceil(std::abs(a1 - a0) / step)));
        for (int i = 1; i <= count; ++i) {
            const double a = a0 + (a1 - a0) * i / count;
            out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a)});
        }
    }
    return out;
}

std::vector<DrawingPoint> flattenBulge(DrawingPoint a, DrawingPoint b, double bulge, double tol) {
    const double d = std::hypot(b.x - a.x, b.y - a.y);
    if (std::abs(bulge) < 1e-12 || d == 0 || !std::isfinite(bulge)) return {a, b};
    const double ux = (b.x - a.x) / d, uy = (b.y - a.y) / d;
    // The centre lies on the chord's perpendicular, to the left of a -> b for a positive bulge.
    const double h = 0.5 * d * (1 - bulge * bulge) / (2 * bulge);
    const DrawingPoint c{0.5 * (a.x + b.x) - uy * h, 0.5 * (a.y + b.y) + ux * h};
    const double r = std::hypot(a.x - c.x, a.y - c.y);
    const double sweep = 4 * std::atan(bulge);
    std::vector<DrawingPoint> out = flattenArc(c, r, std::atan2(a.y - c.y, a.x - c.x), sweep, tol);
    out.front() = a;  // exact ends, so neighbouring segments meet without a gap
    out.back() = b;
    return out;
}

std::vector<DrawingPoint> flattenSpline(int degree, const std::vector<DrawingPoint>& control,
                                        const std::vector<double>& weights,
                                        const std::vector<double>& knots, double tol) {
    const int n = static_cast<int>(control.size());
    if (n < 2) throw DrawingError("a spline with fewer than two control points");
    if (degree > kMaxSplineDegree)
        throw DrawingError("a spline of degree " + std::to_string(degree) + " (at most " +
                           std::to_string(kMaxSplineDegree) + " is read)");
    const int p = std::clamp(degree, 1, n - 1);
    std::vector<std::array<double, 3>> hw(control.size());
    const bool useWeights = weights.size() == control.size() &&
                            std::all_of(weights.begin(), weights.end(),
                                        [](double w) { return std::isfinite(w) && w > 0; });
    for (std::size_t i = 0; i < control.size(); ++i) {
        const double w = useWeights ? weights[i] : 1.0;
        hw[i] = {control[i].x * w, control[i].y * w, w};
    }
    std::vector<double> u = knots;
    const bool knotsFit =
        u.size() == static_cast<std::size_t>(n + p + 1) && std::is_sorted(u.begin(), u.end()) &&
        std::all_of(u.begin(), u.end(), [](double k) { return std::isfinite(k); }) &&
        u[static_cast<std::size_t>(p)] < u[static_cast<std::size_t>(n)];
    if (!knotsFit) {  // clamped uniform
        u.assign(static_cast<std::size_t>(n + p + 1), 0.0);
        for (int i = 0; i < n + p + 1; ++i)
            u[static_cast<std::size_t>(i)] = std::clamp(i - p, 0, n - p);
    }
    auto at = [&](std::size_t i) { return u[i]; };
    // de Boor within the knot span k (the caller walks the spans, so no search per point).
    const auto curveIn = [&](std::size_t k, double t) {
        std::array<std::array<double, 3>, kMaxSplineDegree + 1> d{};
        std::array<double, 3>* dp = d.data();
        for (int j = 0; j <= p; ++j) dp[j] = hw[k - static_cast<std::size_t>(p - j)];
        for (int r = 1; r <= p; ++r) {
            for (int j = p; j >= r; --j) {
                const double lo = at(k + static_cast<std::size_t>(j) - static_cast<std::size_t>(p));
                const double hi = at(k + 1 + static_cast<std::size_t>(j - r));
                const double alpha = hi > lo ? (t - lo) / (hi - lo) : 0;
                for (int c = 0; c < 3; ++c)
                    dp[j][c] = (1 - alpha) * dp[j - 1][c] + alpha * dp[j][c];
            }
        }
        return DrawingPoint{dp[p][0] / dp[p][2], dp[p][1] / dp[p][2]};
    };
    std::vector<DrawingPoint> out;
    for (int k = p; k < n; ++k) {
        const std::size_t span = static_cast<std::size_t>(k);
        const double t0 = at(span), t1 = at(span + 1);
        if (t1 > t0) flattenRange([&](double t) { return curveIn(span, t); }, t0, t1, 4, tol, out);
    }
    return out;
}

std::vector<DrawingPoint> flattenFitPoints(const std::vector<DrawingPoint>& fit, double tol) {
    if (fit.size() < 2) throw DrawingError("a spline with fewer than two fit points");
    const std::size_t n = fit.size();
    const bool closed = n > 3 && std::hypot(fit[0].x - fit[n - 1].x, fit[0].y - fit[n - 1].y) <
                                     kDrawingFlattenToleranceMm;
    auto point = [&](long i) -> DrawingPoint {
        const long last = static_cast<long>(n) - 1;
        if (i < 0) {
            if (closed) return fit[static_cast<std::size_t>(last - 1)];
            return {2 * fit[0].x - fit[1].x, 2 * fit[0].y - fit[1].y};
        }
        if (i > last) {
            if (closed) return fit[1];
            const DrawingPoint a = fit[static_cast<std::size_t>(last)];
            const DrawingPoint b = fit[static_cast<std::size_t>(last - 1)];
            return {2 * a.x - b.x, 2 * a.y - b.y};
        }
        return fit[static_cast<std::size_t>(i)];
    };
    std::vector<DrawingPoint> out{fit[0]};
    for (std::size_t s = 0; s + 1 < n; ++s) {
        const long i = static_cast<long>(s);
        const DrawingPoint P[4] = {point(i - 1), point(i), point(i + 1), point(i + 2)};
        double t[4] = {0, 0, 0, 0};
        for (int j = 1; j < 4; ++j) {
            const double d = std::hypot(P[j].x - P[j - 1].x, P[j].y - P[j - 1].y);
            t[j] = t[j - 1] + std::max(std::sqrt(d), 1e-9);
        }
        auto lerp = [](DrawingPoint a, DrawingPoint b, double ta, double tb, double x) {
            const double w = (x - ta) / (tb - ta);
            return DrawingPoint{a.x + (b.x - a.x) * w, a.y + (b.y - a.y) * w};
        };
        const auto curve = [&](double x) {
            const DrawingPoint A1 = lerp(P[0], P[1], t[0], t[1], x);
            const DrawingPoint A2 = lerp(P[1], P[2], t[1], t[2], x);
            const DrawingPoint A3 = lerp(P[2], P[3], t[2], t[3], x);
            const DrawingPoint B1 = lerp(A1, A2, t[0], t[2], x);
            const DrawingPoint B2 = lerp(A2, A3, t[1], t[3], x);
            return lerp(B1, B2, t[1], t[2], x);
        };
        flattenRange(curve, t[1], t[2], 2, tol, out);
        out.back() = P[2];
    }
    return out;
}

}  // namespace corvane
