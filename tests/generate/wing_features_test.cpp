// The wing features on the sections: sheeting, spar slots, trailing-edge thickness and stock,
// each measured on the featured outline at both faces; the refusals with their numbers; the
// mirror; and random feature sets on random NACA pairs, whose outlines stay closed and simple
// with every slot as wide and as deep as asked.
#include "generate/wing_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "generate/face_geometry.h"
#include "generate/outline_measure.h"
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
    EXPECT_TRUE(closedOutline(o)) << what;
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
            w.sparSlots = {s};
            const Featured f = apply(root, tip, 250, 160, w, 0.3, 0.3);
            ASSERT_TRUE(f.f.refusals.empty()) << f.f.refusals.front();
            ASSERT_EQ(f.left.size(), f.right.size());
            WingFeatures plain = w;
            plain.sparSlots.clear();
            const Featured before = apply(root, tip, 250, 160, plain);
            const bool upper = surface == SlotSurface::Upper;
            const SlotSeen l =
                measure(f.left, f.f.sparSlots[0], before.left, before.f.leadingEdge, upper);
            const SlotSeen r =
                measure(f.right, f.f.sparSlots[0], before.right, before.f.leadingEdge, upper);
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
            EXPECT_EQ(upper, f.left.y[f.f.sparSlots[0].floorA] < f.left.y[f.f.sparSlots[0].lipA])
                << what;
            expectClosedAndSimple(f.left, what);
            expectClosedAndSimple(f.right, what);
        }
    }
}

TEST(WingFeatures, TrailingEdgeIsAtLeastAsThickAsAskedAndTheRestStays) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.09, 40);
    WingFeatures w;
    w.teThicknessMm = {0.5, 0.8};
    const Featured f = apply(root, tip, 250, 160, w);
    ASSERT_TRUE(f.f.refusals.empty());
    const Outline designs[2] = {inMm(root, 250), inMm(tip, 160)};
    const Outline* cut[2] = {&f.left, &f.right};
    const double want[2] = {0.5, 0.8};
    for (int side = 0; side < 2; ++side) {
        const Outline& o = *cut[side];
        expectClosedAndSimple(o, "trailing edge");
        // Closed by a trailing-edge segment of the asked thickness.
        const std::size_t n = o.size();
        EXPECT_NEAR(o.y[0] - o.y[n - 2], want[side], 1e-9);
        EXPECT_EQ(o.x[0], o.x[n - 2]);
        const std::size_t le = f.f.leadingEdge;
        for (std::size_t k = 0; k < le; ++k) {
            const double below = *wingshape::surfaceY(o, le, false, o.x[k]);
            EXPECT_GE(o.y[k] - below, want[side] - 1e-9) << side << " at " << o.x[k];
            // Ahead of the thin part the section is as designed.
            if (o.x[k] < 0.6 * designs[side].x[0]) {
                EXPECT_LT(distanceToPolyline(o.x[k], o.y[k], designs[side]), 1e-9);
            }
        }
    }
}

TEST(WingFeatures, StockStandsAheadAndBehindWithTheDesignInside) {
    const Profile root = naca(0.04, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.10, 40);
    WingFeatures w;
    w.leStockMm = {3, 2};
    w.teStockMm = {2, 1};
    const Featured f = apply(root, tip, 250, 160, w);
    ASSERT_TRUE(f.f.refusals.empty());
    const Outline designs[2] = {inMm(root, 250), inMm(tip, 160)};
    const Outline* cut[2] = {&f.left, &f.right};
    const double le[2] = {3, 2}, te[2] = {2, 1}, chord[2] = {250, 160};
    for (int side = 0; side < 2; ++side) {
        const Outline& o = *cut[side];
        expectClosedAndSimple(o, "stock");
        EXPECT_NEAR(*std::min_element(o.x.begin(), o.x.end()), -le[side], 1e-9);
        EXPECT_NEAR(*std::max_element(o.x.begin(), o.x.end()), chord[side] + te[side], 1e-9);
        for (std::size_t k = 0; k < designs[side].size(); ++k)
            EXPECT_TRUE(inside(designs[side].x[k], designs[side].y[k], o) ||
                        distanceToPolyline(designs[side].x[k], designs[side].y[k], o) < 1e-9)
                << side << " design point " << k << " lies outside the stock";
    }
}

