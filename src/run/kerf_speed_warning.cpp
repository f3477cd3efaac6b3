// When the cut window warns that the slider's speed changes the kerf.
#include "run/kerf_speed_warning.h"

#include <cmath>

#include "common/file_io.h"
#include "generate/cut_set_layout.h"
#include "generate/set_kerf_record.h"
#include "machine/workspace.h"

namespace corvane {

namespace {

std::optional<double> speed(double v) {
    if (!(v > 0) || !std::isfinite(v)) return std::nullopt;
    return v;
}

}  // namespace

std::optional<double> madeForSpeedMmS(const Workspace& ws) {
    try {
        const std::string bytes = readFileBytes(ws.file(kDatInfoFileName));
        std::string why;
        if (const std::optional<SetKerfRecord> r =
                setKerfRecordFromFields(allDatInfoFields(bytes), why))
            return speed(r->cutSpeedMmS);
        if (!why.empty()) return std::nullopt;  // a record that cannot be read says no speed
        // No record (a foam set): the speed it was generated at here, while it is that set.
        if (!ws.job.madeForDatInfo.empty() && bytes == ws.job.madeForDatInfo)
            return speed(ws.job.madeForSpeedMmS);
    } catch (const std::exception&) {  // no working set: nothing to compare with
    }
    return std::nullopt;
}

std::optional<SpeedDeparture> farFromMadeForSpeed(std::optional<double> madeForMmS, double nowMmS) {
    if (!madeForMmS || !(*madeForMmS > 0)) return std::nullopt;
    const double fraction = (nowMmS - *madeForMmS) / *madeForMmS;
    if (!(std::abs(fraction) > kKerfSpeedFraction)) return std::nullopt;
    return SpeedDeparture{*madeForMmS, nowMmS, fraction};
}

}  // namespace corvane
