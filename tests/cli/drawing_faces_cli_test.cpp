// corvane-cli with a two-drawing tapered fin cut with the face geometry: generate foam --drawing
// --tip-drawing --geometry faces places the shapes on the faces as drawn and projects them to the
// towers; simulate finds the wire at both faces within the rounding bound and exports; the
// option refusals and a cone that turns over leave the working set as it was.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "generate/drawing_fin.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;

struct FinFolder {
    test::TempDir dir;
    FinFolder() {
        test::copyResources(dir.path());
        std::vector<std::string> v = test::resetDefaultsValues();
        v[0] = "1";          // lead_in
        v[3] = "\"10\"";     // lead_in_amount
        v[7] = "\"157.5\"";  // 158 steps/mm
        v[27] = "\"0.3\"";   // kerf
        test::writeFile(dir / "settings.txt", test::settingsLine(v));
        test::writeTaperedFin(dir.path());
    }
    std::string fin(const std::string& more) const {
        return "generate foam --drawing '" + (dir / "root.dxf").string() + "' --tip-drawing '" +
               (dir / "tip.dxf").string() + "'" + more;
    }
};

TEST(DrawingFacesCli, TaperedFinIsPlacedOnTheFacesAndCutWithinTheBound) {
    FinFolder f;
    CliResult r = cli(f.dir, f.fin(" --geometry faces --towers 600 --left-gap 100 --span 400 "
                                   "--right-kerf 0.5 --delay-points 5"));
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    // The tip is drawn 40 mm behind the root's foot; each face keeps its drawn size, and the
    // towers get the cone's: 150 + 60 x 100 / 400 and 90 - 60 x 100 / 400.
    for (const char* line :
         {"Corners=4,4 matched\n", "TipAsDrawn=(40, 0)\nTipOffset=(40, 0)\n", "Geometry=faces\n",
          "LeftFaceSize=150\nLeftTowerSize=165\nRightFaceSize=90\nRightTowerSize=75\n",
          "LeftKerf=0.3\nRightKerf=0.5\n", "DelayPoints=1\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    const std::string info = test::readFile(f.dir / "datinfo.ct3");
    EXPECT_NE(info.find("\",165,75,\"faces\",150,90,600,100,400,40,0,0,0,0,0.3,0.5\r\n"),
              std::string::npos)
        << info;

    r = cli(f.dir, "simulate --svg '" + (f.dir / "fin.svg").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("Faces: face set, left gap 100.00 mm, span 400.00 mm, towers 600.00 mm"),
              std::string::npos)
        << r.out;
    for (const char* side : {"left", "right"}) {
        std::smatch m;
        ASSERT_TRUE(
            std::regex_search(r.out, m,
                              std::regex(std::string("Largest distance at the ") + side +
                                         R"( face: (\d+\.\d{4}) mm \((\d+\.\d\d) steps\))")))
            << r.out;
        EXPECT_LE(std::stod(m[2]), 2.12) << side;
    }
    // A drawn shape is measured by its box, not as an airfoil.
    EXPECT_NE(r.out.find("Shape at the left face, kerf 0.300 mm: designed 150.00 x 92.00 mm"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Shape at the right face, kerf 0.500 mm: designed 90.00 x 55.00 mm"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Washout between"), std::string::npos) << r.out;
    EXPECT_NE(test::readFile(f.dir / "fin.svg").find("the wire at the right face"),
              std::string::npos);

    r = cli(f.dir, "export gcode --axes xyuv -o '" + (f.dir / "fin.gcode").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The header names each side's size at its tower and the panel at the faces; the face
    // sizes after the mark are no washout.
    const std::string gcode = test::readFile(f.dir / "fin.gcode");
    for (const char* line :
         {", size 165 mm at the tower)\n", ", size 75 mm at the tower)\n",
          "(at the faces: left size 150 mm, right size 90 mm, kerf 0.3 / 0.5 mm)\n",
          "(faces 100 mm from the left tower and 400 mm apart, towers 600 mm "
          "apart)\n"})
        EXPECT_NE(gcode.find(line), std::string::npos) << line << gcode.substr(0, 600);
    EXPECT_EQ(gcode.find("washout"), std::string::npos) << gcode.substr(0, 600);
}

TEST(DrawingFacesCli, RefusalsLeaveTheWorkingSetAsItWas) {
    FinFolder f;
    ASSERT_EQ(
        cli(f.dir, f.fin(" --geometry faces --towers 600 --left-gap 100 --span 400")).exitCode, 0);
    const std::string step = test::readFile(f.dir / "cut.ct1");
    const std::string info = test::readFile(f.dir / "datinfo.ct3");
    const std::string profile = " --left '" + (f.dir / "root.dxf").string() + "' --right '" +
                                (f.dir / "tip.dxf").string() + "' --left-size 1 --right-size 1";
    struct Case {
        std::string args;
        int exit;
        const char* said;
    };
    const Case cases[] = {
        {"generate foam --geometry faces --towers 600 --left-gap 100 --span 400" + profile, 2,
         "--geometry faces on a foam set takes its shapes from --drawing"},
        {f.fin(" --geometry faces --towers 600 --left-gap 100"), 2,
         "--span is required with --geometry faces"},
        {f.fin(" --towers 600"), 2, "the face options need --geometry faces"},
        // 150 mm at the root face, 90 at the tip face 200 mm on: the foot shrinks to nothing
        // 300 mm beyond the tip face, short of the right tower 2700 mm away.
        {f.fin(" --geometry faces --towers 3000 --left-gap 100 --span 200"), 1,
         "The right tower outline turns over: the wire's cone has its apex 300 mm from the right "
         "face, nearer than the right tower (right gap 2700 mm, span 200 mm, d/w 13.5)"},
        {f.fin(" --geometry faces --towers 600 --left-gap 100 --span 600"), 1,
         "The right face lies outside the towers: left gap 100 mm plus span 600 mm is 700 mm"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(f.dir, c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args << '\n' << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << '\n' << r.err;
        EXPECT_EQ(test::readFile(f.dir / "cut.ct1"), step) << c.args;
        EXPECT_EQ(test::readFile(f.dir / "datinfo.ct3"), info) << c.args;
    }
}

}  // namespace
}  // namespace corvane
