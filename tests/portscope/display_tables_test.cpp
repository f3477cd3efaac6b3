// The pin table, the connector's mirroring, the colour lists and the sampling periods.
#include "portscope/display_tables.h"

#include <gtest/gtest.h>

#include <set>

#include "portscope/bit_setter_model.h"

namespace portscope {
namespace {

TEST(Pins, HintsTagsAndLevelsFollowTheWiring) {
    EXPECT_EQ(pinHint(pinInfo(2)), "Pin 2 D0 Output");
    EXPECT_EQ(pinHint(pinInfo(13)), "Pin 13 S4 Input");
    EXPECT_EQ(pinHint(pinInfo(1)), "Pin 1 /C0 Output");
    EXPECT_EQ(pinHint(pinInfo(11)), "Pin 11 \\S7 Input");
    EXPECT_EQ(pinHint(pinInfo(14)), "Pin 14 \\C1 Output");
    EXPECT_EQ(pinHint(pinInfo(17)), "Pin 17 \\C3 Output");
    EXPECT_EQ(pinHint(pinInfo(25)), "Pin 25 Gnd");
    EXPECT_STREQ(pinInfo(18).shape, "Gnd8");
    EXPECT_STREQ(pinInfo(25).shape, "Gnd1");
    EXPECT_EQ(pinTag(pinInfo(5)), 0x08u);
    EXPECT_EQ(pinTag(pinInfo(16)), (2u << 16) | 0x04u);
    EXPECT_EQ(pinTag(pinInfo(10)), 0u);

    // Every register bit that reaches the connector shows on exactly one pin, at the level of
    // the pin: inverted pins light when the bit is 0.
    std::set<std::pair<int, int>> seen;
    for (const PinInfo& p : pins()) {
        if (p.offset < 0) {
            EXPECT_FALSE(pinIsHigh(p, 0xFF));
            EXPECT_FALSE(pinIsHigh(p, 0x00));
            continue;
        }
        EXPECT_TRUE(seen.insert({p.offset, p.mask}).second) << p.pin;
        EXPECT_EQ(pinIsHigh(p, p.mask), !p.inverted) << p.pin;
        EXPECT_EQ(pinIsHigh(p, static_cast<uint8_t>(~p.mask)), p.inverted) << p.pin;
        EXPECT_EQ(p.clickable, p.offset != kStatus);
    }
    EXPECT_EQ(seen.size(), 17u);
    for (int pin : {1, 11, 14, 17}) EXPECT_TRUE(pinInfo(pin).inverted) << pin;
}

TEST(Pins, MaleMirrorsFemaleAcrossEachRow) {
    for (int row = 0; row < 2; ++row) {
        std::set<int> female, male;
        for (const PinInfo& p : pins()) {
            if (pinRow(p.pin) != row) continue;
            female.insert(pinColumn(p.pin, false));
            male.insert(pinColumn(p.pin, true));
            const int partner = row == 0 ? 14 - p.pin : 39 - p.pin;
            EXPECT_EQ(pinColumn(p.pin, false), pinColumn(partner, true)) << p.pin;
        }
        EXPECT_EQ(female, male);
        EXPECT_EQ(female.size(), row == 0 ? 13u : 12u);
    }
    EXPECT_EQ(pinColumn(7, false), pinColumn(7, true));
}

TEST(Colours, ListsHoldEighteenEntriesAndPickTheFirstMatch) {
    ASSERT_EQ(colourList().size(), 18u);
    EXPECT_STREQ(colourList()[0].name, "Black");
    EXPECT_STREQ(colourList()[17].name, "White");
    EXPECT_EQ(colourIndex(kDefaultHighColour), 9);        // Red
    EXPECT_EQ(colourIndex(kDefaultLowColour), 10);        // Lime
    EXPECT_EQ(colourIndex(colourRef(128, 128, 128)), 7);  // Gray before Dark Gray
    EXPECT_EQ(colourIndex(colourRef(192, 192, 192)), 8);  // Silver before Light Gray
    EXPECT_EQ(colourIndex(colourRef(1, 2, 3)), -1);
    EXPECT_EQ(kDefaultHighColour, 255u);
    EXPECT_EQ(kDefaultLowColour, 65280u);
}

TEST(SampleRates, PeriodsComeFromTheItemTexts) {
    const int expected[] = {0, 50, 100, 500, 1000, 2000, 5000, 10000, 30000, 60000};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(samplePeriodMs(i), expected[i]) << sampleRates()[i];
    EXPECT_STREQ(sampleRates()[0], "As fast as possible");
    EXPECT_EQ(samplePeriodMs(10), 0);
}

std::vector<std::string> column(const std::array<BitSetterRow, 8>& rows, int c) {
    std::vector<std::string> out;
    for (const auto& r : rows) out.push_back(r[static_cast<size_t>(c)]);
    return out;
}

TEST(BitSetterRows, ShowBitsPinsAndLevelsOfEachRegister) {
    using V = std::vector<std::string>;
    const auto control = bitSetterRows(bitSetterSetup(kControl), 0x00);
    EXPECT_EQ(column(control, 4), (V{"High", "High", "Low", "High", "N/A", "N/A", "N/A", "N/A"}));
    EXPECT_EQ(column(control, 3), (V{"1", "14", "16", "17", "N/A", "N/A", "N/A", "N/A"}));
    EXPECT_EQ(column(control, 2), V(8, "0"));

    const auto status = bitSetterRows(bitSetterSetup(kStatus), 0x78);
    EXPECT_EQ(column(status, 4), (V{"N/A", "N/A", "N/A", "High", "High", "High", "High", "High"}));
    EXPECT_EQ(column(status, 2), (V{"0", "0", "0", "1", "1", "1", "1", "0"}));
    EXPECT_EQ(column(status, 1), (V{"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7"}));

    const auto data = bitSetterRows(bitSetterSetup(kData), 0x08);
    EXPECT_EQ(column(data, 2), (V{"0", "0", "0", "1", "0", "0", "0", "0"}));
    EXPECT_EQ(column(data, 4), (V{"Low", "Low", "Low", "High", "Low", "Low", "Low", "Low"}));
    EXPECT_EQ(column(data, 0), (V{"0", "1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_STREQ(bitSetterSetup(kData).caption, "Bit Setter - Data Port");
    EXPECT_STREQ(bitSetterSetup(kStatus).caption, "Bit Setter - Status Port");
    EXPECT_STREQ(bitSetterSetup(kControl).caption, "Bit Setter - Control Port");
}

}  // namespace
}  // namespace portscope
