// The wing features on the sections: sheeting, spar slots, trailing-edge thickness and stock,
// each measured on the featured outline at both faces; the refusals with their numbers; the
// mirror; and random feature sets on random NACA pairs, whose outlines stay closed and simple
// with every slot as wide and as deep as asked.
#include "generate/wing_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "generate/face_geometry.h"
#include "generate/wing_feature_shapes.h"
#include "naca_sections.h"

namespace corvane::test {
namespace {

Outline inMm(const Profile& p, double chord) {
    Outline o;
    for (std::size_t k = 0; k < p.size(); ++k) {
        o.x.push_back(p.x[k] * chord);
        o.y.push_back(p.y[k] * chord);
    }
    return o;
}

double distanceToPolyline(double px, double py, const Outline& o) {
    double best = 1e300;
    for (std::size_t i = 0; i + 1 < o.size(); ++i) {
        const double dx = o.x[i + 1] - o.x[i], dy = o.y[i + 1] - o.y[i];
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((px - o.x[i]) * dx + (py - o.y[i]) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(px - o.x[i] - t * dx, py - o.y[i] - t * dy));
    }
    return best;
}

// Inside the outline closed from its last point to its first (even-odd rule).
bool inside(double px, double py, const Outline& o) {
    bool in = false;
    const std::size_t n = o.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((o.y[i] > py) != (o.y[j] > py) &&
            px < (o.x[j] - o.x[i]) * (py - o.y[i]) / (o.y[j] - o.y[i]) + o.x[i])
            in = !in;
    }
    return in;
}

struct Featured {
    FeaturedSections f;
    Outline left, right;  // in mm
};

Featured apply(const Profile& l, const Profile& r, double cl, double cr, const WingFeatures& w,
               double kl = 0, double kr = 0) {
    Featured out;
    out.f = applyWingFeatures(l, r, cl, cr, w, kl, kr);
    out.left = inMm(out.f.left, cl);
    out.right = inMm(out.f.right, cr);
    return out;
}

void expectClosedAndSimple(const Outline& o, const std::string& what) {
    EXPECT_TRUE(wingshape::isClosed(o)) << what;
    const std::vector<Crossing> c = selfCrossings(o, 1);
    EXPECT_TRUE(c.empty()) << what << " crosses itself between points " << c[0].first << " and "
                           << c[0].second;
}

// A slot measured on a featured outline in the chord frame: the walls' x at the floor corners
// and the lips, the floor's height, and the surface's height at the centre on the design.
struct SlotSeen {
    double width = 0, lipWidth = 0, depth = 0, centre = 0;
};
SlotSeen measure(const Outline& o, const SlotCorners& c, const Outline& surfaceBefore,
                 std::size_t le, bool upper) {
    SlotSeen s;
    s.width = std::abs(o.x[c.floorB] - o.x[c.floorA]);
    s.lipWidth = std::abs(o.x[c.lipB] - o.x[c.lipA]);
    s.centre = (o.x[c.floorA] + o.x[c.floorB]) / 2;
    const double surface = *wingshape::surfaceY(surfaceBefore, le, upper, s.centre);
    s.depth = std::abs(surface - o.y[c.floorA]);
    EXPECT_EQ(o.y[c.floorA], o.y[c.floorB]);        // a flat floor
    EXPECT_NEAR(o.x[c.lipA], o.x[c.floorA], 1e-9);  // square walls
    EXPECT_NEAR(o.x[c.lipB], o.x[c.floorB], 1e-9);
    return s;
}

}  // namespace

TEST(WingFeatures, SheetingMovesEachSurfaceInwardByItsFacesThickness) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.10, 40);
    WingFeatures w;
    w.sheetingUpperMm = {1.5, 0.8};
    w.sheetingLowerMm = {1.0, 0.5};
    const Featured f = apply(root, tip, 250, 160, w);
    ASSERT_TRUE(f.f.refusals.empty()) << f.f.refusals.front();
    ASSERT_EQ(f.left.size(), f.right.size());
    const Outline designs[2] = {inMm(root, 250), inMm(tip, 160)};
    const Outline* cores[2] = {&f.left, &f.right};
    const double upper[2] = {1.5, 0.8}, lower[2] = {1.0, 0.5}, chord[2] = {250, 160};
    for (int side = 0; side < 2; ++side) {
        const Outline& core = *cores[side];
        expectClosedAndSimple(core, side ? "right" : "left");
        const std::size_t le = f.f.leadingEdge;
        for (std::size_t k = 0; k < core.size(); ++k) {
            EXPECT_TRUE(inside(core.x[k], core.y[k], designs[side]) ||
                        distanceToPolyline(core.x[k], core.y[k], designs[side]) < 1e-9)
                << side << " point " << k;
            const double x = core.x[k] / chord[side];
            if (x < 0.1 || x > 0.8) continue;  // the nose mixes, the trailing edge ends
            EXPECT_NEAR(distanceToPolyline(core.x[k], core.y[k], designs[side]),
                        k < le ? upper[side] : lower[side], 0.02)
                << side << " point " << k;
        }
        // Round the nose the thickness lies between the two.
        const double nose = distanceToPolyline(core.x[le], core.y[le], designs[side]);
        EXPECT_GE(nose, lower[side] - 0.02);
        EXPECT_LE(nose, upper[side] + 0.02);
    }
}

