// Wing and foam generation: golden sets from an independent implementation, the tick scheme's
// invariants on random cases, and every refusal leaving the previous working set as it was.
#include "generate/cut_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "common/number_text.h"
#include "generate/line_file_writer.h"
#include "generate/tick_scheme.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::string> readCase(const fs::path& file) {
    std::map<std::string, std::string> c;
    std::istringstream in(readFile(file));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        auto eq = line.find('=');
        c[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return c;
}

class GoldenCase : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenCase, WritesTheExpectedSetByteForByte) {
    const fs::path caseDir = fs::path(CORVANE_TEST_DATA) / GetParam();
    auto c = readCase(caseDir / "case.txt");
    GenerateMachine m;
    SettingsFields& f = m.ws.settings.fields;
    f.steps_per_inch = c["steps_per_inch"];
    f.kerf = c["kerf"];
    f.x1_dir = c["x1_dir"], f.x1_step = c["x1_step"], f.y1_dir = c["y1_dir"],
    f.y1_step = c["y1_step"];
    f.x2_dir = c["x2_dir"], f.x2_step = c["x2_step"], f.y2_dir = c["y2_dir"],
    f.y2_step = c["y2_step"];
    f.reverseX1 = c["reverseX1"] == "1", f.reverseY1 = c["reverseY1"] == "1";
    f.reverseX2 = c["reverseX2"] == "1", f.reverseY2 = c["reverseY2"] == "1";
    m.ws.settings.derive();
    std::stringstream delays(c["delays"]);
    for (std::string item; std::getline(delays, item, ',');)
        m.ws.delays.ActiveDelayPoints.push_back(std::stoi(item));
    m.ws.delays.ActiveDelayPointCount = static_cast<int>(m.ws.delays.ActiveDelayPoints.size());

    GenerationRequest r =
        m.wing(caseDir / "left.dat", caseDir / "right.dat", c["left_chord"], c["right_chord"]);
    const bool foam = c["kind"] == "foam";
    if (foam) r.kind = CutSetKind::Foam;
    r.leftWashout = c["left_washout"] == "1";
    r.rightWashout = c["right_washout"] == "1";
    if (c.count("left_angle")) r.leftAngleText = c["left_angle"];
    if (c.count("right_angle")) r.rightAngleText = c["right_angle"];

    CutGenerator gen(m.ws);
    GenerationOutcome out = gen.generate(r);
    ASSERT_EQ(out.status, GenerationStatus::Finished);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_TRUE(m.working("cut.ct1") == readFile(caseDir / "expected_cut.ct1"))
        << "cut.ct1 differs";
    EXPECT_EQ(m.working("cut_cnt.ct2"), readFile(caseDir / "expected_cut_cnt.ct2"));
    std::string datInfo = "\"" + r.leftPath + "\",\"" + r.rightPath + "\"," + c["left_chord"] +
                          "," + c["right_chord"];
    if (!foam) {
        datInfo += ",\"" + c["left_washout"] + "\",\"" + c["right_washout"] + "\",\"" +
                   r.leftAngleText + "\",\"" + r.rightAngleText + "\"";
    }
    EXPECT_EQ(m.working("datinfo.ct3"), datInfo + "\r\n");
    EXPECT_EQ(out.summary.ticks, static_cast<int64_t>(lineNumbers(m.working("cut.ct1")).size()));
    EXPECT_DOUBLE_EQ(m.ws.job.LeftTowerChord, leadingNumber(c["left_chord"]));
    EXPECT_EQ(m.ws.job.rightAirfoilPath, r.rightPath);
    m.expectNoLeftovers();
}

INSTANTIATE_TEST_SUITE_P(Sets, GoldenCase,
                         ::testing::Values("wing_taper_washout", "wing_pins_reversed",
                                           "foam_sizes"));

