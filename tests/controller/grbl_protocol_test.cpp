// The controller's words as Corvane reads and writes them: reply lines, status reports, the
// feed override as real-time steps, the RX buffer of $I, the typed address, the settings
// comparison and the export's G-code made streamable.
#include "controller/grbl_protocol.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "controller/controller_address.h"
#include "controller/controller_program.h"
#include "controller/settings_comparison.h"

namespace corvane {
namespace {

using grbl::ReplyKind;

TEST(GrblProtocol, RepliesAreClassifiedWithTheirNumbers) {
    const struct {
        const char* line;
        ReplyKind kind;
        int code;
    } cases[] = {
        {"ok\r", ReplyKind::Ok, 0},
        {"error:22", ReplyKind::Error, 22},
        {"ALARM:3", ReplyKind::Alarm, 3},
        {"<Idle|MPos:0.000,0.000,0.000,0.000>", ReplyKind::Status, 0},
        {"GrblHAL 1.1f ['$' or '$HELP' for help]", ReplyKind::Banner, 0},
        {"Grbl 1.1h ['$' for help]", ReplyKind::Banner, 0},
        {"[MSG:'$H'|'$X' to unlock]", ReplyKind::Bracketed, 0},
        {"$100=158.000", ReplyKind::Setting, 0},
        {"okay", ReplyKind::Other, 0},
    };
    for (const auto& c : cases) {
        const grbl::Reply r = grbl::classify(c.line);
        EXPECT_EQ(r.kind, c.kind) << c.line;
        EXPECT_EQ(r.code, c.code) << c.line;
    }
    EXPECT_EQ(grbl::errorMeaning(22), "Feed rate has not yet been set or is undefined.");
    EXPECT_EQ(grbl::alarmMeaning(3),
              "Reset while in motion. Machine position is likely lost due to sudden halt.");
    EXPECT_EQ(grbl::errorMeaning(999), "Unknown error number 999.");
}

TEST(GrblProtocol, StatusReportsGiveStatePositionFeedOverridesAndOutputs) {
    auto s = grbl::parseStatus(
        "<Hold:1|MPos:-0.367,1.5,-2,0.000|Bf:82,1019|FS:526,1000|Ov:150,100,100|A:SF|Ln:12>");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->state, "Hold:1");
    EXPECT_EQ(s->stateName(), "Hold");
    EXPECT_TRUE(s->moving());  // still decelerating
    EXPECT_DOUBLE_EQ(s->position[0], -0.367);
    EXPECT_DOUBLE_EQ(s->position[2], -2);
    EXPECT_DOUBLE_EQ(s->feed, 526);
    EXPECT_EQ(s->overrides[0], 150);
    EXPECT_TRUE(s->spindleOn && s->coolantOn);
    EXPECT_EQ(s->line, 12);