TEST(WingFeatures, RefusedCombinationsSayTheirNumbers) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.10, 40);
    auto slot = [](SlotSurface s, double centre, double width, double depth) {
        SparSlot x;
        x.surface = s, x.centre = {centre, 0}, x.widthMm = {width, 0}, x.depthMm = {depth, 0};
        return x;
    };
    const SlotSurface up = SlotSurface::Upper, low = SlotSurface::Lower;
    struct Case {
        const char* what;
        std::function<void(WingFeatures&)> set;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"a slot deeper than the section",
         [&](WingFeatures& w) { w.sparSlots = {slot(up, 70, 6, 40)}; },
         {"Spar slot 1 (upper", "40 mm deep", "right face"}},
        {"a slot past the trailing edge",
         [&](WingFeatures& w) { w.sparSlots = {slot(low, 158, 6, 2)}; },
         {"reaches past the section", "155 mm to 161 mm", "the chord is 160 mm"}},
        {"overlapping slots",
         [&](WingFeatures& w) {
             w.sparSlots = {slot(up, 70, 6, 3), slot(up, 74, 6, 3)};
         },
         {"Spar slots 1 and 2 overlap at the left face", "67 mm to 73 mm"}},
        {"floors meeting through the section",
         [&](WingFeatures& w) {
             w.sparSlots = {slot(up, 60, 8, 8), slot(low, 62, 8, 8)};
         },
         {"meet through the section at the right face"}},
        {"a slot not wider than the kerf",
         [&](WingFeatures& w) { w.sparSlots = {slot(up, 60, 0.3, 3)}; },
         {"0.3 mm wide", "kerf 0.3 mm"}},
        {"sheeting thicker than half the section",
         [](WingFeatures& w) {
             w.sheetingUpperMm = {2, 9};
         },
         {"upper sheeting at the right face is 9 mm", "half 8 mm"}},
        {"a trailing edge as thick as the section",
         [](WingFeatures& w) {
             w.teThicknessMm = {40, 1};
         },
         {"asked 40 mm", "(30 mm)"}},
        {"a negative stock",
         [](WingFeatures& w) {
             w.leStockMm = {-1, 0};
         },
         {"negative", "-1 mm"}},
        {"slots that change order",
         [&](WingFeatures& w) {
             SparSlot a = slot(up, 60, 6, 3), b = slot(up, 90, 6, 3);
             a.scaling = b.scaling = SlotScaling::PerFace;
             a.centre.right = 90, b.centre.right = 50;
             a.widthMm.right = b.widthMm.right = 6;
             a.depthMm.right = b.depthMm.right = 3;
             w.sparSlots = {a, b};
         },
         {"Spar slots 1 and 2 change order"}},
    };
    for (const Case& c : cases) {
        WingFeatures w;
        c.set(w);
        const FeaturedSections f = applyWingFeatures(root, tip, 250, 160, w, 0.3, 0.3);
        ASSERT_FALSE(f.refusals.empty()) << c.what;
        std::string all;
        for (const std::string& r : f.refusals) all += r + "\n";
        for (const std::string& said : c.said)
            EXPECT_NE(all.find(said), std::string::npos) << c.what << ": " << all;
        // The face geometry refuses with the same words.
        FaceDesign d;
        d.leftChordMm = 250, d.rightChordMm = 160, d.towersMm = 900, d.leftGapMm = 150;
        d.spanMm = 600, d.leftKerfMm = d.rightKerfMm = 0.3, d.features = w;
        const FaceGeometryResult g = buildFaceGeometry(root, tip, d);
        EXPECT_FALSE(g.geometry) << c.what;
        EXPECT_EQ(g.refusals, f.refusals) << c.what;
    }
}

