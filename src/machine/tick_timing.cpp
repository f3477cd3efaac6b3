#include "machine/tick_timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace corvane {

TickTiming::TickTiming(int64_t frequency)
    : frequency_(std::max<int64_t>(1, frequency)), histogram_(kBuckets, 0) {}

void TickTiming::record(int64_t write, int64_t ideal, int64_t period, bool restarted) {
    ++f_.ticks;
    const int64_t late = std::max<int64_t>(0, write - ideal);
    const int64_t lateNs = late * 1'000'000'000 / frequency_;
    if (lateNs > 100'000) ++f_.lateOver100Us;
    if (lateNs > 1'000'000) ++f_.lateOver1Ms;
    if (late > maxLate_) {
        maxLate_ = late;
        maxLatePeriod_ = std::max<int64_t>(1, period);
    }
    if (restarted) {
        ++f_.restarts;
    } else {
        const int64_t actual = write - lastWrite_;
        actualSum_ += static_cast<double>(actual);
        idealSum_ += static_cast<double>(period);
        ++periods_;
        const int64_t dev = std::abs(actual - period);
        maxDev_ = std::max(maxDev_, dev);
        const int64_t us = dev * 1'000'000 / frequency_;
        ++histogram_[static_cast<size_t>(std::min<int64_t>(us, kBuckets - 1))];
    }
    lastWrite_ = write;
}

TickFigures TickTiming::figures() const {
    TickFigures f = f_;
    const double perUs = static_cast<double>(frequency_) / 1e6;
    if (idealSum_ > 0) f.meanPeriodErrorPct = 100.0 * (actualSum_ - idealSum_) / idealSum_;
    f.maxUs = static_cast<double>(maxDev_) / perUs;
    f.driftMaxUs = static_cast<double>(maxLate_) / perUs;
    f.driftMaxPeriods = static_cast<double>(maxLate_) / static_cast<double>(maxLatePeriod_);
    // Percentiles to the microsecond: the upper edge of the bucket that holds them.
    auto percentile = [&](double p) {
        if (periods_ == 0) return 0.0;
        const int64_t rank = static_cast<int64_t>(std::ceil(p * static_cast<double>(periods_)));
        int64_t seen = 0;
        for (int i = 0; i < kBuckets; ++i) {
            seen += histogram_[static_cast<size_t>(i)];
            if (seen >= rank) return std::min(static_cast<double>(i + 1), f.maxUs);
        }
        return f.maxUs;
    };
    f.p50Us = percentile(0.50);
    f.p99Us = percentile(0.99);
    return f;
}

namespace {

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
    char text[200];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

}  // namespace

std::string describeTickFigures(const TickFigures& f) {
    std::string s = format("  ticks: %.0f (schedule restarts: %.0f)\n",
                           static_cast<double>(f.ticks), static_cast<double>(f.restarts));
    s += format("  mean period error: %+.3f %% (+ is slow)\n", f.meanPeriodErrorPct);
    s += format("  period deviation |period - ideal|: p50 %.0f us, p99 %.0f us, max %.0f us\n",
                f.p50Us, f.p99Us, f.maxUs);
    s += format("  schedule drift: at most %.0f us (%.2f tick periods)\n", f.driftMaxUs,
                f.driftMaxPeriods);
    s += format("  ticks late by more than 100 us: %.0f, by more than 1 ms: %.0f\n",
                static_cast<double>(f.lateOver100Us), static_cast<double>(f.lateOver1Ms));
    return s;
}

std::string tickVerdict(const TickFigures& f) {
    const double err = std::abs(f.meanPeriodErrorPct);
    if (f.ticks < 2) return "no verdict: too few ticks";
    if (f.p99Us > 1000 || err > 1.0)
        return "poor: the wire's speed wavers visibly (p99 over 1 ms or mean error over 1 %); "
               "close other programs or use another PC";
    if (f.p99Us <= 100 && err <= 0.2 && f.driftMaxPeriods <= 1.0)
        return "good: steady wire speed (p99 within 100 us, mean error within 0.2 %, drift "
               "within one tick)";
    return "fair: usable, small speed ripple possible (p99 100 us - 1 ms or mean error "
           "0.2 - 1 %)";
}

std::string speedErrorText(const TickFigures& f) {
    return format("Speed error %.2f %%", f.meanPeriodErrorPct);
}

}  // namespace corvane
