// Airfoil check and preparation: every usual layout read and measured alike, root and tip
// resampled to one point count without moving the shape, and a wing cut from the shared files.
#include "generate/airfoil_prepare.h"

#include <gtest/gtest.h>

#include <cmath>

#include "generate/airfoil_input.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// NACA 0012's half thickness at x.
double naca0012(double x) {
    return 0.6 * (0.2969 * std::sqrt(x) - 0.1260 * x - 0.3516 * x * x + 0.2843 * x * x * x -
                  0.1036 * x * x * x * x);
}

// The surface from the leading edge to the trailing edge, cosine spaced, `sign` +1 upper.
std::vector<AirfoilPoint> surface(int n, double sign) {
    std::vector<AirfoilPoint> s;
    for (int i = 0; i < n; ++i) {
        const double x = (1 - std::cos(M_PI * i / (n - 1))) / 2;
        s.push_back({x, sign * naca0012(x)});
    }
    return s;
}

std::string lines(const std::vector<AirfoilPoint>& pts, const char* sep, const char* end) {
    std::string out;
    char buf[80];
    for (const AirfoilPoint& p : pts) {
        std::snprintf(buf, sizeof buf, "%.7f%s%.7f%s", p.x, sep, p.y, end);
        out += buf;
    }
    return out;
}

// The same 0012 (21 points a surface) as a plain outline from the trailing edge.
std::vector<AirfoilPoint> outline(bool upperFirst) {
    std::vector<AirfoilPoint> up = surface(21, 1), low = surface(21, -1);
    std::vector<AirfoilPoint> first = upperFirst ? up : low, second = upperFirst ? low : up;
    std::vector<AirfoilPoint> o(first.rbegin(), first.rend());
    o.insert(o.end(), second.begin() + 1, second.end());
    return o;
}

TEST(AirfoilCheck, EveryUsualLayoutGivesTheSameFigures) {
    const std::vector<AirfoilPoint> o = outline(true);
    const std::string plain = lines(o, " ", "\n");
    struct Case {
        std::string text;
        AirfoilLayout layout;
        bool bom;
    };
    const std::vector<Case> cases = {
        {plain, AirfoilLayout::Plain, false},
        {"NACA 0012\r\n" + lines(o, "  ", "\r\n"), AirfoilLayout::NameLine, false},
        {"\xEF\xBB\xBF" + lines(o, ",", "\n") + "\n\n", AirfoilLayout::Plain, true},
        {"NACA 0012\n\n21.  21.\n\n" + lines(surface(21, 1), " ", "\n") + "\n" +
             lines(surface(21, -1), " ", "\n"),
         AirfoilLayout::TwoSurface, false},
    };
    for (const Case& c : cases) {
        const AirfoilReport r = checkAirfoil(parseAirfoilFile(c.text, "f"), "f");
        EXPECT_EQ(r.layout, c.layout) << c.text.substr(0, 20);
        EXPECT_EQ(r.byteOrderMark, c.bom);
        EXPECT_EQ(r.points, c.layout == AirfoilLayout::TwoSurface ? 42u : 41u);
        EXPECT_NEAR(r.chord, 1.0, 1e-6);
        EXPECT_EQ(r.leadingEdge, (AirfoilPoint{0, 0}));
        EXPECT_TRUE(r.upperFirst);
        EXPECT_NEAR(r.trailingEdgeGap, 2 * naca0012(1), 1e-6);
        EXPECT_NEAR(r.maxThickness, 0.12, 0.001);
        EXPECT_NEAR(r.maxThicknessAt, 0.29, 0.03);
    }
    const AirfoilReport two = checkAirfoil(parseAirfoilFile(cases[3].text, "f"), "f");
    EXPECT_EQ(two.firstSurfacePoints, 21u);
    EXPECT_NE(formatReport(two).find("Layout=two-surface (21 + 21 points)"), std::string::npos);

    // Lower surface first, a repeated point, and a file that starts at the leading edge.
    std::vector<AirfoilPoint> lower = outline(false);
    lower.insert(lower.begin() + 5, lower[5]);
    const AirfoilReport r = checkAirfoil(parseAirfoilFile(lines(lower, " ", "\n"), "f"), "f");
    EXPECT_FALSE(r.upperFirst);
    EXPECT_EQ(r.repeatedPoints, 1u);
    EXPECT_EQ(r.leadingEdgeIndex, 22u);
    std::vector<AirfoilPoint> fromNose = surface(21, 1);
    const std::vector<AirfoilPoint> low = surface(21, -1);
    fromNose.insert(fromNose.end(), low.rbegin(), low.rend());
    const AirfoilReport nose = checkAirfoil(parseAirfoilFile(lines(fromNose, " ", "\n"), "f"), "f");
    EXPECT_TRUE(nose.upperFirst);
    EXPECT_NEAR(nose.maxThickness, 0.12, 0.001);
}

TEST(AirfoilCheck, DamagedTwoSurfaceFilesNameTheLine) {
    const std::string text = "X\n\n21. 21.\n\n" + lines(surface(21, 1), " ", "\n") + "\n" +
                             lines(surface(20, -1), " ", "\n");
    try {
        parseAirfoilFile(text, "/a/f.dat");
        FAIL();
    } catch (const AirfoilFormatError& e) {
        EXPECT_EQ(e.line(), 3u);
        EXPECT_STREQ(e.what(),
                     "DAT file /a/f.dat: line 3 announces 21 + 21 points, the file "
                     "holds 41");
    }
    EXPECT_THROW(parseAirfoilFile("X\n\n2 2\n\n0 0\n1 zz\n\n0 0\n1 0\n", "f"), AirfoilFormatError);
    EXPECT_THROW(splitSurfaces(parseAirfoilFile("0 0\n1 0\n", "f"), "f"), AirfoilFormatError);
}

