// The kerf calibration: the arithmetic on made-up measurements and its refusals, the points
// merged into a material, the comb's design refusals, and the comb generated as a set whose
// teeth really take their own time; and the set's "made for" record as generations write it
// (the tower geometry's kerf from a material, nothing added without a speed).
#include "generate/kerf_calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

#include "common/number_format.h"
#include "generate/cut_set_layout.h"
#include "generate/set_kerf_record.h"
#include "generate_fixture.h"

namespace corvane::test {
namespace {

std::vector<int64_t> countLines(const std::string& text) {
    std::vector<int64_t> v;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) v.push_back(std::stoll(line));
    return v;
}

TEST(KerfCalibration, KerfIsNominalLessMeasuredAndBadReadingsGiveNoPoint) {
    struct Case {
        double speed, nominal, measured;
        std::optional<double> power;
        std::optional<double> kerf;  // nullopt: a problem naming the speed
    };
    const Case cases[] = {
        {4, 20, 19.2, 600, 0.8},             // the usual: 0.8 mm, no binary residue
        {2, 20, 18.65, std::nullopt, 1.35},  // slower, wider
        {6, 25, 24.4, 700, 0.6},             // another nominal width
        {3, 20, 20, std::nullopt, 0},        // no kerf at all is still a point
        {8, 20, 20.3, std::nullopt, {}},     // wider than nominal
        {9, 20, 9.5, std::nullopt, {}},      // less than half: a misread
        {10, 20, 0, std::nullopt, {}},       // nothing measured
    };
    std::vector<ToothMeasurement> teeth;
    for (const Case& c : cases) teeth.push_back({c.speed, c.nominal, c.measured, c.power});
    const KerfCalibrationResult r = kerfFromMeasurements(teeth);
    std::size_t point = 0, problems = 0;
    // The points come out by speed: 2, 3, 4, 6.
    const double bySpeed[] = {2, 3, 4, 6};
    for (double speed : bySpeed) {
        const Case* c = nullptr;
        for (const Case& k : cases)
            if (k.speed == speed) c = &k;
        ASSERT_LT(point, r.points.size());
        EXPECT_EQ(r.points[point].speedMmS, speed);
        EXPECT_EQ(r.points[point].kerfMm, *c->kerf) << speed;  // exact: four decimals
        EXPECT_EQ(r.points[point].power, c->power) << speed;
        ++point;
    }
    EXPECT_EQ(r.points.size(), 4u);
    for (const Case& c : cases) {
        if (c.kerf) continue;
        ASSERT_LT(problems, r.problems.size());
        EXPECT_NE(r.problems[problems].find(formatDouble(c.speed) + " mm/s"), std::string::npos)
            << r.problems[problems];
        ++problems;
    }
    EXPECT_EQ(r.problems.size(), 3u);
}

TEST(KerfCalibration, MeasurementsPairWithTheTeethAndMergeIntoTheMaterial) {
    KerfCalibrationDesign d;
    d.speedsMmS = {5, 2.5};
    d.toothWidthMm = 25;
    const KerfCalibrationCut cut = kerfCalibrationCut(d);
    const std::vector<ToothMeasurement> m = toothMeasurements(cut, {24.3, 23.9}, {650, 500});
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1].speedMmS, 2.5);
    EXPECT_EQ(m[1].nominalMm, 25);
    EXPECT_EQ(m[1].measuredMm, 23.9);
    EXPECT_EQ(m[1].power, 500);

    MaterialTable table;
    std::string why;
    table.put(*makeMaterial("XPS 蓝", {{2.5, 1.0, {}}, {4, 0.9, {}}, {8, 0.5, {}}}, why));
    const KerfCalibrationResult r = kerfFromMeasurements(m);
    // 2.5 mm/s measured again replaces its point; 4 and 8 stay; 5 is new.
    const std::optional<Material> merged = calibratedMaterial(table, "XPS 蓝", r.points, why);
    ASSERT_TRUE(merged) << why;
    ASSERT_EQ(merged->points.size(), 4u);
    const double speeds[] = {2.5, 4, 5, 8}, kerfs[] = {1.1, 0.9, 0.7, 0.5};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(merged->points[i].speedMmS, speeds[i]);
        EXPECT_NEAR(merged->points[i].kerfMm, kerfs[i], 1e-12);
    }
    // A new material needs two points: one tooth alone is refused with the reason.
    EXPECT_FALSE(calibratedMaterial(table, "new", {r.points[0]}, why));
    EXPECT_NE(why.find("at least two"), std::string::npos) << why;
}

