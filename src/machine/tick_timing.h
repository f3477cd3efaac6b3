// The timing figures of a run of ticks: how far the tick periods and the tick starts stray from
// the schedule. Recording does not allocate (the histogram is made up front), so it can sit in
// the tick loop; the figures and their plain-language verdict are for the CLI, benches and windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct TickFigures {
    int64_t ticks = 0;
    int64_t restarts = 0;           // schedules begun (the first tick, pauses, speed changes)
    double meanPeriodErrorPct = 0;  // (actual - ideal) / ideal over all periods; + is slow
    double p50Us = 0, p99Us = 0, maxUs = 0;  // |period - ideal|
    double driftMaxUs = 0;                   // largest lateness of a tick start on its schedule
    double driftMaxPeriods = 0;              // the same in tick periods
    int64_t lateOver100Us = 0, lateOver1Ms = 0;
};

class TickTiming {
public:
    explicit TickTiming(int64_t frequency);

    // One tick written at `write` whose schedule wanted it at `ideal`, on a schedule of
    // `period` counts; `restarted` when this tick began a new schedule (no period to compare).
    void record(int64_t write, int64_t ideal, int64_t period, bool restarted);
    TickFigures figures() const;

private:
    static constexpr int kBuckets = 100'000;  // 1 us each; longer deviations go in the last
    int64_t frequency_;
    std::vector<int32_t> histogram_;
    TickFigures f_;
    int64_t lastWrite_ = 0;
    int64_t periods_ = 0;
    double actualSum_ = 0, idealSum_ = 0;
    int64_t maxDev_ = 0, maxLate_ = 0, maxLatePeriod_ = 1;
};

// A few lines anyone can read: mean error, p50/p99/max, drift, late ticks.
std::string describeTickFigures(const TickFigures& f);
// "good", "fair" or "poor" with what it means for cutting and the thresholds used.
std::string tickVerdict(const TickFigures& f);
// The mean speed error of a cut as the window shows it, e.g. "Speed error 0.12 %".
std::string speedErrorText(const TickFigures& f);

}  // namespace corvane
