// The one schedule every run of ticks keeps (cuts, foam cuts, scripts, jogs, return moves, the
// troubleshooter's steps), so the rule lives in one place: tick k is due at origin + k x period,
// a late tick is made up by the following ones (never early), and the schedule restarts wherever
// the machine stood still or changed pace: a new move, a pause, a delay point, a new speed, or a
// tick held past the hold limit (a modal box) that must not be raced back.
#pragma once

#include <cstdint>

namespace corvane {

class TickPacer {
public:
    struct Slot {
        int64_t due = 0;         // the tick's write is never before this count
        int64_t clearAt = 0;     // its step bits fall here (the caller keeps the 20 us pulse)
        bool restarted = false;  // this tick began a new schedule: it has no period to compare
    };

    // The next tick begins a new schedule at its own start.
    void restart() { open_ = false; }
    bool open() const { return open_; }

    // The slot of the next tick, first read at `now`, for a high time and period in clock
    // counts; a different high time or period, or lateness past `holdCounts`, restarts.
    Slot next(int64_t now, int64_t highCounts, int64_t periodCounts, int64_t holdCounts);
    // The tick of the last slot was written: the schedule moves on to the one after it.
    void advance() { ++index_; }

    int64_t periodCounts() const { return period_; }

private:
    bool open_ = false;
    int64_t origin_ = 0;
    int64_t index_ = 0;  // k of the next tick
    int64_t high_ = 0;
    int64_t period_ = 0;
};

}  // namespace corvane