TEST(StepCount, PositionsScaleByChordPlusKerfAndRoundHalfToEven) {
    EXPECT_EQ(stepPosition(stepsPerProfileUnit(0, 200, 10), 0.1), 200);
    EXPECT_EQ(stepPosition(stepsPerProfileUnit(0, 200, 10), -0.1), -200);
    // (0.5/100 + 1) * 100 * 10 = 1005 a unit: 0.01 -> 10.05 -> 10; chord + kerf scaling
    EXPECT_EQ(stepPosition(stepsPerProfileUnit(0.5, 100, 10), 0.01), 10);
    EXPECT_EQ(stepPosition(1, 2.5), 2);  // 2.5 -> 2
    EXPECT_EQ(stepPosition(1, 3.5), 4);  // 3.5 -> 4
    EXPECT_EQ(stepPosition(1, -0.5), 0);
    try {
        stepsPerProfileUnit(0.2, 0, 10);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 11);
    }
    try {
        stepsPerProfileUnit(0, 0, 10);
        FAIL();
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 6);
    }
    EXPECT_THROW(stepPosition(stepsPerProfileUnit(0, 1e6, 1'000'000), 1), RunError);  // 32 bits
}

// Positions counted from the first point: segments under half a step each still add up, where
// rounding each segment on its own lost them all.
TEST(StepCount, SmallSegmentsAddUpToTheirDistance) {
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "10";
    m.ws.settings.fields.kerf = "0";
    m.ws.settings.derive();
    std::string text;
    for (int i = 0; i <= 40; ++i) text += std::to_string(0.0004 * i) + " 0\n";  // 0.4 steps each
    auto f = m.airfoil("f.dat", text);
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.foam(f, f, "100", "100")).status, GenerationStatus::Finished);
    // 0.016 x 1000 = 16 steps in all, never more than one per segment; the first segment
    // (0.4 steps) takes one idle tick.
    const auto ticks = decodeSteps(m.working("cut.ct1"), m.ws.settings.derived);
    int steps = 0;
    for (const DecodedTick& t : ticks) steps += t.step[0];
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(lineNumbers(m.working("cut_cnt.ct2")).back(), 17);
}

TEST(TickScheme, HalfCountAxisStepsOnEverySecondTickAndZeroAxisCarriesForwardDown) {
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "10";
    m.ws.settings.fields.reverseX2 = 1;  // so that X2's Forward level is a set bit
    m.ws.settings.derive();
    const DerivedSettings& d = m.ws.settings.derived;
    // Left: dx = 0.1 (200 steps), dy = 0.05 (100 steps); right: nothing moves. A third point
    // where nothing moves, as a shape needs three.
    auto left = m.airfoil("l.dat", "0 0\n0.1 0.05\n0.1 0.05\n");
    auto right = m.airfoil("r.dat", "0.5 0.5\n0.5 0.5\n0.5 0.5\n");
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.foam(left, right, "200", "200")).status, GenerationStatus::Finished);
    auto ticks = decodeSteps(m.working("cut.ct1"), d);
    ASSERT_EQ(ticks.size(), 200u);
    EXPECT_EQ(m.working("cut_cnt.ct2"), "200\r\n200\r\n");
    for (std::size_t j = 1; j <= ticks.size(); ++j) {
        const DecodedTick& t = ticks[j - 1];
        EXPECT_TRUE(t.step[0]) << j;            // the largest count steps every tick
        EXPECT_EQ(t.step[1], j % 2 == 0) << j;  // half count: ticks 2, 4, ...
        EXPECT_FALSE(t.step[2] || t.step[3]) << j;
        EXPECT_TRUE(t.dir[0]);   // X1 back (positive difference)
        EXPECT_TRUE(t.dir[1]);   // Y1 up
        EXPECT_TRUE(t.dir[2]);   // X2 reversed: Forward is the set level
        EXPECT_FALSE(t.dir[3]);  // Y2 down
    }
    EXPECT_EQ(std::stoi(m.working("cut.ct1").substr(0, 3)),
              d.X1Back + d.Y1UpDir + d.X2ForwardDir + d.Y2DownDir);
}

