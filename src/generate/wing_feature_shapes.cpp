// Thickening, sheeting, stock, pairing and notching of one section in its chord frame.
#include "generate/wing_feature_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace corvane::wingshape {

namespace {

double interpolate(const std::vector<double>& v, double index) {
    const std::size_t n = v.size();
    if (index <= 0) return v.front();
    const auto i = static_cast<std::size_t>(index);
    if (i + 1 >= n) return v.back();
    const double t = index - static_cast<double>(i);
    return v[i] + t * (v[i + 1] - v[i]);
}

}  // namespace

double xAt(const Outline& o, double index) {
    return interpolate(o.x, index);
}
double yAt(const Outline& o, double index) {
    return interpolate(o.y, index);
}

std::optional<double> surfaceIndexAt(const Outline& o, std::size_t le, bool upper, double x) {
    const std::size_t n = o.size();
    if (n < 2 || le >= n) return std::nullopt;
    auto hit = [&](std::size_t i) -> std::optional<double> {
        const double a = o.x[i], b = o.x[i + 1];
        if ((x - a) * (x - b) > 0) return std::nullopt;
        if (a == b) return static_cast<double>(i);
        return static_cast<double>(i) + (x - a) / (b - a);
    };
    if (upper) {
        for (std::size_t i = 0; i < le; ++i)
            if (auto h = hit(i)) return h;
    } else {
        for (std::size_t i = n - 1; i-- > le;)
            if (auto h = hit(i)) return h;
    }
    return std::nullopt;
}

std::optional<double> surfaceY(const Outline& o, std::size_t le, bool upper, double x) {
    const std::optional<double> i = surfaceIndexAt(o, le, upper, x);
    if (!i) return std::nullopt;
    return yAt(o, *i);
}

Thickest thickest(const Outline& o, std::size_t le) {
    Thickest t;
    for (std::size_t k = 0; k <= le && k < o.size(); ++k) {
        const std::optional<double> yl = surfaceY(o, le, false, o.x[k]);
        if (yl && o.y[k] - *yl > t.thicknessMm) t = {o.y[k] - *yl, o.x[k]};
    }
    return t;
}

void thickenTrailingEdge(Outline& o, std::size_t le, double minimumMm) {
    if (minimumMm <= 0) return;
    const double behind = thickest(o, le).xMm;
    Outline out = o;
    for (std::size_t k = 0; k < o.size(); ++k) {
        if (k == le || o.x[k] <= behind) continue;
        const bool upper = k < le;
        const std::optional<double> other = surfaceY(o, le, !upper, o.x[k]);
        if (!other) continue;
        const double gap = upper ? o.y[k] - *other : *other - o.y[k];
        if (gap >= minimumMm) continue;
        const double middle = (o.y[k] + *other) / 2;
        out.y[k] = middle + (upper ? minimumMm : -minimumMm) / 2;
    }
    o = std::move(out);
}

