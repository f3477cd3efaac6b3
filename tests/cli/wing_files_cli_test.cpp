// Airfoil files from the usual databases through corvane-cli as a hobbyist runs them: prepare,
// generate and simulate agree on what can be cut, a set closes on the step, and a file that
// would cut through the wing is refused before the working set is touched.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

using test::cli;
using test::CliResult;

// A folder with the templates and 100 steps/mm, kerf 0; lead moves on request.
void machine(const test::TempDir& dir, bool leadMoves = false) {
    test::copyResources(dir.path());
    std::vector<std::string> v = test::resetDefaultsValues();
    v[7] = "\"100\"";
    if (leadMoves) {
        v[0] = "1";
        v[3] = "\"10\"";
    }
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
}

std::string q(const fs::path& p) {
    return "'" + p.string() + "'";
}

// The simulate figures of the working set: per axis the closing error and per side the largest
// distance, in steps.
struct Figures {
    double closing[4] = {};
    double distance[2] = {};
    std::string pauses;
};

Figures simulated(const test::TempDir& dir) {
    const CliResult r = cli(dir, "simulate");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    Figures f;
    std::smatch m;
    for (int side = 0; side < 2; ++side) {
        const std::string name = side == 0 ? "left" : "right";
        EXPECT_TRUE(std::regex_search(
            r.out, m,
            std::regex(
                "Closing error " + name +
                R"(: [XY][12] [+-][\d.]+ mm \(([+-][\d.]+) steps\), [XY][12] [+-][\d.]+ mm \(([+-][\d.]+) steps\))")))
            << r.out;
        if (m.size() == 3) {
            f.closing[2 * side] = std::stod(m[1]);
            f.closing[2 * side + 1] = std::stod(m[2]);
        }
        EXPECT_TRUE(std::regex_search(r.out, m,
                                      std::regex("Largest distance from the profile " + name +
                                                 R"(: [\d.]+ mm \(([\d.]+) steps\))")))
            << r.out;
        if (m.size() == 2) f.distance[side] = std::stod(m[1]);
    }
    if (std::regex_search(r.out, m, std::regex(R"(Pauses: ([^\n]*))"))) f.pauses = m[1];
    return f;
}

TEST(WingFilesCli, PreparedClarkYAndAg455CloseWithinAStepAndStayWithinTwo) {
    const fs::path shared = CORVANE_SHARED_AIRFOILS;
    if (!fs::exists(shared / "ag455.dat")) GTEST_SKIP() << "no shared airfoils";
    test::TempDir dir;
    machine(dir);
    CliResult r = cli(dir, "airfoil prepare --root " + q(shared / "clarky.dat") + " --tip " +
                               q(shared / "ag455.dat") + " --points 121 --out-root " +
                               q(dir / "root.dat") + " --out-tip " + q(dir / "tip.dat"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli(dir, "generate wing --left " + q(dir / "root.dat") + " --right " + q(dir / "tip.dat") +
                     " --left-chord 240 --right-chord 150");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Figures f = simulated(dir);
    EXPECT_EQ(f.pauses, "0");
    for (double c : f.closing) EXPECT_LT(std::fabs(c), 1.0);
    for (double d : f.distance) EXPECT_LT(d, 2.0);
}

TEST(WingFilesCli, TheSharedNaca2412At160MmClosesWithoutAPhantomPause) {
    const fs::path file = fs::path(CORVANE_SHARED_AIRFOILS) / "naca2412.dat";
    if (!fs::exists(file)) GTEST_SKIP() << "no shared airfoils";
    test::TempDir dir;
    machine(dir);
    const CliResult r = cli(dir, "generate wing --left " + q(file) + " --right " + q(file) +
                                     " --left-chord 160 --right-chord 160");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const Figures f = simulated(dir);
    EXPECT_EQ(f.pauses, "0");
    for (double c : f.closing) EXPECT_EQ(c, 0.0);   // 0.25 mm (25 steps) open before
    for (double d : f.distance) EXPECT_LT(d, 2.0);  // 0.26 mm (26 steps) off before
}

TEST(WingFilesCli, EmptyAndCutShortFilesAreRefusedAndTheWorkingSetStays) {
    test::TempDir dir;
    machine(dir);
    const std::string good = "1 0\n0.5 0.06\n0 0\n0.5 -0.04\n1 0\n";
    test::writeFile(dir / "good.dat", good);
    CliResult r = cli(dir, "generate wing --left " + q(dir / "good.dat") + " --right " +
                               q(dir / "good.dat") + " --left-chord 200 --right-chord 200");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string steps = test::readFile(dir / "cut.ct1"),
                      counts = test::readFile(dir / "cut_cnt.ct2");
    struct Case {
        const char* name;
        const char* text;
        const char* words;
    } cases[] = {
        {"empty.dat", "", "holds fewer than 3 points (0)"},
        {"name.dat", "NACA 2412\n", "holds fewer than 3 points (0)"},
        {"cr.dat", "\r", "holds fewer than 3 points (0)"},
        {"short.dat", "1 0\n0.8 0.03\n0.5 0.06\n0 0\n0.5 -0.04\n", "is not a closed outline"},
        {"inches.dat", "5 0\n2.5 0.3\n0 0\n2.5 -0.2\n5 0\n",
         "runs from x = 0 to x = 5, a chord of 5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeFile(dir / c.name, c.text);
        r = cli(dir, "generate wing --left " + q(dir / "good.dat") + " --right " + q(dir / c.name) +
                         " --left-chord 200 --right-chord 200");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find((dir / c.name).string() + " " + c.words), std::string::npos) << r.err;
        EXPECT_EQ(test::readFile(dir / "cut.ct1"), steps);
        EXPECT_EQ(test::readFile(dir / "cut_cnt.ct2"), counts);
        // The check and the preparation say the same of the file.
        r = cli(dir, "airfoil check " + q(dir / c.name));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE((r.out + r.err).find(c.words), std::string::npos) << r.out << r.err;
        r = cli(dir, "airfoil prepare --root " + q(dir / "good.dat") + " --tip " + q(dir / c.name) +
                         " --points 61 --out-root " + q(dir / "r.dat") + " --out-tip " +
                         q(dir / "t.dat"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.err.find(c.words), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "r.dat"));
    }
}

TEST(WingFilesCli, ANoseStartWithLeadMovesIsGeneratedWithAWarning) {
    test::TempDir dir;
    machine(dir, true);
    test::writeFile(dir / "nose.dat", "0 0\n0.5 0.06\n1 0\n0.5 -0.04\n0 0\n");
    const CliResult r = cli(dir, "generate wing --left " + q(dir / "nose.dat") + " --right " +
                                     q(dir / "nose.dat") + " --left-chord 200 --right-chord 200");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Warning: DAT file " + (dir / "nose.dat").string() +
                         " starts at the leading edge"),
              std::string::npos)
        << r.err;
}

}  // namespace
}  // namespace corvane
