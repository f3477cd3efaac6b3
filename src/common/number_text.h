// Reading numbers out of typed text and file fields: the leading-number rule that every
// text box of the program follows.
#pragma once

#include <optional>
#include <string_view>

namespace corvane {

// The text's leading number: blanks are skipped wherever they stand, reading stops at the
// first character that cannot continue a number, and a text without a number gives 0.
// Accepts a sign, digits, one decimal point and an exponent (E or D), e.g. " 1 2.5e1x" -> 125.
// RunError Overflow when the number is past the range of a double ("1e999").
double leadingNumber(std::string_view text);

// The same, but tells whether any digit was read at all (for "holds no number" checks).
std::optional<double> leadingNumberIfAny(std::string_view text);

// True when the whole text (leading/trailing blanks allowed) is one number.
bool isWholeNumberText(std::string_view text);

}  // namespace corvane
