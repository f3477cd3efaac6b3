// "Calculate" runs step by step and skips a step that fails: a value it could not compute stays
// unknown, every later step that needs it is skipped too, and boxes it would fill keep their
// texts. These helpers make one step out of a lambda.
#pragma once

#include <cmath>
#include <optional>
#include <string_view>

#include "common/number_format.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "generate/planform.h"

namespace corvane::planform_steps {

struct StepFailed {};

using Value = std::optional<double>;

// The value of an earlier step; the current step fails when that one did.
inline double need(const Value& v) {
    if (!v) throw StepFailed{};
    return *v;
}

// A result must be an ordinary number (no overflow to infinity, no NaN).
inline double finite(double v) {
    if (!std::isfinite(v)) throw StepFailed{};
    return v;
}

inline double quotient(double a, double b) {
    if (b == 0) throw StepFailed{};
    return finite(a / b);
}

// Runs one step; a failing step changes nothing.
template <class F>
void step(F&& f) {
    try {
        f();
    } catch (const StepFailed&) {
    }
}

// An input box, read as the leading number of its text (0 when there is none); unknown when the
// text holds a number too large for a double.
inline Value input(const BoxTexts& boxes, std::string_view name) {
    auto text = boxText(boxes, name);
    if (!text) return 0.0;
    try {
        double v = leadingNumber(*text);
        if (std::isfinite(v)) return v;
    } catch (const RunError&) {
    }
    return std::nullopt;
}

// Shows a calculated value, rounded to two decimals.
inline void show(PlanformResult& result, std::string_view name, double value) {
    value = finite(value);
    result.boxes.push_back(FilledBox{std::string(name), value, formatTwoDecimals(value)});
}

}  // namespace corvane::planform_steps
