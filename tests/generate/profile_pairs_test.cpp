// Root and tip pairs of NACA outlines as people compute and download them (random camber and
// thickness, point counts from sparse to dense, cosine, nose-dense and even spacings, both
// starts, both orders): the verdict takes every pair whose wire stays on one surface and
// refuses every pair whose wire would cross the core. Prepare Airfoils turns any closed outline,
// wherever it starts, into a file the generator takes; a two-surface file without its count
// line is named as what it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "generate/airfoil_check.h"
#include "generate/airfoil_prepare.h"
#include "generate/profile_verdict.h"

namespace corvane {
namespace {

struct Naca {
    double m, p, t;  // camber, its place, thickness (chords)
};

// One outline point with where it lies by construction: its surface and its station.
struct Station {
    double x, y;
    bool upper;
    double xc;  // station along the chord, 0 at the leading edge
};

Station nacaPoint(const Naca& a, double xc, bool upper) {
    const double yt = 5 * a.t *
                      (0.2969 * std::sqrt(xc) - 0.126 * xc - 0.3516 * xc * xc +
                       0.2843 * xc * xc * xc - 0.1036 * xc * xc * xc * xc);
    double yc = 0, slope = 0;
    if (a.m > 0 && xc < a.p) {
        yc = a.m / (a.p * a.p) * (2 * a.p * xc - xc * xc);
        slope = 2 * a.m / (a.p * a.p) * (a.p - xc);
    } else if (a.m > 0) {
        yc = a.m / ((1 - a.p) * (1 - a.p)) * (1 - 2 * a.p + 2 * a.p * xc - xc * xc);
        slope = 2 * a.m / ((1 - a.p) * (1 - a.p)) * (a.p - xc);
    }
    const double th = std::atan(slope), s = upper ? 1 : -1;
    return {xc - s * yt * std::sin(th), yc + s * yt * std::cos(th), upper, xc};
}

enum class Spacing { Cosine, NoseDense, Even };

double station(Spacing kind, int i, int n) {
    const double u = static_cast<double>(i) / (n - 1);
    switch (kind) {
        case Spacing::Cosine:
            return (1 - std::cos(M_PI * u)) / 2;
        case Spacing::NoseDense:
            return 1 - std::cos(M_PI * u / 2);
        case Spacing::Even:
            break;
    }
    return u;
}

enum class Start { TrailingUpper, TrailingLower, LeadingLower, LeadingUpper };

// nUpper + nLower - 1 points (the leading edge shared, the closed trailing edge once at each end
// of a trailing-edge start and once in the middle of a leading-edge start).
std::vector<Station> outline(const Naca& a, int nUpper, int nLower, Spacing spacing, Start start) {
    std::vector<Station> s;
    for (int i = nUpper - 1; i >= 0; --i)
        s.push_back(nacaPoint(a, station(spacing, i, nUpper), true));
    for (int i = 1; i < nLower; ++i) s.push_back(nacaPoint(a, station(spacing, i, nLower), false));
    if (start == Start::TrailingLower || start == Start::LeadingUpper) s = {s.rbegin(), s.rend()};
    if (start == Start::LeadingLower || start == Start::LeadingUpper) {
        // From the leading edge: the one point of station 0 first, the trailing edge once.
        std::size_t le = 0;
        while (s[le].xc != 0) ++le;
        std::vector<Station> r(s.begin() + static_cast<long>(le), s.end() - 1);
        r.insert(r.end(), s.begin(), s.begin() + static_cast<long>(le) + 1);
        s = r;
    }
    return s;
}

Profile profileOf(const std::vector<Station>& s) {
    Profile p;
    for (const Station& q : s) {
        p.x.push_back(q.x);
        p.y.push_back(q.y);
    }
    return p;
}

// Where the wire runs from one surface to the other, how far from the edge it turns at: the
// largest distance along the chord from that edge of either end, over the points at which the
// two files lie on different surfaces (0 when they never do).
double crossing(const std::vector<Station>& a, const std::vector<Station>& b, bool noseTurn) {
    double worst = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].upper == b[i].upper || a[i].xc == 0 || b[i].xc == 0) continue;
        if (a[i].xc == 1 || b[i].xc == 1) continue;  // the edges belong to both surfaces
        const double da = noseTurn ? a[i].xc : 1 - a[i].xc;
        const double db = noseTurn ? b[i].xc : 1 - b[i].xc;
        worst = std::max({worst, da, db});
    }
    return worst;
}

