// The number texts the operator sees: shortest single forms, padded status-bar and waypoint
// patterns, two-decimal boxes and fixed-point amounts.
#include "common/number_format.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(NumberFormat, ShortestSingleForm) {
    EXPECT_EQ(formatSingle(0), "0");
    EXPECT_EQ(formatSingle(12.5f), "12.5");
    EXPECT_EQ(formatSingle(-3.125f), "-3.125");
    EXPECT_EQ(formatSingle(0.5f), "0.5");
    EXPECT_EQ(formatSingle(0.1f), "0.1");
    EXPECT_EQ(formatSingle(1.23457f), "1.23457");
    EXPECT_EQ(formatSingle(-0.0063291f), "-0.0063291");
    EXPECT_EQ(formatSingle(1e-5f), "1E-05");
    EXPECT_EQ(formatSingle(0.0001f), "0.0001");
    EXPECT_EQ(formatSingle(1234567.f), "1234567");
    EXPECT_EQ(formatSingle(12345678.f), "1.234568E+07");
    EXPECT_EQ(formatSingle(1.0f / 3.0f), "0.3333333");
}

TEST(NumberFormat, ShortestDoubleForm) {
    EXPECT_EQ(formatDouble(1.0 / 158), "0.00632911392405063");
    EXPECT_EQ(formatDouble(0.00025), "0.00025");
    EXPECT_EQ(formatDouble(4000), "4000");
    EXPECT_EQ(formatDouble(-0.0), "0");
}

TEST(NumberFormat, PaddedPatterns) {
    EXPECT_EQ(formatPosition(0), "00000.000");
    EXPECT_EQ(formatPosition(12.5), "00012.500");
    EXPECT_EQ(formatPosition(-1.0 / 158), "-00000.006");
    EXPECT_EQ(formatPosition(123456.25), "123456.250");
    EXPECT_EQ(formatWaypointField(12.5), "012.50000");
    EXPECT_EQ(formatWaypointField(-3.125), "-003.12500");
    EXPECT_EQ(formatWaypointField(1234.5), "1234.50000");
    EXPECT_EQ(formatPadded(7, 2, 0), "07");
}

TEST(NumberFormat, TwoDecimalsAndFixedPoint) {
    EXPECT_EQ(formatTwoDecimals(0.125), "0.12");  // half to even
    EXPECT_EQ(formatTwoDecimals(0.375), "0.38");
    EXPECT_EQ(formatTwoDecimals(12), "12");
    EXPECT_EQ(formatTwoDecimals(-1.005001), "-1.01");
    EXPECT_EQ(formatFixed4(Fixed4::fromRaw(200)), "0.02");
    EXPECT_EQ(formatFixed4(Fixed4::fromRaw(53291)), "5.3291");
    EXPECT_EQ(formatFixed4(Fixed4::fromInt(-12)), "-12");
    EXPECT_EQ(formatFixed4(Fixed4::fromRaw(-5)), "-0.0005");
    EXPECT_EQ(formatFixed4(Fixed4{}), "0");
}

}  // namespace
}  // namespace corvane
