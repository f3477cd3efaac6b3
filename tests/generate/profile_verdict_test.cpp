// The profile verdict and the generator's refusals: files that would cut through the wing
// (truncated, the wrong size, root and tip in different orders, too few points) are refused
// with the file named and the previous working set kept; a leading-edge start with lead moves
// is a warning, and the generation goes on.
#include "generate/profile_verdict.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "generate/airfoil_check.h"
#include "generate/airfoil_prepare.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

struct Pt {
    double x, y;
};

// A cambered unit-chord outline of 2n - 1 points from the trailing edge over the upper surface
// to the leading edge and back along the lower one.
std::vector<Pt> outline(int n) {
    std::vector<Pt> upper, lower;
    for (int i = 0; i < n; ++i) {
        const double x = (1 - std::cos(M_PI * i / (n - 1))) / 2;
        const double t = 0.6 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                                0.2843 * x * x * x - 0.1036 * x * x * x * x);
        const double camber = 0.08 * x * (1 - x);
        upper.push_back({x, camber + t});
        lower.push_back({x, camber - t});
    }
    std::vector<Pt> out(upper.rbegin(), upper.rend());
    out.insert(out.end(), lower.begin() + 1, lower.end());
    return out;
}

std::vector<Pt> reversed(std::vector<Pt> p) {
    return {p.rbegin(), p.rend()};
}

// The same closed outline started at its leading edge (index le, 0-based).
std::vector<Pt> fromLeadingEdge(const std::vector<Pt>& p) {
    std::size_t le = 0;
    for (std::size_t i = 0; i < p.size(); ++i)
        if (p[i].x < p[le].x) le = i;
    std::vector<Pt> out(p.begin() + static_cast<long>(le), p.end() - 1);
    out.insert(out.end(), p.begin(), p.begin() + static_cast<long>(le) + 1);
    return out;
}

std::string text(const std::vector<Pt>& p, double scale = 1) {
    std::string out;
    char buf[64];
    for (const Pt& q : p) {
        std::snprintf(buf, sizeof buf, "%.6f %.6f\n", q.x * scale, q.y * scale);
        out += buf;
    }
    return out;
}

// The outline with its upper surface cut off at x = 0.8, as a damaged download.
std::vector<Pt> cutShort(const std::vector<Pt>& p) {
    std::size_t k = 0;
    while (p[k].x > 0.8) ++k;
    return {p.begin() + static_cast<long>(k), p.end()};
}

Profile profile(const std::vector<Pt>& p) {
    Profile out;
    for (const Pt& q : p) {
        out.x.push_back(q.x);
        out.y.push_back(q.y);
    }
    return out;
}