TEST(TickScheme, StillSegmentsWriteNoTickAndRepeatTheTotal) {
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "10";
    m.ws.settings.derive();
    auto f = m.airfoil("f.dat", "0 0\n0 0\n0.1 0\n0.1 0\n");
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.foam(f, f, "100", "100")).status, GenerationStatus::Finished);
    // The first segment is still: one idle tick, so that its count line is no delay marker;
    // the still segment after a step repeats the total.
    EXPECT_EQ(m.working("cut_cnt.ct2"), "1\r\n101\r\n101\r\n");
    const auto ticks = decodeSteps(m.working("cut.ct1"), m.ws.settings.derived);
    ASSERT_EQ(ticks.size(), 101u);
    for (bool step : ticks[0].step) EXPECT_FALSE(step);
}

TEST(TickScheme, OnePointFilesAreRefusedAndIdenticalSidesStepTogether) {
    GenerateMachine m;
    m.previousSet();
    auto one = m.airfoil("one.dat", "0.3 0.1\n");
    CutGenerator gen(m.ws);
    for (GenerationRequest r : {m.wing(one, one, "200", "200"), m.foam(one, one, "200", "200")}) {
        GenerationOutcome out = gen.generate(r);
        ASSERT_EQ(out.status, GenerationStatus::Refused);
        ASSERT_EQ(out.messages.size(), 2u);  // each side named
        EXPECT_NE(out.messages[0].text.find("holds fewer than 3 points (1)"), std::string::npos);
        m.expectPreviousSet();
    }

    auto sample = fs::path(CORVANE_RESOURCES) / "samples" / "naca2412.dat";
    ASSERT_EQ(gen.generate(m.wing(sample, sample, "180", "180")).status,
              GenerationStatus::Finished);
    for (const DecodedTick& t : decodeSteps(m.working("cut.ct1"), m.ws.settings.derived)) {
        ASSERT_EQ(t.step[0], t.step[2]);
        ASSERT_EQ(t.step[1], t.step[3]);
        ASSERT_EQ(t.dir[0], t.dir[2]);
        ASSERT_EQ(t.dir[1], t.dir[3]);
    }
}

TEST(TickScheme, DelayPointsBecomeZeroLinesAfterTheirSegment) {
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "10";
    m.ws.settings.derive();
    auto f = m.airfoil("f.dat", "0 0\n0.1 0\n0.2 0\n0.3 0\n");
    m.ws.delays.ActiveDelayPoints = {2, 2, 3, 9};  // 9 names no segment: no line
    m.ws.delays.ActiveDelayPointCount = 4;
    CutGenerator gen(m.ws);
    GenerationOutcome out = gen.generate(m.foam(f, f, "100", "100"));
    ASSERT_EQ(out.status, GenerationStatus::Finished);
    EXPECT_EQ(m.working("cut_cnt.ct2"), "100\r\n200\r\n0\r\n0\r\n300\r\n0\r\n");
    EXPECT_EQ(out.summary.delayLines, 3);
}

