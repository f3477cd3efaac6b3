// The number texts the program writes: shortest forms, zero-padded patterns, two decimals.
#include "common/number_format.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "common/fixed_point.h"

namespace corvane {

namespace {

// %.<digits>G with the exponent written the classic way: 1E-05, 1.234568E+07.
std::string shortestForm(double value, int digits) {
    if (value == 0 || std::isnan(value)) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*G", digits, value);
    return buf;
}

}  // namespace

std::string formatSingle(float value) {
    return shortestForm(static_cast<double>(value), 7);
}

std::string formatDouble(double value) {
    return shortestForm(value, 15);
}

std::string formatPadded(double value, int intDigits, int decimals) {
    if (std::isnan(value)) value = 0;
    bool negative = std::signbit(value) && value != 0;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%0*.*f", intDigits + (decimals > 0 ? 1 + decimals : 0),
                  decimals, std::fabs(value));
    return (negative ? "-" : "") + std::string(buf);
}

std::string formatTwoDecimals(double value) {
    return formatDouble(roundDecimalHalfEven(value, 2));
}

std::string formatFixed4(Fixed4 value) {
    int64_t raw = value.raw();
    bool negative = raw < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(raw) : static_cast<uint64_t>(raw);
    std::string text = std::to_string(magnitude / 10000);
    uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04u", static_cast<unsigned>(fraction));
        std::string decimals = buf;
        while (decimals.back() == '0') decimals.pop_back();
        text += "." + decimals;
    }
    return negative ? "-" + text : text;
}

std::string fixedDecimals(double value, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    std::string s(buf);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    return s;
}

std::string formatPortAddress(unsigned address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", address);
    return text;
}

}  // namespace corvane
