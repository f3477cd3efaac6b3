// One tick of a cut: StepPulse with the runner's yield inside the 1 ms low time, so the window
// system's work does not lengthen the tick; `writing` runs right before the port write and
// `written` right after it (the cut record's two phases). Kept as the cut loops' name for the
// one tick routine.
#pragma once

#include <cstdint>
#include <functional>

#include "common/fixed_point.h"
#include "machine/step_output.h"

namespace corvane {

inline void CutTick(Workspace& ws, uint8_t portByte, Fixed4 speed,
                    const std::function<void()>& yield, const std::function<void()>& writing = {},
                    const std::function<void()>& written = {}) {
    StepPulse(ws, portByte, speed, yield, writing, written);
}

}  // namespace corvane
