// One tick of a cut: StepPulse's steps in StepPulse's order, with the runner's yield moved into
// the 1 ms low time, so the window system's work does not lengthen the tick.
#pragma once

#include <cstdint>
#include <functional>

#include "common/fixed_point.h"

namespace corvane {

class Workspace;

// High time from `speed`, write, position update pending, high wait, step bits cleared; the low
// millisecond counts from the clearing, `yield` runs inside it and the rest is waited out. When
// the yield outlasts the millisecond a pending position update still runs before returning.
void CutTick(Workspace& ws, uint8_t portByte, Fixed4 speed, const std::function<void()>& yield);

}  // namespace corvane
