// The decoded demo wing against its intended profiles: within one step plus the rounding its
// segments carry, a closing error that is exactly that rounding, the tick count of the step file
// plus the lead moves; a set decoded through changed settings strays, and sets whose profiles
// cannot be had say why.
#include <gtest/gtest.h>

#include <cmath>

#include "generate/airfoil_input.h"
#include "simulate_fixture.h"

namespace corvane {
namespace {

// Per point k (index k), the rounding each axis carries there, in steps: its step position,
// round(c x (u_k - u_1)), less the exact c x (u_k - u_1), c = (chord + kerf) x steps/mm. Never
// more than half a step: positions are rounded, not segments.
std::vector<std::array<double, 2>> carriedRounding(const Profile& p, double sizePlusKerf) {
    std::vector<std::array<double, 2>> carried;
    for (std::size_t k = 0; k < p.size(); ++k) {
        const double exact[2] = {sizePlusKerf * 158 * (p.x[k] - p.x[0]),
                                 sizePlusKerf * 158 * (p.y[k] - p.y[0])};
        carried.push_back(
            {std::nearbyint(exact[0]) - exact[0], std::nearbyint(exact[1]) - exact[1]});
        EXPECT_LE(std::fabs(carried.back()[0]), 0.5 + 1e-9);
        EXPECT_LE(std::fabs(carried.back()[1]), 0.5 + 1e-9);
    }
    return carried;
}

TEST(ProfileCheck, TheDemoWingStaysWithinOneStepPlusItsSegmentsRounding) {
    test::DemoWing m;
    const Simulation sim = m.simulate();
    ASSERT_TRUE(sim.check) << sim.profilesMissing;
    ASSERT_TRUE(sim.lead);
    EXPECT_EQ(sim.lead->ticks, 1580);  // 10 mm at 158 steps/mm
    EXPECT_EQ(sim.decoded.ticks, static_cast<int64_t>(sim.decoded.stepLines) + 2 * sim.lead->ticks);
    EXPECT_EQ(sim.decoded.profileSegments, 60);
    EXPECT_EQ(sim.decoded.pauses, 2);
    EXPECT_TRUE(sim.warnings.empty());
    EXPECT_TRUE(sim.profiles->wing);

    const Profile root = readProfile(test::shippedSample("naca2412.dat"), 0.0);
    const Profile tip = readProfile(test::shippedSample("naca0012.dat"), -2.0);
    const Profile* profiles[2] = {&root, &tip};
    const double sizes[2] = {271.86 + 0.3, 136.33 + 0.3};
    const SideCheck* checks[2] = {&sim.check->left, &sim.check->right};
    for (int side = 0; side < 2; ++side) {
        SCOPED_TRACE(side == 0 ? "left" : "right");
        const auto carried = carriedRounding(*profiles[side], sizes[side]);
        const SideCheck& c = *checks[side];
        ASSERT_EQ(c.segmentMaxMm.size(), 60u);
        double worst = 0;
        for (std::size_t k = 1; k <= 60; ++k) {
            const double bound = 1 + std::max(std::hypot(carried[k - 1][0], carried[k - 1][1]),
                                              std::hypot(carried[k][0], carried[k][1]));
            EXPECT_LE(c.segmentMaxMm[k - 1] * 158, bound + 1e-6) << "segment " << k;
            worst = std::max(worst, c.segmentMaxMm[k - 1]);
        }
        EXPECT_DOUBLE_EQ(c.maxDistanceMm, worst);
        EXPECT_GT(c.maxDistanceMm, 0.0);
        // What the segments' rounding leaves over at the end is the closing error, to the step.
        EXPECT_EQ(c.closingPoint, 61);
        EXPECT_NEAR(c.closingMm[0] * 158, carried[60][0], 1e-6);
        EXPECT_NEAR(c.closingMm[1] * 158, carried[60][1], 1e-6);
    }
}

TEST(ProfileCheck, SettingsChangedSinceGenerationShowAsAPathThatStrays) {
    test::DemoWing m;
    m.ws.settings.fields.reverseY1 = 1;  // the left vertical motor now runs the other way
    m.ws.settings.derive();
    const Simulation sim = m.simulate();
    ASSERT_TRUE(sim.check);
    EXPECT_GT(sim.check->left.maxDistanceMm, 10.0);
    EXPECT_LT(sim.check->right.maxDistanceMm, 0.05);
}

TEST(ProfileCheck, FoamSetsUseTheirSizesAndMissingProfilesAreExplained) {
    test::GenerateMachine m;
    m.ws.settings.fields.kerf = "0.3";
    m.ws.settings.derive();
    GenerationRequest r = m.wing(test::shippedSample("naca0012.dat"),
                                 test::shippedSample("naca0012.dat"), "120", "80");
    r.kind = CutSetKind::Foam;
    ASSERT_EQ(CutGenerator(m.ws).generate(r).status, GenerationStatus::Finished);
    const CutSetPaths paths = workingSetPaths(m.dir.path());
    Simulation sim = simulateSet(m.ws, paths);
    ASSERT_TRUE(sim.check) << sim.profilesMissing;
    EXPECT_FALSE(sim.profiles->wing);
    EXPECT_DOUBLE_EQ(sim.profiles->left.size, 120);
    EXPECT_LT(sim.check->left.maxDistanceMm, 0.05);
    EXPECT_LT(sim.check->right.maxDistanceMm, 0.05);
    EXPECT_FALSE(sim.lead);

    // A profile that moved away, and a line too short for either kind of set.
    test::writeFile(paths.datInfo, "\"/nowhere/a.dat\",\"/nowhere/b.dat\",120,80\r\n");
    sim = simulateSet(m.ws, paths);
    EXPECT_FALSE(sim.check);
    EXPECT_NE(sim.profilesMissing.find("/nowhere/a.dat"), std::string::npos) << sim.profilesMissing;
    EXPECT_EQ(sim.decoded.profileSegments, 60);  // the decoding does not need the profiles
    test::writeFile(paths.datInfo, "\"a.dat\",\"b.dat\"\r\n");
    sim = simulateSet(m.ws, paths);
    EXPECT_NE(sim.profilesMissing.find("2 fields"), std::string::npos) << sim.profilesMissing;
    std::filesystem::remove(paths.datInfo);
    sim = simulateSet(m.ws, paths);
    EXPECT_NE(sim.profilesMissing.find("cannot be read"), std::string::npos);
}

// The faults that fail simulate, at their bounds: a size above 0, a distance up to the rounding
// bound and a closing error up to a step pass; anything beyond fails with the side and figure
// named.
TEST(ProfileCheck, FaultsBeginBeyondTheRoundingBoundAndBeyondAStep) {
    const int32_t steps = 200;
    ProfileCheck check;
    check.left.maxDistanceMm = kRoundingBoundSteps / steps;
    check.left.atSegment = 7;
    check.right.closingMm[1] = -1.0 / steps;
    check.right.closingPoint = 61;
    IntendedProfiles profiles;
    profiles.wing = true;
    profiles.left.size = 0.0001;
    profiles.right.size = 150;
    EXPECT_TRUE(profileCheckFaults(profiles, check, steps).empty());

    check.left.maxDistanceMm = (kRoundingBoundSteps + 0.01) / steps;
    check.right.closingMm[1] = -1.01 / steps;
    check.segmentsAcross = 3;
    check.firstAcross = 12;
    profiles.left.size = 0;
    std::vector<std::string> faults = profileCheckFaults(profiles, check, steps);
    ASSERT_EQ(faults.size(), 4u);
    EXPECT_EQ(faults[0],
              "the left tower chord on the DAT-information line is 0 mm: no profile can be cut "
              "at a size of 0 or less");
    faults.erase(faults.begin());
    EXPECT_EQ(faults[0],
              "the left side strays 0.0107 mm (2.13 steps) from its profile in segment 7, beyond "
              "the 2.12 steps that rounding to whole steps explains");
    EXPECT_EQ(faults[1],
              "the right side ends -1.01 steps off its profile's point 61 in Y, more "
              "than a step");
    EXPECT_EQ(faults[2],
              "the two ends of the wire run on different surfaces (upper with lower) "
              "in 3 segments from segment 12: the wire cuts through the core");
}

}  // namespace
}  // namespace corvane