// Ruckig-style: seeded random profiles and machines, checked by decoding the port bytes.
TEST(TickScheme, EveryAxisMakesItsCountSpreadEvenlyWithItsLastStepOnTheLastTick) {
    std::mt19937 rng(20261208);
    int checkedAxes = 0;
    std::uniform_real_distribution<double> coord(-0.3, 1.2);
    for (int trial = 0; trial < 40; ++trial) {
        GenerateMachine m;
        m.ws.settings.fields.steps_per_inch = std::to_string(5 + trial * 3);
        m.ws.settings.fields.kerf = trial % 3 == 0 ? "0" : "0.35";
        m.ws.settings.fields.reverseY1 = trial % 2;
        m.ws.settings.derive();
        const int points = 3 + static_cast<int>(rng() % 12);
        std::vector<double> lx, ly, rx, ry;
        std::string ltext, rtext;
        for (int i = 0; i < points; ++i) {
            lx.push_back(std::round(coord(rng) * 1e4) / 1e4);
            ly.push_back(i % 4 == 1 && i > 0 ? ly.back() : std::round(coord(rng) * 1e4) / 1e4);
            rx.push_back(std::round(coord(rng) * 1e4) / 1e4);
            ry.push_back(std::round(coord(rng) * 1e4) / 1e4);
            ltext += std::to_string(lx.back()) + " " + std::to_string(ly.back()) + "\n";
            rtext += std::to_string(rx.back()) + "," + std::to_string(ry.back()) + "\n";
        }
        // Parse back what the files hold, as the generator will.
        auto left = m.airfoil("l.dat", ltext), right = m.airfoil("r.dat", rtext);
        const double cl = 50 + trial * 7.5, cr = 30 + trial * 3.25;
        CutGenerator gen(m.ws);
        std::ostringstream cls, crs;
        cls.precision(17), crs.precision(17);
        cls << cl, crs << cr;
        ASSERT_EQ(gen.generate(m.foam(left, right, cls.str(), crs.str())).status,
                  GenerationStatus::Finished);
        auto ticks = decodeSteps(m.working("cut.ct1"), m.ws.settings.derived);
        auto counts = lineNumbers(m.working("cut_cnt.ct2"));
        ASSERT_EQ(counts.size(), static_cast<std::size_t>(points - 1));
        ASSERT_EQ(counts.empty() ? 0 : static_cast<std::size_t>(counts.back()), ticks.size());
        std::size_t begin = 0;
        // Each axis's count: the difference of its rounded positions from the first point.
        const std::vector<double>* u[4] = {&lx, &ly, &rx, &ry};
        auto position = [&](int a, int k, double c) {
            const std::vector<double>& v = *u[a];
            return std::nearbyint(c * (std::stod(std::to_string(v[static_cast<std::size_t>(k)])) -
                                       std::stod(std::to_string(v[0]))));
        };
        for (int k = 1; k < points; ++k) {
            const std::size_t end =
                static_cast<std::size_t>(counts[static_cast<std::size_t>(k - 1)]);
            ASSERT_GE(end, begin);
            const double kerf = m.ws.settings.derived.KerfMm.toDouble();
            const int32_t S = m.ws.settings.derived.StepsPerMm;
            double dl[4] = {
                std::stod(std::to_string(lx[k])) - std::stod(std::to_string(lx[k - 1])),
                std::stod(std::to_string(ly[k])) - std::stod(std::to_string(ly[k - 1])),
                std::stod(std::to_string(rx[k])) - std::stod(std::to_string(rx[k - 1])),
                std::stod(std::to_string(ry[k])) - std::stod(std::to_string(ry[k - 1]))};
            const double chord[4] = {cl, cl, cr, cr};
            int32_t count[4], N = 0;
            for (int a = 0; a < 4; ++a) {
                const double c = stepsPerProfileUnit(kerf, chord[a], S);
                count[a] =
                    static_cast<int32_t>(std::fabs(position(a, k, c) - position(a, k - 1, c)));
                N = std::max(N, count[a]);
            }
            const bool idle = N == 0 && begin == 0;  // no step yet: one idle tick
            ASSERT_EQ(end - begin, static_cast<std::size_t>(idle ? 1 : N))
                << "trial " << trial << " segment " << k;
            if (idle) N = 1;
            for (int a = 0; a < 4; ++a) {
                const int32_t n = count[a];
                int32_t made = 0;
                std::size_t last = 0;
                for (std::size_t j = begin; j < end; ++j) {
                    if (ticks[j].step[a]) {
                        ++made;
                        last = j - begin + 1;
                        // steps fall at about m * N / n
                        ASSERT_LE(
                            std::abs(static_cast<double>(last) - std::ceil(made * double(N) / n)),
                            1.0);
                    }
                    // direction level: back/up for a positive difference (Y1 reversed in odd
                    // trials)
                    const bool setLevel =
                        a == 1 && m.ws.settings.derived.Y1.Reversed ? dl[a] <= 0 : dl[a] > 0;
                    ASSERT_EQ(ticks[j].dir[a], setLevel) << "trial " << trial << " axis " << a;
                }
                ASSERT_EQ(made, n) << "trial " << trial << " segment " << k << " axis " << a;
                if (n > 0) {
                    ASSERT_EQ(last, static_cast<std::size_t>(N));
                }
                if (n == N) {
                    ASSERT_EQ(made, N);
                }
                ++checkedAxes;
            }
            begin = end;
        }
    }
    EXPECT_GT(checkedAxes, 0);
}

