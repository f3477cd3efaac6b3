// The material table: the kerf between and beyond the measured points, the power beside it,
// points as typed on the command line, and materials.txt round trips with names in any script.
#include "generate/materials.h"

#include <gtest/gtest.h>

#include "common/run_error.h"
#include "support/test_support.h"

namespace corvane::test {
namespace {

Material eps() {
    std::string why;
    // Typed out of order: kept by speed.
    return *makeMaterial("EPS 20", {{6, 0.6, 700}, {2, 1.4, 500}, {4, 0.8, 600}}, why);
}

TEST(Materials, KerfFollowsStraightLinesBetweenPointsAndStaysAtTheEnds) {
    const Material m = eps();
    struct Case {
        double speed, kerf;
        bool outside;
    };
    const Case cases[] = {{2, 1.4, false}, {3, 1.1, false}, {4, 0.8, false}, {5, 0.7, false},
                          {6, 0.6, false}, {1, 1.4, true},  {9, 0.6, true}};
    for (const Case& c : cases) {
        const KerfAtSpeed k = kerfAt(m, c.speed);
        EXPECT_NEAR(k.kerfMm, c.kerf, 1e-12) << c.speed;
        EXPECT_EQ(k.outside, c.outside) << c.speed;
    }
    // A kerf that rises and falls again: each interval keeps its own line (a search that
    // stops one point early or late takes the wrong one).
    std::string why;
    const Material peak = *makeMaterial("peak", {{1, 0.5, 100}, {3, 1.5, 300}, {5, 0.5, 100}}, why);
    const double speeds[] = {1.5, 2, 3, 4, 4.5}, peaks[] = {0.75, 1.0, 1.5, 1.0, 0.75};
    for (std::size_t i = 0; i < std::size(speeds); ++i) {
        EXPECT_NEAR(kerfAt(peak, speeds[i]).kerfMm, peaks[i], 1e-12) << speeds[i];
        EXPECT_NEAR(*powerAt(peak, speeds[i]), peaks[i] * 200, 1e-9) << speeds[i];
    }
    EXPECT_NEAR(*powerAt(m, 5), 650, 1e-9);
    EXPECT_NEAR(*powerAt(m, 10), 700, 1e-9);
    Material noPower = m;
    noPower.points[1].power.reset();
    EXPECT_FALSE(powerAt(noPower, 3));  // one point without a power: none at all
}

TEST(Materials, PointsAsTypedAndTheRefusals) {
    EXPECT_EQ(parseKerfPoint("4:0.9"), (KerfPoint{4, 0.9, std::nullopt}));
    EXPECT_EQ(parseKerfPoint("2.5:1.2:600"), (KerfPoint{2.5, 1.2, 600}));
    for (const char* bad :
         {"4", "0:1", "-1:1", "4:-0.1", "4:x", "4:1:2:3", "4:1:", ":1", "inf:1", "4 :1"})
        EXPECT_FALSE(parseKerfPoint(bad)) << bad;
    std::string why;
    EXPECT_FALSE(makeMaterial("XPS", {{4, 0.9, {}}}, why));
    EXPECT_NE(why.find("at least two"), std::string::npos);
    EXPECT_FALSE(makeMaterial("XPS", {{4, 0.9, {}}, {4, 1.0, {}}}, why));
    EXPECT_NE(why.find("4 mm/s is given twice"), std::string::npos);
    EXPECT_FALSE(makeMaterial(" ", {{4, 0.9, {}}, {5, 1.0, {}}}, why));
}

TEST(Materials, FileRoundTripsWithNamesInAnyScriptAndRefusesAGarbledOne) {
    TempDir dir;
    const auto file = dir / "materials.txt";
    EXPECT_TRUE(readMaterials(file).materials.empty());  // no file yet: no materials

    std::string why;
    MaterialTable t;
    t.materials.push_back(eps());
    t.materials.push_back(*makeMaterial("聚苯乙烯 挤塑板", {{3, 1.1, {}}, {5, 0.7, {}}}, why));
    t.materials.push_back(*makeMaterial("Dépron ® 6 mm", {{1.5, 0.9, {}}, {3, 0.5, {}}}, why));
    t.inUse = "聚苯乙烯 挤塑板";
    writeMaterials(file, t);
    const MaterialTable back = readMaterials(file);
    EXPECT_EQ(back.inUse, t.inUse);
    EXPECT_EQ(back.materials, t.materials);
    ASSERT_TRUE(back.find("Dépron ® 6 mm"));
    // GBK cannot hold the ®: the file is UTF-8 with a byte-order mark, as the text policy says.
    EXPECT_EQ(readFile(file).substr(0, 3), "\xEF\xBB\xBF");

    writeFile(file, "\"in use\",\"\"\r\n\"XPS\",2,4,0.9,\"\",5\r\n");
    try {
        readMaterials(file);
        FAIL() << "a material cut short was read";
    } catch (const RunError& e) {
        EXPECT_NE(std::string(e.what()).find("XPS"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace corvane::test
