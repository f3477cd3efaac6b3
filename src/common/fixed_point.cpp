// Fixed point and whole-number conversions, all rounding halves to the even neighbour.
#include "common/fixed_point.h"

#include <cmath>
#include <limits>

#include "common/run_error.h"

namespace corvane {

namespace {

__extension__ typedef __int128 Int128;

// Largest double strictly below 2^63 range checks: values must be in [-2^63, 2^63).
constexpr double kTwo63 = 9223372036854775808.0;

int64_t checkedInt64(double rounded) {
    if (!(rounded >= -kTwo63 && rounded < kTwo63)) throw RunError(ErrorNumber::Overflow);
    return static_cast<int64_t>(rounded);
}

// a / b rounded half to even, for b != 0.
int64_t divideHalfEven(Int128 a, Int128 b) {
    if (b < 0) {
        a = -a;
        b = -b;
    }
    Int128 q = a / b;
    Int128 r = a % b;
    if (r < 0) {  // make r non-negative, q the floor
        r += b;
        q -= 1;
    }
    Int128 twice = 2 * r;
    if (twice > b || (twice == b && (q & 1) != 0)) q += 1;
    if (q > std::numeric_limits<int64_t>::max() || q < std::numeric_limits<int64_t>::min()) {
        throw RunError(ErrorNumber::Overflow);
    }
    return static_cast<int64_t>(q);
}

}  // namespace

double roundHalfEven(double value) {
    // nearbyint follows the default rounding mode, which rounds halves to even.
    return std::nearbyint(value);
}

int64_t toInt64(double value) {
    return checkedInt64(roundHalfEven(value));
}

int32_t toInt32(double value) {
    double r = roundHalfEven(value);
    if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
        throw RunError(ErrorNumber::Overflow);
    }
    return static_cast<int32_t>(r);
}

int16_t toInt16(double value) {
    double r = roundHalfEven(value);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
        throw RunError(ErrorNumber::Overflow);
    }
    return static_cast<int16_t>(r);
}

uint8_t toByte(double value) {
    double r = roundHalfEven(value);
    if (!(r >= 0 && r <= 255)) throw RunError(ErrorNumber::Overflow);
    return static_cast<uint8_t>(r);
}

Fixed4 Fixed4::fromDouble(double value) {
    // The product is rounded to the nearest double first, as the classic conversion does, so a
    // typed decimal half (0.00005) stays a half and goes to the even neighbour.
    return fromRaw(checkedInt64(roundHalfEven(value * static_cast<double>(kScale))));
}

Fixed4 operator+(Fixed4 a, Fixed4 b) {
    int64_t r;
    if (__builtin_add_overflow(a.raw(), b.raw(), &r)) throw RunError(ErrorNumber::Overflow);
    return Fixed4::fromRaw(r);
}

Fixed4 operator-(Fixed4 a, Fixed4 b) {
    int64_t r;
    if (__builtin_sub_overflow(a.raw(), b.raw(), &r)) throw RunError(ErrorNumber::Overflow);
    return Fixed4::fromRaw(r);
}

Fixed4 operator*(Fixed4 a, Fixed4 b) {
    return Fixed4::fromRaw(divideHalfEven(static_cast<Int128>(a.raw()) * b.raw(), Fixed4::kScale));
}

Fixed4 operator/(Fixed4 a, Fixed4 b) {
    if (b.raw() == 0) throw RunError(ErrorNumber::DivisionByZero);
    return Fixed4::fromRaw(divideHalfEven(static_cast<Int128>(a.raw()) * Fixed4::kScale, b.raw()));
}

}  // namespace corvane
