// Fixed point and whole-number conversions, all rounding halves to the even neighbour.
#include "common/fixed_point.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

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

int64_t scaledHalfEven(double value, int decimals) {
    if (!std::isfinite(value)) throw RunError(ErrorNumber::Overflow);
    if (value == 0) return 0;
    // The shortest decimal form of the double is what was typed or read: round that, so a
    // decimal half such as 0.00015 goes to the even neighbour and not by its binary error.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    std::size_t e = text.find('e');
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c != '.') digits += c;
    }
    int exponent = std::stoi(std::string(text.substr(e + 1)));
    // value = digits x 10^(exponent - (n - 1)); scaled = digits x 10^shift
    int shift = exponent - static_cast<int>(digits.size() - 1) + decimals;
    Int128 mantissa = std::stoll(digits);
    Int128 result;
    if (shift >= 0) {
        if (shift > 20) throw RunError(ErrorNumber::Overflow);
        result = mantissa;
        for (int i = 0; i < shift; ++i) result *= 10;
    } else if (-shift > 19) {
        result = 0;  // far below one half of the last place
    } else {
        Int128 divisor = 1;
        for (int i = 0; i < -shift; ++i) divisor *= 10;
        result = mantissa / divisor;
        Int128 rest = mantissa % divisor;
        if (2 * rest > divisor || (2 * rest == divisor && (result & 1) != 0)) result += 1;
    }
    if (negative) result = -result;
    if (result > std::numeric_limits<int64_t>::max() ||
        result < std::numeric_limits<int64_t>::min()) {
        throw RunError(ErrorNumber::Overflow);
    }
    return static_cast<int64_t>(result);
}

double roundDecimalHalfEven(double value, int decimals) {
    // Beyond 1e13 a double has no digits left at five decimals: nothing to round.
    if (!std::isfinite(value) || std::fabs(value) >= 1e13) return value;
    double scale = std::pow(10.0, decimals);
    return static_cast<double>(scaledHalfEven(value, decimals)) / scale;
}

Fixed4 Fixed4::fromDouble(double value) {
    return fromRaw(scaledHalfEven(value, 4));
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
