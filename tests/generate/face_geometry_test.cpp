// The face geometry: placing with washout about a pivot, the outward offset (mitres, closed
// outlines, clipped loops), the projection to the towers, the refusals with their numbers, and
// the face set's DAT-information line as readers of eight fields and of all of them see it.
#include "generate/face_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "generate/face_set_record.h"
#include "generate/outline_measure.h"
#include "generate_fixture.h"
#include "naca_sections.h"

namespace corvane::test {
namespace {

FaceDesign demoDesign() {
    FaceDesign d;
    d.leftChordMm = 250, d.rightChordMm = 160;
    d.towersMm = 900, d.leftGapMm = 150, d.spanMm = 600;
    d.sweepMm = 20, d.rightWashoutDeg = -2;
    d.leftKerfMm = d.rightKerfMm = 0.3;
    return d;
}

TEST(FaceGeometry, WashoutTurnsAboutThePivotAndKeepsTheChord) {
    const Profile unit = naca(0.02, 0.4, 0.12, 30);
    for (double pivot : {0.0, 0.25, 1.0}) {
        const Outline o = placeOnFace(unit, 200, 3, pivot, 10, -5);
        const std::size_t le = leadingEdgeIndex(unit);
        EXPECT_NEAR(std::hypot(o.x[0] - o.x[le], o.y[0] - o.y[le]), 200, 1e-9) << pivot;
        // The trailing edge rises by 3 degrees over the chord, the pivot stays where it was.
        EXPECT_NEAR(std::atan2(o.y[0] - o.y[le], o.x[0] - o.x[le]) * 180 / M_PI, 3, 1e-9);
        const double px = 10 + pivot * 200, py = -5;
        const Outline flat = placeOnFace(unit, 200, 0, pivot, 10, -5);
        for (std::size_t k = 0; k < o.size(); ++k)
            EXPECT_NEAR(std::hypot(o.x[k] - px, o.y[k] - py),
                        std::hypot(flat.x[k] - px, flat.y[k] - py), 1e-9);
    }
}

TEST(FaceGeometry, OffsetMovesEveryEdgeOutwardWithMitresEitherWayRound) {
    const Outline ccw = outline({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
    const Outline cw = outline({{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
    for (const Outline& square : {ccw, cw}) {
        const Outline o = offsetOutline(square, 0.5);
        ASSERT_EQ(o.size(), 5u);
        for (std::size_t k = 0; k < 5; ++k) {
            EXPECT_NEAR(std::abs(o.x[k] - 5), 5.5, 1e-12) << k;
            EXPECT_NEAR(std::abs(o.y[k] - 5), 5.5, 1e-12) << k;
        }
        EXPECT_EQ(o.x.front(), o.x.back());  // closed stays closed
        EXPECT_EQ(o.y.front(), o.y.back());
    }
    // An open outline keeps square ends: its end points move along their own segment's normal.
    const Outline open = offsetOutline(outline({{0, 0}, {10, 0}, {10, 10}}), 1);
    EXPECT_NEAR(open.x[0], 0, 1e-12);
    EXPECT_NEAR(std::abs(open.y[0]), 1, 1e-12);
}

TEST(FaceGeometry, OffsetOfAnAirfoilKeepsHalfTheKerfAndClipsEveryLoop) {
    // Sharp and cusped trailing edges, a notch narrower than the kerf: no loop survives, the count
    // stays, and what is left keeps its distance from the outline.
    Profile cusp = naca(0.06, 0.3, 0.09, 40);
    // A slot in the top whose walls close in faster than the kerf: its offset walls cross.
    Outline slot = outline(
        {{0, 0}, {10, 0}, {10, 10}, {6.2, 10.4}, {5.6, 8}, {5.4, 8}, {4.8, 10.1}, {0, 10}, {0, 0}});
    const Outline foils[] = {placeOnFace(naca(0.02, 0.4, 0.12, 40), 250, 0, 0, 0, 0),
                             placeOnFace(cusp, 120, 5, 0.3, 0, 0), slot};
    for (const Outline& foil : foils) {
        for (double h : {0.15, 0.5, 1.0}) {
            const Outline o = offsetOutline(foil, h);
            ASSERT_EQ(o.size(), foil.size());
            EXPECT_TRUE(selfCrossings(o).empty()) << h;
            EXPECT_EQ(o.x.front(), o.x.back());
            for (std::size_t k = 0; k < o.size(); ++k)
                EXPECT_GT(distanceToPolyline(o.x[k], o.y[k], foil), h * 0.999) << k << " h " << h;
            // Outward: the offset encloses more.
            EXPECT_GT(std::abs(signedArea2(o)), std::abs(signedArea2(foil)));
        }
    }
    const Outline clipped = offsetOutline(slot, 0.15);
    EXPECT_EQ(clipped.x[4], clipped.x[5]);  // the slot's loop collapsed onto its crossing
    EXPECT_EQ(clipped.y[4], clipped.y[5]);
    EXPECT_NEAR(clipped.x[4], 5.5, 0.05);
}

TEST(FaceGeometry, ProjectionPutsEveryFacePointOnTheWire) {
    const Profile root = naca(0.02, 0.4, 0.12, 30), tip = naca(0, 0.4, 0.12, 30);
    FaceDesign d = demoDesign();
    const FaceGeometryResult r = buildFaceGeometry(root, tip, d);
    ASSERT_TRUE(r.geometry) << r.refusals.front();
    const FaceGeometry& g = *r.geometry;
    for (std::size_t k = 0; k < g.leftCut.size(); ++k) {
        // The straight wire from the left tower point to the right one crosses both faces at
        // their offset points.
        const double a = d.leftGapMm / d.towersMm, b = (d.leftGapMm + d.spanMm) / d.towersMm;
        auto at = [&](const std::vector<double>& left, const std::vector<double>& right, double f) {
            return left[k] + (right[k] - left[k]) * f;
        };
        EXPECT_NEAR(at(g.leftTower.x, g.rightTower.x, a), g.leftCut.x[k], 1e-9);
        EXPECT_NEAR(at(g.leftTower.y, g.rightTower.y, a), g.leftCut.y[k], 1e-9);
        EXPECT_NEAR(at(g.leftTower.x, g.rightTower.x, b), g.rightCut.x[k], 1e-9);
        EXPECT_NEAR(at(g.leftTower.y, g.rightTower.y, b), g.rightCut.y[k], 1e-9);
    }
    // The chords at the towers extend the taper: 250 + 90 x 150 / 600 and 160 - 90 x 150 / 600.
    EXPECT_NEAR(g.leftTowerChordMm, 272.5, 0.5);
    EXPECT_NEAR(g.rightTowerChordMm, 137.5, 0.5);
    // A face on its tower is the tower.
    d.leftGapMm = 0, d.spanMm = 750;
    const FaceGeometryResult onTower = buildFaceGeometry(root, tip, d);
    ASSERT_TRUE(onTower.geometry);
    EXPECT_EQ(onTower.geometry->leftTower.x, onTower.geometry->leftCut.x);
}

TEST(FaceGeometry, RefusalsNameTheReasonAndTheNumbers) {
    const Profile root = naca(0.02, 0.4, 0.12, 30), tip = naca(0, 0.4, 0.12, 30);
    struct Case {
        const char* what;
        std::function<void(FaceDesign&)> change;
        std::optional<FaceBlank> blank;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {"past the right tower",
         [](FaceDesign& d) { d.spanMm = 800; },
         {},
         {"right face lies outside", "950", "900"}},
        {"before the left tower",
         [](FaceDesign& d) { d.leftGapMm = -5; },
         {},
         {"left face lies outside", "-5"}},
        {"overlapping", [](FaceDesign& d) { d.spanMm = 0; }, {}, {"overlap", "0 mm"}},
        {"no chord", [](FaceDesign& d) { d.rightChordMm = 0; }, {}, {"chord", "0 mm"}},
        {"negative kerf", [](FaceDesign& d) { d.leftKerfMm = -1; }, {}, {"kerf", "-1"}},
        // A tip a tenth of the root with the right tower 300 mm out: the cone's apex lies
        // 600 x 25 / 225 = 66.67 mm beyond the tip face.
        {"turned over",
         [](FaceDesign& d) {
             d.rightChordMm = 25, d.sweepMm = 0, d.rightWashoutDeg = 0, d.leftGapMm = 0;
             d.spanMm = 600, d.towersMm = 900;
         },
         {},
         {"right tower outline turns over", "66.67 mm", "d/w 0.5"}},
        {"blank past a tower",
         [](FaceDesign& d) { d.leftGapMm = 10, d.spanMm = 600; },
         FaceBlank{5, 40},
         {"blank does not fit", "20 mm", "10 mm"}},
        {"blank too shallow",
         [](FaceDesign& d) { d.rightChordMm = 60, d.sweepMm = 0; },
         FaceBlank{1, 200},
         {"end of the blank", "deep", "251"}},
    };
    for (const Case& c : cases) {
        FaceDesign d = demoDesign();
        c.change(d);
        const FaceGeometryResult r = buildFaceGeometry(root, tip, d, c.blank);
        EXPECT_FALSE(r.geometry) << c.what;
        ASSERT_FALSE(r.refusals.empty()) << c.what;
        for (const std::string& s : c.said)
            EXPECT_NE(r.refusals.front().find(s), std::string::npos)
                << c.what << ": " << r.refusals.front();
    }
    // The same design without the blank's limits, and the demo as it stands, are cut.
    EXPECT_TRUE(buildFaceGeometry(root, tip, demoDesign()).geometry);
    EXPECT_TRUE(buildFaceGeometry(root, tip, demoDesign(), FaceBlank{10, 20}).geometry);
}

TEST(FaceGeometry, CrossingTowerOutlineIsRefused) {
    // Equal chords, the root thick in front and the tip thick behind: beyond the root face the
    // thickness passes through nothing halfway along, so the left tower outline crosses itself.
    Profile root = naca(0, 0.4, 0.12, 30), tip = root;
    for (std::size_t k = 0; k < root.size(); ++k) {
        root.y[k] *= 1.6 - 1.2 * root.x[k];
        tip.y[k] *= 0.4 + 1.2 * tip.x[k];
    }
    FaceDesign d = demoDesign();
    d.rightChordMm = d.leftChordMm, d.sweepMm = 0, d.rightWashoutDeg = 0;
    d.leftGapMm = 300, d.spanMm = 300;
    const FaceGeometryResult r = buildFaceGeometry(root, tip, d);
    ASSERT_FALSE(r.geometry);
    EXPECT_NE(r.refusals.front().find("left tower outline crosses itself between points"),
              std::string::npos)
        << r.refusals.front();
    // Nearer the faces the same pair is cut.
    d.leftGapMm = 20, d.towersMm = 340;
    const FaceGeometryResult near = buildFaceGeometry(root, tip, d);
    EXPECT_TRUE(near.geometry) << near.refusals.front();
}

TEST(FaceSetRecord, EightFieldReadersSeeATowerSetAndTheWholeLineGivesTheDesign) {
    WingDatInfo info;
    info.leftPath = "/a/naca2412.dat";
    info.rightPath = "/a/naca0012.dat";
    info.leftChord = 272.5;
    info.rightChord = 137.25;
    FaceDesign d = demoDesign();
    d.washoutPivot = 0.25;
    d.riseMm = -12.5;
    d.rightKerfMm = 0.45;
    const std::string line = faceDatInfoLine(info, d);
    const std::vector<std::string> eight = readDatInfoFields(line, 8);
    EXPECT_EQ(eight, (std::vector<std::string>{"/a/naca2412.dat", "/a/naca0012.dat", "272.5",
                                               "137.25", "0", "0", "0", "0"}));
    std::string why;
    EXPECT_FALSE(faceDesignFromFields(eight, why));
    EXPECT_TRUE(why.empty());
    const auto all = readDatInfoFields(line, kFaceDatInfoFields);
    const std::optional<FaceDesign> back = faceDesignFromFields(all, why);
    ASSERT_TRUE(back) << why;
    EXPECT_EQ(back->leftChordMm, 250);
    EXPECT_EQ(back->rightWashoutDeg, -2);
    EXPECT_EQ(back->washoutPivot, 0.25);
    EXPECT_EQ(back->riseMm, -12.5);
    EXPECT_EQ(back->rightKerfMm, 0.45);
    EXPECT_EQ(back->towersMm, 900);
    // A line cut short after the mark is reported, not taken for a tower set.
    const std::vector<std::string> shortLine(all.begin(), all.begin() + 12);
    EXPECT_FALSE(faceDesignFromFields(shortLine, why));
    EXPECT_NE(why.find("12 of its 21"), std::string::npos) << why;
}

}  // namespace
}  // namespace corvane::test
