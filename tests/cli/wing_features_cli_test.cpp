// corvane-cli generate wing with the wing features: the demo panel with sheeting, two spar slots
// and a 0.5 mm trailing edge through simulate (within the bound, the SVG's faces featured), the
// mirrored half saved beside the set, and the refusals (a slot deeper than the section,
// overlapping slots, sheeting thicker than half the section, wrong option texts) with their
// numbers and the working set left as it was.
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

struct FeatureFolder {
    test::TempDir dir;
    FeatureFolder() {
        test::copyResources(dir.path());
        std::vector<std::string> v = test::resetDefaultsValues();
        v[7] = "\"157.5\"";  // 158 steps/mm
        v[27] = "\"0.3\"";   // kerf
        test::writeFile(dir / "settings.txt", test::settingsLine(v));
    }
    std::string panel(const std::string& more = "") const {
        return "generate wing --geometry faces --left " + sample("naca2412.dat") + " --right " +
               sample("naca0012.dat") +
               " --left-face-chord 250 --right-face-chord 160 --towers 900 --left-gap 150"
               " --span 600 --sweep-mm 20 --right-washout -2" +
               more;
    }
    std::string path(const char* name) const { return "'" + (dir / name).string() + "'"; }
};

const char* kFeatured =
    " --sheeting-upper 1.5:1 --sheeting-lower 1.2:0.8"
    " --spar upper:25%:8:5:proportional --spar lower:60%:6:3"
    " --te-thickness 0.5";

TEST(WingFeaturesCli, FeaturedPanelIsCutWithinTheBoundAndDrawnFeatured) {
    FeatureFolder f;
    CliResult r = cli(f.dir, f.panel(kFeatured));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* line :
         {"SheetingUpper=1.5,1\n", "SheetingLower=1.2,0.8\n", "TeThickness=0.5,0.5\n",
          "SparSlot1=upper 62.5,8,5 40,5.12,3.2\n", "SparSlot2=lower 150,6,3 96,6,3\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
    const std::string info = test::readFile(f.dir / "datinfo.ct3");
    EXPECT_NE(info.find(",\"features\",1.5,1,1.2,0.8,0.5,0.5,0,0,0,0,0,2,\"upper\","),
              std::string::npos)
        << info;

    r = cli(f.dir, "simulate --svg " + f.path("panel.svg"));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m,
                                  std::regex(R"(Largest distance at the left face: ([\d.]+) mm)")))
        << r.out;
    EXPECT_LE(std::stod(m[1]), 1.5 * std::sqrt(2.0) / 158);
    const std::string svg = test::readFile(f.dir / "panel.svg");
    EXPECT_NE(svg.find("<g id=\"faces\">"), std::string::npos);

    // Without the features' fields the same line gives the plain faces, and the wire strays.
    std::string plain = info.substr(0, info.find(",\"features\"")) + "\r\n";
    test::writeFile(f.dir / "datinfo.ct3", plain);
    r = cli(f.dir, "simulate");
    EXPECT_EQ(r.exitCode, 1) << r.out;
}

TEST(WingFeaturesCli, MirrorSavesTheOtherHalfBesideTheSet) {
    FeatureFolder f;
    CliResult r = cli(f.dir, f.panel(std::string(kFeatured) + " --mirror"));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--mirror saves the other half beside the set: give --save NAME"),
              std::string::npos)
        << r.err;

    r = cli(f.dir, f.panel(std::string(kFeatured) + " --mirror --save " + f.path("right")));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("MirrorSaved=" + (f.dir / "right-mirror.ct1").string()), std::string::npos)
        << r.out;
    // The working set is the panel as described; the mirror has its root at the right tower.
    const std::string working = test::readFile(f.dir / "datinfo.ct3");
    const std::string mirror = test::readFile(f.dir / "right-mirror.ct3");
    EXPECT_EQ(working, test::readFile(f.dir / "right.ct3"));
    EXPECT_LT(working.find("naca2412"), working.find("naca0012"));
    EXPECT_LT(mirror.find("naca0012"), mirror.find("naca2412"));
    EXPECT_NE(mirror.find(",\"faces\",160,250,900,150,600,-20,"), std::string::npos) << mirror;
    r = cli(f.dir, "simulate --set " + f.path("right-mirror"));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // Both halves take the same time: the same wire path, end for end.
    std::smatch a, b;
    const std::string one = cli(f.dir, "simulate --set " + f.path("right")).out;
    ASSERT_TRUE(std::regex_search(one, a, std::regex(R"(Ticks: (\d+))")));
    ASSERT_TRUE(std::regex_search(r.out, b, std::regex(R"(Ticks: (\d+))")));
    EXPECT_NEAR(std::stod(a[1]), std::stod(b[1]), 0.01 * std::stod(a[1]));
}

TEST(WingFeaturesCli, RefusedFeaturesSayTheirNumbersAndLeaveTheSet) {
    FeatureFolder f;
    ASSERT_EQ(cli(f.dir, f.panel()).exitCode, 0);
    const std::string step = test::readFile(f.dir / "cut.ct1");
    const std::string info = test::readFile(f.dir / "datinfo.ct3");
    struct Case {
        std::string more;
        int exit;
        const char* said;
    };
    const Case cases[] = {
        {" --spar upper:60:8:40", 1,
         "Spar slot 1 (upper, centre 60 mm from the leading edge) at the left face is 40 mm deep, "
         "deeper than the section there"},
        {" --spar upper:60:8:4 --spar upper:66:8:4", 1,
         "Spar slots 1 and 2 overlap at the left face (56 mm to 64 mm and 62 mm to 70 mm"},
        {" --sheeting-lower 2:10", 1,
         "The lower sheeting at the right face is 10 mm, more than half the section's thickness"},
        {" --spar middle:60:8:4", 2, "--spar takes upper|lower:POS:WIDTH:DEPTH"},
        {" --spar upper:60/50:8:4:proportional", 2, "its scaling can only be per-face"},
        {" --sheeting-upper -1", 2, "--sheeting-upper takes MM or LEFT:RIGHT"},
        {" --te-thickness 1:2:3", 2, "--te-thickness takes MM or LEFT:RIGHT"},
    };
    for (const Case& c : cases) {
        const CliResult r = cli(f.dir, f.panel(c.more));
        EXPECT_EQ(r.exitCode, c.exit) << c.more << '\n' << r.out << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.more << '\n' << r.err;
        EXPECT_EQ(test::readFile(f.dir / "cut.ct1"), step) << c.more;
        EXPECT_EQ(test::readFile(f.dir / "datinfo.ct3"), info) << c.more;
    }
    const CliResult towers =
        cli(f.dir, "generate wing --left " + sample("naca2412.dat") + " --right " +
                       sample("naca0012.dat") + " --left-chord 250 --right-chord 160 --le-stock 2");
    EXPECT_EQ(towers.exitCode, 2);
    EXPECT_NE(towers.err.find("need --geometry faces"), std::string::npos) << towers.err;
}

}  // namespace
}  // namespace corvane