TEST(TickScheme, AStepOwedAtTheEndGoesToTheLatestTickWithoutOneNeverOnTopOfAStep) {
    // Chords a hair apart: X1 makes one step less than X2, and 371308 additions of its ratio
    // drift far enough that its last two steps both claim the last tick.
    GenerateMachine m;
    m.ws.settings.fields.steps_per_inch = "4000";
    m.ws.settings.fields.kerf = "0";
    m.ws.settings.derive();
    const auto f = m.airfoil("f.dat", "0 0\n0.371308 0\n0.371308 0\n");
    CutGenerator gen(m.ws);
    ASSERT_EQ(gen.generate(m.foam(f, f, "250", "250.00067")).status, GenerationStatus::Finished);
    const std::string steps = m.working("cut.ct1");
    const auto bytes = lineNumbers(steps);
    ASSERT_EQ(bytes.size(), 371309u);
    EXPECT_EQ(bytes.back(), 51);
    const DerivedSettings& d = m.ws.settings.derived;
    const auto ticks = decodeSteps(steps, d);
    int made[4] = {};
    for (std::size_t j = 0; j < ticks.size(); ++j) {
        // Every byte is the sum of the four axes' patterns: no carry from a doubled step.
        const unsigned expected = (ticks[j].step[0] ? d.X1Back : d.X1BackDir) + d.Y1DownDir +
                                  (ticks[j].step[2] ? d.X2Back : d.X2BackDir) + d.Y2DownDir;
        ASSERT_EQ(static_cast<unsigned>(bytes[j]), expected) << "tick " << j + 1;
        for (int a = 0; a < 4; ++a) made[a] += ticks[j].step[a];
    }
    EXPECT_EQ(made[0], 371308);
    EXPECT_EQ(made[2], 371309);
    EXPECT_EQ(made[1] + made[3], 0);
}

TEST(TickScheme, OwedStepsNeverDoubleUpOverManyDriftingSegments) {
    // Counts just below N (ratios a hair above 1) and near N / 2 drift the most; each byte must
    // still be the sum of one pattern per axis and each axis make exactly its count.
    test::TempDir dir;
    std::mt19937 rng(1208);
    int owedSegments = 0;
    for (int trial = 0; trial < 60; ++trial) {
        const int32_t n = 20000 + static_cast<int32_t>(rng() % 400000);
        const int32_t counts[4] = {n, n - 1 - static_cast<int32_t>(rng() % 3),
                                   n / 2 + static_cast<int32_t>(rng() % 5),
                                   static_cast<int32_t>(rng() % static_cast<uint32_t>(n))};
        AxisRun axes[4];
        for (int a = 0; a < 4; ++a) {
            axes[a].count = counts[a];
            axes[a].stepPattern = 3u << (2 * a);
            axes[a].dirPattern = 1u << (2 * a);
            axes[a].start(n);
        }
        {
            LineFileWriter out;
            out.open(dir / "t.ct1");
            writeSegmentTicks(axes, n, out);
            out.close();
        }
        const auto bytes = lineNumbers(readFile(dir / "t.ct1"));
        ASSERT_EQ(bytes.size(), static_cast<std::size_t>(n));
        int32_t made[4] = {};
        for (int64_t b : bytes) {
            for (int a = 0; a < 4; ++a) {
                const int64_t field = b >> (2 * a) & 3;
                ASSERT_TRUE(field == 1 || field == 3) << "trial " << trial << " byte " << b;
                made[a] += field == 3;
            }
        }
        for (int a = 0; a < 4; ++a) ASSERT_EQ(made[a], counts[a]) << "trial " << trial;
        // How often repeated addition left a step owed (what the rule is for).
        double acc = static_cast<double>(n) / counts[1];
        for (int32_t k = 1; k < counts[1]; ++k) acc += static_cast<double>(n) / counts[1];
        owedSegments += acc > n;
    }
    EXPECT_GT(owedSegments, 0);
}

