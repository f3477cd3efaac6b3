// Outlines written out point by point, and how far a point lies from one: shared by the face
// geometry's tests, which compare the wire's path with the outline it should follow.
#pragma once

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "generate/face_geometry.h"

namespace corvane::test {

inline Outline outline(std::initializer_list<std::pair<double, double>> pts) {
    Outline o;
    for (auto [x, y] : pts) o.x.push_back(x), o.y.push_back(y);
    return o;
}

inline double distanceToPolyline(double px, double py, const Outline& o) {
    double best = 1e300;
    for (std::size_t i = 0; i + 1 < o.size(); ++i) {
        const double dx = o.x[i + 1] - o.x[i], dy = o.y[i + 1] - o.y[i];
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((px - o.x[i]) * dx + (py - o.y[i]) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(px - o.x[i] - t * dx, py - o.y[i] - t * dy));
    }
    return best;
}

}  // namespace corvane::test