Outline sheet(const Outline& o, std::size_t /*le*/, double upperMm, double lowerMm) {
    if (o.size() < 3 || (upperMm == 0 && lowerMm == 0)) return o;
    Outline w = o;
    const bool closed = closedOutline(o);
    if (!closed) {  // the trailing edge's line closes it for the offset and is not sheeted
        w.x.push_back(o.x.front());
        w.y.push_back(o.y.front());
    }
    const std::size_t m = w.size();
    const double side = signedArea2(w) >= 0 ? 1.0 : -1.0;
    std::vector<std::optional<Normal>> normal(m - 1);
    std::vector<double> dist(m - 1, 0);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        normal[i] = outwardNormal(w, i, side);
        if (!normal[i] || (!closed && i == m - 2)) continue;
        const double up = std::clamp(0.5 + normal[i]->y, 0.0, 1.0);
        dist[i] = lowerMm + (upperMm - lowerMm) * up;
    }
    // The nearest segment with a length before and after each point; the outline is closed.
    std::vector<std::optional<std::size_t>> before(m), after(m);
    for (std::size_t i = 1; i < m; ++i) before[i] = normal[i - 1] ? i - 1 : before[i - 1];
    for (std::size_t i = m - 1; i-- > 0;) after[i] = normal[i] ? i : after[i + 1];
    before[0] = before[m - 1];
    after[m - 1] = after[0];
    Outline out = w;
    for (std::size_t k = 0; k < m; ++k) {
        std::optional<std::size_t> a = before[k], b = after[k];
        if (!a) a = b;
        if (!b) b = a;
        if (!a) continue;
        const Normal na = *normal[*a], nb = *normal[*b];
        const double da = dist[*a], db = dist[*b];
        const double det = na.x * nb.y - na.y * nb.x;
        const double limit = kMitreLimit * std::max(da, db);
        Normal v;
        if (std::abs(det) >= 0.1) {  // a corner: where both moved segments meet
            v = {(da * nb.y - db * na.y) / det, (na.x * db - nb.x * da) / det};
        } else {  // nearly straight on (or straight back): a mitre at the mean distance
            const double mean = (da + db) / 2;
            const double denom = 1 + na.x * nb.x + na.y * nb.y;
            if (denom < 1e-12) {
                v = {-na.y * side * limit, na.x * side * limit};
            } else {
                v = {mean * (na.x + nb.x) / denom, mean * (na.y + nb.y) / denom};
            }
        }
        const double len = std::hypot(v.x, v.y);
        if (len > limit && len > 0) v = {v.x * limit / len, v.y * limit / len};
        out.x[k] = w.x[k] - v.x;  // inward
        out.y[k] = w.y[k] - v.y;
    }
    for (int round = 0; round < 256; ++round) {
        const std::vector<Crossing> cs = selfCrossings(out);
        if (cs.empty()) break;
        const Crossing* smallest = &cs.front();
        for (const Crossing& c : cs)
            if (loopSize(c, m, true) < loopSize(*smallest, m, true)) smallest = &c;
        clipLoop(out, *smallest, true);
    }
    if (!closed) {
        out.x.pop_back();
        out.y.pop_back();
    }
    return out;
}

void addStock(Outline& o, std::size_t le, double leX, double teX, double chordMm, double leMm,
              double teMm) {
    if (leMm <= 0 && teMm <= 0) return;
    const double leBlend = std::max(0.15 * chordMm, 4 * leMm);
    const double teBlend = std::max(0.15 * chordMm, 4 * teMm);
    // The surfaces part about the middle line (the mean of both at each x), each point by a part
    // that grows with its distance from the line: a map that keeps the order along x and, at
    // each x, along y, so the outline stays simple.
    const double band = 0.25 * std::max(leMm, teMm);
    const Outline before = o;
    for (std::size_t k = 0; k < o.size(); ++k) {
        const double x = before.x[k];
        const double front = std::clamp(1 - (x - leX) / leBlend, 0.0, 1.0);
        const double back = std::clamp(1 - (teX - x) / teBlend, 0.0, 1.0);
        const std::optional<double> up = surfaceY(before, le, true, x);
        const std::optional<double> low = surfaceY(before, le, false, x);
        double part = k < le ? 1.0 : k > le ? -1.0 : 0.0;
        if (up && low) part = std::clamp((before.y[k] - (*up + *low) / 2) / band, -1.0, 1.0);
        o.x[k] = x - leMm * front + teMm * back;
        o.y[k] += part * (leMm * front + teMm * back) / 2;
    }
}

