// corvane-cli material: set, use, list, show and remove on the application folder's
// materials.txt, names in any script, and the refusals that leave the table as it was.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;

TEST(MaterialCli, SetUseListShowRemoveAndRefusals) {
    test::TempDir dir;
    test::copyResources(dir.path());
    CliResult r = cli(dir, "material set 'EPS 20' 4:0.8:600 2:1.4:500 6:0.6:700");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Added EPS 20\n  2 mm/s: kerf 1.4 mm, power 500\n  4 mm/s: kerf 0.8 mm, power 600\n"
              "  6 mm/s: kerf 0.6 mm, power 700\n");
    ASSERT_EQ(cli(dir, "material set '挤塑板 XPS' 3:1.1 5:0.7").exitCode, 0);
    ASSERT_EQ(cli(dir, "material use '挤塑板 XPS'").exitCode, 0);
    r = cli(dir, "material list");
    EXPECT_EQ(r.out, "  EPS 20 (3 points, 2 .. 6 mm/s)\n* 挤塑板 XPS (2 points, 3 .. 5 mm/s)\n");
    r = cli(dir, "material show '挤塑板 XPS'");
    EXPECT_EQ(r.out, "挤塑板 XPS (in use)\n  3 mm/s: kerf 1.1 mm\n  5 mm/s: kerf 0.7 mm\n");

    const std::string table = test::readFile(dir / "materials.txt");
    struct Case {
        std::string args;
        int exit;
        const char* said;
    };
    const Case cases[] = {
        {"material set XPS 3:1.1", 2, "needs at least two measured points"},
        {"material set XPS 3:1.1 3:0.9", 2, "3 mm/s is given twice"},
        {"material set XPS 3:1.1 0:0.9", 2, "\"0:0.9\" is not SPEED:KERF[:POWER]"},
        {"material show nope", 1, "No material \"nope\" in materials.txt"},
        {"material remove nope", 1, "No material \"nope\""},
        {"material use nope", 1, "No material \"nope\""},
    };
    for (const Case& c : cases) {
        r = cli(dir, c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(test::readFile(dir / "materials.txt"), table) << c.args;
    }

    // Removing the material in use leaves none in use.
    ASSERT_EQ(cli(dir, "material remove '挤塑板 XPS'").exitCode, 0);
    EXPECT_EQ(cli(dir, "material list").out, "  EPS 20 (3 points, 2 .. 6 mm/s)\n");
    // A garbled table is reported, not taken for an empty one.
    test::writeFile(dir / "materials.txt", "\"in use\",\"\"\r\n\"XPS\",2,4,0.9\r\n");
    r = cli(dir, "material list");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("XPS"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace corvane
