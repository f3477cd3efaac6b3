#include "manual/jog_moves.h"

#include "common/fixed_point.h"
#include "common/number_text.h"
#include "common/run_error.h"
#include "machine/machine_settings.h"

namespace corvane {

uint8_t axisMoveByte(const DerivedSettings& s, AxisMove move) {
    switch (move) {
        case AxisMove::X1Back:
            return portByteSum({s.X1Back});
        case AxisMove::X1Forward:
            return portByteSum({s.X1Forward});
        case AxisMove::Y1Up:
            return portByteSum({s.Y1Up});
        case AxisMove::Y1Down:
            return portByteSum({s.Y1Down});
        case AxisMove::X2Back:
            return portByteSum({s.X2Back});
        case AxisMove::X2Forward:
            return portByteSum({s.X2Forward});
        case AxisMove::Y2Up:
            return portByteSum({s.Y2Up});
        case AxisMove::Y2Down:
            return portByteSum({s.Y2Down});
    }
    throw RunError(ErrorNumber::InvalidProcedureCall);
}

uint8_t pairMoveByte(const DerivedSettings& s, PairMove move) {
    switch (move) {
        case PairMove::XBack:
            return portByteSum({s.X1Back, s.X2Back});
        case PairMove::XForward:
            return portByteSum({s.X1Forward, s.X2Forward});
        case PairMove::YUp:
            return portByteSum({s.Y1Up, s.Y2Up});
        case PairMove::YDown:
            return portByteSum({s.Y1Down, s.Y2Down});
    }
    throw RunError(ErrorNumber::InvalidProcedureCall);
}

uint8_t portByteSum(std::initializer_list<uint16_t> patterns) {
    unsigned sum = 0;
    for (uint16_t p : patterns) sum += p;
    if (sum > 255) throw RunError(ErrorNumber::Overflow);
    return static_cast<uint8_t>(sum);
}

int32_t distanceSteps(int32_t stepsPerMm, std::string_view distanceText) {
    const double mm = leadingNumber(distanceText);
    if (!(mm > 0)) return 0;
    const int32_t steps = toInt32(static_cast<double>(stepsPerMm) * mm);
    return steps > 0 ? steps : 0;
}

}  // namespace corvane
