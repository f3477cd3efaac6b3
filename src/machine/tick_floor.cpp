#include "machine/tick_floor.h"

#include <algorithm>
#include <cstdio>

#include "machine/step_output.h"
#include "machine/workspace.h"
#include "platform/monotonic_clock.h"

namespace corvane {

TickFigures BareTimerLoop(Workspace& ws, Fixed4 periodMs, double seconds) {
    MonotonicClock& clock = ws.clock();
    const int64_t frequency = clock.frequency();
    TickTiming timing(frequency);
    const auto period = std::max<int64_t>(
        1, static_cast<int64_t>(periodMs.toDouble() * static_cast<double>(frequency) / 1000.0));
    const int64_t hold = frequency / 1'000'000 * kHoldMicros;
    const int64_t start = clock.now();
    const int64_t end = start + static_cast<int64_t>(seconds * static_cast<double>(frequency));
    int64_t origin = start;
    int64_t k = 0;
    bool restarted = true;
    for (;;) {
        const int64_t due = origin + k * period;
        if (due >= end) break;
        PreciseWaitUntil(ws, due);
        const int64_t woke = clock.now();
        timing.record(woke, due, period, restarted);
        restarted = false;
        ++k;
        // The same hold rule as the ticks: a stall past it restarts rather than racing.
        if (woke - (origin + k * period) > hold) {
            origin = woke + period;
            k = 0;
            restarted = true;
        }
    }
    return timing.figures();
}

std::string describeFloor(const TickFigures& ticks, const TickFigures& bare,
                          const std::string& priority) {
    char text[600];
    const double ratio = ticks.p99Us / std::max(1.0, bare.p99Us);
    std::snprintf(text, sizeof text,
                  "  bare timer loop (same schedule, wait and priority, no port work): p50 %.0f "
                  "us, p99 %.0f us, max %.0f us, mean error %+.3f %%\n"
                  "  priority: %s\n"
                  "  p99 ratio ticks / bare loop: %.1f\n",
                  bare.p50Us, bare.p99Us, bare.maxUs, bare.meanPeriodErrorPct, priority.c_str(),
                  ratio);
    std::string s = text;
    // Within twice the bare loop's p99 (and a few microseconds of the write itself) the ticks
    // lose nothing the PC itself does not.
    if (ticks.p99Us <= 2.0 * bare.p99Us + 10.0)
        std::snprintf(text, sizeof text,
                      "  Cause: this PC stalls by itself (bare loop p99 %.0f us); the tick loop "
                      "adds little.\n",
                      bare.p99Us);
    else
        std::snprintf(text, sizeof text,
                      "  Cause: the tick loop adds %.0f us (p99 %.0f us against the bare loop's "
                      "%.0f us).\n",
                      ticks.p99Us - bare.p99Us, ticks.p99Us, bare.p99Us);
    return s + text;
}

Fixed4 tickPeriodMs(int32_t stepsPerMm, Fixed4 speed) {
    return std::max(stepHighTimeMs(stepsPerMm, speed), kMinPulseMs) + Fixed4::fromInt(1);
}

}  // namespace corvane
