// Orientation, correspondence and sizing of drawn outlines, and the profile files that hand
// them to the foam generation.
#include "generate/drawing_shape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "common/file_io.h"
#include "common/run_error.h"

namespace corvane {

namespace {

double dist(DrawingPoint a, DrawingPoint b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// The profile reader refuses values beyond 10 horizontal sizes.
constexpr double kMostHeightPerWidth = 9.5;

double signedArea(const std::vector<DrawingPoint>& p) {
    double a = 0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) a += p[i].x * p[i + 1].y - p[i + 1].x * p[i].y;
    return a / 2;
}

// Arc-length fractions of points lo..hi of `p` within that section.
std::vector<double> fractions(const std::vector<DrawingPoint>& p, std::size_t lo, std::size_t hi) {
    std::vector<double> f{0};
    for (std::size_t i = lo + 1; i <= hi; ++i) f.push_back(f.back() + dist(p[i - 1], p[i]));
    const double total = f.back();
    for (double& v : f) v = total > 0 ? v / total : 0;
    return f;
}

DrawingPoint at(const std::vector<DrawingPoint>& p, std::size_t lo, const std::vector<double>& f,
                double x) {
    const auto it = std::upper_bound(f.begin(), f.end(), x);
    std::size_t k = it == f.begin() ? 0 : static_cast<std::size_t>(it - f.begin()) - 1;
    if (k + 1 >= f.size()) return p[lo + f.size() - 1];
    const double span = f[k + 1] - f[k];
    const double w = span > 0 ? (x - f[k]) / span : 0;
    const DrawingPoint a = p[lo + k], b = p[lo + k + 1];
    return {a.x + (b.x - a.x) * w, a.y + (b.y - a.y) * w};
}

std::vector<std::size_t> anchors(const DrawingOutline& o, bool withCorners) {
    std::vector<std::size_t> a{0};
    const std::size_t last = o.points.size() - 1;
    if (withCorners)
        for (std::size_t i = 1; i < last; ++i)
            if (o.corner[i]) a.push_back(i);
    a.push_back(last);
    return a;
}

int cornersAfterStart(const DrawingOutline& o) {
    int n = 0;
    for (std::size_t i = 1; i + 1 < o.corner.size(); ++i) n += o.corner[i] ? 1 : 0;
    return n;
}

std::string hex8(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    char buf[20];
    std::snprintf(buf, sizeof buf, "%08llx", static_cast<unsigned long long>(h & 0xffffffffu));
    return buf;
}

std::string profileText(const std::vector<DrawingPoint>& pts, double width, double minX,
                        double minY, const std::string& title) {
    std::string out = title + "\r\n";
    char buf[96];
    for (const DrawingPoint& p : pts) {
        std::snprintf(buf, sizeof buf, "%.10f %.10f\r\n", (p.x - minX) / width,
                      (p.y - minY) / width);
        out += buf;
    }
    return out;
}

}  // namespace

DrawingOutline orientOutline(const DrawingOutline& outline, const ShapeChoice& choice) {
    DrawingOutline o = outline;
    if (!o.closed || o.points.size() < 4) throw DrawingError("the outline is not closed");
    std::vector<DrawingPoint> p(o.points.begin(), o.points.end() - 1);
    std::vector<char> c(o.corner.begin(), o.corner.end() - 1);
    const std::size_t n = p.size();
    std::size_t s = 0;
    if (choice.start) {
        const DrawingPoint want = *choice.start;
        double best = INFINITY;
        DrawingPoint bestPoint{};
        std::size_t bestSeg = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const DrawingPoint a = p[i], b = p[(i + 1) % n];
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? ((want.x - a.x) * dx + (want.y - a.y) * dy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            const DrawingPoint q{a.x + t * dx, a.y + t * dy};
            if (dist(q, want) < best) {
                best = dist(q, want);
                bestPoint = q;
                bestSeg = i;
            }
        }
        if (dist(bestPoint, p[bestSeg]) < 1e-6) {
            s = bestSeg;
        } else if (dist(bestPoint, p[(bestSeg + 1) % n]) < 1e-6) {
            s = (bestSeg + 1) % n;
        } else {
            p.insert(p.begin() + static_cast<long>(bestSeg) + 1, bestPoint);
            c.insert(c.begin() + static_cast<long>(bestSeg) + 1, 0);
            s = bestSeg + 1;
        }
    } else {
        for (std::size_t i = 1; i < n; ++i) {
            if (p[i].x > p[s].x + 1e-9 || (std::abs(p[i].x - p[s].x) <= 1e-9 && p[i].y < p[s].y))
                s = i;
        }
    }
    std::rotate(p.begin(), p.begin() + static_cast<long>(s), p.end());
    std::rotate(c.begin(), c.begin() + static_cast<long>(s), c.end());
    p.push_back(p.front());
    c.push_back(c.front());
    const bool ccw = signedArea(p) > 0;
    if (ccw == choice.reverse) {
        std::reverse(p.begin(), p.end());
        std::reverse(c.begin(), c.end());
    }
    o.points = std::move(p);
    o.corner = std::move(c);
    return o;
}

bool leadInCrossesPart(const DrawingOutline& o) {
    if (o.points.size() < 4) return false;
    const DrawingPoint s = o.points.front();
    // Every stretch but the two that meet at the start: does it cross y = s.y right of it? A
    // lead along an edge on that line cuts nothing new: it counts only when the answer is the
    // same with points on the line taken as above and as below.
    const auto crosses = [&](bool onLineAbove) {
        const auto above = [&](DrawingPoint p) { return onLineAbove ? p.y >= s.y : p.y > s.y; };
        for (std::size_t i = 1; i + 2 < o.points.size(); ++i) {
            const DrawingPoint a = o.points[i], b = o.points[i + 1];
            if (above(a) == above(b)) continue;
            const double x =
                b.y == a.y ? std::max(a.x, b.x) : a.x + (s.y - a.y) * (b.x - a.x) / (b.y - a.y);
            if (x > s.x + 1e-9) return true;
        }
        return false;
    };
    return crosses(true) && crosses(false);
}

std::string leadInWarning(const PreparedDrawing& p, bool leadMovesOn) {
    if (!leadMovesOn) return {};
    for (const DrawingOutline* o : {&p.rootOutline, &p.tipOutline}) {
        if (!leadInCrossesPart(*o)) continue;
        return "The start " + placeText(o->points.front()) +
               " is not on the part's right side: the horizontal lead-in and lead-out will cut "
               "into the part. Set the lead-in to 0, or start at the rightmost point";
    }
    return {};
}

DrawingShape correspondOutlines(const DrawingOutline& root, const DrawingOutline& tip) {
    DrawingShape s;
    s.rootCorners = root.corners();
    s.tipCorners = tip.corners();
    const bool matched = cornersAfterStart(root) == cornersAfterStart(tip);
    s.cornersMatched = matched;
    const std::vector<std::size_t> ra = anchors(root, matched), ta = anchors(tip, matched);
    for (std::size_t k = 0; k + 1 < ra.size(); ++k) {
        const std::vector<double> fr = fractions(root.points, ra[k], ra[k + 1]);
        const std::vector<double> ft = fractions(tip.points, ta[k], ta[k + 1]);
        std::vector<double> all(fr);
        all.insert(all.end(), ft.begin(), ft.end());
        std::sort(all.begin(), all.end());
        std::vector<double> merged;
        for (double f : all)
            if (merged.empty() || f - merged.back() > 1e-9) merged.push_back(f);
        merged.back() = 1;
        for (std::size_t i = k == 0 ? 0 : 1; i < merged.size(); ++i) {
            s.root.push_back(at(root.points, ra[k], fr, merged[i]));
            s.tip.push_back(at(tip.points, ta[k], ft, merged[i]));
            const bool anchor = i == 0 || i + 1 == merged.size();
            const std::size_t ri = i == 0 ? ra[k] : ra[k + 1];
            s.corner.push_back(anchor && root.corner[ri] ? 1 : 0);
        }
    }
    return s;
}

PreparedDrawing prepareDrawing(const DrawingJob& job) {
    PreparedDrawing out;
    const Drawing root = readDrawing(job.rootFile);
    out.rootLayer = chooseLayer(root, job.layer);
    auto context = [](const std::filesystem::path& f, const std::string& layer) {
        return f.filename().string() + ", layer " + layer + ": ";
    };
    try {
        out.rootOutline = orientOutline(partOutline(root, out.rootLayer), job.choice);
    } catch (const DrawingError& e) {
        throw DrawingError(context(job.rootFile, out.rootLayer) + e.what());
    }
    const DrawingOutline& r = out.rootOutline;
    if (job.tipFile) {
        const Drawing tip = readDrawing(*job.tipFile);
        const std::vector<std::string> layers = drawnLayers(tip);
        const bool same = std::find(layers.begin(), layers.end(), job.layer) != layers.end();
        out.tipLayer = chooseLayer(tip, same ? job.layer : std::string());
        ShapeChoice tc;
        tc.reverse = job.choice.reverse;
        try {
            const DrawingOutline t = partOutline(tip, out.tipLayer);
            if (job.choice.start) {
                // The same place of the tip's box as the start has in the root's.
                const auto rel = [](double v, double lo, double hi) {
                    return hi > lo ? (v - lo) / (hi - lo) : 0.5;
                };
                tc.start = DrawingPoint{
                    t.minX + rel(job.choice.start->x, r.minX, r.maxX) * (t.maxX - t.minX),
                    t.minY + rel(job.choice.start->y, r.minY, r.maxY) * (t.maxY - t.minY)};
            }
            out.tipOutline = orientOutline(t, tc);
        } catch (const DrawingError& e) {
            throw DrawingError(context(*job.tipFile, out.tipLayer) + e.what());
        }
    } else {
        out.tipLayer = out.rootLayer;
        out.tipOutline = out.rootOutline;
    }
    const DrawingOutline& t = out.tipOutline;
    const double rootWidth = r.maxX - r.minX, tipWidth = t.maxX - t.minX;
    for (const DrawingOutline* o : {&r, &t}) {
        const double w = o->maxX - o->minX, h = o->maxY - o->minY;
        if (!(w > 0.001) || h > kMostHeightPerWidth * w)
            throw DrawingError("the outline is " + sizeText(w) + " mm wide and " + sizeText(h) +
                               " mm tall: a foam set needs it less than 9.5 times as tall as "
                               "it is wide; turn the drawing a quarter");
    }
    double fr = job.scale.value_or(1.0);
    double ft = fr;
    if (job.size) {
        fr = *job.size / rootWidth;
        ft = fr;
    }
    if (job.leftSize) fr = *job.leftSize / rootWidth;
    if (job.rightSize) ft = *job.rightSize / tipWidth;
    if (!(fr > 0) || !(ft > 0) || !std::isfinite(fr) || !std::isfinite(ft))
        throw DrawingError("the size and scale must be numbers greater than 0");
    out.leftSize = rootWidth * fr;
    out.rightSize = tipWidth * ft;
    out.shape = correspondOutlines(r, t);
    for (DrawingPoint& p : out.shape.root) p = {p.x * fr, p.y * fr};
    for (DrawingPoint& p : out.shape.tip) p = {p.x * ft, p.y * ft};
    return out;
}

std::pair<std::filesystem::path, std::filesystem::path> writeDrawingProfiles(
    const PreparedDrawing& prepared, const std::filesystem::path& folder,
    const std::string& rootStem, const std::string& tipStem) {
    const auto side = [&](const std::vector<DrawingPoint>& pts, double size, const char* which,
                          const std::string& stem) {
        double minX = pts[0].x, minY = pts[0].y;
        for (const DrawingPoint& p : pts) {
            minX = std::min(minX, p.x);
            minY = std::min(minY, p.y);
        }
        const std::string text =
            profileText(pts, size, minX, minY, "Drawing " + stem + " (" + which + ")");
        // The set's information line holds the path in quotes: a quote in a name becomes "_".
        std::string name = stem;
        std::replace(name.begin(), name.end(), '"', '_');
        const std::filesystem::path path =
            folder / (name + "-" + which + "-" + hex8(text) + ".dat");
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        writeFileAtomic(path, text);
        return path;
    };
    return {side(prepared.shape.root, prepared.leftSize, "root", rootStem),
            side(prepared.shape.tip, prepared.rightSize, "tip", tipStem)};
}

std::string sizeText(double mm) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6f", mm);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

}  // namespace corvane
