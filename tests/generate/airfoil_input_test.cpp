// Airfoil files: pairs of numbers however they are separated, one name line skipped, anything
// else that is not a number refused with the file and line; the shipped and shared samples.
#include "generate/airfoil_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

TEST(AirfoilReader, BlankCommaAndSplitPairsGiveTheSamePoints) {
    Profile a = parseProfile("0.5 0.01\r\n1,0\r\n", "a");
    Profile b = parseProfile("0.5,0.01\n1\n0\n", "b");
    Profile c = parseProfile("  0.5\t 0.01   1 , 0 \n\n\n", "c");
    for (const Profile* p : {&a, &b, &c}) {
        ASSERT_EQ(p->size(), 2u);
        EXPECT_EQ(p->x, (std::vector<double>{0.5, 1}));
        EXPECT_EQ(p->y, (std::vector<double>{0.01, 0}));
    }
    EXPECT_EQ(parseProfile("-.0046700 +1e-2\n", "d").x[0], -0.00467);
    EXPECT_EQ(parseProfile("", "e").size(), 0u);
}

TEST(AirfoilReader, SkipsExactlyOneLeadingNameLine) {
    Profile p = parseProfile(" CLARK Y AIRFOIL\r\n1.0 0.0\r\n0.5 0.1\r\n", "clarky");
    EXPECT_EQ(p.size(), 2u);
    try {
        parseProfile("NACA 2412\nsecond title\n1 0\n", "two.dat");
        FAIL() << "a second name line is not skipped";
    } catch (const AirfoilFormatError& e) {
        EXPECT_EQ(e.line(), 2u);
        EXPECT_STREQ(e.what(),
                     "DAT file two.dat: \"second\" on line 2 is not a number. Edit the DAT file "
                     "and try again");
    }
}

TEST(AirfoilReader, NonNumbersAndHalfPointsNameTheFileAndLine) {
    struct Case {
        const char* text;
        std::size_t line;
    };
    for (Case c :
         {Case{"1 0\n0.5 0.1\n0.2 abc\n", 3}, Case{"1 0\n0.5,,0.1\n", 2}, Case{"1 0\n0.5 nan\n", 2},
          Case{"1 0\n0.5 0.1\n0.3\n", 3}, Case{"1 0\n0.5 0.1x\n", 2}}) {
        try {
            parseProfile(c.text, "/p/f.dat");
            FAIL() << c.text;
        } catch (const AirfoilFormatError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            EXPECT_NE(std::string(e.what()).find("/p/f.dat"), std::string::npos);
        }
    }
}