TEST(ProfilePairs, EveryPairIsJudgedByWhereItsWireRuns) {
    std::mt19937 rng(43);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    auto whole = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int taken = 0, refused = 0, denseCambered = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const Naca root{uniform(0, 0.06), uniform(0.2, 0.6), uniform(0.06, 0.2)};
        const Naca tip{uniform(0, 0.06), uniform(0.2, 0.6), uniform(0.06, 0.2)};
        // A quarter of the pairs dense (the downloads of 801 points and more).
        const int nUpper = trial % 4 == 0 ? whole(400, 1000) : whole(16, 120);
        const int nLower = nUpper + whole(-5, 5);
        const auto spacing = static_cast<Spacing>(whole(0, 2));
        const auto start = static_cast<Start>(whole(0, 3));
        // Half the pairs turn on one point; the others more points apart than the three that
        // rounded files are allowed (and than the camber moves a sparse file's turn).
        const int shift = trial % 2 == 0 ? 0 : whole(8, std::max(8, std::min(nUpper, nLower) / 3));
        const std::vector<Station> a = outline(root, nUpper, nLower, spacing, start);
        const std::vector<Station> b = outline(tip, nUpper + shift, nLower - shift, spacing, start);
        const bool noseTurn = start == Start::TrailingUpper || start == Start::TrailingLower;
        const double cross = crossing(a, b, noseTurn);
        SCOPED_TRACE("trial " + std::to_string(trial) + ": " + std::to_string(a.size()) +
                     " points, spacing " + std::to_string(static_cast<int>(spacing)) + ", start " +
                     std::to_string(static_cast<int>(start)) + ", shift " + std::to_string(shift) +
                     ", crossing at " + std::to_string(cross));
        const ProfileVerdict va = judgeProfile(profileOf(a), "root.dat");
        const ProfileVerdict vb = judgeProfile(profileOf(b), "tip.dat");
        ASSERT_TRUE(va.cuttable()) << va.problems.front();
        ASSERT_TRUE(vb.cuttable()) << vb.problems.front();
        const std::vector<std::string> problems = correspondenceProblems(va, vb);
        if (cross <= 0.002) {
            EXPECT_TRUE(problems.empty()) << problems.front();
            ++taken;
            denseCambered += a.size() > 800 && (root.m > 0.02 || tip.m > 0.02);
        } else if (cross >= 0.05) {
            EXPECT_EQ(problems.size(), 1u);
            if (problems.empty()) continue;
            EXPECT_NE(problems[0].find(noseTurn ? "reach the leading edge at different points"
                                                : "reach the trailing edge at different points"),
                      std::string::npos)
                << problems[0];
            ++refused;
        }
    }
    // The draw covers both verdicts and the dense cambered pairs.
    EXPECT_GT(taken, 150);
    EXPECT_GT(refused, 100);
    EXPECT_GT(denseCambered, 30);
}

