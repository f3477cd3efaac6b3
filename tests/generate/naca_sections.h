// NACA four-digit sections made on the fly for the face geometry tests: any camber, camber
// position and thickness, from the trailing edge over the upper surface and back, chord 1.
#pragma once

#include <cmath>
#include <sstream>
#include <string>

#include "generate/airfoil_input.h"

namespace corvane::test {

inline Profile naca(double m, double p, double t, int half) {
    Profile pr;
    auto point = [&](double x, bool upper) {
        const double yt = 5 * t *
                          (0.2969 * std::sqrt(x) - 0.126 * x - 0.3516 * x * x + 0.2843 * x * x * x -
                           0.1036 * x * x * x * x);
        double yc = 0, dy = 0;
        if (m > 0) {
            yc = x < p ? m / (p * p) * (2 * p * x - x * x)
                       : m / ((1 - p) * (1 - p)) * (1 - 2 * p + 2 * p * x - x * x);
            dy = x < p ? 2 * m / (p * p) * (p - x) : 2 * m / ((1 - p) * (1 - p)) * (p - x);
        }
        const double th = std::atan(dy);
        pr.x.push_back(upper ? x - yt * std::sin(th) : x + yt * std::sin(th));
        pr.y.push_back(upper ? yc + yt * std::cos(th) : yc - yt * std::cos(th));
    };
    for (int i = half; i >= 0; --i) point(0.5 * (1 - std::cos(M_PI * i / half)), true);
    for (int i = 1; i <= half; ++i) point(0.5 * (1 - std::cos(M_PI * i / half)), false);
    pr.x.front() = pr.x.back() = 1;  // a closed, sharp trailing edge
    pr.y.front() = pr.y.back() = 0;
    return pr;
}

// The profile as an airfoil file's text.
inline std::string datText(const Profile& p) {
    std::ostringstream out;
    out.precision(17);
    for (std::size_t k = 0; k < p.size(); ++k) out << p.x[k] << ' ' << p.y[k] << '\n';
    return out.str();
}

}  // namespace corvane::test