namespace {

// A stretch of an outline between two fractional indices, with the length run along it up to
// each of its points.
struct Stretch {
    std::vector<double> index, length;
    double total() const { return length.back(); }
};

Stretch stretchOf(const Outline& o, double a, double b) {
    Stretch s;
    s.index.push_back(a);
    for (auto k = static_cast<int64_t>(std::floor(a)) + 1; static_cast<double>(k) < b; ++k)
        s.index.push_back(static_cast<double>(k));
    if (b > a) s.index.push_back(b);
    s.length.push_back(0);
    for (std::size_t i = 1; i < s.index.size(); ++i)
        s.length.push_back(s.length.back() +
                           std::hypot(xAt(o, s.index[i]) - xAt(o, s.index[i - 1]),
                                      yAt(o, s.index[i]) - yAt(o, s.index[i - 1])));
    return s;
}

// The fraction of the stretch's length at each of its own points.
void fractionsOf(const Stretch& s, std::vector<double>& u) {
    const double total = s.total();
    const double span = s.index.back() - s.index.front();
    for (std::size_t i = 1; i + 1 < s.index.size(); ++i)
        u.push_back(total > 0 ? s.length[i] / total : (s.index[i] - s.index.front()) / span);
}

double indexAtFraction(const Stretch& s, double f) {
    const double total = s.total();
    if (!(total > 0)) return s.index.front() + f * (s.index.back() - s.index.front());
    const double want = f * total;
    std::size_t i = 0;
    while (i + 2 < s.length.size() && s.length[i + 1] < want) ++i;
    if (i + 1 >= s.length.size()) return s.index.back();
    const double seg = s.length[i + 1] - s.length[i];
    const double t = seg > 0 ? std::clamp((want - s.length[i]) / seg, 0.0, 1.0) : 0.0;
    return s.index[i] + t * (s.index[i + 1] - s.index[i]);
}

}  // namespace

Paired pairAtMarks(const Outline& left, const Outline& right, const std::vector<double>& leftMarks,
                   const std::vector<double>& rightMarks) {
    Paired p;
    auto put = [](Outline& to, const Outline& from, double index) {
        to.x.push_back(xAt(from, index));
        to.y.push_back(yAt(from, index));
    };
    for (std::size_t j = 0; j + 1 < leftMarks.size(); ++j) {
        const Stretch l = stretchOf(left, leftMarks[j], leftMarks[j + 1]);
        const Stretch r = stretchOf(right, rightMarks[j], rightMarks[j + 1]);
        std::vector<double> u{0};
        fractionsOf(l, u);
        fractionsOf(r, u);
        std::sort(u.begin(), u.end());
        p.marks.push_back(p.left.size());
        double last = -1;
        for (double f : u) {
            if (f - last < 1e-9 || f >= 1 - 1e-9) continue;
            last = f;
            put(p.left, left, indexAtFraction(l, f));
            put(p.right, right, indexAtFraction(r, f));
        }
    }
    p.marks.push_back(p.left.size());
    put(p.left, left, leftMarks.back());
    put(p.right, right, rightMarks.back());
    return p;
}

LiveRuns liveRuns(const Outline& o, std::size_t le) {
    const std::size_t n = o.size();
    auto same = [&](std::size_t a, std::size_t b) { return o.x[a] == o.x[b] && o.y[a] == o.y[b]; };
    LiveRuns r;
    while (r.upperEnd + 1 < le && same(r.upperEnd + 1, 0)) ++r.upperEnd;
    r.lowerEnd = n - 1;
    while (r.lowerEnd > le + 1 && same(r.lowerEnd - 1, n - 1)) --r.lowerEnd;
    r.noseFrom = r.noseTo = le;
    while (r.noseFrom > r.upperEnd + 1 && same(r.noseFrom - 1, le)) --r.noseFrom;
    while (r.noseTo + 1 < r.lowerEnd && same(r.noseTo + 1, le)) ++r.noseTo;
    return r;
}

std::size_t cutNotch(Outline& o, std::size_t lipA, std::size_t lipB, double floorY) {
    const double xa = o.x[lipA], xb = o.x[lipB];
    const double lo = std::min(xa, xb), hi = std::max(xa, xb);
    for (std::size_t k = lipA + 1; k < lipB; ++k) {
        o.x[k] = std::clamp(o.x[k], lo, hi);
        o.y[k] = floorY;
    }
    const auto at = [&](std::size_t k) { return static_cast<std::ptrdiff_t>(k); };
    o.x.insert(o.x.begin() + at(lipB), xb);
    o.y.insert(o.y.begin() + at(lipB), floorY);
    o.x.insert(o.x.begin() + at(lipA + 1), xa);
    o.y.insert(o.y.begin() + at(lipA + 1), floorY);
    return lipA + 1;
}

}  // namespace corvane::wingshape
