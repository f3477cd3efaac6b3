// The only place that touches the machine: one output tick (StepPulse), the precise wait that
// times it, the step-bit clears and the hot-wire switch.
#pragma once

#include <cstdint>

#include "common/fixed_point.h"

namespace corvane {

class Workspace;

// Program-wide motion state.
struct MotionState {
    Fixed4 CutSpeed = Fixed4::fromInt(1);
    Fixed4 JogSpeed = Fixed4::fromInt(1);
    Fixed4 StepHighTimeMs;
    Fixed4 DelayWaitMs;  // the wait at a delay point of a script's cut-file set
    uint8_t LastPortByte = 0;
    bool PositionUpdatePending = false;
};

// 1000 / (StepsPerMm x speed) - 1 ms, four decimals. RunError DivisionByZero for speed 0 or
// StepsPerMm 0.
Fixed4 stepHighTimeMs(int32_t stepsPerMm, Fixed4 speed);

// The position update of one tick: counts LastPortByte (while home is set), shows panel 1 and
// clears PositionUpdatePending. Also run once at the end of the program's start-up.
void PositionUpdate(Workspace& ws);

// Spins on the clock for `ms`; runs the position update inside the wait when one is pending.
void PreciseWait(Workspace& ws, Fixed4 ms);

// Clears the step bits of X1, X2, Y1, Y2 in this order on DataPort. StepPulse and
// ClearStepBits refuse without a known port (RunError PermissionDenied, portRefusal()).
void ClearStepBits(Workspace& ws);

// One tick at `speed`: high time, write, wait, clear step bits, 1 ms low. The caller yields
// and tests its stop flag after it.
void StepPulse(Workspace& ws, uint8_t portByte, Fixed4 speed);

// The hot wire's active and inactive level on ControlPort (nothing when no pin is chosen); both
// record the result in the workspace's wire state. Switching off always drives the inactive
// level, never inverts. WireOn refuses without a known port (RunError PermissionDenied with
// portRefusal()); WireOff then writes nothing.
void WireOn(Workspace& ws);
void WireOff(Workspace& ws);

}  // namespace corvane
