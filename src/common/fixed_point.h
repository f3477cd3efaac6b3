// Four-decimal fixed point (value x 10000 in 64 bits) for speeds, lengths and waits, and the
// whole-number conversions; every conversion rounds halves to the even neighbour.
#pragma once

#include <compare>
#include <cstdint>

namespace corvane {

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

// value x 10^decimals rounded to a whole number, halves to even, judged on the value's shortest
// decimal form (0.00015 at 4 decimals gives 2, not 1 from its binary error). Overflow when
// out of range.
int64_t scaledHalfEven(double value, int decimals);

// The value rounded to `decimals` decimals the same way (1.234565 -> 1.23456 at 5).
double roundDecimalHalfEven(double value, int decimals);

// Round-half-even into a whole-number type; RunError Overflow when out of its range.
int64_t toInt64(double value);
int32_t toInt32(double value);
int16_t toInt16(double value);
uint8_t toByte(double value);

class Fixed4 {
public:
    static constexpr int64_t kScale = 10000;

    constexpr Fixed4() = default;
    static constexpr Fixed4 fromRaw(int64_t raw) {
        Fixed4 f;
        f.raw_ = raw;
        return f;
    }
    // Rounded to four decimals, halves to even; RunError Overflow when out of range.
    static Fixed4 fromDouble(double value);
    static constexpr Fixed4 fromInt(int64_t value) { return fromRaw(value * kScale); }

    constexpr int64_t raw() const { return raw_; }
    double toDouble() const { return static_cast<double>(raw_) / kScale; }

    friend constexpr bool operator==(Fixed4 a, Fixed4 b) = default;
    friend constexpr auto operator<=>(Fixed4 a, Fixed4 b) = default;
    friend Fixed4 operator+(Fixed4 a, Fixed4 b);
    friend Fixed4 operator-(Fixed4 a, Fixed4 b);
    // Product and quotient rounded back to four decimals (half to even).
    friend Fixed4 operator*(Fixed4 a, Fixed4 b);
    // RunError DivisionByZero when b is 0.
    friend Fixed4 operator/(Fixed4 a, Fixed4 b);

private:
    int64_t raw_ = 0;
};

}  // namespace corvane
