// A part from drawings cut with the face geometry: a tapered, swept fin (root and tip different
// shapes) and one drawing sized per face, generated, decoded and crossed with the face planes.
// The wire must lie within the rounding bound of the flattened drawing outlines offset by half
// each side's kerf, placed straight from the drawings' points (not through the set's record);
// the record must rebuild the same faces; a cone that turns over is refused with its numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "generate/drawing_faces.h"
#include "generate/drawing_fin.h"
#include "simulate/simulate_fixture.h"
#include "simulate/simulation.h"

namespace corvane::test {
namespace {

struct FinCase {
    const char* name;
    const char* stepsPerMm;
    bool tipDrawing, reverse, leadIn;
    double leftKerf, rightKerf, extraSweep, extraRise;
    double leftGap, span, towers;
    std::optional<double> leftSize, rightSize;  // at the faces
    std::optional<DrawingPoint> start;
};

struct DrawingMachine : GenerateMachine {
    explicit DrawingMachine(const FinCase& c) {
        ws.settings.fields.steps_per_inch = c.stepsPerMm;
        ws.settings.fields.kerf = "0.3";
        if (c.leadIn) {
            ws.settings.fields.lead_in = 1;
            ws.settings.fields.horizontal = true;
            ws.settings.fields.lead_in_amount = "10";
        }
        ws.settings.derive();
        writeTaperedFin(dir.path());
    }
    PreparedDrawing prepare(const FinCase& c) const {
        DrawingJob job;
        job.rootFile = dir / "root.dxf";
        if (c.tipDrawing) job.tipFile = dir / "tip.dxf";
        job.choice.reverse = c.reverse;
        job.choice.start = c.start;
        job.leftSize = c.leftSize;
        job.rightSize = c.rightSize;
        return prepareDrawing(job);
    }
    GenerationOutcome generate(const PreparedDrawing& p, const FaceDesign& d) {
        const auto [left, right] = writeDrawingProfiles(p, dir / "drawings", "root", "tip");
        GenerationRequest r = foam(left, right, "", "");
        r.geometry = WingGeometry::Faces;
        r.faces = d;
        return CutGenerator(ws).generate(r);
    }
};

FaceDesign placement(const FinCase& c) {
    FaceDesign d;
    d.leftGapMm = c.leftGap, d.spanMm = c.span, d.towersMm = c.towers;
    d.leftKerfMm = c.leftKerf, d.rightKerfMm = c.rightKerf;
    d.sweepMm = c.extraSweep, d.riseMm = c.extraRise;
    return d;
}

TEST(DrawingFaceCheck, TheWireCrossesEachFaceOnTheDrawnOutline) {
    const FinCase cases[] = {
        {"fin", "158", true, false, true, 0.3, 0.5, 0, 0, 100, 400, 600, {}, {}, {}},
        {"fin moved", "400", true, false, false, 0, 0, -20, 5, 0, 500, 500, {}, {}, {}},
        {"fin reversed", "80", true, true, false, 1, 1, 0, 0, 150, 300, 700, {}, {}, {}},
        {"one drawing", "158", false, false, true, 0.3, 0.3, 0, 0, 60, 350, 500, 150, 100, {}},
        // Started at the top left corner: the chord line is no longer the foot.
        {"fin from the top",
         "158",
         true,
         false,
         false,
         0.3,
         0.3,
         0,
         0,
         100,
         400,
         600,
         {},
         {},
         DrawingPoint{40, 80}},
    };
    for (const FinCase& c : cases) {
        SCOPED_TRACE(c.name);
        DrawingMachine m(c);
        const PreparedDrawing p = m.prepare(c);
        const FaceDesign d = drawingFaceDesign(p, placement(c));
        const GenerationOutcome out = m.generate(p, d);
        ASSERT_EQ(out.status, GenerationStatus::Finished)
            << (out.messages.empty() ? "" : out.messages.front().text);
        ASSERT_TRUE(out.summary.faces);
        EXPECT_DOUBLE_EQ(out.summary.faces->leftFaceChordMm, p.leftSize);

        // The faces straight from the drawings' points, in mm.
        const FaceGeometryResult direct = drawingFaceGeometry(p, d);
        ASSERT_TRUE(direct.geometry) << direct.refusals.front();
        const FaceGeometry& g = *direct.geometry;
        ASSERT_EQ(g.leftCut.size(), p.shape.root.size());

        const Simulation sim = simulateSet(m.ws, workingSetPaths(m.dir.path()));
        ASSERT_TRUE(sim.faceCheck) << sim.facesMissing;
        const FaceCheck& check = *sim.faceCheck;
        EXPECT_DOUBLE_EQ(check.boundMm, 1.5 * std::sqrt(2.0) / std::stoi(c.stepsPerMm));
        EXPECT_LE(check.left.maxDistanceMm, check.boundMm);
        EXPECT_LE(check.right.maxDistanceMm, check.boundMm);
        ASSERT_TRUE(sim.check);
        EXPECT_LE(sim.check->left.maxDistanceMm, check.boundMm);
        EXPECT_LE(sim.check->right.maxDistanceMm, check.boundMm);
        EXPECT_FALSE(sim.profiles->wing);  // a drawn shape, no airfoil surfaces
        // Sized as a foam set is: across, at each tower.
        EXPECT_NEAR(sim.profiles->left.size, out.summary.faces->leftTowerChordMm, 1e-9);
        EXPECT_NEAR(sim.profiles->right.size, out.summary.faces->rightTowerChordMm, 1e-9);
        // From the rightmost start the box corners pair up, so the box grows with the cone.
        if (!c.start) {
            EXPECT_NEAR(out.summary.faces->leftTowerChordMm,
                        p.leftSize + (p.leftSize - p.rightSize) * c.leftGap / c.span, 1e-9);
        }

        // The set's record rebuilds the drawings' faces, and the wire at every segment end lies
        // on them.
        const Outline* drawn[2] = {&g.leftCut, &g.rightCut};
        const Outline* recorded[2] = {&sim.faces->left.cut, &sim.faces->right.cut};
        const Outline* wire[2] = {&check.left.path, &check.right.path};
        for (int s = 0; s < 2; ++s) {
            ASSERT_EQ(recorded[s]->size(), drawn[s]->size()) << s;
            ASSERT_EQ(wire[s]->size(), drawn[s]->size()) << s;
            double recordOff = 0, wireOff = 0;
            for (std::size_t k = 0; k < drawn[s]->size(); ++k) {
                const double dx = drawn[s]->x[k], dy = drawn[s]->y[k];
                recordOff =
                    std::max(recordOff, std::hypot(recorded[s]->x[k] - dx, recorded[s]->y[k] - dy));
                wireOff = std::max(wireOff, std::hypot(wire[s]->x[k] - dx, wire[s]->y[k] - dy));
            }
            EXPECT_LT(recordOff, 1e-6) << s;
            EXPECT_LE(wireOff, check.boundMm) << s;
        }
    }
}

TEST(DrawingFaceCheck, TheDrawingsPlaceTheTipAndTheOperatorMovesItFurther) {
    FinCase c{"fin", "158", true, false, false, 0, 0, 0, 0, 100, 400, 600, {}, {}, {}};
    DrawingMachine m(c);
    const PreparedDrawing p = m.prepare(c);
    // The tip is drawn 40 mm behind the root's foot: its start (the rightmost, lowest point)
    // stays where the drawing has it, and so does the root's.
    FaceDesign d = drawingFaceDesign(p, placement(c));
    EXPECT_DOUBLE_EQ(d.leftChordMm, 150);
    EXPECT_NEAR(d.rightChordMm, 90, 1e-9);
    EXPECT_NEAR(d.sweepMm, 40, 1e-9);
    EXPECT_NEAR(d.riseMm, 0, 1e-9);
    DrawingFaces f = placeDrawingOnFaces(p, d);
    EXPECT_NEAR(f.root.x[0], 150, 1e-9);
    EXPECT_NEAR(f.root.y[0], 0, 1e-9);
    EXPECT_NEAR(f.tip.x[0], 130, 1e-9);
    EXPECT_NEAR(f.tip.y[0], 0, 1e-9);
    c.extraSweep = -25, c.extraRise = 7.5;
    d = drawingFaceDesign(p, placement(c));
    f = placeDrawingOnFaces(p, d);
    EXPECT_NEAR(f.tip.x[0], 105, 1e-9);
    EXPECT_NEAR(f.tip.y[0], 7.5, 1e-9);
    EXPECT_NEAR(f.root.x[0], 150, 1e-9);
}

TEST(DrawingFaceCheck, AConeThatTurnsOverIsRefusedAndThePreviousSetStays) {
    // 150 mm at the root face, 90 at the tip face 200 mm on: the foot shrinks to nothing 300 mm
    // beyond the tip face, short of the right tower 2700 mm away.
    FinCase c{"fin", "158", true, false, false, 0.3, 0.3, 0, 0, 100, 200, 3000, {}, {}, {}};
    DrawingMachine m(c);
    m.previousSet();
    const PreparedDrawing p = m.prepare(c);
    const FaceDesign d = drawingFaceDesign(p, placement(c));
    const GenerationOutcome out = m.generate(p, d);
    EXPECT_EQ(out.status, GenerationStatus::Refused);
    ASSERT_FALSE(out.messages.empty());
    EXPECT_EQ(out.messages.front().title, kFaceGeometryTitle);
    EXPECT_NE(out.messages.front().text.find("The right tower outline turns over: the wire's cone "
                                             "has its apex 300 mm from the right face"),
              std::string::npos)
        << out.messages.front().text;
    m.expectPreviousSet();
    // The same refusal straight from the drawings.
    const FaceGeometryResult direct = drawingFaceGeometry(p, d);
    ASSERT_FALSE(direct.geometry);
    EXPECT_EQ(direct.refusals.front(), out.messages.front().text);
}

}  // namespace
}  // namespace corvane::test
