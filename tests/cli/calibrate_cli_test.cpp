// corvane-cli calibrate kerf: the comb made as the working set with its picture, the measured
// widths stored as a material's points, and the refusals that leave the table as it was; and
// generate --material's kerf used per side.
#include <gtest/gtest.h>

#include <string>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::cli;
using test::CliResult;

TEST(CalibrateCli, MakeTheCombMeasureItAndStoreTheKerf) {
    test::TempDir dir;
    test::copyResources(dir.path());
    const std::string svg = (dir / "comb.svg").string();
    CliResult r =
        cli(dir,
            "calibrate kerf --speeds 0.1,0.05 --width 10 --height 5 --gap 5 --margin 5 --base 5 "
            "--material 'EPS 泡沫' "
            "--svg '" +
                svg + "'");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("MadeForSpeed=0.1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Tooth2=0.05 mm/s, nominal 10 mm\n"), std::string::npos) << r.out;
    const std::string picture = test::readFile(dir / "comb.svg");
    EXPECT_NE(picture.find("tooth 2: 0.05 mm/s"), std::string::npos);
    EXPECT_NE(picture.find("nominal width - measured width"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "kerf_calibration.dat"));
    EXPECT_NE(test::readFile(dir / "datinfo.ct3").find("\"calibration\""), std::string::npos);

    r = cli(dir,
            "calibrate kerf --speeds 0.1,0.05 --width 10 --height 5 --gap 5 --margin 5 --base 5 "
            "--material 'EPS 泡沫' "
            "--measured 9.3/9.5,9.1 --powers 600,500");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Tooth1=0.1 mm/s: nominal 10 mm - measured 9.4 mm = kerf 0.6 mm"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(
        cli(dir, "material show 'EPS 泡沫'").out,
        "EPS 泡沫\n  0.05 mm/s: kerf 0.9 mm, power 500\n  0.1 mm/s: kerf 0.6 mm, power 600\n");

    const std::string table = test::readFile(dir / "materials.txt");
    struct Case {
        std::string args;
        int exit;
        const char* said;
    };
    const Case cases[] = {
        {"--speeds 0.1,0.05 --measured 9.4", 2, "The comb has 2 teeth; --measured gives 1"},
        {"--speeds 0.1,0.05 --measured 9.4,x", 2, "--measured and --powers take numbers"},
        {"--speeds 0.1,0.1", 2, "0.1 mm/s is given twice"},
        {"--speeds 0.1,0.05 --width 10 --measured 9.4,10.2 --material 'EPS 泡沫'", 1,
         "wider than its nominal 10 mm"},
        {"--speeds 50", 2, "beyond the slider's top"},
        {"--powers 1,2", 2, "--powers goes with --measured"},
    };
    for (const Case& c : cases) {
        r = cli(dir, "calibrate kerf " + c.args);
        EXPECT_EQ(r.exitCode, c.exit) << c.args;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(test::readFile(dir / "materials.txt"), table) << c.args;
    }
}

TEST(CalibrateCli, GenerateWithAMaterialPrintsTheKerfUsedOnEachSide) {
    test::TempDir dir;
    test::copyResources(dir.path());
    test::writeFile(dir / "foil.dat", "1 0\n0 0.05\n0 -0.05\n1 0\n");
    ASSERT_EQ(cli(dir, "material set XPS 0.05:1.2 0.2:0.6").exitCode, 0);
    const std::string foil = (dir / "foil.dat").string();
    const std::string wing = "generate wing --left '" + foil + "' --right '" + foil +
                             "' --left-chord 200 --right-chord 100 ";
    CliResult r = cli(dir, wing + "--material XPS --speed 0.1");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Material=XPS\nMadeForSpeed=0.1\nLeftKerfUsed=1 mm at 0.1 mm/s\n"
                         "RightKerfUsed=1 mm at 0.1 mm/s\n"),
              std::string::npos)
        << r.out;
    r = cli(dir, wing + "--material XPS");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--material needs --speed"), std::string::npos) << r.err;
    r = cli(dir, wing + "--material nope --speed 0.1");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("No material \"nope\""), std::string::npos) << r.err;
    // Without a material the settings' kerf, as before.
    r = cli(dir, wing);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find("Material="), std::string::npos);
}

}  // namespace
}  // namespace corvane
