// The step side of the machine: one output tick (StepPulse), the precise wait that times it and
// the step-bit clears. The hot wire is switched in machine/wire_state.h.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/fixed_point.h"
#include "machine/spin_margin.h"
#include "machine/tick_pacer.h"

namespace corvane {

class Workspace;
class TickTiming;

// Program-wide motion state.
struct MotionState {
    Fixed4 CutSpeed = Fixed4::fromInt(1);
    Fixed4 JogSpeed = Fixed4::fromInt(1);
    Fixed4 StepHighTimeMs;
    Fixed4 DelayWaitMs;  // the wait at a delay point of a script's cut-file set
    uint8_t LastPortByte = 0;
    bool PositionUpdatePending = false;
    TickPacer pacer;               // the schedule every run of ticks keeps
    bool realtime = false;         // the ticking thread runs at real-time priority (MotionPriority)
    SpinMargin margin;             // learned from the real-time waits' wake-ups, kept across moves
    TickTiming* timing = nullptr;  // records every tick's lateness while set (a cut's figures)
    std::string positionText;      // panel 1's text, rebuilt in place every tick
    int haltsSeen = 0;             // the stop signals (Ctrl-Z) a tick has answered so far
};

// The shortest step pulse (write to clear) and the shortest low time of a tick.
constexpr Fixed4 kMinPulseMs = Fixed4::fromRaw(200);  // 20 us
// A tick later than this on its schedule was held (a modal pause, a stop and a new move), not
// slowed: its schedule restarts rather than racing to make the hold up.
constexpr int64_t kHoldMicros = 100'000;

// 1000 / (StepsPerMm x speed) - 1 ms, four decimals. RunError DivisionByZero for speed 0 or
// StepsPerMm 0.
Fixed4 stepHighTimeMs(int32_t stepsPerMm, Fixed4 speed);

// The position update of one tick: counts LastPortByte (while home is set), shows panel 1 and
// clears PositionUpdatePending. Also run once at the end of the program's start-up.
void PositionUpdate(Workspace& ws);

// Spins on the clock for `ms`; runs the position update inside the wait when one is pending.
void PreciseWait(Workspace& ws, Fixed4 ms);
// The same up to the clock count `target`; returns at once (no update) when it has passed.
// `tight`: the tick has no spare time to make lateness up (SpinMargin::tight).
void PreciseWaitUntil(Workspace& ws, int64_t target, bool tight = false);

// The next tick begins a new schedule: at the start of every move (ClearStepBits does it),
// after a pause or a delay point (StandStill does it).
inline void restartTickSchedule(MotionState& m) {
    m.pacer.restart();
}

// Stands the machine still for `ms` without a write: waited in slices of at most 20 ms with
// `go` (the window system's turn and the stop test) after each, so a long standstill neither
// freezes a window nor ignores Stop; the slices share one deadline. The ticks after it keep a
// schedule of their own. False when `go` said stop. Overflow for a time past Fixed4's range.
[[nodiscard]] bool StandStill(Workspace& ws, Fixed4 ms, const std::function<bool()>& go);

// Clears the step bits of X1, X2, Y1, Y2 in this order on DataPort; the next tick begins a new
// schedule (moves start with it). StepPulse and ClearStepBits refuse without a known port
// (RunError PermissionDenied, portRefusal()).
void ClearStepBits(Workspace& ws);

// One tick at `speed` on the move's schedule: waits for the tick's time (never early), writes,
// holds the step bits until the schedule's clear time (at least kMinPulseMs), clears them and
// holds the low level at least 1 ms, `yield` running inside that millisecond. A new high time
// (the speed changed) restarts the schedule at this tick. The caller tests its stop flag after.
// `writing` runs right before the write and `written` right after it (a cut's record of where it
// stands, noted in two phases).
void StepPulse(Workspace& ws, uint8_t portByte, Fixed4 speed,
               const std::function<void()>& yield = {}, const std::function<void()>& writing = {},
               const std::function<void()>& written = {});

// The same tick with its own high and low times (the troubleshooter's slow steps), on the same
// schedule rule and with the callbacks in the same order: `writing` right before the write
// with nothing between them that a signal could stop, `written` right after it (the pin
// display).
void PacedTick(Workspace& ws, uint8_t portByte, Fixed4 highMs, Fixed4 lowMs,
               const std::function<void()>& yield = {}, const std::function<void()>& writing = {},
               const std::function<void()>& written = {});

}  // namespace corvane