TEST(WingFeatures, TheMirroredHalfIsTheSamePanelWithItsFacesSwapped) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.10, 40);
    FaceDesign d;
    d.leftChordMm = 250, d.rightChordMm = 160, d.towersMm = 900, d.leftGapMm = 100;
    d.spanMm = 600, d.sweepMm = 30, d.riseMm = 10, d.leftWashoutDeg = 0.5;
    d.rightWashoutDeg = -2, d.washoutPivot = 0.25, d.leftKerfMm = 0.3, d.rightKerfMm = 0.4;
    d.features.sheetingUpperMm = {1.5, 0.8};
    d.features.teThicknessMm = {0.5, 0.4};
    SparSlot s;
    s.centre = {70, 0}, s.widthMm = {6, 0}, s.depthMm = {4, 0};
    s.scaling = SlotScaling::Proportional;
    d.features.sparSlots = {s};
    d.features.mirror = true;
    const FaceDesign m = mirroredDesign(d);
    EXPECT_EQ(m.leftChordMm, 160);
    EXPECT_EQ(m.rightChordMm, 250);
    EXPECT_EQ(m.leftGapMm, 200);  // the right gap before
    EXPECT_EQ(m.sweepMm, -30);
    EXPECT_EQ(m.riseMm, -10);
    EXPECT_EQ(m.leftWashoutDeg, -2);
    EXPECT_EQ(m.leftKerfMm, 0.4);
    EXPECT_EQ(m.features.sheetingUpperMm, (FacePair{0.8, 1.5}));
    EXPECT_EQ(m.features.sparSlots[0].scaling, SlotScaling::PerFace);
    EXPECT_EQ(mirroredDesign(m).features.sparSlots[0].widthMm, (FacePair{6, 6 * 160.0 / 250}));

    const FaceGeometryResult a = buildFaceGeometry(root, tip, d);
    const FaceGeometryResult b = buildFaceGeometry(tip, root, m);
    ASSERT_TRUE(a.geometry && b.geometry);
    const FaceGeometry &g = *a.geometry, &h = *b.geometry;
    ASSERT_EQ(g.leftFace.size(), h.leftFace.size());
    // Each face is cut as before at the other end of the wire, and so is its tower outline;
    // the mirror's frame starts at its own left face's leading edge.
    const double dx = h.rightFace.x[0] - g.leftFace.x[0], dy = h.rightFace.y[0] - g.leftFace.y[0];
    for (std::size_t k = 0; k < g.leftFace.size(); ++k) {
        EXPECT_NEAR(h.rightFace.x[k] - dx, g.leftFace.x[k], 1e-9);
        EXPECT_NEAR(h.rightFace.y[k] - dy, g.leftFace.y[k], 1e-9);
        EXPECT_NEAR(h.leftFace.x[k] - dx, g.rightFace.x[k], 1e-9);
        EXPECT_NEAR(h.rightTower.x[k] - dx, g.leftTower.x[k], 1e-9);
        EXPECT_NEAR(h.leftTower.y[k] - dy, g.rightTower.y[k], 1e-9);
    }
}

// A random feature set a wing builder might ask for on these sections: each feature at both
// faces or at neither (root and tip within 40 % of each other), slots kept apart and shallower
// than a quarter of the thinner section.
WingFeatures randomFeatures(std::mt19937& rng, double thinnest) {
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    auto maybe = [&](double a, double b) -> FacePair {
        if (uniform(0, 1) < 0.5) return {0, 0};
        const double root = uniform(a, b);
        return {root, root * uniform(0.6, 1.4)};
    };
    WingFeatures w;
    w.sheetingUpperMm = maybe(0.3, 2.5);
    w.sheetingLowerMm = maybe(0.3, 2.5);
    w.teThicknessMm = maybe(0.2, 1.5);
    w.leStockMm = maybe(0.5, 5);
    w.teStockMm = maybe(0.5, 5);
    const int slots = static_cast<int>(uniform(0, 4));
    for (int i = 0; i < slots; ++i) {
        SparSlot s;
        s.surface = uniform(0, 1) < 0.5 ? SlotSurface::Upper : SlotSurface::Lower;
        s.scaling = static_cast<SlotScaling>(static_cast<int>(uniform(0, 3)));
        s.centreIsFraction = true;  // slot i keeps to its own fifth of the chord
        s.centre = {0.2 + 0.15 * i + uniform(-0.03, 0.03), 0.2 + 0.15 * i + uniform(-0.03, 0.03)};
        s.widthMm = {uniform(2, 8), uniform(2, 8)};
        s.depthMm = {uniform(1.5, 0.25 * thinnest), uniform(1.5, 0.25 * thinnest)};
        w.sparSlots.push_back(s);
    }
    return w;
}

