// What a jog button means: the port byte of one axis or of an axis pair, and how many steps a
// typed distance makes. The windows look both up here so every jog path agrees.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace corvane {

struct DerivedSettings;

// One axis in one direction (the eight buttons of the single-axis window).
enum class AxisMove { X1Back, X1Forward, Y1Up, Y1Down, X2Back, X2Forward, Y2Up, Y2Down };

// Both X or both Y axes together (the two-axis and manual-control windows).
enum class PairMove { XBack, XForward, YUp, YDown };

// The axis's step pattern from the settings (X1Back, Y2Down, ...).
uint8_t axisMoveByte(const DerivedSettings& settings, AxisMove move);

// The sum of the two axes' patterns (X1Back + X2Back, ...). RunError Overflow when the sum
// does not fit in a byte (axes sharing pins), so such a move never starts.
uint8_t pairMoveByte(const DerivedSettings& settings, PairMove move);

// Whole-number sum of port-byte patterns; RunError Overflow above 255.
uint8_t portByteSum(std::initializer_list<uint16_t> patterns);

// Steps for a typed distance: StepsPerMm x the text's leading number, rounded half to even.
// Zero, negative or no number gives 0: the direction comes only from the button.
// RunError Overflow when the count does not fit in 32 bits.
int32_t distanceSteps(int32_t stepsPerMm, std::string_view distanceText);

}  // namespace corvane
