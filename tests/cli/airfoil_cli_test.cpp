// corvane-cli airfoil check / prepare as a user runs them on downloaded files: the figures of
// every layout, a non-zero exit with the reason and line for a file it cannot read, and a
// prepared pair the generator takes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "generate/airfoil_input.h"
#include "support/test_support.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int exitCode = -1;
    std::string out, err;
};

CliRun cli(const test::TempDir& dir, const std::string& args) {
    const fs::path out = dir / "stdout.txt", err = dir / "stderr.txt";
    const std::string cmd = std::string("'") + CORVANE_CLI + "' airfoil " + args + " >'" +
                            out.string() + "' 2>'" + err.string() + "'";
    CliRun r;
    const int status = std::system(cmd.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = test::readFile(out);
    r.err = test::readFile(err);
    return r;
}

TEST(AirfoilCli, CheckReportsEachFileAndFailsOnOneItCannotRead) {
    test::TempDir dir;
    test::writeFile(dir / "bad.dat", "NACA\n1 0\n0.5 0.1\n0.2\n");
    test::writeFile(dir / "ok.dat",
                    "\xEF\xBB\xBF"
                    "1 0\r\n0.5 0.06\r\n0 0\r\n0.5 -0.04\r\n1 0\r\n");
    CliRun r =
        cli(dir, "check '" + (dir / "ok.dat").string() + "' '" + (dir / "bad.dat").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Layout=plain list\nByteOrderMark=yes\nPoints=5\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("TrailingEdge=closed"), std::string::npos);
    EXPECT_NE(r.out.find("MaxThickness=0.1000 at x=0.5"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Readable=no"), std::string::npos);
    EXPECT_NE(r.err.find("bad.dat: the x on line 4 has no y after it"), std::string::npos) << r.err;
}

// Real files published by others, read where they are.
TEST(AirfoilCli, SharedFilesCheckAndPrepare) {
    const fs::path shared = CORVANE_SHARED_AIRFOILS;
    if (!fs::exists(shared / "clarky-lednicer.dat")) GTEST_SKIP() << "no shared airfoils";
    test::TempDir dir;
    CliRun r = cli(dir, "check '" + (shared / "clarky-lednicer.dat").string() + "'");
    // Readable, but the generator takes it only through the preparation.
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.out.find("Layout=two-surface (61 + 61 points)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Cuttable=no\n"), std::string::npos) << r.out;
    r = cli(dir, "check '" + (shared / "clarky.dat").string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Start=trailing edge\nOrder=upper surface first\nLeadingEdgeIndex=61\n"
                         "TrailingEdgeIndex=1\nOutline=closed, gap 0 chord\nCuttable=yes\n"),
              std::string::npos)
        << r.out;

    r = cli(dir, "prepare --root '" + (shared / "clarky.dat").string() + "' --tip '" +
                     (shared / "ag455.dat").string() + "' --points 101 --out-root '" +
                     (dir / "r.dat").string() + "' --out-tip '" + (dir / "t.dat").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("LeadingEdgeIndex=51\n"), std::string::npos) << r.out;
    const Profile root = readProfile(dir / "r.dat"), tip = readProfile(dir / "t.dat");
    ASSERT_EQ(root.size(), 101u);
    ASSERT_EQ(tip.size(), 101u);
    EXPECT_EQ(std::min_element(root.x.begin(), root.x.end()) - root.x.begin(), 50);
    EXPECT_EQ(std::min_element(tip.x.begin(), tip.x.end()) - tip.x.begin(), 50);

    // A bad side writes neither file.
    r = cli(dir, "prepare --root '" + (shared / "clarky.dat").string() + "' --tip '" +
                     (dir / "none.dat").string() + "' --points 101 --out-root '" +
                     (dir / "r2.dat").string() + "' --out-tip '" + (dir / "t2.dat").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error Number 53"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "r2.dat"));
}

// A cambered outline of 61 points from the trailing edge over the upper surface, six decimals.
std::vector<std::string> outlineLines() {
    std::vector<std::string> lines;
    char buf[64];
    for (int i = 30; i >= -30; --i) {  // i >= 0 upper, i < 0 lower
        const double x = (1 - std::cos(M_PI * std::abs(i) / 30.0)) / 2;
        const double t = 0.6 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                                0.2843 * x * x * x - 0.1036 * x * x * x * x);
        std::snprintf(buf, sizeof buf, "%.6f %.6f\n", x, 0.08 * x * (1 - x) + (i >= 0 ? t : -t));
        lines.push_back(buf);
    }
    return lines;
}

std::string joined(const std::vector<std::string>& lines, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to; ++i) out += lines[i];
    return out;
}

// check gives a refused file the one reason the generator gives, and nothing that contradicts
// it; prepare mends a closed outline that starts mid-surface into a file check takes.
TEST(AirfoilCli, CheckGivesTheGeneratorsReasonAndPrepareMendsTheStart) {
    test::TempDir dir;
    const std::vector<std::string> lines = outlineLines();
    ASSERT_EQ(lines.size(), 61u);
    test::writeFile(dir / "short.dat", joined(lines, 8, 61));  // the upper surface cut short
    test::writeFile(dir / "upper.dat", joined(lines, 0, 31));  // the upper surface alone
    for (const char* name : {"short.dat", "upper.dat"}) {
        SCOPED_TRACE(name);
        const std::string path = (dir / name).string();
        CliRun r = cli(dir, "check '" + path + "'");
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.err, "") << "a second reason";
        const std::string cmd = std::string("'") + CORVANE_CLI + "' --app-dir '" +
                                (dir / "app").string() + "' --init generate wing --left '" + path +
                                "' --right '" + path + "' --left-chord 200 --right-chord 200 2>'" +
                                (dir / "generator.txt").string() + "' >/dev/null";
        EXPECT_NE(std::system(cmd.c_str()), 0);
        const std::string generator = test::readFile(dir / "generator.txt");
        const std::string reason = generator.substr(0, generator.find('\n'));
        ASSERT_NE(reason.find("is not a closed outline"), std::string::npos) << generator;
        EXPECT_NE(r.out.find("Problem=" + reason + "\n"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("Problem="), r.out.rfind("Problem=")) << r.out;
        for (const char* contradiction : {"TrailingEdge=closed", "Chord=", "Readable=no"})
            EXPECT_EQ(r.out.find(contradiction), std::string::npos) << r.out;
    }

    // Closed, but from the upper surface's middle: refused for its start, mended by Prepare.
    test::writeFile(dir / "mid.dat", joined(lines, 15, 61) + joined(lines, 1, 16));
    EXPECT_NE(cli(dir, "check '" + (dir / "mid.dat").string() + "'").out.find("Start=neither"),
              std::string::npos);
    CliRun r =
        cli(dir, "prepare --root '" + (dir / "mid.dat").string() + "' --tip '" +
                     (dir / "mid.dat").string() + "' --points 81 --out-root '" +
                     (dir / "r.dat").string() + "' --out-tip '" + (dir / "t.dat").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli(dir, "check '" + (dir / "r.dat").string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("Start=trailing edge\nOrder=upper surface first\nLeadingEdgeIndex=41\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Cuttable=yes"), std::string::npos);
}

}  // namespace
}  // namespace corvane
