// The picture of the demo wing: both intended profiles, both decoded paths with every segment end,
// dashed lead moves, the two delay points on each side, the cutting direction and every tenth
// root and tip pair joined, a scale bar; names are escaped, and where
// rsvg-convert is installed (Debian librsvg2-bin) the picture converts to a PNG without an error.
#include "simulate/svg_picture.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <regex>

#include "generate/cut_set_commands.h"
#include "simulate_fixture.h"

namespace corvane {
namespace {

std::size_t countOf(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

bool toolPresent(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(SvgPicture, TheDemoWingShowsProfilesPathsLeadMovesDelayPointsAndAScale) {
    test::DemoWing m;
    // A saved name with characters that XML must escape.
    const auto saved = m.dir / "R&D <wing>.ct1";
    saveCutSet(m.dir.path(), saved);
    const Simulation sim = simulateSet(m.ws, savedSetPaths(saved));
    const std::string svg = svgPicture(sim);

    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("R&amp;D &lt;wing&gt;.ct1"), std::string::npos);
    EXPECT_EQ(svg.find("R&D"), std::string::npos);
    EXPECT_EQ(countOf(svg, "class=\"intended\""), 2u);
    EXPECT_EQ(countOf(svg, "class=\"decoded\""), 2u);
    EXPECT_EQ(countOf(svg, "class=\"lead\""), 4u);    // lead-in and lead-out on each side
    EXPECT_EQ(countOf(svg, "stroke-dasharray"), 5u);  // ... and the legend's sample
    EXPECT_EQ(countOf(svg, "class=\"delay\""), 4u);
    EXPECT_NE(svg.find(">50 mm</text>"), std::string::npos);  // the wing is 282 mm long
    // Which root point goes with which tip point: pairs 1, 11, ..., 61 joined and numbered on
    // both panels; the cutting direction on each.
    EXPECT_EQ(countOf(svg, "class=\"pair\""), 7u);
    EXPECT_EQ(countOf(svg, ">61</text>"), 2u);
    EXPECT_EQ(countOf(svg, "class=\"direction\""), 2u);

    // The decoded path keeps every segment end but not every tick.
    const std::regex decoded(
        "points=\"([^\"]*)\"[^>]*class=\"decoded\"|class=\"decoded\"[^>]*points=\"([^\"]*)\"");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(svg, match, decoded));
    const std::string points = match[1].matched ? match[1].str() : match[2].str();
    const std::size_t vertices = countOf(points, ",");
    EXPECT_GE(vertices, 61u);
    EXPECT_LT(vertices, 2000u);

    if (toolPresent("xmllint")) {
        test::writeFile(m.dir / "wing.svg", svg);
        EXPECT_EQ(std::system(("xmllint --noout '" + (m.dir / "wing.svg").string() + "'").c_str()),
                  0);
    }
    if (!toolPresent("rsvg-convert"))
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    test::writeFile(m.dir / "wing.svg", svg);
    const std::string cmd = "rsvg-convert -o '" + (m.dir / "wing.png").string() + "' '" +
                            (m.dir / "wing.svg").string() + "' 2>'" + (m.dir / "err.txt").string() +
                            "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << test::readFile(m.dir / "err.txt");
    EXPECT_EQ(test::readFile(m.dir / "wing.png").substr(1, 3), "PNG");
    EXPECT_EQ(test::readFile(m.dir / "err.txt"), "");
}

}  // namespace
}  // namespace corvane
