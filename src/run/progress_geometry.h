// What the cut progress view draws, worked out without windows: the scale factors that keep the
// larger chord at its file size and shrink the smaller in proportion, and the line of each
// segment at that scale.
#pragma once

#include <optional>

#include "generate/airfoil_input.h"

namespace corvane {

struct ScaleFactors {
    float left = 1.0f;
    float right = 1.0f;
};
// Both 1 for equal chords; otherwise the smaller side gets smaller chord / larger chord.
ScaleFactors scaleFactorsFor(double leftChord, double rightChord);

// The numbers a runner's views start from: drawing limits and view window (x0, y0, x1, y1),
// and whether the two frames stand side by side (the foam runner) or one above the other.
struct ProgressViewNumbers {
    double limits[4] = {-0.1, -0.1, 1.1, 0.1};
    double viewWindow[4] = {-0.1, -1.0, 1.0, 1.0};
    bool sideBySide = false;
};

struct ProgressLine {
    double x0, y0, x1, y1;
};

// The line of segment k (1-based: from point k to point k + 1) at `scale`; nullopt when the
// profile has no such segment.
std::optional<ProgressLine> segmentLine(const Profile& profile, float scale, int k);

}  // namespace corvane