    s = grbl::parseStatus("<Idle|WPos:1,2,3,4|FS:0,0|A:|TLR:0>");
    ASSERT_TRUE(s);
    EXPECT_FALSE(s->moving());
    EXPECT_FALSE(s->spindleOn || s->coolantOn || s->hasOverrides);
    EXPECT_DOUBLE_EQ(s->position[3], 4);
    EXPECT_FALSE(grbl::parseStatus("ok"));
    EXPECT_FALSE(grbl::parseStatus("<Idle"));
}

TEST(GrblProtocol, FeedOverrideStepsReachEveryTargetInTheFirmwaresRange) {
    for (int from = grbl::kFeedOverrideMin; from <= grbl::kFeedOverrideMax; from += 7) {
        for (int to = 0; to <= 260; to += 3) {
            int at = from;
            for (char b : grbl::feedOverrideBytes(from, to)) {
                at += b == grbl::kFeedOverridePlus10    ? 10
                      : b == grbl::kFeedOverrideMinus10 ? -10
                      : b == grbl::kFeedOverridePlus1   ? 1
                      : b == grbl::kFeedOverrideMinus1  ? -1
                                                        : 1000;
                ASSERT_GE(at, grbl::kFeedOverrideMin);
                ASSERT_LE(at, grbl::kFeedOverrideMax);
            }
            ASSERT_EQ(at, grbl::clampFeedOverride(to)) << from << " -> " << to;
        }
    }
    EXPECT_EQ(grbl::feedOverrideBytes(100, 137).size(), 3u + 7u);
}

TEST(GrblProtocol, RxBufferAndAddresses) {
    EXPECT_EQ(grbl::rxBufferOf("[OPT:VNML+,100,1024,4,0]"), 1024);
    EXPECT_EQ(grbl::rxBufferOf("[OPT:V,15,128]"), 128);
    EXPECT_FALSE(grbl::rxBufferOf("[OPT:V,15]"));
    EXPECT_FALSE(grbl::rxBufferOf("[VER:1.1f:]"));

    auto a = parseControllerAddress("grbl:/dev/ttyUSB0");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->device, "/dev/ttyUSB0");
    EXPECT_EQ(a->baud, 115200);
    EXPECT_EQ(a->text(), "grbl:/dev/ttyUSB0");
    a = parseControllerAddress("grbl:/dev/ttyACM1@250000");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->baud, 250000);
    EXPECT_EQ(a->text(), "grbl:/dev/ttyACM1@250000");
    std::string why;
    for (const char* bad : {"/dev/ttyUSB0", "grbl:", "grbl:/dev/x@fast", "grbl:/dev/x@0"}) {
        EXPECT_FALSE(parseControllerAddress(bad, &why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
}

TEST(SettingsComparison, StepsRefuseRatesAndAccelerationsWarn) {
    std::map<int, double> c;
    for (int a = 0; a < 4; ++a) {
        c[100 + a] = 158;
        c[110 + a] = 3000;
        c[120 + a] = 200;
    }
    SettingsComparison r = compareSettings(c, 158, {372, 372, 372, 372});
    EXPECT_TRUE(r.accepted());
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.rows[1],
              "Y (Y1): steps/mm 158 (Corvane 158), max rate 3000 mm/min, "
              "acceleration 200 mm/s^2");

    c[102] = 158.01;  // 0.01 steps/mm: 10 steps over a metre
    c[111] = 300;
    c[123] = 20;
    r = compareSettings(c, 158, {372, 372, 372, 372});
    ASSERT_EQ(r.refusals.size(), 1u);
    EXPECT_EQ(r.refusals[0],
              "Steps/mm of axis Z (X2) differ: the controller has $102=158.01, Corvane's "
              "settings 158: the cut would come out a different size");
    ASSERT_EQ(r.warnings.size(), 2u);
    EXPECT_NE(r.warnings[0].find("$111=300 mm/min is below the 372 mm/min"), std::string::npos);
    EXPECT_NE(r.warnings[1].find("$123=20 mm/s^2"), std::string::npos);

    c.erase(100);
    EXPECT_FALSE(compareSettings(c, 158, {}).accepted());
}

TEST(GrblProtocol, TheBoardsAxesPlaceX1Y1X2Y2) {
    const struct {
        const char* line;
        const char* letters;  // nullptr: refused
        std::array<int, 4> index;
    } cases[] = {
        {"[AXS:4:XYZA]", "XYZA", {0, 1, 2, 3}},
        {"[AXS:5:XYZUV]", "XYUV", {0, 1, 3, 4}},
        {"[AXS:6:XYZABC]", "XYZA", {0, 1, 2, 3}},
        {"[AXS:4:XYUV]", "XYUV", {0, 1, 2, 3}},
        {"[AXS:3:XYZ]", nullptr, {}},
        {"[AXS:5:XYZAB]", "XYZA", {0, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        const auto axes = grbl::axesOf(c.line);
        ASSERT_TRUE(axes) << c.line;
        std::string why;
        const auto map = grbl::axisMapOf(*axes, &why);
        if (c.letters == nullptr) {
            EXPECT_FALSE(map) << c.line;
            EXPECT_NE(why.find("X Y Z A or X Y U V"), std::string::npos) << why;
            continue;
        }
        ASSERT_TRUE(map) << c.line;
        EXPECT_EQ(map->letters, c.letters) << c.line;
        EXPECT_EQ(map->index, c.index) << c.line;
    }
    EXPECT_FALSE(grbl::axesOf("[OPT:VNML+,100,1024,4,0]"));
    // A five-axis report read through the map: Z (the third value) is skipped.
    const auto s = grbl::parseStatus("<Idle|MPos:1,2,9,3,4|WCO:0,0,7,0.5,0>", {0, 1, 3, 4});
    ASSERT_TRUE(s);
    EXPECT_EQ(s->position, (std::array<double, 4>{1, 2, 3, 4}));
    EXPECT_EQ(s->machinePosition(), (std::array<double, 4>{1, 2, 3, 4}));
    EXPECT_EQ(s->offset, (std::array<double, 4>{0, 0, 0.5, 0}));
}

TEST(SettingsComparison, UnnumberedSettingsAreUncomparedAndTheSpindleIsChecked) {
    // A board that keeps its settings in a file: a statement, no refusal.
    const SettingsComparison fluid = compareSettings({{10, 1}, {30, 1000}}, 158, {372, 0, 0, 0});
    EXPECT_TRUE(fluid.accepted());
    ASSERT_EQ(fluid.warnings.size(), 1u);
    EXPECT_NE(fluid.warnings[0].find("could not be compared"), std::string::npos);
    // U and V are $103 and $104 on an X Y Z U V board.
    std::map<int, double> uv;
    for (int n = 0; n < 5; ++n) uv[100 + n] = n == 2 ? 400 : 158;
    grbl::AxisMap map;
    map.letters = "XYUV";
    map.index = {0, 1, 3, 4};
    EXPECT_TRUE(compareSettings(uv, 158, {}, map).accepted());
    EXPECT_FALSE(compareSettings(uv, 158, {}).accepted());  // read as X Y Z A: Z differs

    EXPECT_TRUE(spindleWireWarnings({{30, 1000}, {32, 0}}, 1000, true).empty());
    const auto high = spindleWireWarnings({{30, 500}, {32, 0}}, 1000, true);
    ASSERT_EQ(high.size(), 1u);
    EXPECT_NE(high[0].find("above the controller's top spindle speed $30=500"), std::string::npos);
    EXPECT_TRUE(spindleWireWarnings({{30, 1000}, {32, 1}}, 1000, false).empty());
    const auto laser = spindleWireWarnings({{30, 1000}, {32, 1}}, 1000, true);
    ASSERT_EQ(laser.size(), 1u);
    EXPECT_NE(laser[0].find("laser mode ($32=1)"), std::string::npos);
}

TEST(ControllerProgram, CommentsAndBlankLinesLeaveTheStreamLineNumbersStay) {
    const auto lines =
        streamLines("(Corvane G-code)\nG21 G90 G93\n\nG1 X1 F60 (lead-in)\r\nG4 P0.5\nM2");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].number, 2);
    EXPECT_EQ(lines[1].text, "G1 X1 F60");
    EXPECT_EQ(lines[1].number, 4);
    EXPECT_EQ(lines[3].text, "M2");
    EXPECT_EQ(lines[3].number, 6);
    EXPECT_EQ(wireOnCode(WireOutput::Spindle, 750), "M3 S750");
    EXPECT_EQ(wireOnCode(WireOutput::Coolant, 750), "M8");
    EXPECT_EQ(wireOffCode(WireOutput::Coolant), "M9");
}

}  // namespace
}  // namespace corvane
