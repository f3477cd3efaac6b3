#include "machine/tick_pacer.h"

namespace corvane {

TickPacer::Slot TickPacer::next(int64_t now, int64_t highCounts, int64_t periodCounts,
                                int64_t holdCounts) {
    const bool restart = !open_ || highCounts != high_ || periodCounts != period_ ||
                         now - (origin_ + index_ * period_) > holdCounts;
    if (restart) {
        open_ = true;
        origin_ = now;
        index_ = 0;
        high_ = highCounts;
        period_ = periodCounts;
    }
    const int64_t due = origin_ + index_ * period_;
    return Slot{due, due + high_, restart};
}

}  // namespace corvane