TEST(ProfileVerdict, NamesOrderStartLeadingEdgeAndWhatCannotBeCut) {
    const std::vector<Pt> base = outline(31);  // 61 points, leading edge at point 31
    const std::vector<Pt> truncated = cutShort(base);
    std::vector<Pt> midStart(base.begin() + 10, base.end() - 1);  // closed, starts mid-surface
    midStart.insert(midStart.end(), base.begin(), base.begin() + 11);
    struct Case {
        const char* name;
        std::vector<Pt> points;
        double scale;
        ProfileStart start;
        bool upperFirst;
        std::size_t leadingEdge;
        const char* problem;  // words of the one problem, or nullptr
    } cases[] = {
        {"te-upper", base, 1, ProfileStart::TrailingEdge, true, 31, nullptr},
        {"te-lower", reversed(base), 1, ProfileStart::TrailingEdge, false, 31, nullptr},
        // From the nose the same points meet the lower surface first.
        {"le-lower", fromLeadingEdge(base), 1, ProfileStart::LeadingEdge, false, 1, nullptr},
        {"le-upper", reversed(fromLeadingEdge(base)), 1, ProfileStart::LeadingEdge, true, 1,
         nullptr},
        {"inches", base, 5, ProfileStart::TrailingEdge, true, 31, "a chord of 5"},
        {"truncated", truncated, 1, ProfileStart::Elsewhere, false, 0, "not a closed outline"},
        {"mid", midStart, 1, ProfileStart::Elsewhere, true, 0, "neither at the trailing edge"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Pt> pts = c.points;
        for (Pt& q : pts) q = {q.x * c.scale, q.y * c.scale};
        const ProfileVerdict v = judgeProfile(profile(pts), c.name);
        EXPECT_EQ(v.points, pts.size());
        if (c.problem == nullptr) {
            EXPECT_TRUE(v.cuttable()) << (v.problems.empty() ? "" : v.problems[0]);
            EXPECT_EQ(v.start, c.start);
            EXPECT_EQ(v.upperFirst, c.upperFirst);
            EXPECT_EQ(v.leadingEdgeIndex, c.leadingEdge);
            EXPECT_TRUE(v.closed);
            EXPECT_NEAR(v.chord, c.scale, 1e-6);
        } else {
            ASSERT_EQ(v.problems.size(), 1u);
            EXPECT_NE(v.problems[0].find(c.problem), std::string::npos) << v.problems[0];
            EXPECT_EQ(v.problems[0].rfind(std::string("DAT file ") + c.name, 0), 0u);
            EXPECT_NE(v.problems[0].find("try again"), std::string::npos);
        }
    }
    for (std::size_t n : {0u, 1u, 2u}) {
        const ProfileVerdict v =
            judgeProfile(profile(std::vector<Pt>(base.begin(), base.begin() + n)), "few");
        ASSERT_EQ(v.problems.size(), 1u);
        EXPECT_EQ(v.problems[0], tooFewPointsText("few", n));
    }
}

TEST(ProfileVerdict, RootAndTipCorrespondOnlyInOneOrderFromOneEdge) {
    const std::vector<Pt> base = outline(31);
    const ProfileVerdict root = judgeProfile(profile(base), "root.dat");
    EXPECT_TRUE(correspondenceProblems(root, judgeProfile(profile(outline(31)), "tip")).empty());
    struct Case {
        std::vector<Pt> tip;
        const char* words;
    } cases[] = {
        {reversed(base), "different orders (root.dat upper surface first, tip.dat lower"},
        {fromLeadingEdge(base), "different edges (root.dat at the trailing edge, tip.dat at the"},
    };
    for (const Case& c : cases) {
        const auto problems = correspondenceProblems(root, judgeProfile(profile(c.tip), "tip.dat"));
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.words), std::string::npos) << problems[0];
        EXPECT_NE(problems[0].find("Prepare Airfoils"), std::string::npos);
    }
    // A leading edge three points off is the same wing; more is not.
    ProfileVerdict near = judgeProfile(profile(outline(34)), "tip.dat");  // leading edge at 34
    near.leadingEdgeIndex = 31 + kLeadingEdgeIndexTolerance;
    EXPECT_TRUE(correspondenceProblems(root, near).empty());
    near.leadingEdgeIndex = 31 + kLeadingEdgeIndexTolerance + 1;
    const auto problems = correspondenceProblems(root, near);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("(root.dat at point 31, tip.dat at point 35)"), std::string::npos)
        << problems[0];
}

struct RefusalCase {
    const char* name;
    std::string root, tip;  // file texts
    const char* words;      // in the first message
};

