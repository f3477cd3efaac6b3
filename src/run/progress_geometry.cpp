#include "run/progress_geometry.h"

namespace corvane {

ScaleFactors scaleFactorsFor(double leftChord, double rightChord) {
    ScaleFactors s;
    if (leftChord > rightChord && leftChord != 0)
        s.right = static_cast<float>(rightChord / leftChord);
    else if (rightChord > leftChord && rightChord != 0)
        s.left = static_cast<float>(leftChord / rightChord);
    return s;
}

std::optional<ProgressLine> segmentLine(const Profile& profile, float scale, int k) {
    if (k < 1 || static_cast<size_t>(k) + 1 > profile.size()) return std::nullopt;
    const double f = scale;
    const size_t a = static_cast<size_t>(k - 1);
    return ProgressLine{f * profile.x[a], f * profile.y[a], f * profile.x[a + 1],
                        f * profile.y[a + 1]};
}

}  // namespace corvane
