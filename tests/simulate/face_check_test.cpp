// The check at the faces. Random face pairs (different sections, chords, washout and pivot,
// sweep, rise, gaps, kerfs, steps per mm) are generated, decoded, crossed with the face planes
// and compared with the designed outlines offset by half the kerf: within the stated bound at
// every tick. A tower set of the same panel is checked at the same faces and shows its blend.
#include "simulate/face_check.h"

#include <gtest/gtest.h>

#include <random>

#include "generate/face_set_record.h"
#include "generate/naca_sections.h"
#include "simulate/simulate_fixture.h"

namespace corvane::test {
namespace {

struct FaceMachine : GenerateMachine {
    explicit FaceMachine(const std::string& steps, const std::string& kerf = "0.3") {
        ws.settings.fields.steps_per_inch = steps;
        ws.settings.fields.kerf = kerf;
        ws.settings.derive();
    }
    GenerationOutcome faces(const Profile& left, const Profile& right, const FaceDesign& d) {
        GenerationRequest r =
            wing(airfoil("left.dat", datText(left)), airfoil("right.dat", datText(right)), "", "");
        r.geometry = WingGeometry::Faces;
        r.faces = d;
        return CutGenerator(ws).generate(r);
    }
    Simulation simulate() const { return simulateSet(ws, workingSetPaths(dir.path())); }
};

TEST(FaceCheck, RandomFacePairsCrossTheirFacesWithinTheBoundAtEveryTick) {
    std::mt19937 rng(40);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    const char* stepsPerMm[] = {"20", "80", "158", "400"};
    for (int trial = 0; trial < 16; ++trial) {
        const std::string steps = stepsPerMm[trial % 4];
        FaceMachine m(steps);
        const int half = 15 + trial * 3;
        const Profile left = naca(uniform(0, 0.06), uniform(0.2, 0.6), uniform(0.06, 0.18), half);
        const Profile right = naca(uniform(0, 0.06), uniform(0.2, 0.6), uniform(0.06, 0.18), half);
        FaceDesign d;
        d.leftChordMm = uniform(120, 320);
        d.rightChordMm = uniform(60, 1.2 * d.leftChordMm);
        d.leftGapMm = uniform(0, 200);
        d.spanMm = uniform(300, 900);
        d.towersMm = d.leftGapMm + d.spanMm + uniform(0, 200);
        d.sweepMm = uniform(-40, 120);
        d.riseMm = uniform(-30, 30);
        d.leftWashoutDeg = uniform(-3, 3);
        d.rightWashoutDeg = uniform(-5, 5);
        d.washoutPivot = uniform(0, 0.5);
        d.leftKerfMm = uniform(0, 1.5);
        d.rightKerfMm = uniform(0, 1.5);
        const GenerationOutcome out = m.faces(left, right, d);
        ASSERT_EQ(out.status, GenerationStatus::Finished)
            << trial << ": " << (out.messages.empty() ? "" : out.messages.front().text);

        const Simulation sim = m.simulate();
        ASSERT_TRUE(sim.faceCheck) << trial << ": " << sim.facesMissing;
        const FaceCheck& c = *sim.faceCheck;
        EXPECT_DOUBLE_EQ(c.boundMm, 1.5 * std::sqrt(2.0) / std::stoi(steps));
        EXPECT_LE(c.left.maxDistanceMm, c.boundMm) << trial << " steps/mm " << steps;
        EXPECT_LE(c.right.maxDistanceMm, c.boundMm) << trial << " steps/mm " << steps;
        // The tower check sees the projected outlines, not the airfoils at a chord.
        ASSERT_TRUE(sim.check);
        EXPECT_LE(sim.check->left.maxDistanceMm, c.boundMm) << trial;
        EXPECT_LE(sim.check->right.maxDistanceMm, c.boundMm) << trial;
    }
}

TEST(FaceCheck, TowerSetShowsItsBlendAtTheFacesAndTheFaceSetDoesNot) {
    // The demo panel: NACA 2412 root, NACA 0012 tip with 2 degrees washout, 250 / 160 mm at the
    // faces, 150 mm from each tower, 600 mm span.
    DemoWingOptions o;
    o.leadMoves = false, o.rootChord = "272.5", o.tipChord = "137.5";
    DemoWing towers(o);
    Simulation tower = towers.simulate();
    checkTowerSetFaces(tower, FacePlacement{150, 600, 900}, 0.3);
    ASSERT_TRUE(tower.faceCheck) << tower.facesMissing;
    EXPECT_FALSE(tower.faceCheck->withinBound());
    const double towerWashout = tower.faceCheck->right.measured.chordAngleDeg -
                                tower.faceCheck->left.measured.chordAngleDeg;
    EXPECT_GT(towerWashout, -1.8);  // the straight wire loses part of the 2 degrees

    FaceMachine faces("158");
    FaceDesign d;
    d.leftChordMm = 250, d.rightChordMm = 160, d.sweepMm = 20;
    d.leftGapMm = 150, d.spanMm = 600, d.towersMm = 900;
    d.rightWashoutDeg = -2, d.leftKerfMm = d.rightKerfMm = 0.3;
    Profile root, tip;
    root = readProfile(shippedSample("naca2412.dat"));
    tip = readProfile(shippedSample("naca0012.dat"));
    ASSERT_EQ(faces.faces(root, tip, d).status, GenerationStatus::Finished);
    const Simulation face = faces.simulate();
    ASSERT_TRUE(face.faceCheck);
    EXPECT_TRUE(face.faceCheck->withinBound());
    const FaceCheck& c = *face.faceCheck;
    EXPECT_NEAR(c.right.measured.chordAngleDeg - c.left.measured.chordAngleDeg, -2, 0.05);
    EXPECT_NEAR(c.left.measured.camberPct, c.left.designed.camberPct, 0.05);
    EXPECT_NEAR(c.right.measured.camberPct, 0, 0.05);
    EXPECT_NEAR(c.left.measured.thicknessPct, c.left.designed.thicknessPct, 0.05);

    // Both faces take the same time for each segment: the tip face (160 mm) moves slower than
    // the root face (250 mm), by about their chords' ratio at the fastest segment.
    const std::array<SpeedRange, 2> speed = faceSpeedRanges(face, c, 10);
    EXPECT_GT(speed[0].maxMmS, speed[1].maxMmS);
    EXPECT_NEAR(speed[1].maxMmS / speed[0].maxMmS, 160.0 / 250, 0.1);
    EXPECT_GT(speed[0].minMmS, 0);
    EXPECT_LT(speed[0].maxMmS, 1.0 / 158 / 0.010 * 1.5);  // at most one step a tick diagonally
}

TEST(FaceCheck, UnreadableFaceRecordIsSaidAndNothingIsCompared) {
    FaceMachine m("80");
    FaceDesign d;
    d.leftChordMm = 200, d.rightChordMm = 150, d.leftGapMm = 50, d.spanMm = 500, d.towersMm = 600;
    ASSERT_EQ(m.faces(naca(0.02, 0.4, 0.12, 20), naca(0, 0.4, 0.1, 20), d).status,
              GenerationStatus::Finished);
    // The line cut after the mark: the set names faces it cannot give.
    std::string line = m.working("datinfo.ct3");
    line = line.substr(0, line.find("\"faces\"") + 12) + "\r\n";
    writeFile(m.dir / "datinfo.ct3", line);
    const Simulation sim = m.simulate();
    EXPECT_FALSE(sim.faceCheck);
    EXPECT_FALSE(sim.check);
    EXPECT_NE(sim.facesMissing.find("names the face geometry"), std::string::npos)
        << sim.facesMissing;
}

}  // namespace
}  // namespace corvane::test
