// What a typed value writes, column by column, and the texts of the cells.
#include "portscope/value_entry.h"

#include <gtest/gtest.h>

namespace portscope {
namespace {

TEST(ValueEntry, EachColumnKeepsTheLowEightBitsByItsOwnRule) {
    struct Case {
        ValueColumn column;
        const char* text;
        int expected;  // -1: nothing written
    };
    const Case cases[] = {
        {ValueColumn::Dec, "300", 44},
        {ValueColumn::Dec, " 12 ", 12},
        {ValueColumn::Dec, "-1", 255},
        {ValueColumn::Dec, "+7", 7},
        {ValueColumn::Dec, "2147483647", 255},
        {ValueColumn::Dec, "-2147483648", 0},
        {ValueColumn::Dec, "2147483648", -1},
        {ValueColumn::Dec, "12x", -1},
        {ValueColumn::Dec, "abc", -1},
        {ValueColumn::Dec, "", -1},
        {ValueColumn::Dec, "-", -1},
        {ValueColumn::Dec, "1 2", -1},
        {ValueColumn::Hex, "FF", 255},
        {ValueColumn::Hex, "1a", 26},
        {ValueColumn::Hex, "12A", 0x2A},
        {ValueColumn::Hex, "1G2", 1},
        // No hex digit first: nothing is written (one rule with the empty binary entry).
        {ValueColumn::Hex, " 5", -1},
        {ValueColumn::Hex, "", -1},
        {ValueColumn::Hex, "xyz", -1},
        {ValueColumn::Bin, "10201", 17},
        {ValueColumn::Bin, "00101100", 44},
        {ValueColumn::Bin, "1x1", 5},
        {ValueColumn::Bin, "111111111", 255},
        {ValueColumn::Bin, "100000000", 0},
        {ValueColumn::Bin, "1", 1},
        {ValueColumn::Bin, "", -1},
        {ValueColumn::Bin, "   ", -1},
    };
    for (const Case& c : cases) {
        const EntryResult r = parseEntry(c.column, c.text);
        SCOPED_TRACE(std::string("\"") + c.text + "\" in column " +
                     std::to_string(static_cast<int>(c.column)));
        if (c.expected < 0) {
            EXPECT_FALSE(r.value.has_value());
        } else {
            ASSERT_TRUE(r.value.has_value());
            EXPECT_EQ(*r.value, c.expected);
            EXPECT_TRUE(r.error.empty());
        }
    }
    EXPECT_EQ(parseEntry(ValueColumn::Dec, "abc").error, "'abc' is not a valid integer value");
    EXPECT_TRUE(parseEntry(ValueColumn::Bin, "").error.empty());
    EXPECT_TRUE(parseEntry(ValueColumn::Hex, "").error.empty());
}

TEST(ValueEntry, CellTextsReadBackAsTheValueTheyShow) {
    for (int v = 0; v < 256; ++v) {
        const auto b = static_cast<uint8_t>(v);
        EXPECT_EQ(parseEntry(ValueColumn::Dec, decText(b)).value, b);
        EXPECT_EQ(parseEntry(ValueColumn::Hex, hexText(b)).value, b);
        EXPECT_EQ(parseEntry(ValueColumn::Bin, binText(b)).value, b);
        EXPECT_EQ(hexText(b).size(), 2u);
        EXPECT_EQ(binText(b).size(), 8u);
    }
    EXPECT_EQ(binText(0x80), "10000000");
    EXPECT_EQ(hexText(0x0C), "0C");
    EXPECT_EQ(addressText(0x378), "378");
    EXPECT_EQ(addressText(0x3BC), "3BC");
    EXPECT_EQ(addressText(0x27A), "27A");
}

}  // namespace
}  // namespace portscope
