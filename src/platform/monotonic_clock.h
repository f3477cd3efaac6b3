// The high-resolution counter the step timing spins on: frequency() counts per second and
// now() the current count, both 64-bit. Real = CLOCK_MONOTONIC nanoseconds; the fake advances
// on every read so timing code runs instantly and deterministically in tests.
#pragma once

#include <cstdint>

namespace corvane {

class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual int64_t frequency() = 0;
    virtual int64_t now() = 0;
    // Lets a long wait give the core away until shortly before the deadline (count of now()).
    // The real clock sleeps; the fake jumps. Waits must still spin the last stretch themselves.
    virtual void sleepUntil(int64_t count) { (void)count; }
};

class RealClock : public MonotonicClock {
public:
    int64_t frequency() override { return 1'000'000'000; }
    int64_t now() override;
    void sleepUntil(int64_t count) override;
};

// Starts at `start` and advances by `step` counts on every now(); frequency 1e9 by default.
class FakeClock : public MonotonicClock {
public:
    explicit FakeClock(int64_t step = 1000, int64_t frequency = 1'000'000'000, int64_t start = 0)
        : step_(step), frequency_(frequency), count_(start) {}
    int64_t frequency() override { return frequency_; }
    int64_t now() override {
        count_ += step_;
        ++reads_;
        return count_;
    }
    void sleepUntil(int64_t count) override {
        if (count > count_) count_ = count;
    }
    int64_t peek() const { return count_; }
    void advance(int64_t counts) { count_ += counts; }
    int64_t reads() const { return reads_; }

private:
    int64_t step_;
    int64_t frequency_;
    int64_t count_;
    int64_t reads_ = 0;
};

}  // namespace corvane
