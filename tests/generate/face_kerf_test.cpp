// Kerf by speed at the faces: each face's speed from its own path over the segment's time (the
// longest axis move at the towers over the cut speed), the material's kerf there, the slow face
// of a tapered panel offset wider by the model, the variable offset, and the settings' kerf kept
// exactly without a material.
#include "generate/face_kerf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "generate/outline_measure.h"
#include "naca_sections.h"

namespace corvane::test {
namespace {

// A foam that melts much more when slow: 1.4 mm at 2 mm/s down to 0.6 mm at 6 mm/s.
Material eps() {
    std::string why;
    return *makeMaterial("EPS 20", {{2, 1.4, 500}, {4, 0.8, 600}, {6, 0.6, 700}}, why);
}

FaceDesign tapered() {
    FaceDesign d;
    d.leftChordMm = 250, d.rightChordMm = 100;
    d.towersMm = 900, d.leftGapMm = 150, d.spanMm = 600;
    d.sweepMm = 40;
    d.leftKerfMm = d.rightKerfMm = 0.3;  // the settings' kerf: not used with a material
    d.kerfBySpeed = KerfBySpeed{eps(), 5};
    return d;
}

TEST(FaceKerf, TheSlowFaceOfATaperedPanelMeltsAndIsOffsetWiderByTheModel) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.12, 40);
    const FaceDesign d = tapered();
    const FaceGeometryResult r = buildFaceGeometry(root, tip, d);
    ASSERT_TRUE(r.geometry) << r.refusals.front();
    const FaceGeometry& g = *r.geometry;
    ASSERT_TRUE(g.leftKerfs && g.rightKerfs);
    const std::size_t segments = g.leftCut.size() - 1;
    ASSERT_EQ(g.leftKerfs->kerfMm.size(), segments);
    ASSERT_EQ(g.rightKerfs->kerfMm.size(), segments);

    // The speeds worked out again from what is cut: each face's path over the time the longest
    // tower axis takes at 5 mm/s. The passes leave the speeds within a hair of the final cut.
    double leftMean = 0, rightMean = 0, leftOffset = 0, rightOffset = 0;
    int counted = 0;
    for (std::size_t k = 0; k < segments; ++k) {
        // Round the sharp trailing edge the mitre's length follows the kerf itself, so no speed
        // settles on its two segments either side; they take part in the means only.
        const bool trailingEdge = k < 2 || k + 2 >= segments;
        leftMean += g.leftKerfs->kerfMm[k];
        rightMean += g.rightKerfs->kerfMm[k];
        if (trailingEdge) continue;
        const double longest = std::max({std::fabs(g.leftTower.x[k + 1] - g.leftTower.x[k]),
                                         std::fabs(g.leftTower.y[k + 1] - g.leftTower.y[k]),
                                         std::fabs(g.rightTower.x[k + 1] - g.rightTower.x[k]),
                                         std::fabs(g.rightTower.y[k + 1] - g.rightTower.y[k])});
        const double seconds = longest / 5;
        const double vl =
            std::hypot(g.leftCut.x[k + 1] - g.leftCut.x[k], g.leftCut.y[k + 1] - g.leftCut.y[k]) /
            seconds;
        const double vr = std::hypot(g.rightCut.x[k + 1] - g.rightCut.x[k],
                                     g.rightCut.y[k + 1] - g.rightCut.y[k]) /
                          seconds;
        EXPECT_NEAR(g.leftKerfs->speedMmS[k], vl, 0.02 * vl) << k;
        EXPECT_NEAR(g.rightKerfs->speedMmS[k], vr, 0.02 * vr) << k;
        // The narrow face runs slower in every segment, by about the chords' ratio.
        EXPECT_LT(g.rightKerfs->speedMmS[k], g.leftKerfs->speedMmS[k]) << k;
        EXPECT_NEAR(g.leftKerfs->kerfMm[k], kerfAt(d.kerfBySpeed->material, vl).kerfMm, 0.02);
        EXPECT_NEAR(g.rightKerfs->kerfMm[k], kerfAt(d.kerfBySpeed->material, vr).kerfMm, 0.02);
    }
    leftMean /= static_cast<double>(segments);
    rightMean /= static_cast<double>(segments);
    EXPECT_GT(rightMean - leftMean, 0.25);  // the tip at ~2 mm/s, the root at ~5

    // Away from the trailing edge each cut point stands off its designed face by half its
    // segments' kerf; the tip's stand-off exceeds the root's by half the kerfs' difference.
    const std::vector<double> leftHalf = pointOffsets(g.leftKerfs->kerfMm, true);
    const std::vector<double> rightHalf = pointOffsets(g.rightKerfs->kerfMm, true);
    for (std::size_t k = 10; k + 10 < g.leftCut.size(); ++k) {
        const double dl = distanceToPolyline(g.leftCut.x[k], g.leftCut.y[k], g.leftFace);
        const double dr = distanceToPolyline(g.rightCut.x[k], g.rightCut.y[k], g.rightFace);
        EXPECT_NEAR(dl, leftHalf[k], 0.03) << k;
        EXPECT_NEAR(dr, rightHalf[k], 0.03) << k;
        leftOffset += dl;
        rightOffset += dr;
        ++counted;
    }
    EXPECT_NEAR((rightOffset - leftOffset) / counted, (rightMean - leftMean) / 2, 0.05);
    // The wire still lies on the line through both faces' cut points.
    const double a = d.leftGapMm / d.towersMm;
    for (std::size_t k = 0; k < g.leftCut.size(); ++k)
        EXPECT_NEAR(g.leftTower.x[k] + (g.rightTower.x[k] - g.leftTower.x[k]) * a, g.leftCut.x[k],
                    1e-9);
}

