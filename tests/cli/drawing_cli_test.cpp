// corvane-cli with DXF drawings: a two-drawing tapered fin generated with kerf, lead moves and
// a delay point, simulated within the rounding of its steps and exported; drawing check; the
// refusals of generate foam --drawing.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cli/cli_runner.h"
#include "generate/dxf_test_writer.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;
using test::DxfText;

void writeFin(const test::TempDir& dir) {
    DxfText root;  // a fin root: straight foot and edges, a bulged top, 4 corners
    root.lwpolyline("FIN", {{0, 0}, {150, 0}, {120, 80, 0.3}, {40, 80}}, true).text("NOTES");
    test::writeFile(dir / "root.dxf", root.str());
    DxfText tip(5);  // the tip in cm: lines and a spline top, 4 corners
    tip.line("FIN", 0, 0, 9, 0)
        .line("FIN", 9, 0, 7, 5)
        .spline("FIN", 2, {0, 0, 0, 1, 1, 1}, {{7, 5}, {5, 6}, {3, 5}})
        .line("FIN", 3, 5, 0, 0);
    test::writeFile(dir / "tip.dxf", tip.str());
}

TEST(DrawingCli, TwoDrawingFinGeneratesSimulatesAndExports) {
    test::TempDir dir;
    test::copyResources(dir.path());
    std::vector<std::string> v = test::resetDefaultsValues();
    v[0] = "1";          // lead_in
    v[3] = "\"10\"";     // lead_in_amount
    v[7] = "\"157.5\"";  // 158 steps/mm
    v[27] = "\"0.3\"";   // kerf
    test::writeFile(dir / "settings.txt", test::settingsLine(v));
    writeFin(dir);
    CliResult r =
        cli(dir, "generate foam --drawing '" + (dir / "root.dxf").string() + "' --tip-drawing '" +
                     (dir / "tip.dxf").string() + "' --layer FIN --delay-points 3");
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("Start=(150, 0)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Corners=4,4 matched\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LeftSize=150\nRightSize=90\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("DelayPoints=1\n"), std::string::npos) << r.out;

    r = cli(dir, "simulate --svg '" + (dir / "fin.svg").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("foam set: root-root-"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Pauses: 1 (after segment 3)"), std::string::npos) << r.out;
    for (const char* side : {"left", "right"}) {
        std::smatch m;
        // Each axis is within half a step of its rounded point and a step of the straight line
        // between them: at most 1.5 steps on each axis, 2.13 across.
        ASSERT_TRUE(
            std::regex_search(r.out, m,
                              std::regex(std::string("Largest distance from the profile ") + side +
                                         R"(: (\d+\.\d{4}) mm \((\d+\.\d\d) steps\))")))
            << r.out;
        EXPECT_LE(std::stod(m[2]), 2.13) << side;
        EXPECT_TRUE(std::regex_search(
            r.out, std::regex(std::string("Closing error ") + side +
                              R"(: X[12] [+-]0\.0000 mm \([+-]0\.00 steps\), Y[12] [+-]0\.0000)")))
            << r.out;
    }
    // The kerf enlarges each side as the foam mode does: 10 mm of lead-in, then 150 + 0.3 and
    // 90 + 0.3 mm across in whole steps of 1/158 mm (23747 and 14267 steps).
    EXPECT_NE(r.out.find("Travel left: X1 -160.2975 .. 0.0000 mm"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Travel right: X2 -100.2975 .. 0.0000 mm"), std::string::npos) << r.out;
    EXPECT_EQ(test::readFile(dir / "fin.svg").rfind("<?xml", 0), 0u);

    r = cli(dir, "export gcode --axes xyza -o '" + (dir / "fin.gcode").string() + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(test::readFile(dir / "fin.gcode").find("\nM3"), std::string::npos);

    // One drawing on both towers, sized and reversed: the sides step together.
    r = cli(dir, "generate foam --drawing '" + (dir / "root.dxf").string() +
                     "' --size 75 --reverse --start 0,0");
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_NE(r.out.find("Start=(0, 0)\nDirection=clockwise\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("LeftSize=75\nRightSize=75\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find("Warning"), std::string::npos) << r.err;  // along the foot: no warning
    // A start on the left edge: the lead-in from the right would cut through the part.
    r = cli(dir, "generate foam --drawing '" + (dir / "root.dxf").string() + "' --start 20,40");
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_NE(r.err.find("Warning: The start (20, 40) is not on the part's right side"),
              std::string::npos)
        << r.err;
}

TEST(DrawingCli, CheckListsLayersOutlinesAndRefusals) {
    test::TempDir dir;
    test::copyResources(dir.path());
    DxfText d(1);  // inches
    test::rectangle(d, "PART", 0, 0, 4, 2);
    d.line("SKETCH", 0, 0, 1, 1).line("SKETCH", 1, 1, 2, 0);
    test::writeFile(dir / "two.dxf", d.str());
    CliResult r = cli(dir, "drawing check '" + (dir / "two.dxf").string() + "'");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Units=inch\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Layer=PART Pieces=4 Outlines=1\n"
                         "Outline=1 Closed=yes Length=304.8 Size=101.6x50.8 Corners=4"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Part=PART\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Refused=the chain from (0, 0) to (50.8, 0) is open"), std::string::npos)
        << r.out;

    r = cli(dir, "drawing check --layer SKETCH '" + (dir / "two.dxf").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    // Two layers draw: generate foam wants one named.
    r = cli(dir, "generate foam --drawing '" + (dir / "two.dxf").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("layers that draw: PART, SKETCH"), std::string::npos) << r.err;

    DxfText holed;
    test::rectangle(test::rectangle(holed, "0", 0, 0, 60, 40), "0", 20, 10, 10, 10);
    test::writeFile(dir / "holed.dxf", holed.str());
    r = cli(dir, "generate foam --drawing '" + (dir / "holed.dxf").string() + "'");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("holed.dxf, layer 0: an inner outline (a hole) at (30, 10)"),
              std::string::npos)
        << r.err;
    r = cli(dir, "generate foam --left-size 10");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("needed without --drawing"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace corvane
