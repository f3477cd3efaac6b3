// Step counts from rounded positions: the decoded port bytes put every point of the profile
// within half a step of its place (exactly on round(c x (u_k - u_1))), so a closed profile
// closes, however dense; and a set never holds a count line of 0 that no delay point asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "generate/active_delay_set.h"
#include "generate/airfoil_input.h"
#include "generate/cut_generator.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

// A closed unit-chord outline of 2n - 1 points from the trailing edge, cosine-spaced, so the
// points crowd at both edges; six decimals, as downloaded files hold them.
std::string denseOutline(int n) {
    std::string out;
    char buf[64];
    for (int side = 0; side < 2; ++side) {
        for (int j = 0; j < n; ++j) {
            const int i = side == 0 ? n - 1 - j : j;
            if (side == 1 && i == 0) continue;
            const double x = (1 - std::cos(M_PI * i / (n - 1))) / 2;
            const double t = 0.6 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                                    0.2843 * x * x * x - 0.1036 * x * x * x * x);
            const double y = 0.08 * x * (1 - x) + (side == 0 ? t : -t);
            std::snprintf(buf, sizeof buf, "%.6f %.6f\n", x, y);
            out += buf;
        }
    }
    return out;
}

// Walks the decoded ticks and checks each axis at every segment end against its rounded
// position; returns the axes' positions at the end.
std::array<int64_t, 4> checkPositions(const GenerateMachine& m, const Profile& left,
                                      const Profile& right, double chordL, double chordR) {
    const DerivedSettings& d = m.ws.settings.derived;
    const std::vector<DecodedTick> ticks = decodeSteps(m.working("cut.ct1"), d);
    const std::vector<int32_t> counts = readCountEntries(m.working("cut_cnt.ct2"));
    const std::vector<double>* u[4] = {&left.x, &left.y, &right.x, &right.y};
    const double chord[4] = {chordL, chordL, chordR, chordR};
    const double kerf = d.KerfMm.toDouble();
    std::array<int64_t, 4> at{};
    std::size_t tick = 0, k = 0;
    for (int32_t total : counts) {
        if (total == 0) continue;  // a delay point
        ++k;
        for (; tick < static_cast<std::size_t>(total); ++tick) {
            for (int a = 0; a < 4; ++a) {
                if (ticks[tick].step[a])
                    at[static_cast<std::size_t>(a)] += ticks[tick].dir[a] ? 1 : -1;
            }
        }
        for (int a = 0; a < 4; ++a) {
            const double c = (kerf / chord[a] + 1) * chord[a] * d.StepsPerMm;
            const double exact = c * ((*u[a])[k] - (*u[a])[0]);
            const auto pos = static_cast<double>(at[static_cast<std::size_t>(a)]);
            EXPECT_EQ(pos, std::nearbyint(exact)) << "axis " << a << " point " << k + 1;
            if (std::fabs(pos - exact) > 0.5 + 1e-9) return at;  // one report is enough
        }
    }
    EXPECT_EQ(k + 1, left.size());
    EXPECT_EQ(tick, ticks.size());
    return at;
}

TEST(StepRounding, EveryPointLiesWithinHalfAStepAndAClosedProfileCloses) {
    struct Case {
        int half;  // points per surface
        const char *chordL, *chordR, *steps, *kerf;
    } cases[] = {
        {1001, "120", "60", "157.5", "0"},  // 2001 points: most segments under half a step
        {101, "160", "160", "157.5", "0.3"},
        {301, "37.5", "240", "40", "1.25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chordL) + "/" + c.chordR);
        GenerateMachine m;
        m.ws.settings.fields.steps_per_inch = c.steps;
        m.ws.settings.fields.kerf = c.kerf;
        m.ws.settings.derive();
        const fs::path file = m.airfoil("dense.dat", denseOutline(c.half));
        CutGenerator gen(m.ws);
        const GenerationOutcome out = gen.generate(m.wing(file, file, c.chordL, c.chordR));
        ASSERT_EQ(out.status, GenerationStatus::Finished);
        const Profile p = readProfile(file);
        const auto end = checkPositions(m, p, p, std::stod(c.chordL), std::stod(c.chordR));
        for (int64_t e : end) EXPECT_EQ(e, 0);  // the outline closes on the step
    }
}

TEST(StepRounding, TheSharedNaca2412At160MmClosesOnTheStep) {
    const fs::path file = fs::path(CORVANE_SHARED_AIRFOILS) / "naca2412.dat";
    if (!fs::exists(file)) GTEST_SKIP() << "no shared airfoils";
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "157.5";
    m.ws.settings.derive();
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.wing(file, file, "160", "160")).status, GenerationStatus::Finished);
    const Profile p = readProfile(file);
    const auto end = checkPositions(m, p, p, 160, 160);
    for (int64_t e : end) EXPECT_EQ(e, 0);
}

TEST(PhantomPauses, SegmentsWithoutStepsBeforeTheFirstStepNeverReadAsADelayPoint) {
    // A repeated first point, then a trailing edge denser than a step at this chord.
    const std::string te = "1.000000 0.000000\n1.000000 0.000000\n0.999990 0.000002\n";
    for (const std::vector<int>& delays : {std::vector<int>{}, std::vector<int>{1, 3}}) {
        SCOPED_TRACE(delays.size());
        GenerateMachine m;
        m.ws.settings.fields.steps_per_inch = "10";
        m.ws.settings.derive();
        m.ws.delays.ActiveDelayPoints = delays;
        m.ws.delays.ActiveDelayPointCount = static_cast<int>(delays.size());
        const fs::path file = m.airfoil("te.dat", te + denseOutline(41));
        CutGenerator gen(m.ws);
        const GenerationOutcome out = gen.generate(m.wing(file, file, "50", "50"));
        ASSERT_EQ(out.status, GenerationStatus::Finished);
        const std::vector<int32_t> counts = readCountEntries(m.working("cut_cnt.ct2"));
        // The delay points read back are exactly the ones asked for.
        const ActiveDelaySet read = delaySetFromCountEntries(counts);
        EXPECT_EQ(std::vector<int>(read.ActiveDelayPoints.begin(),
                                   read.ActiveDelayPoints.begin() + read.ActiveDelayPointCount),
                  delays);
        ASSERT_FALSE(counts.empty());
        EXPECT_EQ(counts[0], 1);  // one idle tick: the first three segments step nothing
        // P - 1 non-zero count lines, the last one the step file's length.
        std::size_t nonZero = 0;
        for (int32_t c : counts) nonZero += c != 0;
        EXPECT_EQ(nonZero, readProfile(file).size() - 1);
        EXPECT_EQ(static_cast<std::size_t>(counts.back()),
                  decodeSteps(m.working("cut.ct1"), m.ws.settings.derived).size());
        const DecodedTick idle = decodeSteps(m.working("cut.ct1"), m.ws.settings.derived)[0];
        for (bool s : idle.step) EXPECT_FALSE(s);
    }
}

}  // namespace
}  // namespace corvane::test