TEST(FaceKerf, WithoutAMaterialEachSideKeepsTheSettingsKerfExactly) {
    const Profile root = naca(0.02, 0.4, 0.12, 30), tip = naca(0, 0.4, 0.12, 30);
    FaceDesign d = tapered();
    d.kerfBySpeed.reset();
    d.leftKerfMm = 0.3, d.rightKerfMm = 0.45;
    const FaceGeometryResult r = buildFaceGeometry(root, tip, d);
    ASSERT_TRUE(r.geometry);
    const FaceGeometry& g = *r.geometry;
    EXPECT_FALSE(g.leftKerfs || g.rightKerfs);
    const Outline left = offsetOutline(g.leftFace, 0.15), right = offsetOutline(g.rightFace, 0.225);
    EXPECT_EQ(g.leftCut.x, left.x);
    EXPECT_EQ(g.leftCut.y, left.y);
    EXPECT_EQ(g.rightCut.x, right.x);
    EXPECT_EQ(g.rightCut.y, right.y);
}

TEST(FaceKerf, VariableOffsetMovesEachPointByItsOwnDistance) {
    // A closed rectangle whose top corners move 1 and bottom corners 0.25: the top edge stands
    // 1 off, the bottom 0.25, both ways round.
    const Outline ccw = outline({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}});
    const Outline o = offsetOutlineVarying(ccw, {0.25, 0.25, 1, 1, 0.25});
    const double want[5][2] = {{-0.25, -0.25}, {10.25, -0.25}, {11, 6}, {-1, 6}, {-0.25, -0.25}};
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_NEAR(o.x[k], want[k][0], 1e-12) << k;
        EXPECT_NEAR(o.y[k], want[k][1], 1e-12) << k;
    }
    const Outline cw = outline({{0, 0}, {0, 5}, {10, 5}, {10, 0}, {0, 0}});
    const Outline c = offsetOutlineVarying(cw, {0.25, 1, 1, 0.25, 0.25});
    EXPECT_NEAR(c.y[1], 6, 1e-12);
    EXPECT_NEAR(c.y[3], -0.25, 1e-12);
    // A distance list of the wrong length leaves the outline as it is rather than guessing.
    EXPECT_EQ(offsetOutlineVarying(ccw, {1, 1}).x, ccw.x);
}

TEST(FaceKerf, PointOffsetsStillSegmentsAndTheTimeOfASegment) {
    // Each point takes the mean of its two segments' half kerfs; an open outline's ends their
    // one segment's, a closed outline's ends the first and last segments' mean.
    struct Case {
        std::vector<double> kerf;
        bool closed;
        std::vector<double> half;
    };
    const Case cases[] = {{{1.0, 2.0, 3.0}, false, {0.5, 0.75, 1.25, 1.5}},
                          {{1.0, 2.0, 3.0}, true, {1.0, 0.75, 1.25, 1.0}},
                          {{0.8}, false, {0.4, 0.4}},
                          {{}, false, {0}}};
    for (const Case& c : cases) EXPECT_EQ(pointOffsets(c.kerf, c.closed), c.half);

    // A segment's time is its longest axis move at the towers over the speed, whichever tower
    // and axis it is.
    const Outline l = outline({{0, 0}, {3, 0}, {3, 8}, {3, 8}});
    const Outline r = outline({{0, 0}, {1, 4}, {2, 4}, {2, 4}});
    EXPECT_EQ(segmentSeconds(l, r, 2), (std::vector<double>{2, 4, 0}));
    // A face that does not move in a segment has no speed there and its neighbour's kerf.
    const std::vector<double> v = faceSpeeds(outline({{0, 0}, {6, 0}, {6, 0}, {6, 2}}), {2, 4, 1});
    EXPECT_EQ(v, (std::vector<double>{3, 0, 2}));
    const SideKerfs k = kerfsAtSpeeds(eps(), {3, 0, 0, 8}, 5);
    EXPECT_NEAR(k.kerfMm[0], 1.1, 1e-12);
    EXPECT_NEAR(k.kerfMm[1], 1.1, 1e-12);  // nearest moving: before (a tie goes before)
    EXPECT_NEAR(k.kerfMm[2], 0.6, 1e-12);  // nearest moving: after
    EXPECT_NEAR(k.kerfMm[3], 0.6, 1e-12);  // beyond the measured range: the last point's
    EXPECT_TRUE(k.outside);
    EXPECT_FALSE(kerfsAtSpeeds(eps(), {3, 5}, 5).outside);
}

TEST(FaceKerf, KerfBySpeedWithoutASpeedIsRefused) {
    const Profile root = naca(0.02, 0.4, 0.12, 20), tip = naca(0, 0.4, 0.12, 20);
    FaceDesign d = tapered();
    d.kerfBySpeed->cutSpeedMmS = 0;
    const FaceGeometryResult r = buildFaceGeometry(root, tip, d);
    ASSERT_FALSE(r.geometry);
    ASSERT_EQ(r.refusals.size(), 1u);
    EXPECT_NE(r.refusals[0].find("0 mm/s"), std::string::npos) << r.refusals[0];
}

}  // namespace
}  // namespace corvane::test