TEST(GenerationRefusals, FilesThatCannotBeCutLeaveThePreviousSetAndNameTheFile) {
    const std::vector<Pt> base = outline(31);
    const std::vector<Pt> truncated = cutShort(base);
    const std::string good = text(base);
    const RefusalCase cases[] = {
        {"empty", "", good, "holds fewer than 3 points (0)"},
        {"name-only", "NACA 2412\r\n", good, "holds fewer than 3 points (0)"},
        {"cr-only", "\r", good, "holds fewer than 3 points (0)"},
        {"two-points", "1 0\n0 0\n", good, "holds fewer than 3 points (2)"},
        {"truncated", text(truncated), text(truncated), "is not a closed outline"},
        {"inches", text(base, 5), good, "a chord of 5"},
        {"reversed-tip", good, text(reversed(base)), "run in different orders"},
        {"nose-start-tip", good, text(fromLeadingEdge(base)), "start at different edges"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        GenerateMachine m;
        m.previousSet();
        const fs::path root = m.airfoil(std::string(c.name) + "-root.dat", c.root);
        const fs::path tip = m.airfoil(std::string(c.name) + "-tip.dat", c.tip);
        CutGenerator gen(m.ws);
        const GenerationOutcome out = gen.generate(m.wing(root, tip, "200", "150"));
        EXPECT_EQ(out.status, GenerationStatus::Refused);
        ASSERT_FALSE(out.messages.empty());
        EXPECT_NE(out.messages[0].text.find(c.words), std::string::npos) << out.messages[0].text;
        const std::string named = std::string(c.name) + (c.root == good ? "-" : "-root");
        EXPECT_NE(out.messages[0].text.find(named), std::string::npos) << out.messages[0].text;
        EXPECT_EQ(out.messages[0].title, kDatFileErrorTitle);
        m.expectPreviousSet();
    }
}

TEST(GenerationRefusals, FoamShapesNeedThreePointsButNoAirfoilShape) {
    GenerateMachine m;
    m.previousSet();
    GenerationRequest r =
        m.wing(m.airfoil("a.dat", "0 0\n1 0\n"), m.airfoil("b.dat", "0 0\n1 0\n"), "100", "100");
    r.kind = CutSetKind::Foam;
    CutGenerator gen(m.ws);
    const GenerationOutcome refused = gen.generate(r);
    EXPECT_EQ(refused.status, GenerationStatus::Refused);
    ASSERT_FALSE(refused.messages.empty());
    EXPECT_EQ(refused.messages[0].text, tooFewPointsText(r.leftPath, 2));
    m.expectPreviousSet();
    // An open square is no airfoil, but a foam shape.
    r.leftPath = m.airfoil("c.dat", "0 0\n1 0\n1 1\n0 1\n").string();
    r.rightPath = r.leftPath;
    EXPECT_EQ(gen.generate(r).status, GenerationStatus::Finished);
}

TEST(GenerationWarnings, ANoseStartWithHorizontalLeadMovesIsCutWithAWarning) {
    for (bool leadMoves : {false, true}) {
        SCOPED_TRACE(leadMoves);
        GenerateMachine m;
        SettingsFields& f = m.ws.settings.fields;
        f.lead_in = leadMoves ? 1 : 0;
        f.horizontal = true;
        f.lead_in_amount = "10";
        m.ws.settings.derive();
        const fs::path nose = m.airfoil("nose.dat", text(fromLeadingEdge(outline(31))));
        CutGenerator gen(m.ws);
        const GenerationOutcome out = gen.generate(m.wing(nose, nose, "150", "150"));
        EXPECT_EQ(out.status, GenerationStatus::Finished);
        ASSERT_EQ(out.warnings.size(), leadMoves ? 2u : 0u);
        if (leadMoves) {
            EXPECT_NE(out.warnings[0].text.find(nose.string() + " starts at the leading edge"),
                      std::string::npos);
            EXPECT_NE(out.warnings[0].text.find("lead-in"), std::string::npos);
        }
    }
}

// The shared files as downloaded: Clark Y starts at its trailing edge; the same points started
// at the nose or reversed must not be cut with it.
TEST(SharedAirfoils, ClarkYWithItsOwnNoseStartOrReverseIsRefused) {
    const fs::path file = fs::path(CORVANE_SHARED_AIRFOILS) / "clarky.dat";
    if (!fs::exists(file)) GTEST_SKIP() << "no shared airfoils";
    const Profile clark = readProfile(file);
    ASSERT_EQ(clark.size(), 121u);
    std::vector<Pt> pts;
    for (std::size_t k = 0; k < clark.size(); ++k) pts.push_back({clark.x[k], clark.y[k]});
    const ProfileVerdict v = judgeProfile(clark, "clarky.dat");
    EXPECT_TRUE(v.cuttable());
    EXPECT_EQ(v.start, ProfileStart::TrailingEdge);
    EXPECT_TRUE(v.upperFirst);
    for (const std::vector<Pt>& tip : {fromLeadingEdge(pts), reversed(pts)}) {
        GenerateMachine m;
        m.previousSet();
        CutGenerator gen(m.ws);
        const GenerationOutcome out =
            gen.generate(m.wing(file, m.airfoil("tip.dat", text(tip)), "200", "150"));
        EXPECT_EQ(out.status, GenerationStatus::Refused);
        ASSERT_FALSE(out.messages.empty());
        EXPECT_NE(out.messages[0].text.find("Prepare Airfoils"), std::string::npos);
        m.expectPreviousSet();
    }
}

TEST(AirfoilPrepare, ACutShortOrWrongSizeFileIsNotPrepared) {
    const std::vector<Pt> base = outline(31);
    const std::vector<Pt> truncated = cutShort(base);
    struct Case {
        std::string text;
        const char* words;
    } cases[] = {{text(truncated), "not a closed outline"},
                 {text(base, 5), "a chord of 5"},
                 {text(base), nullptr}};
    for (const Case& c : cases) {
        const AirfoilFile file = parseAirfoilFile(c.text, "f.dat");
        const auto problems = preparationProblems(file, splitSurfaces(file, "f.dat"), "f.dat");
        if (c.words == nullptr) {
            EXPECT_TRUE(problems.empty());
            continue;
        }
        ASSERT_FALSE(problems.empty());
        EXPECT_NE(problems[0].find(c.words), std::string::npos) << problems[0];
    }
}

}  // namespace
}  // namespace corvane::test
