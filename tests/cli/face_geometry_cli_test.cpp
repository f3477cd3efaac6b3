// corvane-cli generate wing --geometry faces and simulate at the faces: the demo panel made both
// ways, the face set within the rounding bound and the tower set beyond it (exit 1), the
// settings' kerf as the default, and the refusals leaving the working set as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;

std::string sample(const char* name) {
    return "'" + (std::filesystem::path(CORVANE_RESOURCES) / "samples" / name).string() + "'";
}

struct DemoFolder {
    test::TempDir dir;
    DemoFolder() {
        test::copyResources(dir.path());
        std::vector<std::string> v = test::resetDefaultsValues();
        v[7] = "\"157.5\"";  // 158 steps/mm
        v[27] = "\"0.3\"";   // kerf
        test::writeFile(dir / "settings.txt", test::settingsLine(v));
    }
    // The demo command with one of its options replaced ("--span 600" by "--span 800").
    std::string facesWith(const std::string& from, const std::string& to) const {
        std::string args = faces();
        args.replace(args.find(from), from.size(), to);
        return args;
    }
    std::string faces(const std::string& more = "") const {
        return "generate wing --geometry faces --left " + sample("naca2412.dat") + " --right " +
               sample("naca0012.dat") +
               " --left-face-chord 250 --right-face-chord 160 --towers 900 --left-gap 150"
               " --span 600 --sweep-mm 20 --right-washout -2" +
               more;
    }
};

double figure(const std::string& out, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(out, m, std::regex(pattern))) return -1;
    return std::stod(m[1]);
}

TEST(FaceGeometryCli, DemoPanelBothWaysThroughSimulate) {
    DemoFolder f;
    CliResult r = cli(f.dir, f.faces(" --save '" + (f.dir / "faces.ct1").string() + "'"));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const char* line : {"Geometry=faces\n", "LeftFaceChord=250\n", "RightFaceChord=160\n",
                             "LeftKerf=0.3\n", "RightKerf=0.3\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    // The taper extended to the towers: about 250 + 90 / 4 and 160 - 90 / 4.
    EXPECT_NEAR(figure(r.out, R"(LeftTowerChord=([\d.]+))"), 272.5, 0.5) << r.out;
    EXPECT_NEAR(figure(r.out, R"(RightTowerChord=([\d.]+))"), 137.5, 0.5) << r.out;

    r = cli(f.dir, "simulate --set '" + (f.dir / "faces").string() + "' --svg '" +
                       (f.dir / "faces.svg").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const double bound = figure(r.out, R"(Rounding explains at a face: ([\d.]+) mm)");
    EXPECT_NEAR(bound, 1.5 * std::sqrt(2.0) / 158, 1e-4) << r.out;
    for (const char* side : {"left", "right"}) {
        const double d = figure(r.out, std::string("Largest distance at the ") + side +
                                           R"( face: ([\d.]+) mm \([\d.]+ steps\))");
        EXPECT_GE(d, 0) << r.out;
        EXPECT_LE(d, bound) << side;
    }
    EXPECT_NE(r.out.find("Washout between the faces: designed -2.00 deg, cut -2.00 deg"),
              std::string::npos)
        << r.out;
    const std::string svg = test::readFile(f.dir / "faces.svg");
    EXPECT_NE(svg.find("<g id=\"faces\">"), std::string::npos);
    EXPECT_NE(svg.find("class=\"face-wire left\""), std::string::npos);

    // The tower geometry of the same panel: the straight wire blends the two shapes at the
    // faces, far beyond what rounding explains, and simulate says so with its exit code.
    r = cli(f.dir, "generate wing --left " + sample("naca2412.dat") + " --right " +
                       sample("naca0012.dat") +
                       " --left-chord 272.53 --right-chord 137.56 --right-washout -2");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = cli(f.dir, "simulate");
    EXPECT_EQ(r.exitCode, 0) << r.out;  // no faces named: the tower check alone
    EXPECT_EQ(r.out.find("Faces:"), std::string::npos);
    r = cli(f.dir, "simulate --left-gap 150 --span 600 --towers 900");
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_NE(r.out.find("The wire strays from a face beyond what rounding explains."),
              std::string::npos)
        << r.out;
    EXPECT_GT(figure(r.out, R"(Largest distance at the left face: ([\d.]+) mm)"), 0.5);
    const double washout =
        figure(r.out, R"(Washout between the faces: designed -2.00 deg, cut -([\d.]+) deg)");
    EXPECT_GT(washout, 1.0);
    EXPECT_LT(washout, 1.5);
    r = cli(f.dir, "simulate --left-gap 150 --span 600");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("--left-gap, --span and --towers go together"), std::string::npos);
}

TEST(FaceGeometryCli, RefusalsLeaveTheWorkingSetAsItWas) {
    DemoFolder f;
    ASSERT_EQ(cli(f.dir, f.faces(" --left-kerf 0.5")).exitCode, 0);
    const std::string step = test::readFile(f.dir / "cut.ct1");
    const std::string info = test::readFile(f.dir / "datinfo.ct3");
    EXPECT_NE(info.find(",\"faces\","), std::string::npos) << info;
    EXPECT_NE(info.find(",0.5,0.3\r\n"), std::string::npos) << info;  // kerfs: given, settings'

    struct Case {
        std::string args;
        int exit;
        const char* said;
    };
    const Case cases[] = {
        {f.facesWith("--span 600", "--span 800"), 1,
         "The right face lies outside the towers: left gap 150 mm plus "
         "span 800 mm is 950 mm, the towers are 900 mm apart."},
        {f.facesWith("--left-gap 150", "--left-gap -1"), 1,
         "The left face lies outside the towers"},
        {f.faces(" --right-kerf -0.2"), 1, "A kerf cannot be negative"},
        {f.faces(" --left-chord 200"), 2, "--geometry faces takes --left-face-chord"},
        {"generate wing --geometry faces --left " + sample("naca2412.dat") + " --right " +
             sample("naca0012.dat") + " --left-face-chord 250 --right-face-chord 160 --towers 900",
         2, "--left-gap is required with --geometry faces"},
        {"generate wing --left " + sample("naca2412.dat") + " --right " + sample("naca0012.dat") +
             " --left-chord 250 --right-chord 160 --span 600",
         2, "the face options need --geometry faces"},
        {"generate wing --left " + sample("naca2412.dat") + " --right " + sample("naca0012.dat") +
             " --right-chord 160",
         2, "--left-chord is required"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(f.dir, c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args << '\n' << r.out << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << '\n' << r.err;
        EXPECT_EQ(test::readFile(f.dir / "cut.ct1"), step) << c.args;
        EXPECT_EQ(test::readFile(f.dir / "datinfo.ct3"), info) << c.args;
    }
}

}  // namespace
}  // namespace corvane
