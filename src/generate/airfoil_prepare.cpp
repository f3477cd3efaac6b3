// Resampling airfoil surfaces along a natural cubic spline of arc length.
#include "generate/airfoil_prepare.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "generate/profile_verdict.h"

namespace corvane {

namespace {

// A natural cubic spline through (t[i], v[i]), t strictly increasing.
class Spline {
public:
    Spline(std::vector<double> t, std::vector<double> v)
        : t_(std::move(t)), v_(std::move(v)), m_(t_.size(), 0.0) {
        const std::size_t n = t_.size();
        if (n < 3) return;  // two points: the straight line
        // Tridiagonal system for the second derivatives, ends at 0.
        std::vector<double> c(n, 0.0), d(n, 0.0);
        for (std::size_t i = 1; i + 1 < n; ++i) {
            const double h0 = t_[i] - t_[i - 1], h1 = t_[i + 1] - t_[i];
            const double a = h0 / 6, b = (h0 + h1) / 3, cc = h1 / 6;
            const double r = (v_[i + 1] - v_[i]) / h1 - (v_[i] - v_[i - 1]) / h0;
            const double denom = b - a * c[i - 1];
            c[i] = cc / denom;
            d[i] = (r - a * d[i - 1]) / denom;
        }
        for (std::size_t i = n - 2; i >= 1; --i) {
            m_[i] = d[i] - c[i] * m_[i + 1];
            if (i == 1) break;
        }
    }

    double operator()(double t) const {
        auto it = std::upper_bound(t_.begin(), t_.end(), t);
        std::size_t i = it == t_.begin() ? 1 : static_cast<std::size_t>(it - t_.begin());
        i = std::min(i, t_.size() - 1);
        const double h = t_[i] - t_[i - 1];
        const double a = (t_[i] - t) / h, b = (t - t_[i - 1]) / h;
        return a * v_[i - 1] + b * v_[i] +
               ((a * a * a - a) * m_[i - 1] + (b * b * b - b) * m_[i]) * h * h / 6;
    }

private:
    std::vector<double> t_, v_, m_;
};

// `count` points along a surface (leading edge to trailing edge), both ends kept exactly, cosine
// spaced in arc length so that the edges, where a profile bends most, get the most points.
AirfoilPoints resample(const AirfoilPoints& surface, std::size_t count) {
    std::vector<double> s(surface.size(), 0.0), x, y;
    for (std::size_t i = 1; i < surface.size(); ++i)
        s[i] =
            s[i - 1] + std::hypot(surface[i].x - surface[i - 1].x, surface[i].y - surface[i - 1].y);
    for (const AirfoilPoint& p : surface) {
        x.push_back(p.x);
        y.push_back(p.y);
    }
    const double length = s.back();
    const Spline sx(s, x), sy(s, y);
    AirfoilPoints out;
    for (std::size_t i = 0; i < count; ++i) {
        if (i == 0) {
            out.push_back(surface.front());
        } else if (i + 1 == count) {
            out.push_back(surface.back());
        } else {
            const double t =
                length *
                (1 - std::cos(M_PI * static_cast<double>(i) / static_cast<double>(count - 1))) / 2;
            out.push_back({sx(t), sy(t)});
        }
    }
    return out;
}

}  // namespace

PreparedProfile prepareProfile(const AirfoilSurfaces& surfaces, const PrepareOptions& options) {
    if (options.points < 5) throw std::invalid_argument("at least 5 points are needed");
    // The first surface takes the extra point of an even count; the leading edge is shared.
    const std::size_t firstCount = (options.points + 2) / 2;
    const std::size_t secondCount = options.points + 1 - firstCount;
    const AirfoilPoints& first = options.lowerFirst ? surfaces.lower : surfaces.upper;
    const AirfoilPoints& second = options.lowerFirst ? surfaces.upper : surfaces.lower;
    PreparedProfile out;
    out.points = resample(first, firstCount);
    std::reverse(out.points.begin(), out.points.end());
    const AirfoilPoints rest = resample(second, secondCount);
    out.points.insert(out.points.end(), rest.begin() + 1, rest.end());
    out.leadingEdgeIndex = firstCount - 1;
    return out;
}

std::string plainAirfoilText(const AirfoilPoints& points) {
    std::string out;
    char buf[64];
    for (const AirfoilPoint& p : points) {
        // Seven decimals: a ten-thousandth of a millimetre on a metre chord.
        std::snprintf(buf, sizeof buf, "%.7f %.7f\r\n", p.x + 0.0, p.y + 0.0);
        out += buf;
    }
    return out;
}

std::vector<std::string> preparedProblems(const PreparedProfile& prepared,
                                          const std::string& displayName) {
    // Judged as the generator will read it: the written text, rounded to its seven decimals.
    return judgeProfile(parseProfile(plainAirfoilText(prepared.points), displayName), displayName)
        .problems;
}

double largestDeviation(const PreparedProfile& prepared, const AirfoilSurfaces& original) {
    AirfoilPoints outline(original.upper.rbegin(), original.upper.rend());
    outline.insert(outline.end(), original.lower.begin() + 1, original.lower.end());
    double worst = 0;
    for (const AirfoilPoint& p : prepared.points)
        worst = std::max(worst, distanceToOutline(p, outline));
    return worst;
}

std::vector<std::string> preparationProblems(const AirfoilFile& file, const AirfoilSurfaces& s,
                                             const std::string& path) {
    if (file.layout != AirfoilLayout::TwoSurface) {
        const ProfileVerdict v = judgeProfile(profileOf(file), path);
        if (v.closed && std::fabs(v.chord - 1) <= kChordTolerance) return {};
        return v.problems;
    }
    const double maxX = std::max(s.upper.back().x, s.lower.back().x);
    const double minX = s.upper.front().x;
    std::vector<std::string> out;
    if (std::fabs(maxX - minX - 1) > kChordTolerance)
        out.push_back("DAT file " + path +
                      " is not of chord 1. Scale the file to x from 0 to 1 "
                      "and try again");
    if (std::min(s.upper.back().x, s.lower.back().x) < maxX - kEdgeTolerance * (maxX - minX))
        out.push_back("DAT file " + path +
                      ": a surface ends short of the trailing edge, so "
                      "the file is cut short. Use the complete coordinate file and try again");
    return out;
}

}  // namespace corvane
