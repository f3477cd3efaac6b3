// The leading-number rule of typed text and the whole-text number test of the record reader.
#include "common/number_text.h"

#include <gtest/gtest.h>

#include "common/run_error.h"

namespace corvane {
namespace {

TEST(NumberText, LeadingNumberSkipsBlanksAndStopsAtTheFirstStranger) {
    EXPECT_DOUBLE_EQ(leadingNumber(" 1 2.5e1x"), 125);
    EXPECT_DOUBLE_EQ(leadingNumber("157.5"), 157.5);
    EXPECT_DOUBLE_EQ(leadingNumber("  -12.5 mm"), -12.5);
    EXPECT_DOUBLE_EQ(leadingNumber("- 5"), -5);
    EXPECT_DOUBLE_EQ(leadingNumber("+3"), 3);
    EXPECT_DOUBLE_EQ(leadingNumber(".02"), 0.02);
    EXPECT_DOUBLE_EQ(leadingNumber("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber("12abc"), 12);
    EXPECT_DOUBLE_EQ(leadingNumber("1E-05"), 1e-5);
    EXPECT_DOUBLE_EQ(leadingNumber("2D3"), 2000);
    EXPECT_DOUBLE_EQ(leadingNumber("1e"), 1);  // an exponent without digits is not one
    EXPECT_DOUBLE_EQ(leadingNumber("1e+x"), 1);
    EXPECT_DOUBLE_EQ(leadingNumber("4,5"), 4);  // a comma is not a decimal point
    EXPECT_DOUBLE_EQ(leadingNumber("0x378"), 0);
}

TEST(NumberText, TextWithoutANumberGivesZeroOrNothing) {
    for (const char* text : {"", "   ", "abc", ".", "-", "+.", "e5", "Pin 2", "Combo1"}) {
        EXPECT_DOUBLE_EQ(leadingNumber(text), 0) << text;
        EXPECT_FALSE(leadingNumberIfAny(text).has_value()) << text;
    }
    EXPECT_EQ(leadingNumberIfAny("0").value(), 0);
    EXPECT_EQ(leadingNumberIfAny(" 7 apples").value(), 7);
}

TEST(NumberText, HugeNumberRaisesOverflow) {
    try {
        leadingNumber("1e400");
        FAIL() << "no error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.number(), 6);
    }
}

TEST(NumberText, WholeNumberTextIsOneNumberAndNothingElse) {
    for (const char* text : {"0", " 12.5 ", "-3.125", ".5", "-.5", "1E-05", "1e+08", "+4", "7."}) {
        EXPECT_TRUE(isWholeNumberText(text)) << text;
    }
    for (const char* text : {"", " ", "1 2", "12abc", "1e", "--1", ".", "#TRUE#", "378h", "1,5"}) {
        EXPECT_FALSE(isWholeNumberText(text)) << text;
    }
}

}  // namespace
}  // namespace corvane
