// The wing features through generation, decoding and the check at the faces: each feature's set
// is cut within the rounding bound of the featured outline (and well away from the plain one),
// and on random NACA pairs with random feature sets the decoded wire at each face gives every
// slot the asked width and depth once the kerf is added back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>

#include "generate/face_geometry.h"
#include "generate/naca_sections.h"
#include "generate/wing_feature_shapes.h"
#include "generate/wing_features.h"
#include "simulate/face_check.h"
#include "simulate/simulate_fixture.h"

namespace corvane::test {
namespace {

struct FeatureMachine : GenerateMachine {
    explicit FeatureMachine(const std::string& steps) {
        ws.settings.fields.steps_per_inch = steps;
        ws.settings.fields.kerf = "0.3";
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

FaceDesign panel() {
    FaceDesign d;
    d.leftChordMm = 250, d.rightChordMm = 160, d.towersMm = 900, d.leftGapMm = 150;
    d.spanMm = 600, d.sweepMm = 20, d.rightWashoutDeg = -2, d.washoutPivot = 0.25;
    d.leftKerfMm = d.rightKerfMm = 0.3;
    return d;
}

SparSlot slot(SlotSurface s, double centre, double width, double depth, SlotScaling scaling) {
    SparSlot x;
    x.surface = s, x.centre = {centre, centre * 0.8}, x.widthMm = {width, width * 0.8};
    x.depthMm = {depth, depth * 0.7}, x.scaling = scaling;
    return x;
}

// The largest distance of the decoded wire at a face from an outline offset by half the kerf.
double farthest(const Outline& path, const Outline& designed, double kerf) {
    const Outline cut = offsetOutline(designed, kerf / 2);
    double worst = 0;
    for (std::size_t k = 0; k < path.size(); ++k) {
        double best = 1e300;
        for (std::size_t i = 0; i + 1 < cut.size(); ++i) {
            const double dx = cut.x[i + 1] - cut.x[i], dy = cut.y[i + 1] - cut.y[i];
            const double len2 = dx * dx + dy * dy;
            double t =
                len2 > 0 ? ((path.x[k] - cut.x[i]) * dx + (path.y[k] - cut.y[i]) * dy) / len2 : 0;
            t = std::clamp(t, 0.0, 1.0);
            best = std::min(
                best, std::hypot(path.x[k] - cut.x[i] - t * dx, path.y[k] - cut.y[i] - t * dy));
        }
        worst = std::max(worst, best);
    }
    return worst;
}

TEST(WingFeaturesCheck, EachFeatureIsCutAsFeaturedAtBothFacesAndNotAsPlain) {
    const Profile root = naca(0.02, 0.4, 0.12, 40), tip = naca(0, 0.4, 0.12, 40);
    const SlotSurface up = SlotSurface::Upper, low = SlotSurface::Lower;
    struct Case {
        const char* what;
        std::function<void(WingFeatures&)> set;
    };
    const Case cases[] = {
        {"sheeting",
         [](WingFeatures& w) {
             w.sheetingUpperMm = {1.5, 1.0};
         }},
        {"lower sheeting",
         [](WingFeatures& w) {
             w.sheetingLowerMm = {1.2, 0.8};
         }},
        {"upper slot, same",
         [&](WingFeatures& w) { w.slots = {slot(up, 70, 8, 5, SlotScaling::Same)}; }},
        {"lower slot, proportional",
         [&](WingFeatures& w) { w.slots = {slot(low, 90, 6, 3, SlotScaling::Proportional)}; }},
        {"slots per face",
         [&](WingFeatures& w) {
             w.slots = {slot(up, 60, 8, 4, SlotScaling::PerFace),
                        slot(low, 140, 5, 3, SlotScaling::PerFace)};
         }},
        {"trailing edge",
         [](WingFeatures& w) {
             w.teThicknessMm = {0.8, 0.6};
         }},
        {"stock",
         [](WingFeatures& w) {
             w.leStockMm = {3, 2}, w.teStockMm = {2, 2};
         }},
        {"everything",
         [&](WingFeatures& w) {
             w.sheetingUpperMm = w.sheetingLowerMm = {1.5, 1.0};
             w.teThicknessMm = {0.5, 0.5};
             w.slots = {slot(up, 62, 8, 5, SlotScaling::Proportional),
                        slot(low, 62, 8, 3, SlotScaling::Proportional)};
         }},
    };
    for (const Case& c : cases) {
        FeatureMachine m("158");
        FaceDesign d = panel();
        c.set(d.features);
        const GenerationOutcome out = m.faces(root, tip, d);
        ASSERT_EQ(out.status, GenerationStatus::Finished)
            << c.what << ": " << (out.messages.empty() ? "" : out.messages.front().text);
        const Simulation sim = m.simulate();
        ASSERT_TRUE(sim.faceCheck) << c.what << ": " << sim.facesMissing;
        const FaceCheck& check = *sim.faceCheck;
        EXPECT_TRUE(check.withinBound())
            << c.what << ": " << check.left.maxDistanceMm << " / " << check.right.maxDistanceMm;

        // The check's faces are the featured ones, and the wire is far from the plain ones.
        const FaceGeometryResult featured = buildFaceGeometry(root, tip, d);
        FaceDesign plainDesign = d;
        plainDesign.features = {};
        const FaceGeometryResult plain = buildFaceGeometry(root, tip, plainDesign);
        ASSERT_TRUE(featured.geometry && plain.geometry);
        ASSERT_TRUE(sim.faces);
        const Outline* sides[2][2] = {{&sim.faces->left.designed, &featured.geometry->leftFace},
                                      {&sim.faces->right.designed, &featured.geometry->rightFace}};
        for (const auto& [seen, built] : sides) {
            ASSERT_EQ(seen->size(), built->size()) << c.what;
            for (std::size_t k = 0; k < seen->size(); ++k) {
                EXPECT_NEAR(seen->x[k], built->x[k], 1e-9) << c.what;
                EXPECT_NEAR(seen->y[k], built->y[k], 1e-9) << c.what;
            }
        }
        const double plainLeft = farthest(check.left.path, plain.geometry->leftFace, 0.3);
        const double plainRight = farthest(check.right.path, plain.geometry->rightFace, 0.3);
        EXPECT_GT(std::max(plainLeft, plainRight), 10 * check.boundMm) << c.what;
        EXPECT_LE(farthest(check.left.path, featured.geometry->leftFace, 0.3), check.boundMm)
            << c.what;
    }
}

// A slot's finished width and depth at a face from the decoded wire: the wire runs half the
// kerf inside the walls and above the floor, so the kerf is added back.
struct Finished {
    double width = 0, depth = 0;
};
Finished finishedSlot(const Outline& path, const SlotCorners& c, double kerf, double surfaceX,
                      double surfaceY) {
    Finished f;
    const double fx = path.x[c.floorB] - path.x[c.floorA], fy = path.y[c.floorB] - path.y[c.floorA];
    const double len = std::hypot(fx, fy);
    f.width = len + kerf;
    // The surface point's distance from the floor line, the floor lying half the kerf deeper.
    const double cross =
        (fx * (surfaceY - path.y[c.floorA]) - fy * (surfaceX - path.x[c.floorA])) / len;
    f.depth = std::abs(cross) + kerf / 2;
    return f;
}

TEST(WingFeaturesCheck, RandomFeatureSetsCutEverySlotAsAskedWithinTheRoundingBound) {
    std::mt19937 rng(4646);
    auto uniform = [&](double a, double b) { return std::uniform_real_distribution<>(a, b)(rng); };
    const char* stepsPerMm[] = {"80", "158", "400"};
    int slotsChecked = 0;
    for (int trial = 0; trial < 9; ++trial) {
        const std::string steps = stepsPerMm[trial % 3];
        FeatureMachine m(steps);
        const double t = uniform(0.1, 0.16);
        const Profile left = naca(uniform(0, 0.05), uniform(0.25, 0.5), t, 25 + trial * 4);
        const Profile right =
            naca(uniform(0, 0.05), uniform(0.25, 0.5), t * uniform(0.8, 1.2), 25 + trial * 4);
        FaceDesign d = panel();
        d.leftChordMm = uniform(180, 300);
        d.rightChordMm = d.leftChordMm * uniform(0.5, 1);
        d.sweepMm = uniform(-10, 60), d.rightWashoutDeg = uniform(-3, 1);
        d.washoutPivot = uniform(0, 0.5);
        d.leftKerfMm = uniform(0.1, 1), d.rightKerfMm = uniform(0.1, 1);
        WingFeatures& w = d.features;
        const double sheet = uniform(0, 1) < 0.5 ? 0 : uniform(0.5, 2);
        w.sheetingUpperMm = w.sheetingLowerMm = {sheet, sheet * uniform(0.6, 1)};
        const double te = uniform(0, 1);
        w.teThicknessMm = {te, te * uniform(0.8, 1.2)};
        const double thin = t * d.rightChordMm / 2;
        const int slots = 1 + trial % 3;
        for (int i = 0; i < slots; ++i) {
            SparSlot s;
            s.surface = i % 2 ? SlotSurface::Lower : SlotSurface::Upper;
            s.scaling = static_cast<SlotScaling>(trial % 3);
            s.centreIsFraction = true;
            s.centre = {0.25 + 0.2 * i, 0.25 + 0.2 * i + uniform(-0.02, 0.02)};
            s.widthMm = {uniform(3, 10), uniform(3, 10)};
            s.depthMm = {uniform(1.5, 0.3 * thin), uniform(1.5, 0.3 * thin)};
            w.slots.push_back(s);
        }
        const std::string what = "trial " + std::to_string(trial);
        const GenerationOutcome out = m.faces(left, right, d);
        ASSERT_EQ(out.status, GenerationStatus::Finished)
            << what << ": " << (out.messages.empty() ? "" : out.messages.front().text);
        const Simulation sim = m.simulate();
        ASSERT_TRUE(sim.faceCheck) << what;
        const FaceCheck& check = *sim.faceCheck;
        EXPECT_TRUE(check.withinBound())
            << what << ": " << check.left.maxDistanceMm << " at " << check.left.atSegment << " / "
            << check.right.maxDistanceMm << " at " << check.right.atSegment << " bound "
            << check.boundMm;

        // The sections without their slots give the surface each slot's depth is taken from.
        WingFeatures noSlots = w;
        noSlots.slots.clear();
        const FeaturedSections core =
            applyWingFeatures(left, right, d.leftChordMm, d.rightChordMm, noSlots);
        const FeaturedSections all = applyWingFeatures(left, right, d.leftChordMm, d.rightChordMm,
                                                       w, d.leftKerfMm, d.rightKerfMm);
        ASSERT_TRUE(all.refusals.empty()) << what << ": " << all.refusals.front();
        for (std::size_t i = 0; i < w.slots.size(); ++i) {
            for (int side = 0; side < 2; ++side) {
                const double chord = side ? d.rightChordMm : d.leftChordMm;
                const Profile& unit = side ? core.right : core.left;
                const SlotAtFace want =
                    slotAtFace(w.slots[i], side == 1, d.leftChordMm, d.rightChordMm);
                Outline mm;
                for (std::size_t k = 0; k < unit.size(); ++k) {
                    mm.x.push_back(unit.x[k] * chord);
                    mm.y.push_back(unit.y[k] * chord);
                }
                const Profile& plain = side ? right : left;
                const double x = plain.x[leadingEdgeIndex(plain)] * chord + want.centreMm;
                const double y = *wingshape::surfaceY(mm, core.leadingEdge,
                                                      w.slots[i].surface == SlotSurface::Upper, x);
                // The surface point placed on the face as the section is.
                const Outline at =
                    placeOnFace(Profile{{x / chord}, {y / chord}}, chord,
                                side ? d.rightWashoutDeg : d.leftWashoutDeg, d.washoutPivot,
                                side ? d.sweepMm : 0, side ? d.riseMm : 0);
                const Finished f =
                    finishedSlot(side ? check.right.path : check.left.path, all.slots[i],
                                 side ? d.rightKerfMm : d.leftKerfMm, at.x[0], at.y[0]);
                EXPECT_NEAR(f.width, want.widthMm, 2 * check.boundMm)
                    << what << " slot " << i << " side " << side << " steps " << steps;
                EXPECT_NEAR(f.depth, want.depthMm, 2 * check.boundMm)
                    << what << " slot " << i << " side " << side << " steps " << steps;
                ++slotsChecked;
            }
        }
    }
    EXPECT_EQ(slotsChecked, 2 * 3 * (1 + 2 + 3));
}

}  // namespace
}  // namespace corvane::test
