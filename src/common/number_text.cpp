// The leading-number rule of typed text: blanks skipped anywhere, stop at the first character
// that cannot continue a number, 0 when there is none.
#include "common/number_text.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/run_error.h"

namespace corvane {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Collects the characters of the leading number (blanks dropped) into a strtod-ready text.
// Returns false when the mantissa holds no digit.
bool collectLeadingNumber(std::string_view text, std::string& out) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && isBlank(text[i])) ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        out += text[i++];
        skipBlanks();
    }
    bool digits = false;
    bool point = false;
    while (i < text.size()) {
        char c = text[i];
        if (isDigit(c)) {
            out += c;
            digits = true;
        } else if (c == '.' && !point) {
            out += c;
            point = true;
        } else if (!isBlank(c)) {
            break;
        }
        ++i;
    }
    if (!digits) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::string exponent = "e";
        ++i;
        skipBlanks();
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponent += text[i++];
        }
        bool expDigits = false;
        while (i < text.size() && (isDigit(text[i]) || isBlank(text[i]))) {
            if (isDigit(text[i])) {
                exponent += text[i];
                expDigits = true;
            }
            ++i;
        }
        if (expDigits) out += exponent;
    }
    return true;
}

double toDouble(const std::string& number) {
    double value = std::strtod(number.c_str(), nullptr);
    if (std::isinf(value)) throw RunError(ErrorNumber::Overflow);
    return value;
}

}  // namespace

std::optional<double> leadingNumberIfAny(std::string_view text) {
    std::string number;
    if (!collectLeadingNumber(text, number)) return std::nullopt;
    return toDouble(number);
}

double leadingNumber(std::string_view text) {
    return leadingNumberIfAny(text).value_or(0.0);
}

bool isWholeNumberText(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    std::string_view t = text.substr(b, e - b);
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    bool digits = false;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        digits = true;
    }
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E' || t[i] == 'd' || t[i] == 'D')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        bool expDigits = false;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            expDigits = true;
        }
        if (!expDigits) return false;
    }
    return i == t.size();
}

}  // namespace corvane
