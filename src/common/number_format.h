// How the program writes numbers: shortest forms of single and double values, the zero-padded
// patterns of the status bar and the waypoint window, two-decimal calculated boxes.
#pragma once

#include <string>

#include "common/fixed_point.h"

namespace corvane {

// Shortest decimal form of a single-precision value, up to 7 significant digits, full stop as
// decimal point, no blanks: 0, 12.5, -3.125, 0.5, 1E-05 for very small values, 1E+08 for huge.
std::string formatSingle(float value);

// Shortest decimal form of a double, up to 15 significant digits (same shape as formatSingle).
std::string formatDouble(double value);

// Zero-padded fixed pattern: at least intDigits integer digits, exactly decimals decimals,
// a leading minus sign when negative (formatPadded(12.5, 5, 3) -> "00012.500").
std::string formatPadded(double value, int intDigits, int decimals);

// A port address as messages, lock names and stamp files name it: 0x378.
std::string formatPortAddress(unsigned address);

// The status-bar and waypoint-window patterns.
// 00000.000 and 000.00000.
inline std::string formatPosition(double mm) {
    return formatPadded(mm, 5, 3);
}
inline std::string formatWaypointField(double mm) {
    return formatPadded(mm, 3, 5);
}

// A figure of a report: exactly `decimals` decimals, never "-0.00" (fixedDecimals(0.1254, 2) ->
// "0.13").
std::string fixedDecimals(double value, int decimals);

// A calculated box: rounded to two decimals (half to even) and shown in shortest form.
std::string formatTwoDecimals(double value);

// A fixed-point amount in its shortest exact form: 0.02, 5.3291, -12, 0.
std::string formatFixed4(Fixed4 value);

}  // namespace corvane
