// corvane-cli simulate and export gcode as the demo uses them: a wing generated with lead moves
// and two delay points, its figures, its picture and its G-code; and the refusals.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;

std::string sample(const char* name) {
    return (std::filesystem::path(CORVANE_RESOURCES) / "samples" / name).string();
}

TEST(SimulateCli, FiguresPictureAndGcodeOfAWingWithLeadMovesAndDelayPoints) {
    test::TempDir dir;
    test::copyResources(dir.path());
    std::vector<std::string> v = test::resetDefaultsValues();
    v[0] = "1";          // lead_in
    v[3] = "\"10\"";     // lead_in_amount
    v[7] = "\"157.5\"";  // 158 steps/mm
    v[27] = "\"0.3\"";   // kerf
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
    CliResult r = cli(dir, "generate wing --left '" + sample("naca2412.dat") + "' --right '" +
                               sample("naca0012.dat") +
                               "' --left-chord 271.86 --right-chord 136.33 --right-washout -2 "
                               "--delay-points 20,40 --save '" +
                               (dir / "demo.ct1").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;

    r = cli(dir, "simulate --set '" + (dir / "demo").string() + "' --speed 20 --svg '" +
                     (dir / "wing.svg").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("Cutting speed limited to 6.2 mm/s"), std::string::npos) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(
        r.out, m,
        std::regex(R"(Ticks: (\d+) \(step file (\d+) of (\d+) lines, lead moves 2 x 1580\))")))
        << r.out;
    EXPECT_EQ(std::stol(m[1]), std::stol(m[3]) + 2 * 1580);
    EXPECT_EQ(m[2], m[3]);
    EXPECT_NE(r.out.find("Segments: 60\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pauses: 2 (after segment 20, after segment 40)\n"), std::string::npos);
    EXPECT_NE(r.out.find("Speed: 6.2 mm/s, 1.0208 ms a tick\n"), std::string::npos);
    for (const char* side : {"left", "right"}) {
        EXPECT_TRUE(std::regex_search(
            r.out,
            std::regex(std::string("Closing error ") + side +
                       R"(: [XY][12] [+-]\d\.\d{4} mm \([+-]\d+\.\d\d steps\), .* at point 61)")))
            << r.out;
        ASSERT_TRUE(std::regex_search(
            r.out, m,
            std::regex(std::string("Largest distance from the profile ") + side +
                       R"(: (\d+\.\d{4}) mm \((\d+\.\d\d) steps\) in segment \d+)")))
            << r.out;
        EXPECT_LT(std::stod(m[1]), 0.05);
    }
    EXPECT_EQ(test::readFile(dir / "wing.svg").rfind("<?xml", 0), 0u);

    r = cli(dir, "export gcode --set '" + (dir / "demo.ct1").string() +
                     "' --axes xyza --speed 6.2 --pause-ms 500 -o '" +
                     (dir / "wing.gcode").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(std::regex_search(
        r.out, std::regex(R"(G-code: .*wing\.gcode \(XYZA, 62 moves, 2 dwells, \d+\.\d\d s\))")))
        << r.out;
    const std::string gcode = test::readFile(dir / "wing.gcode");
    EXPECT_EQ(gcode.rfind("(Corvane G-code of the cut-file set)\n", 0), 0u);
    EXPECT_NE(gcode.find("\nM3 S1000\n"), std::string::npos);  // the default power word
    EXPECT_NE(gcode.find("\nG4 P0.5\n"), std::string::npos);
    EXPECT_NE(gcode.find(" Z-10.0000 A0.0000 F"), std::string::npos);  // the lead-in's end
}

TEST(SimulateCli, MissingSetsAndWrongOptionsAreRefused) {
    test::TempDir dir;
    test::copyResources(dir.path());
    CliResult r = cli(dir, "simulate --set nowhere");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error Number 53, File not found"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nowhere.ct1"), std::string::npos) << r.err;
    r = cli(dir, "export gcode --axes ABCD -o '" + (dir / "x.ngc").string() + "'");
    EXPECT_NE(r.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.ngc"));
    r = cli(dir, "export gcode");
    EXPECT_NE(r.exitCode, 0);
    // A step file shorter than its count file asks for.
    test::writeFile(dir / "cut.ct1", "3\r\n");
    test::writeFile(dir / "cut_cnt.ct2", "1\r\n5\r\n");
    r = cli(dir, "export gcode -o '" + (dir / "y.ngc").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Error Number 62"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "y.ngc"));
}

// A cambered outline from the leading edge over the upper surface (nUpper points) to the
// trailing edge and back along the lower one: 61 points whatever the split.
std::string noseStart(int nUpper) {
    const int nLower = 62 - nUpper;
    std::string out;
    char buf[64];
    auto point = [&](int i, int n, bool upper) {
        const double x = (1 - std::cos(M_PI * i / (n - 1))) / 2;
        const double t = 0.6 * (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x +
                                0.2843 * x * x * x - 0.1036 * x * x * x * x);
        std::snprintf(buf, sizeof buf, "%.6f %.6f\n", x, 0.08 * x * (1 - x) + (upper ? t : -t));
        out += buf;
    };
    for (int i = 0; i < nUpper; ++i) point(i, nUpper, true);
    for (int i = nLower - 2; i >= 0; --i) point(i, nLower, false);
    return out;
}

// simulate fails a set that does not cut its profiles, saying why: a side far from its profile
// (a chord that is not the one the set was made for), or the two ends of the wire on different
// surfaces (a nose-start tip that turns twenty points before its root). Within rounding it
// passes.
TEST(SimulateCli, ASetThatDoesNotCutItsProfilesFails) {
    test::TempDir dir;
    test::copyResources(dir.path());
    test::writeFile(dir / "root.dat", noseStart(41));
    test::writeFile(dir / "tip.dat", noseStart(41));
    CliResult r = cli(dir, "generate wing --left '" + (dir / "root.dat").string() + "' --right '" +
                               (dir / "tip.dat").string() + "' --left-chord 200 --right-chord 150");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli(dir, "simulate");
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out.find("Fault:"), std::string::npos) << r.out;

    // The tip file now turns at point 21: the set still cuts the old one.
    test::writeFile(dir / "tip.dat", noseStart(21));
    r = cli(dir, "simulate");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Fault: the two ends of the wire run on different surfaces (upper with "
                         "lower) in 20 segments from segment 21: the wire cuts through the core\n"),
              std::string::npos)
        << r.out;

    // The left chord on the DAT-information line is not the one the set was made at.
    test::writeFile(dir / "tip.dat", noseStart(41));
    std::string info = test::readFile(dir / "datinfo.ct3");
    const std::size_t at = info.find(",200,");
    ASSERT_NE(at, std::string::npos) << info;
    info.replace(at, 5, ",210,");
    test::writeFile(dir / "datinfo.ct3", info);
    r = cli(dir, "simulate");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_TRUE(std::regex_search(
        r.out, std::regex(R"(Fault: the left side strays \d+\.\d{4} mm \(\d+\.\d\d steps\) from )"
                          R"(its profile in segment \d+, beyond the 2\.12 steps that rounding )")))
        << r.out;
    EXPECT_EQ(r.out.find("Fault: the right"), std::string::npos) << r.out;

    // A negative chord (written by a generator that took it) is no size to cut at.
    info.replace(at, 5, ",-35,");
    test::writeFile(dir / "datinfo.ct3", info);
    r = cli(dir, "simulate");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("Fault: the left tower chord on the DAT-information line is -35 mm"),
              std::string::npos)
        << r.out;
}

// The planform command says which chord cannot be built and fails.
TEST(SimulateCli, APlanformThatCannotBeBuiltFails) {
    test::TempDir dir;
    test::copyResources(dir.path());
    CliResult r = cli(dir,
                      "planform left_LE_taper Text9=250 Text10=150 Text1=500 Text14=800 "
                      "Text3=800");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("Text13=-10\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("The right tower chord (Text13) comes out at -10 mm"), std::string::npos)
        << r.err;
    r = cli(dir, "planform left_LE_taper Text9=250 Text10=150 Text1=500 Text14=800 Text3=100");
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

}  // namespace
}  // namespace corvane