TEST(AirfoilPrepare, ResamplesOnTheSplineWithTheLeadingEdgeAtOneIndex) {
    const AirfoilSurfaces s =
        splitSurfaces(parseAirfoilFile(lines(outline(true), " ", "\n"), "f"), "f");
    for (std::size_t n : {5u, 60u, 101u, 400u}) {
        for (bool lowerFirst : {false, true}) {
            const PreparedProfile p = prepareProfile(s, {n, lowerFirst});
            ASSERT_EQ(p.points.size(), n);
            EXPECT_EQ(p.leadingEdgeIndex, (n + 2) / 2 - 1);
            EXPECT_EQ(p.points[p.leadingEdgeIndex], (AirfoilPoint{0, 0}));
            EXPECT_EQ(p.points.front(), (lowerFirst ? s.lower : s.upper).back());
            EXPECT_EQ(p.points.back(), (lowerFirst ? s.upper : s.lower).back());
            for (std::size_t i = 0; i < n; ++i) {
                const AirfoilPoint q = p.points[i];
                const bool upper = (i < p.leadingEdgeIndex) != lowerFirst;
                if (q.x < 0.02) continue;  // the nose: 21 points do not define its curve
                // On the true 0012 (not just near the 21 given points): a spline, not chords.
                EXPECT_NEAR(q.y, (upper ? 1 : -1) * naca0012(std::max(q.x, 0.0)), 4e-4)
                    << n << " " << i;
                if (i > 0) {
                    // Cosine spacing: the steps grow from the edges towards mid-surface.
                    EXPECT_GT(std::hypot(q.x - p.points[i - 1].x, q.y - p.points[i - 1].y), 0);
                }
            }
            // Between 21 sparse points the spline follows the curve, outside their chords.
            EXPECT_LT(largestDeviation(p, s), 2e-3);
        }
    }
    EXPECT_THROW(prepareProfile(s, {4, false}), std::invalid_argument);
    EXPECT_EQ(plainAirfoilText({{1, 0}, {0.5, -0.0125}}),
              "1.0000000 0.0000000\r\n0.5000000 -0.0125000\r\n");
}

// Real files published by others, read where they are.
TEST(SharedAirfoils, PreparedClarkYAndAg455CutOneWingWhoseOutlinesClose) {
    const fs::path dir = CORVANE_SHARED_AIRFOILS;
    if (!fs::exists(dir / "ag455.dat")) GTEST_SKIP() << "no shared airfoils";
    const AirfoilFile lednicer = readAirfoilFile(dir / "clarky-lednicer.dat");
    EXPECT_EQ(lednicer.layout, AirfoilLayout::TwoSurface);
    EXPECT_EQ(lednicer.first.size(), 61u);
    EXPECT_EQ(lednicer.second.size(), 61u);

    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "158";
    m.ws.settings.fields.kerf = "0.2";
    m.ws.settings.derive();
    PreparedProfile prepared[2];
    fs::path files[2];
    const char* names[2] = {"clarky.dat", "ag455.dat"};
    for (int i = 0; i < 2; ++i) {
        const AirfoilSurfaces s = splitSurfaces(readAirfoilFile(dir / names[i]), names[i]);
        prepared[i] = prepareProfile(s, {101, false});
        ASSERT_EQ(prepared[i].points.size(), 101u);
        EXPECT_LT(largestDeviation(prepared[i], s), 0.0005) << names[i];
        files[i] = m.airfoil(std::string("prep-") + names[i], plainAirfoilText(prepared[i].points));
        EXPECT_EQ(readProfile(files[i]).size(), 101u);
    }
    EXPECT_EQ(prepared[0].leadingEdgeIndex, prepared[1].leadingEdgeIndex);

    CutGenerator gen(m.ws);
    GenerationOutcome out = gen.generate(m.wing(files[0], files[1], "250", "100"));
    ASSERT_EQ(out.status, GenerationStatus::Finished);
    EXPECT_EQ(out.summary.segments, 100);
    const auto ticks = decodeSteps(m.working("cut.ct1"), m.ws.settings.derived);
    // Net steps per axis; X back and Y up count positive, as the profile differences do.
    int64_t net[4] = {};
    for (const DecodedTick& t : ticks) {
        const DerivedSettings& d = m.ws.settings.derived;
        const bool positive[4] = {t.dir[0] == ((d.X1BackDir & d.X1.DirMask) != 0),
                                  t.dir[1] == ((d.Y1UpDir & d.Y1.DirMask) != 0),
                                  t.dir[2] == ((d.X2BackDir & d.X2.DirMask) != 0),
                                  t.dir[3] == ((d.Y2UpDir & d.Y2.DirMask) != 0)};
        for (int a = 0; a < 4; ++a) net[a] += t.step[a] ? (positive[a] ? 1 : -1) : 0;
    }
    const double scale[2] = {250 + 0.2, 100 + 0.2};
    for (int side = 0; side < 2; ++side) {
        const AirfoilPoint first = prepared[side].points.front(),
                           last = prepared[side].points.back();
        const double dx = net[2 * side] / 158.0, dy = net[2 * side + 1] / 158.0;
        // Where the profile ends, and back where it began up to its trailing-edge gap.
        EXPECT_NEAR(dx, (last.x - first.x) * scale[side], 0.1) << names[side];
        EXPECT_NEAR(dy, (last.y - first.y) * scale[side], 0.1) << names[side];
        EXPECT_LT(std::hypot(dx, dy), 0.1) << names[side];
    }
}

}  // namespace
}  // namespace corvane::test
