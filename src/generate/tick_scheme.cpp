// Step counts of a segment.
#include "generate/tick_scheme.h"

#include <algorithm>
#include <cmath>

#include "common/fixed_point.h"
#include "common/run_error.h"

namespace corvane {

double stepsPerProfileUnit(double kerfMm, double chord, int32_t stepsPerMm) {
    if (chord == 0) {
        throw RunError(kerfMm == 0 ? ErrorNumber::Overflow : ErrorNumber::DivisionByZero);
    }
    return (kerfMm / chord + 1) * chord * static_cast<double>(stepsPerMm);
}

int32_t stepPosition(double stepsPerUnit, double offsetFromFirst) {
    return toInt32(stepsPerUnit * offsetFromFirst);
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

// The ticks that take the steps an axis still owes at the end of a segment of `n` ticks:
// repeated addition can carry its last accumulator a hair past N. Each owed step goes to the
// latest tick on which the axis did not step, so it never steps twice in one tick.
struct OwedSteps {
    static constexpr int kMax = 4;
    int64_t tick[kMax] = {};
    int count = 0;

    // An axis whose ratio is at least 2 leaves a free tick after each step, so a step it owes
    // can only fall due past N with tick N free: the walk itself settles it (lateOnTheLastTick).
    static bool lateOnTheLastTick(const StepWalk& w) { return w.ratio >= 2; }

    static OwedSteps of(StepWalk w, int64_t n) {
        OwedSteps owed;
        if (w.remaining == 0 || lateOnTheLastTick(w)) return owed;
        // The usual case: at most one step owed, and only the latest free tick matters.
        StepWalk quick = w;
        int64_t previous = 0, lastFree = 0;
        while (quick.next <= n) {
            lastFree = quick.next > previous + 1 ? quick.next - 1 : lastFree;
            previous = quick.next;
            --quick.remaining;
            quick.accumulator += quick.ratio;
            quick.next = StepWalk::tickFor(quick.accumulator, quick.next + 1);
        }
        if (previous < n) lastFree = n;
        if (quick.remaining == 0) return owed;
        if (quick.remaining == 1 && lastFree > 0) {
            owed.tick[0] = lastFree;
            owed.count = 1;
            return owed;
        }
        return several(w, n);
    }

    static OwedSteps several(StepWalk w, int64_t n) {
        OwedSteps owed;
        // The last free ticks seen, newest at free[(seen - 1) % kMax].
        int64_t free[kMax] = {};
        int64_t seen = 0, previous = 0;
        while (w.next <= n) {
            for (int64_t t = std::max(previous + 1, w.next - kMax); t < w.next; ++t)
                free[seen++ % kMax] = t;
            previous = w.next;
            --w.remaining;
            w.accumulator += w.ratio;
            w.next = StepWalk::tickFor(w.accumulator, w.next + 1);
        }
        for (int64_t t = std::max(previous + 1, n - kMax + 1); t <= n; ++t) free[seen++ % kMax] = t;
        // More than a few owed steps would need a drift no 32-bit segment reaches.
        if (w.remaining > kMax || w.remaining > seen) throw RunError(ErrorNumber::Overflow);
        owed.count = static_cast<int>(w.remaining);
        for (int i = 0; i < owed.count; ++i) owed.tick[i] = free[(seen - 1 - i) % kMax];
        return owed;
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
    OwedSteps owed[4];
    for (int i = 0; i < 4; ++i) owed[i] = OwedSteps::of(w[i], n);
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
            const StepWalk* walked[4] = {&w0, &w1, &w2, &w3};
            for (int i = 0; i < 4; ++i) {
                if (walked[i]->remaining > 0 && OwedSteps::lateOnTheLastTick(*walked[i]))
                    bytes[n - first] = static_cast<uint16_t>(bytes[n - first] + w[i].delta);
            }
        }
        for (int i = 0; i < 4; ++i) {
            for (int k = 0; k < owed[i].count; ++k) {
                const int64_t t = owed[i].tick[k];
                if (t >= first && t <= last)
                    bytes[t - first] = static_cast<uint16_t>(bytes[t - first] + w[i].delta);
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