// ---- refusals and failures: the previous working set stays byte for byte ----

TEST(GenerationRefusal, EmptyOrBlankPathChangesNothing) {
    GenerateMachine m;
    m.previousSet();
    auto f = m.airfoil("f.dat", kSmallOutline);
    CutGenerator gen(m.ws);
    for (auto [l, r] : {std::pair<std::string, std::string>{"", f.string()}, {f.string(), "   "}}) {
        GenerationRequest req = m.wing(l, r, "200", "200");
        req.leftPath = l, req.rightPath = r;
        GenerationOutcome out = gen.generate(req);
        EXPECT_EQ(out.status, GenerationStatus::Refused);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_EQ(out.messages[0].text, "DAT file must be entered to begin generation");
        EXPECT_EQ(out.messages[0].title, "DAT File not Found");
        m.expectPreviousSet();
    }
    EXPECT_TRUE(m.ws.job.leftAirfoilPath.empty());  // refused before the job values are taken
}

TEST(GenerationRefusal, UnequalPointCountsAreRefusedWithTheDatFileError) {
    GenerateMachine m;
    m.previousSet();
    std::string sixty, sixtyOne;
    for (int i = 0; i < 61; ++i) (i < 60 ? sixty : sixtyOne) += "0." + std::to_string(i) + " 0\n";
    sixtyOne = sixty + sixtyOne;
    CutGenerator gen(m.ws);
    GenerationOutcome out =
        gen.generate(m.wing(m.airfoil("a.dat", sixtyOne), m.airfoil("b.dat", sixty), "200", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Refused);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(
        out.messages[0].text,
        "DAT files selected do not have the same number of lines. Edit DAT files and try again");
    EXPECT_EQ(out.messages[0].title, "DAT File Error");
    m.expectPreviousSet();
}

TEST(GenerationRefusal, MissingAirfoilReportsFileNotFoundAndKeepsTheSet) {
    GenerateMachine m;
    m.previousSet();
    CutGenerator gen(m.ws);
    GenerationOutcome out =
        gen.generate(m.wing(m.dir / "gone.dat", m.airfoil("b.dat", "0 0\n"), "200", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Failed);
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_EQ(out.messages[0].text,
              "Error encountered, Error Number 53, File not found\rModule 14, GCF");
    EXPECT_EQ(out.messages[0].detail, (m.dir / "gone.dat").string());  // which file it was
    EXPECT_EQ(out.messages[1].text,
              "System Cut files not found, Contact Corvane support for assistance.");
    m.expectPreviousSet();
}

TEST(GenerationRefusal, ChordZeroAndNonNumbersAreOrderlyMessages) {
    GenerateMachine m;
    m.ws.settings.fields.kerf = "0.2";
    m.ws.settings.derive();
    m.previousSet();
    auto f = m.airfoil("f.dat", kSmallOutline);
    CutGenerator gen(m.ws);
    GenerationOutcome out = gen.generate(m.wing(f, f, "0", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Failed);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text,
              "Error encountered, Error Number 11, Division by zero\rModule 14, GCF");
    m.expectPreviousSet();

    GenerationRequest foam = m.wing(f, f, "200", "abc");
    foam.kind = CutSetKind::Foam;
    out = gen.generate(foam);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].text,
              "Error encountered, Error Number 11, Division by zero\rModule 1, GCF");
    m.expectPreviousSet();

    auto words = m.airfoil("w.dat", "0 0\n0.5 0.1\nhello 0\n");
    out = gen.generate(m.wing(words, words, "200", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Refused);
    ASSERT_EQ(out.messages.size(), 1u);
    EXPECT_EQ(out.messages[0].title, "DAT File Error");
    EXPECT_NE(out.messages[0].text.find(words.string()), std::string::npos);
    EXPECT_NE(out.messages[0].text.find("line 3"), std::string::npos);
    m.expectPreviousSet();

    // A negative size would cut the profile mirrored: refused, naming the side, nothing kept.
    m.ws.job.LeftTowerChord = 123;
    for (CutSetKind kind : {CutSetKind::Wing, CutSetKind::Foam}) {
        GenerationRequest r = m.wing(f, f, "200", " -35.5mm");
        r.kind = kind;
        out = gen.generate(r);
        EXPECT_EQ(out.status, GenerationStatus::Refused);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_EQ(out.messages[0].text.rfind(kind == CutSetKind::Wing
                                                 ? "The right tower chord is -35.5 mm:"
                                                 : "The right tower horizontal size is -35.5 mm:",
                                             0),
                  0u)
            << out.messages[0].text;
        m.expectPreviousSet();
        EXPECT_EQ(m.ws.job.LeftTowerChord, 123);
    }
}

TEST(GenerationRefusal, MissingTemplateGivesTheSystemMessage) {
    GenerateMachine m;
    m.previousSet();
    fs::remove(m.dir / "temp_cut_cnt.txt");
    auto f = m.airfoil("f.dat", kSmallOutline);
    CutGenerator gen(m.ws);
    GenerationOutcome out = gen.generate(m.wing(f, f, "200", "200"));
    EXPECT_EQ(out.status, GenerationStatus::Failed);
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_EQ(out.messages[1].text,
              "System Cut files not found, Contact Corvane support for assistance.");
    m.expectPreviousSet();
}

TEST(GenerationStop, StopAtASegmentBoundaryRestoresThePreviousSet) {
    GenerateMachine m;
    m.previousSet();
    auto f = m.airfoil("f.dat", "1 0\n0.6 0.05\n0.2 0.04\n0 0\n0.5 -0.05\n1 0\n");
    CutGenerator gen(m.ws);
    std::vector<int> seen;
    GenerationCallbacks cb;
    cb.progress = [&](int k, int points) {
        EXPECT_EQ(points, 6);
        seen.push_back(k);
    };
    int yields = 0;
    cb.yield = [&] {
        if (++yields == 3) gen.requestStop();
    };
    GenerationOutcome out = gen.generate(m.wing(f, f, "200", "200"), cb);
    EXPECT_EQ(out.status, GenerationStatus::Stopped);
    EXPECT_TRUE(out.messages.empty());
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 4}));
    m.expectPreviousSet();

    // The next generation clears the flag and runs to the end.
    EXPECT_EQ(gen.generate(m.wing(f, f, "200", "200"), {}).status, GenerationStatus::Finished);
    EXPECT_EQ(lineNumbers(m.working("cut_cnt.ct2")).size(), 5u);
}

TEST(GenerationStop, AFreshFolderWithoutAWorkingSetStaysWithout) {
    GenerateMachine m;
    auto f = m.airfoil("f.dat", kSmallOutline);
    CutGenerator gen(m.ws);
    GenerationCallbacks cb;
    cb.progress = [&](int, int) { gen.requestStop(); };
    EXPECT_EQ(gen.generate(m.wing(f, f, "200", "200"), cb).status, GenerationStatus::Stopped);
    EXPECT_FALSE(fs::exists(m.dir / "cut.ct1"));
    EXPECT_FALSE(fs::exists(m.dir / "datinfo.ct3"));
    m.expectNoLeftovers();
}

}  // namespace
}  // namespace corvane::test