// Any closed outline, started anywhere and run either way, comes out of Prepare Airfoils as a
// file the generator takes: from the trailing edge, in the order asked for, near the shape.
TEST(ProfilePairs, PreparedFilesAreCuttableWhereverTheOutlineStarts) {
    std::mt19937 rng(4303);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    auto whole = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    int midSurface = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const Naca shape{uniform(0, 0.06), uniform(0.2, 0.6), uniform(0.06, 0.2)};
        const int n = whole(12, 300);
        std::vector<Station> s = outline(shape, n, n + whole(-3, 3),
                                         static_cast<Spacing>(whole(0, 2)), Start::TrailingUpper);
        s.pop_back();  // the loop once round, then started at a random point and direction
        std::rotate(s.begin(), s.begin() + whole(0, static_cast<int>(s.size()) - 1), s.end());
        if (whole(0, 1) == 1) s = {s.rbegin(), s.rend()};
        if (whole(0, 1) == 1) s.push_back(s.front());  // closed by a repeated point, or not
        midSurface += s.front().xc > 0.05 && s.front().xc < 0.95;
        AirfoilFile file;
        for (const Station& q : s) file.points.push_back({q.x, q.y});
        SCOPED_TRACE("trial " + std::to_string(trial) + ", starting at " +
                     std::to_string(s.front().xc) + (s.front().upper ? " upper" : " lower"));

        const AirfoilSurfaces surfaces = splitSurfaces(file, "any.dat");
        const std::vector<std::string> problems = preparationProblems(file, surfaces, "any.dat");
        // Left open by a gap wider than a blunt trailing edge: refused with that reason.
        if (std::hypot(s.back().x - s.front().x, s.back().y - s.front().y) > kClosureTolerance) {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].find("not a closed outline"), std::string::npos) << problems[0];
            continue;
        }
        ASSERT_TRUE(problems.empty()) << problems.front();
        PrepareOptions options;
        options.points = static_cast<std::size_t>(whole(5, 301));
        options.lowerFirst = whole(0, 1) == 1;
        const PreparedProfile prepared = prepareProfile(surfaces, options);
        const std::string text = plainAirfoilText(prepared.points);
        const ProfileVerdict v = judgeProfile(parseProfile(text, "prepared.dat"), "prepared.dat");
        ASSERT_TRUE(v.cuttable()) << v.problems.front();
        EXPECT_EQ(v.start, ProfileStart::TrailingEdge);
        EXPECT_EQ(v.upperFirst, !options.lowerFirst);
        EXPECT_EQ(v.points, options.points);
        if (options.points >= 41) {
            EXPECT_LT(largestDeviation(prepared, surfaces), 0.01);
        }
    }
    EXPECT_GT(midSurface, 150);
}

// The two-surface layout without its line of point counts (a name, each surface from the
// leading edge to the trailing edge, a blank line between): named as such, and prepared.
TEST(ProfilePairs, ATwoSurfaceFileWithoutItsCountLineIsNamedAndPrepared) {
    const Naca shape{0.02, 0.4, 0.12};
    std::string text = "NACA 2412\n";
    char buf[64];
    for (bool upper : {true, false}) {
        if (!upper) text += "\n";
        for (int i = 0; i < 31; ++i) {
            const Station s = nacaPoint(shape, station(Spacing::Cosine, i, 31), upper);
            std::snprintf(buf, sizeof buf, " %.6f  %.6f\n", s.x, s.y);
            text += buf;
        }
    }
    const ProfileVerdict v = judgeProfile(parseProfile(text, "lednicer.dat"), "lednicer.dat");
    ASSERT_EQ(v.problems.size(), 1u);
    EXPECT_NE(v.problems[0].find("DAT file lednicer.dat holds two surfaces, each from the "
                                 "leading edge to the trailing edge"),
              std::string::npos)
        << v.problems[0];
    EXPECT_NE(v.problems[0].find("Prepare Airfoils"), std::string::npos);

    const AirfoilFile file = parseAirfoilFile(text, "lednicer.dat");
    EXPECT_EQ(file.layout, AirfoilLayout::TwoSurface);
    EXPECT_EQ(file.first.size(), 31u);
    EXPECT_EQ(file.second.size(), 31u);
    const AirfoilSurfaces surfaces = splitSurfaces(file, "lednicer.dat");
    const PreparedProfile prepared = prepareProfile(surfaces, PrepareOptions{});
    EXPECT_TRUE(
        judgeProfile(parseProfile(plainAirfoilText(prepared.points), "p.dat"), "p.dat").cuttable());
    EXPECT_LT(largestDeviation(prepared, surfaces), 0.001);

    // One surface after the other but back to the nose twice is no such file: still open.
    const std::string twice = text + "\n0 0\n1 0\n";
    const ProfileVerdict w = judgeProfile(parseProfile(twice, "w.dat"), "w.dat");
    ASSERT_EQ(w.problems.size(), 1u);
    EXPECT_NE(w.problems[0].find("not a closed outline"), std::string::npos) << w.problems[0];
}

}  // namespace
}  // namespace corvane