TEST(KerfCalibration, TheCombsRefusalsNameTheirNumbers) {
    struct Case {
        std::function<void(KerfCalibrationDesign&)> change;
        const char* said;
    };
    const Case cases[] = {
        {[](auto& d) { d.speedsMmS.clear(); }, "at least one speed"},
        {[](auto& d) {
             d.speedsMmS = {2, 0};
         },
         "greater than 0 mm/s: 0"},
        {[](auto& d) {
             d.speedsMmS = {3, 2, 3};
         },
         "3 mm/s is given twice"},
        {[](auto& d) { d.toothWidthMm = -1; }, "tooth width must be greater than 0: -1 mm"},
        {[](auto& d) { d.gapMm = 0; }, "gap between teeth"},
    };
    EXPECT_TRUE(calibrationRefusals(KerfCalibrationDesign{}).empty());
    for (const Case& c : cases) {
        KerfCalibrationDesign d;
        c.change(d);
        const std::vector<std::string> no = calibrationRefusals(d);
        ASSERT_EQ(no.size(), 1u) << c.said;
        EXPECT_NE(no[0].find(c.said), std::string::npos) << no[0];
    }
}

TEST(KerfCalibration, EachToothOfTheGeneratedCombRunsAtItsOwnSpeed) {
    GenerateMachine m;
    m.ws.settings.fields.kerf = "0.5";  // left out: the comb is cut at kerf 0
    m.ws.settings.derive();
    m.ws.delays.ActiveDelayPoints = {3};  // left out too
    m.ws.delays.ActiveDelayPointCount = 1;
    KerfCalibrationDesign d;
    d.speedsMmS = {2, 4, 8};
    const KerfCalibrationCut cut = kerfCalibrationCut(d);
    EXPECT_EQ(cut.cutSpeedMmS, 8);
    EXPECT_EQ(cut.lengthMm, 2 * 15 + 3 * 20 + 2 * 15);
    ASSERT_EQ(cut.segmentSpeedsMmS.size() + 1, cut.path.size());
    const auto dat = m.airfoil(kCalibrationDatFileName, calibrationDatText(cut));
    CutGenerator generator(m.ws);
    const GenerationOutcome out =
        generator.generate(kerfCalibrationRequest(cut, dat.string(), "EPS 20"));
    ASSERT_EQ(out.status, GenerationStatus::Finished)
        << (out.messages.empty() ? "" : out.messages.front().text);
    EXPECT_EQ(out.summary.delayLines, 0);
    EXPECT_EQ(out.summary.leftKerf->maxMm, 0);

    // Every segment takes its length (one axis moves) over its own speed, in ticks at 8 mm/s.
    const std::vector<int64_t> totals = countLines(m.working("cut_cnt.ct2"));
    ASSERT_EQ(totals.size(), cut.segmentSpeedsMmS.size());
    const double S = m.ws.settings.derived.StepsPerMm;
    const double tickS = 1.0 / (S * 8);  // one step of the longest axis a tick
    for (std::size_t k = 0; k < totals.size(); ++k) {
        const int64_t ticks = totals[k] - (k == 0 ? 0 : totals[k - 1]);
        const double length =
            std::hypot(cut.path.x[k + 1] - cut.path.x[k], cut.path.y[k + 1] - cut.path.y[k]);
        const double want = length / cut.segmentSpeedsMmS[k];
        EXPECT_NEAR(static_cast<double>(ticks) * tickS, want, 8 * tickS) << k;
    }
    // The record: made for 8 mm/s, a calibration of EPS 20.
    std::string why;
    const std::optional<SetKerfRecord> r =
        setKerfRecordFromFields(allDatInfoFields(m.working("datinfo.ct3")), why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(r->cutSpeedMmS, 8);
    EXPECT_EQ(r->material, "EPS 20");
    EXPECT_EQ(r->source, SetKerfSource::Calibration);
    EXPECT_FALSE(r->usedMaterial());
}

TEST(KerfBySpeedRecord, TowerSetsTakeTheMaterialsKerfAndRecordItOnlyWithASpeed) {
    std::string why;
    const Material m = *makeMaterial("挤塑板 XPS", {{2, 1.4, 500}, {6, 0.6, std::nullopt}}, why);
    auto generate = [](GenerateMachine& g, std::optional<Material> material, double speed) {
        const auto root = g.airfoil("root.dat", kSmallOutline);
        GenerationRequest r = g.wing(root, root, "200", "120");
        r.material = std::move(material);
        r.cutSpeedMmS = speed;
        CutGenerator generator(g.ws);
        return generator.generate(r);
    };
    // With the material at 4 mm/s: the kerf there (1.0 mm) as the settings' kerf would be.
    GenerateMachine byMaterial, bySettings, plain;
    ASSERT_EQ(generate(byMaterial, m, 4).status, GenerationStatus::Finished);
    bySettings.ws.settings.fields.kerf = "1";
    bySettings.ws.settings.derive();
    ASSERT_EQ(generate(bySettings, std::nullopt, 0).status, GenerationStatus::Finished);
    EXPECT_EQ(byMaterial.working("cut.ct1"), bySettings.working("cut.ct1"));
    EXPECT_EQ(byMaterial.working("cut_cnt.ct2"), bySettings.working("cut_cnt.ct2"));

    // Its record holds the speed, the name in any script and the points as used; readers of
    // eight fields see the same eight as without it.
    const std::vector<std::string> fields = allDatInfoFields(byMaterial.working("datinfo.ct3"));
    const std::optional<SetKerfRecord> r = setKerfRecordFromFields(fields, why);
    ASSERT_TRUE(r) << why;
    EXPECT_EQ(*r, (SetKerfRecord{4, m.name, SetKerfSource::Material, m.points}));
    EXPECT_EQ(r->usedMaterial(), m);
    const auto eight = readDatInfoFields(byMaterial.working("datinfo.ct3"));
    const auto before = readDatInfoFields(bySettings.working("datinfo.ct3"));
    ASSERT_EQ(eight.size(), 8u);
    for (std::size_t i = 2; i < 8; ++i) EXPECT_EQ(eight[i], before[i]) << i;  // paths differ

    // No speed, no material: the line is as it always was, and has no record.
    ASSERT_EQ(generate(plain, std::nullopt, 0).status, GenerationStatus::Finished);
    EXPECT_EQ(allDatInfoFields(plain.working("datinfo.ct3")).size(), 8u);
    EXPECT_FALSE(setKerfRecordFromFields(allDatInfoFields(plain.working("datinfo.ct3")), why));
    // A material without a speed is refused and leaves the previous set.
    GenerateMachine refused;
    refused.previousSet();
    const GenerationOutcome no = generate(refused, m, 0);
    EXPECT_EQ(no.status, GenerationStatus::Refused);
    ASSERT_FALSE(no.messages.empty());
    EXPECT_EQ(no.messages[0].title, kKerfBySpeedTitle);
    refused.expectPreviousSet();
    // A record cut short is said, not taken.
    std::vector<std::string> shortRecord = fields;
    shortRecord.resize(shortRecord.size() - 2);
    why.clear();
    EXPECT_FALSE(setKerfRecordFromFields(shortRecord, why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace corvane::test