TEST(AirfoilReader, ByteOrderMarkIsDroppedBeforeTheNameLineRule) {
    // With the mark left in, "0 0" read as a name line and the first point was lost.
    Profile p = parseProfile(
        "\xEF\xBB\xBF"
        "0 0\r\n0.5 0.1\r\n1 0\r\n",
        "bom.dat");
    EXPECT_EQ(p.x, (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(parseProfile("\xEF\xBB\xBFNACA\n1 0\n", "n").size(), 1u);
}

TEST(AirfoilReader, TwoSurfaceLayoutAndProfilesOutOfScaleAreRefusedWithTheLine) {
    struct Case {
        const char* text;
        std::size_t line;
        const char* says;
    };
    for (Case c : {Case{"CLARK Y\n\n61.  61.\n\n0 0\n1 0\n\n0 0\n1 0\n", 3, "two-surface"},
                   Case{"3 3\n\n0 0\n0.5 0.1\n1 0\n\n0 0\n0.5 -0.1\n1 0\n", 1, "two-surface"},
                   Case{"61. 61.\n0 0\n1 0\n", 1, "the value 61. on line 1"},
                   Case{"1 0\n0.5 -12.5\n", 2, "the value -12.5 on line 2"},
                   Case{"1 0\n250 0\n", 2, "more than 10 chords"}}) {
        try {
            parseProfile(c.text, "/p/f.dat");
            FAIL() << c.text;
        } catch (const AirfoilFormatError& e) {
            EXPECT_EQ(e.line(), c.line) << c.text;
            const std::string what = e.what();
            EXPECT_NE(what.find("/p/f.dat"), std::string::npos) << what;
            EXPECT_NE(what.find(c.says), std::string::npos) << what;
        }
    }
    // A plain file whose trailing-edge point is whole numbers stays a plain file.
    EXPECT_EQ(parseProfile("1 0\n\n0.5 0.1\n", "plain").size(), 2u);
    EXPECT_EQ(parseProfile("-10 10\n", "edge").size(), 1u);
}

TEST(AirfoilReader, WashoutShearsAboutTheLeadingEdge) {
    GenerateMachine m;
    auto f = m.airfoil("w.dat", "0 0\n0.5 0.02\n1 0\n");
    Profile p = readProfile(f, 2.0);
    const double s = std::tan(2.0 * 0.0174532925);
    EXPECT_EQ(p.x, (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(p.y[0], 0.0);
    EXPECT_EQ(p.y[1], 0.02 + 0.5 * s);
    EXPECT_EQ(p.y[2], 0.0 + 1 * s);
    EXPECT_EQ(countPoints(f), 3u);
    EXPECT_THROW(countPoints(m.dir / "none.dat"), RunError);
    EXPECT_TRUE(isBlankPathField("   "));
    EXPECT_TRUE(isBlankPathField(""));
    EXPECT_FALSE(isBlankPathField(" a"));
}

TEST(ShippedSamples, AreNaca2412And0012WithEqualPointCounts) {
    const fs::path dir = fs::path(CORVANE_RESOURCES) / "samples";
    Profile cambered = readProfile(dir / "naca2412.dat");
    Profile symmetric = readProfile(dir / "naca0012.dat");
    ASSERT_EQ(cambered.size(), 61u);
    ASSERT_EQ(symmetric.size(), cambered.size());
    for (const Profile* p : {&cambered, &symmetric}) {
        EXPECT_EQ(p->x.front(), 1.0);  // from the trailing edge
        EXPECT_EQ(p->x.back(), 1.0);   // back to it: a closed outline
        EXPECT_EQ(*std::min_element(p->x.begin(), p->x.end()), 0.0);
    }
    // 0012: symmetric, 12 % thick near 30 % chord.
    double thickest = 0;
    for (std::size_t k = 0; k < 30; ++k) {
        EXPECT_NEAR(symmetric.y[k], -symmetric.y[60 - k], 1e-6);
        thickest = std::max(thickest, 2 * symmetric.y[k]);
    }
    EXPECT_NEAR(thickest, 0.12, 0.002);
    // 2412: the upper surface lies higher than the 0012's by about the camber line (2 % at 40 %).
    double mostCamber = 0;
    for (std::size_t k = 0; k < 30; ++k)
        mostCamber = std::max(mostCamber, cambered.y[k] - symmetric.y[k]);
    EXPECT_NEAR(mostCamber, 0.02, 0.004);
}

// Real files published by others, read where they are.
TEST(SharedAirfoils, ReadWithTheirNameLinesAndGenerate) {
    const fs::path dir = CORVANE_SHARED_AIRFOILS;
    if (!fs::exists(dir / "clarky.dat")) GTEST_SKIP() << "no shared airfoils";
    EXPECT_EQ(countPoints(dir / "clarky.dat"), 121u);
    EXPECT_EQ(countPoints(dir / "ag455.dat"), 170u);
    EXPECT_EQ(countPoints(dir / "naca2412.dat"), 201u);
    Profile clarky = readProfile(dir / "clarky.dat");
    EXPECT_EQ(clarky.x[0], 1.0);  // the name line is not a point
    EXPECT_EQ(clarky.y[61], -0.00467);

    GenerateMachine m;
    CutGenerator gen(m.ws);
    GenerationOutcome out =
        gen.generate(m.wing(dir / "clarky.dat", dir / "clarky.dat", "220", "160"));
    ASSERT_EQ(out.status, GenerationStatus::Finished);
    EXPECT_EQ(out.summary.segments, 120);
    EXPECT_EQ(lineNumbers(m.working("cut_cnt.ct2")).back(), out.summary.ticks);
    out = gen.generate(m.wing(dir / "clarky.dat", dir / "ag455.dat", "220", "160"));
    EXPECT_EQ(out.status, GenerationStatus::Refused);
}

TEST(SharedAirfoils, ByteOrderMarkGeneratesTheSameBytesAndTwoSurfaceFilesAreRefused) {
    const fs::path dir = CORVANE_SHARED_AIRFOILS;
    if (!fs::exists(dir / "naca2412-bom.dat")) GTEST_SKIP() << "no shared airfoils";
    GenerateMachine m;
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.wing(dir / "naca2412.dat", dir / "naca2412.dat", "200", "150")).status,
              GenerationStatus::Finished);
    const std::string plainSteps = m.working("cut.ct1"), plainCounts = m.working("cut_cnt.ct2");
    ASSERT_EQ(gen.generate(m.wing(dir / "naca2412-bom.dat", dir / "naca2412-bom.dat", "200", "150"))
                  .status,
              GenerationStatus::Finished);
    EXPECT_EQ(m.working("cut.ct1"), plainSteps);
    EXPECT_EQ(m.working("cut_cnt.ct2"), plainCounts);

    m.previousSet();
    const fs::path lednicer = dir / "clarky-lednicer.dat";
    GenerationOutcome out = gen.generate(m.wing(lednicer, lednicer, "200", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Refused);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].title, kDatFileErrorTitle);
    EXPECT_EQ(out.messages[0].text, "DAT file " + lednicer.string() + ": line 3" +
                                        " holds the point counts of the two-surface layout (each "
                                        "surface from the leading edge to the trailing edge). "
                                        "Convert the file with Prepare Airfoils (corvane-cli "
                                        "airfoil prepare) and try again");
    m.expectPreviousSet();
}

}  // namespace
}  // namespace corvane::test
