// Step counts of a segment.
#include "generate/tick_scheme.h"

#include <cmath>

#include "common/fixed_point.h"
#include "common/run_error.h"

namespace corvane {

int32_t segmentStepCount(double kerfMm, double chord, double difference, int32_t stepsPerMm) {
    if (chord == 0) {
        throw RunError(kerfMm == 0 ? ErrorNumber::Overflow : ErrorNumber::DivisionByZero);
    }
    const double factor = kerfMm / chord + 1;
    const double scaled = chord * std::fabs(difference) * static_cast<double>(stepsPerMm);
    return toInt32(factor * scaled);
}

}  // namespace corvane
