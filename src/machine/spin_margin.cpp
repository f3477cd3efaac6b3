#include "machine/spin_margin.h"

#include <algorithm>

namespace corvane {

void SpinMargin::observe(int64_t lateMicros) {
    const auto bucket =
        static_cast<uint16_t>(std::clamp<int64_t>(lateMicros / kBucketMicros, 0, kBuckets - 1));
    if (count_ == kWindow) {
        --histogram_[ring_[static_cast<size_t>(next_)]];
    } else {
        ++count_;
    }
    ring_[static_cast<size_t>(next_)] = bucket;
    ++histogram_[bucket];
    next_ = (next_ + 1) % kWindow;
    // The smallest bucket edge that no more than the allowed share of the window lies beyond.
    const int64_t allowed = count_ * (1000 - kPerMille) / 1000;
    int64_t beyond = 0;
    lateness_ = 0;
    for (int b = kBuckets - 1; b >= 0; --b) {
        beyond += histogram_[static_cast<size_t>(b)];
        if (beyond > allowed) {
            lateness_ = (b + 1) * kBucketMicros;
            break;
        }
    }
}

int64_t SpinMargin::learnedLatenessMicros() const {
    return count_ < kWarmUp ? 0 : std::min(lateness_, kMaxMicros);
}

int64_t SpinMargin::learnedMarginMicros() const {
    if (count_ < kWarmUp) return kMaxMicros;
    return std::clamp(lateness_ + kGuardMicros, kMinMicros, kMaxMicros);
}

int64_t SpinMargin::micros(int64_t waitMicros, bool tight) const {
    const int64_t widest = std::min(kMaxMicros, waitMicros * (100 - kMinSleepPercent) / 100);
    const int64_t margin =
        std::max(kMinMicros, tight ? widest : std::min(widest, learnedMarginMicros()));
    return waitMicros - margin < kMinSleepMicros ? std::max(waitMicros, margin) : margin;
}

}  // namespace corvane
