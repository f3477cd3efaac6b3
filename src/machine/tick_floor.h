// The machine's own floor beside every tick figure: a bare timer loop that waits on the same
// schedule, with the same wait method and at the same priority as the ticks, but does no port
// work. What it cannot keep, the ticks cannot either; the comparison says which one stalls.
#pragma once

#include <string>

#include "common/fixed_point.h"
#include "machine/tick_timing.h"

namespace corvane {

class Workspace;

// Waits `seconds` of periods of `periodMs` on one schedule (lateness made up, never early) and
// records every wake-up; the caller holds the priority (MotionPriority) the ticks ran at.
TickFigures BareTimerLoop(Workspace& ws, Fixed4 periodMs, double seconds);

// The two p99 figures, their ratio and the priority, then the cause:
// "this PC stalls by itself (bare loop p99 X us)" or "the tick loop adds Y us ...".
std::string describeFloor(const TickFigures& ticks, const TickFigures& bare,
                          const std::string& priority);

// The period of a tick at `speed` (high time at least the 20 us pulse, plus the 1 ms low time).
Fixed4 tickPeriodMs(int32_t stepsPerMm, Fixed4 speed);

}  // namespace corvane
