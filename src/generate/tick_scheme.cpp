// Step counts of a segment.
#include "generate/tick_scheme.h"

#include <algorithm>
#include <cmath>

#include "common/fixed_point.h"
#include "common/run_error.h"

namespace corvane {

int32_t segmentStepCount(double kerfMm, double chord, double difference, int32_t stepsPerMm) {
    if (chord == 0) {
        throw RunError(kerfMm == 0 ? ErrorNumber::Overflow : ErrorNumber::DivisionByZero);
    }
    const double factor = kerfMm / chord + 1;
    const double scaled = chord * std::fabs(difference) * static_cast<double>(stepsPerMm);
    return toInt32(factor * scaled);
}

namespace {

// One axis walking from step to step through a segment.
struct StepWalk {
    double accumulator;
    double ratio;
    int64_t next;       // the tick of its next step; past the segment when it has no more
    unsigned delta;     // step pattern minus direction pattern
    int64_t remaining;  // steps still owed in this segment

    // The first tick >= `after` whose number is not below the accumulator: its ceiling, exact
    // for the positive accumulators here, which stay below twice the segment's 32-bit count.
    static int64_t tickFor(double accumulator, int64_t after) {
        int64_t t = static_cast<int64_t>(accumulator);
        t += static_cast<double>(t) < accumulator;
        return std::max(after, t);
    }

    void step(uint16_t* bytes, int64_t first) {
        bytes[next - first] = static_cast<uint16_t>(bytes[next - first] + delta);
        --remaining;
        accumulator += ratio;
        next = tickFor(accumulator, next + 1);
    }
};

}  // namespace

void writeSegmentTicks(const AxisRun (&axes)[4], int32_t ticks, LineFileWriter& out) {
    constexpr int64_t kChunk = 8192;
    const int64_t n = ticks;
    uint16_t bytes[kChunk];
    unsigned base = 0, every = 0;
    StepWalk w[4];
    for (int i = 0; i < 4; ++i) {
        const AxisRun& a = axes[i];
        base += a.dirPattern;
        w[i] = {a.accumulator, a.ratio, n + 1, a.stepPattern - a.dirPattern, 0};
        if (a.count >= 1 && a.count == ticks) {
            // The largest count has ratio exactly 1: its accumulator is exactly j at tick j,
            // so it steps on every tick.
            every += w[i].delta;
        } else if (a.count >= 1) {
            w[i].next = StepWalk::tickFor(a.accumulator, 1);
            w[i].remaining = a.count;
        }
    }
    StepWalk w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    // Every byte of the segment is the base plus some of the deltas: when even all of them
    // together stay inside the line table, no byte needs checking.
    const bool tableOnly =
        base + w0.delta + w1.delta + w2.delta + w3.delta < LineFileWriter::kTableSize &&
        out.capacity() >= kChunk * LineFileWriter::kSlot;

    char* p = out.cursorBegin();
    char* limit = out.cursorStop();
    for (int64_t first = 1; first <= n; first += kChunk) {
        const int64_t last = std::min<int64_t>(n, first + kChunk - 1);
        const int64_t len = last - first + 1;
        for (int64_t t = 0; t < len; ++t) bytes[t] = static_cast<uint16_t>(base + every);
        // Each walk through the chunk: a short loop whose only serial work is the addition.
        while (w0.next <= last) w0.step(bytes, first);
        while (w1.next <= last) w1.step(bytes, first);
        while (w2.next <= last) w2.step(bytes, first);
        while (w3.next <= last) w3.step(bytes, first);
        if (last == n) {
            // Repeated addition can carry an accumulator a hair past N before the axis's last
            // step; the last tick takes that owed step, so every axis makes its full count.
            for (StepWalk* wk : {&w0, &w1, &w2, &w3}) {
                if (wk->remaining > 0)
                    bytes[n - first] = static_cast<uint16_t>(bytes[n - first] + wk->delta);
            }
        }
        if (tableOnly) {
            if (p + len * static_cast<int64_t>(LineFileWriter::kSlot) > limit) {
                p = out.cursorFlush(p);
                limit = out.cursorStop();
            }
            for (int64_t t = 0; t < len; ++t) p = LineFileWriter::putByteLine(p, bytes[t]);
        } else {
            for (int64_t t = 0; t < len; ++t) {
                out.cursorEnd(p);
                out.byteLine(bytes[t]);
                p = out.cursorBegin();
            }
        }
    }
    out.cursorEnd(p);
}

}  // namespace corvane
