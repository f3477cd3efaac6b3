// When the cut window warns that the slider's speed changes the kerf.
#include "run/kerf_speed_warning.h"

#include <cmath>

#include "machine/workspace.h"

namespace corvane {

std::optional<double> madeForSpeedMmS(const Workspace& ws) {
    const double v = ws.job.madeForSpeedMmS;
    if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<SpeedDeparture> farFromMadeForSpeed(std::optional<double> madeForMmS, double nowMmS) {
    if (!madeForMmS || !(*madeForMmS > 0)) return std::nullopt;
    const double fraction = (nowMmS - *madeForMmS) / *madeForMmS;
    if (!(std::abs(fraction) > kKerfSpeedFraction)) return std::nullopt;
    return SpeedDeparture{*madeForMmS, nowMmS, fraction};
}

}  // namespace corvane
