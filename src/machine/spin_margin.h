// How long before its deadline a wait at real-time priority stops sleeping and spins. A sleep
// that wakes later than that margin makes the tick late, and where a tick has no spare time (the
// slider top) that lateness is never made up; a margin wider than needed only burns the core. So
// the margin is learned from the wake-ups the waits observe: a high percentile of their lateness
// over the last wake-ups, plus a guard, kept within bounds. Ticks with no time to spare spin the
// most the bounds allow. Every bound leaves each sleeping wait a share of sleep, so the ticks
// never take a whole core (other programs, the kernel's real-time throttling).
#pragma once

#include <array>
#include <cstdint>

namespace corvane {

class SpinMargin {
public:
    // The margin never falls under a quiet PC's prompt wake-up plus the spin's own reads...
    static constexpr int64_t kMinMicros = 100;
    // ...nor rises past this, however late the wake-ups come (a stall that long is not a
    // wake-up to spin through but a PC too busy to cut on).
    static constexpr int64_t kMaxMicros = 1500;
    // Every wait that sleeps sleeps at least this share of its length (percent).
    static constexpr int64_t kMinSleepPercent = 15;
    // A sleep shorter than this costs more than it gives: the wait spins instead.
    static constexpr int64_t kMinSleepMicros = 50;
    // The lateness the margin covers: this share of the last wake-ups (per mille) came within it.
    static constexpr int64_t kPerMille = 999;
    static constexpr int64_t kGuardMicros = 20;
    // The last wake-ups learned from; until this many have come, the margin is the widest.
    static constexpr int kWindow = 1024;
    static constexpr int kWarmUp = 64;
    // A tick whose spare time (its period less the shortest pulse and low time) is under this
    // share of its period (percent) cannot make lateness up: its waits spin the widest margin.
    static constexpr int64_t kTightPercent = 2;
    static bool tight(int64_t spareCounts, int64_t periodCounts) {
        return spareCounts * 100 < periodCounts * kTightPercent;
    }

    // One sleep woke `lateMicros` after it was asked to (negative counts as on time).
    void observe(int64_t lateMicros);

    // The margin for a wait of `waitMicros`: the learned one, or the widest when the tick has no
    // spare time (`tight`), within the bounds above. A margin of at least the wait means: spin.
    int64_t micros(int64_t waitMicros, bool tight) const;

    // The learned percentile of the wake-up lateness (0 before the warm-up, at most kMaxMicros)
    // and the margin a long wait gets from it: what latency-test prints.
    int64_t learnedLatenessMicros() const;
    int64_t learnedMarginMicros() const;
    int samples() const { return count_; }

private:
    static constexpr int64_t kBucketMicros = 10;
    static constexpr int kBuckets = static_cast<int>(kMaxMicros / kBucketMicros) + 1;

    std::array<uint16_t, kWindow> ring_{};  // bucket of each wake-up in the window
    std::array<uint16_t, kBuckets> histogram_{};
    int next_ = 0;
    int count_ = 0;
    int64_t lateness_ = 0;  // the percentile's upper bucket edge, refreshed on every observe
};

}  // namespace corvane
