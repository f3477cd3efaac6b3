#include "run/cut_tick.h"

#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"
#include "platform/port_io.h"

namespace corvane {

namespace {

// A clock span as a wait in milliseconds, rounded up to the next 0.0001 ms so the wait is
// never shorter than the span (spans here are at most a millisecond, far from overflow).
Fixed4 spanToMs(int64_t counts, int64_t frequency) {
    const int64_t scaled = counts * 1000 * Fixed4::kScale;
    return Fixed4::fromRaw((scaled + frequency - 1) / frequency);
}

}  // namespace

//            |<-- StepHighTimeMs -->|<------ 1 ms (yield inside) ------>|
//             ______________________                                     ____
//  step bits |                      |X1 X2 Y1 Y2 cleared                 |  next write
//  __________|                      |____________________________________|
//            ^ PortOut(byte)        ^ ClearStepBits, yield, wait the rest
void CutTick(Workspace& ws, uint8_t portByte, Fixed4 speed, const std::function<void()>& yield) {
    MotionState& m = ws.motion;
    MonotonicClock& clock = ws.clock();
    m.StepHighTimeMs = stepHighTimeMs(ws.settings.derived.StepsPerMm, speed);
    m.LastPortByte = portByte;
    ws.port().portOut(static_cast<uint16_t>(ws.settings.derived.DataPort), portByte);
    m.PositionUpdatePending = true;
    PreciseWait(ws, m.StepHighTimeMs);
    ClearStepBits(ws);
    const int64_t frequency = clock.frequency();
    const int64_t lowEnd = clock.now() + frequency / 1000;
    if (yield) yield();
    const int64_t remaining = lowEnd - clock.now();
    if (remaining > 0)
        PreciseWait(ws, spanToMs(remaining, frequency));
    else if (m.PositionUpdatePending)
        PreciseWait(ws, Fixed4::fromRaw(1));  // the shortest wait that still runs the update
}

}  // namespace corvane