TEST(WingFeatures, RandomFeatureSetsKeepBothFacesClosedSimpleAndTheSlotsAsAsked) {
    std::mt19937 rng(46);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    int built = 0, slotsSeen = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const int half = 20 + trial % 40;
        const double tl = uniform(0.08, 0.18), tr = tl * uniform(0.75, 1.25);
        const Profile left = naca(uniform(0, 0.06), uniform(0.2, 0.6), tl, half);
        const Profile right = naca(uniform(0, 0.06), uniform(0.2, 0.6), tr, half);
        FaceDesign d;
        d.leftChordMm = uniform(150, 320);
        d.rightChordMm = d.leftChordMm * uniform(0.45, 1.0);
        d.leftGapMm = uniform(50, 200), d.spanMm = uniform(300, 700);
        d.towersMm = d.leftGapMm + d.spanMm + uniform(50, 200);
        d.sweepMm = uniform(-20, 80), d.rightWashoutDeg = uniform(-4, 2);
        d.leftKerfMm = uniform(0, 1), d.rightKerfMm = uniform(0, 1);
        const double thinnest = std::min(tl * d.leftChordMm, tr * d.rightChordMm) / 2;
        d.features = randomFeatures(rng, thinnest);
        {
            FaceDesign plain = d;
            plain.features = {};
            ASSERT_TRUE(buildFaceGeometry(left, right, plain).geometry) << trial;
        }
        const std::string what = "trial " + std::to_string(trial);

        const Featured f = apply(left, right, d.leftChordMm, d.rightChordMm, d.features,
                                 d.leftKerfMm, d.rightKerfMm);
        if (!f.f.refusals.empty()) {
            // Only a slot against the surface's fall across it may be refused here.
            for (const std::string& r : f.f.refusals)
                EXPECT_NE(r.find("less than the surface falls"), std::string::npos) << what << r;
            continue;
        }
        ++built;
        ASSERT_EQ(f.left.size(), f.right.size()) << what;
        expectClosedAndSimple(f.left, what + " left");
        expectClosedAndSimple(f.right, what + " right");

        WingFeatures plain = d.features;
        plain.sparSlots.clear();
        const Featured core = apply(left, right, d.leftChordMm, d.rightChordMm, plain);
        for (std::size_t i = 0; i < d.features.sparSlots.size(); ++i) {
            const SparSlot& s = d.features.sparSlots[i];
            const bool upper = s.surface == SlotSurface::Upper;
            for (int side = 0; side < 2; ++side) {
                const SlotAtFace want = slotAtFace(s, side == 1, d.leftChordMm, d.rightChordMm);
                const SlotSeen seen =
                    measure(side ? f.right : f.left, f.f.sparSlots[i],
                            side ? core.right : core.left, core.f.leadingEdge, upper);
                EXPECT_NEAR(seen.width, want.widthMm, 1e-9) << what << " slot " << i;
                EXPECT_NEAR(seen.depth, want.depthMm, 1e-9) << what << " slot " << i;
                const Profile& unit = side ? right : left;
                const double leX =
                    unit.x[leadingEdgeIndex(unit)] * (side ? d.rightChordMm : d.leftChordMm);
                EXPECT_NEAR(seen.centre, leX + want.centreMm, 1e-9) << what << " slot " << i;
                ++slotsSeen;
            }
        }

        // The face geometry built on them: the wire's paths at the faces stay simple too.
        const FaceGeometryResult g = buildFaceGeometry(left, right, d);
        ASSERT_TRUE(g.geometry) << what << ": " << g.refusals.front();
        EXPECT_TRUE(selfCrossings(g.geometry->leftCut, 1).empty()) << what;
        EXPECT_TRUE(selfCrossings(g.geometry->rightCut, 1).empty()) << what;
    }
    EXPECT_GE(built, 45);
    EXPECT_GE(slotsSeen, 60);
}

}  // namespace corvane::test
