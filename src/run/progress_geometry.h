// What the cut progress view draws, worked out without windows: the two profiles after washout,
// scaled so the larger chord keeps its file size and the smaller shrinks in proportion, and the
// end points of each segment mark.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct ProfilePoints {
    std::vector<double> x;  // [0] is point 1
    std::vector<double> y;
    int count() const { return static_cast<int>(x.size()); }
};

// Shears the profile about x = 0 by the washout angle: y += x * tan(degrees * 0.0174532925).
void applyWashout(ProfilePoints& profile, double degrees);

struct ScaleFactors {
    float left = 1.0f;
    float right = 1.0f;
};
// Both 1 for equal chords; otherwise the smaller side gets smaller chord / larger chord.
ScaleFactors scaleFactorsFor(double leftChord, double rightChord);

struct ProgressLine {
    double x0, y0, x1, y1;
};

// The line of segment k (1-based: from point k to point k + 1) at `scale`; nullopt when the
// profile has no such segment.
std::optional<ProgressLine> segmentLine(const ProfilePoints& profile, float scale, int k);

}  // namespace corvane
