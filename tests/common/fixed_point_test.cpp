// Rounding of the fixed-point and whole-number conversions: halves go to the even neighbour,
// out-of-range values raise Overflow, division by zero raises Division by zero.
#include "common/fixed_point.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/run_error.h"

namespace corvane {
namespace {

int errorNumberOf(auto&& f) {
    try {
        f();
    } catch (const RunError& e) {
        return e.number();
    }
    return 0;
}

TEST(FixedPoint, WholeNumbersRoundHalvesToEven) {
    EXPECT_EQ(toInt32(157.5), 158);
    EXPECT_EQ(toInt32(156.5), 156);
    EXPECT_EQ(toInt32(2.5), 2);
    EXPECT_EQ(toInt32(-2.5), -2);
    EXPECT_EQ(toInt32(-3.5), -4);
    EXPECT_EQ(toInt32(2.5000001), 3);
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toByte(254.5), 254);
    EXPECT_EQ(toByte(0.5), 0);
}

TEST(FixedPoint, WholeNumbersOutOfRangeRaiseOverflow) {
    EXPECT_EQ(errorNumberOf([] { toInt16(32767.5); }), 6);  // rounds to 32768
    EXPECT_EQ(errorNumberOf([] { toInt16(-32768.6); }), 6);
    EXPECT_EQ(errorNumberOf([] { toInt32(3e9); }), 6);
    EXPECT_EQ(errorNumberOf([] { toByte(-1); }), 6);
    EXPECT_EQ(errorNumberOf([] { toByte(256.5); }), 6);
    EXPECT_EQ(errorNumberOf([] { toInt64(1e19); }), 6);
    EXPECT_EQ(errorNumberOf([] { toInt32(std::numeric_limits<double>::quiet_NaN()); }), 6);
}

TEST(FixedPoint, ConversionKeepsFourDecimalsHalfEven) {
    EXPECT_EQ(Fixed4::fromDouble(0.02).raw(), 200);
    EXPECT_EQ(Fixed4::fromDouble(5.32911392).raw(), 53291);
    EXPECT_EQ(Fixed4::fromDouble(0.00005).raw(), 0);  // typed half -> even 0
    EXPECT_EQ(Fixed4::fromDouble(0.00015).raw(), 2);  // half -> even 2
    EXPECT_EQ(Fixed4::fromDouble(0.00025).raw(), 2);
    EXPECT_EQ(Fixed4::fromDouble(-0.00015).raw(), -2);
    EXPECT_EQ(Fixed4::fromDouble(1.23456).raw(), 12346);
    EXPECT_DOUBLE_EQ(Fixed4::fromRaw(53291).toDouble(), 5.3291);
    EXPECT_EQ(errorNumberOf([] { Fixed4::fromDouble(1e16); }), 6);
}

TEST(FixedPoint, DecimalRoundingJudgesTheTypedDigits) {
    EXPECT_DOUBLE_EQ(roundDecimalHalfEven(1.234567, 5), 1.23457);
    EXPECT_DOUBLE_EQ(roundDecimalHalfEven(1.234565, 5), 1.23456);
    EXPECT_DOUBLE_EQ(roundDecimalHalfEven(1.234575, 5), 1.23458);
    EXPECT_DOUBLE_EQ(roundDecimalHalfEven(-2.675, 2), -2.68);
    EXPECT_DOUBLE_EQ(roundDecimalHalfEven(1e-9, 5), 0);
    EXPECT_EQ(scaledHalfEven(123456789.12345, 4), 1234567891234);
    EXPECT_EQ(scaledHalfEven(2.5, 0), 2);
    EXPECT_EQ(scaledHalfEven(1e-30, 4), 0);
    // A computed value just below a half is not a half.
    EXPECT_EQ(scaledHalfEven(0.00015 * 10000 / 10000 - 1e-12, 4), 1);
}

TEST(FixedPoint, ArithmeticRoundsBackToFourDecimals) {
    Fixed4 a = Fixed4::fromDouble(0.0001);
    Fixed4 half = Fixed4::fromDouble(0.5);
    EXPECT_EQ((a * half).raw(), 0);                           // 0.00005 -> 0
    EXPECT_EQ((Fixed4::fromDouble(0.0003) * half).raw(), 2);  // 0.00015 -> 0.0002
    EXPECT_EQ((Fixed4::fromInt(158) * Fixed4::fromDouble(6.2)).raw(), 9796000);
    EXPECT_EQ((Fixed4::fromInt(1) / Fixed4::fromInt(3)).raw(), 3333);
    EXPECT_EQ((Fixed4::fromInt(2) / Fixed4::fromInt(3)).raw(), 6667);
    EXPECT_EQ((Fixed4::fromRaw(1) / Fixed4::fromInt(2)).raw(), 0);  // 0.00005 -> even
    EXPECT_EQ((Fixed4::fromRaw(3) / Fixed4::fromInt(2)).raw(), 2);
    EXPECT_EQ((Fixed4::fromRaw(-3) / Fixed4::fromInt(2)).raw(), -2);
    EXPECT_EQ((Fixed4::fromInt(5) - Fixed4::fromInt(7)).raw(), -20000);
    EXPECT_EQ(errorNumberOf([] { Fixed4::fromInt(1) / Fixed4{}; }), 11);
    EXPECT_EQ(errorNumberOf([] {
                  Fixed4::fromRaw(std::numeric_limits<int64_t>::max()) + Fixed4::fromRaw(1);
              }),
              6);
    EXPECT_EQ(
        errorNumberOf([] { Fixed4::fromInt(1'000'000'000) * Fixed4::fromInt(1'000'000'000); }), 6);
}

}  // namespace
}  // namespace corvane