TEST(WingFeatures, SheetingEndsWhereTheSurfacesMeetAtTheTrailingEdge) {
    // A sharp trailing edge: the core ends where both moved surfaces meet, every point behind
    // collapses onto that point. A blunt one keeps its trailing-edge line, not sheeted.
    const Profile sharp = naca(0.02, 0.4, 0.12, 30);
    WingFeatures w;
    w.sheetingUpperMm = w.sheetingLowerMm = {1.5, 1.5};
    const Featured f = apply(sharp, sharp, 200, 200, w);
    ASSERT_TRUE(f.f.refusals.empty());
    EXPECT_EQ(f.left.size(), sharp.size());
    const double end = f.left.x.front();
    EXPECT_LT(end, 200 - 5);  // 1.5 mm each side meet some way ahead of a 12 % section's edge
    EXPECT_EQ(f.left.x.front(), f.left.x.back());
    EXPECT_EQ(f.left.y.front(), f.left.y.back());

    Profile blunt = sharp;  // opened gradually to 4 mm at 200 mm
    const std::size_t le = leadingEdgeIndex(sharp);
    for (std::size_t k = 0; k < blunt.size(); ++k)
        blunt.y[k] += (k < le ? 0.01 : k > le ? -0.01 : 0) * blunt.x[k];
    const Featured b = apply(blunt, blunt, 200, 200, w);
    ASSERT_TRUE(b.f.refusals.empty());
    EXPECT_NEAR(b.left.x.front(), 200, 0.05);  // still on the trailing edge's line
    EXPECT_NEAR(b.left.y.front() - b.left.y.back(), 4 - 3, 0.05);
}

TEST(WingFeatures, SlotsHaveTheirWidthAndDepthAtBothFacesSameProportionalOrPerFace) {
    const Profile root = naca(0.02, 0.4, 0.12, 50), tip = naca(0.01, 0.4, 0.11, 50);
    struct Case {
        SlotScaling scaling;
        bool fraction;
        FacePair centre, width, depth;
        double leftWant[3], rightWant[3];  // centre, width, depth in mm
    } cases[] = {
        {SlotScaling::Same, false, {70, 0}, {6, 0}, {4, 0}, {70, 6, 4}, {70, 6, 4}},
        {SlotScaling::Proportional, false, {70, 0}, {6, 0}, {4, 0}, {70, 6, 4}, {44.8, 3.84, 2.56}},
        {SlotScaling::PerFace, false, {70, 50}, {6, 5}, {4, 3}, {70, 6, 4}, {50, 5, 3}},
        {SlotScaling::Same, true, {0.3, 0}, {6, 0}, {4, 0}, {75, 6, 4}, {48, 6, 4}},
    };
    for (const Case& c : cases) {
        for (SlotSurface surface : {SlotSurface::Upper, SlotSurface::Lower}) {
            WingFeatures w;
            w.sheetingUpperMm = {1, 1};
            SparSlot s;
            s.surface = surface;
            s.scaling = c.scaling;
            s.centreIsFraction = c.fraction;
            s.centre = c.centre, s.widthMm = c.width, s.depthMm = c.depth;
            w.slots = {s};
            const Featured f = apply(root, tip, 250, 160, w, 0.3, 0.3);
            ASSERT_TRUE(f.f.refusals.empty()) << f.f.refusals.front();
            ASSERT_EQ(f.left.size(), f.right.size());
            WingFeatures plain = w;
            plain.slots.clear();
            const Featured before = apply(root, tip, 250, 160, plain);
            const bool upper = surface == SlotSurface::Upper;
            const SlotSeen l =
                measure(f.left, f.f.slots[0], before.left, before.f.leadingEdge, upper);
            const SlotSeen r =
                measure(f.right, f.f.slots[0], before.right, before.f.leadingEdge, upper);
            const std::string what =
                std::to_string(static_cast<int>(c.scaling)) + (upper ? " upper" : " lower");
            EXPECT_NEAR(l.centre, c.leftWant[0], 1e-9) << what;
            EXPECT_NEAR(l.width, c.leftWant[1], 1e-9) << what;
            EXPECT_NEAR(l.lipWidth, c.leftWant[1], 1e-9) << what;
            EXPECT_NEAR(l.depth, c.leftWant[2], 1e-9) << what;
            EXPECT_NEAR(r.centre, c.rightWant[0], 1e-9) << what;
            EXPECT_NEAR(r.width, c.rightWant[1], 1e-9) << what;
            EXPECT_NEAR(r.depth, c.rightWant[2], 1e-9) << what;
            // The floor lies on the slot's side of the chord and the notch opens outward.
            EXPECT_EQ(upper, f.left.y[f.f.slots[0].floorA] < f.left.y[f.f.slots[0].lipA]) << what;
            expectClosedAndSimple(f.left, what);
            expectClosedAndSimple(f.right, what);
        }
    }
}

}  // namespace corvane::test
