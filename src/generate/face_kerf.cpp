// The face speeds, the kerf each melts, and the offsets they give.
#include "generate/face_kerf.h"

#include <algorithm>
#include <cmath>

namespace corvane {

std::vector<double> segmentSeconds(const Outline& leftTower, const Outline& rightTower,
                                   double cutSpeedMmS) {
    std::vector<double> s;
    const std::size_t n = std::min(leftTower.size(), rightTower.size());
    for (std::size_t k = 0; k + 1 < n; ++k) {
        const double longest = std::max({std::fabs(leftTower.x[k + 1] - leftTower.x[k]),
                                         std::fabs(leftTower.y[k + 1] - leftTower.y[k]),
                                         std::fabs(rightTower.x[k + 1] - rightTower.x[k]),
                                         std::fabs(rightTower.y[k + 1] - rightTower.y[k])});
        s.push_back(cutSpeedMmS > 0 ? longest / cutSpeedMmS : 0);
    }
    return s;
}

std::vector<double> faceSpeeds(const Outline& face, const std::vector<double>& seconds) {
    std::vector<double> v(seconds.size(), 0);
    for (std::size_t k = 0; k < seconds.size() && k + 1 < face.size(); ++k) {
        const double length = std::hypot(face.x[k + 1] - face.x[k], face.y[k + 1] - face.y[k]);
        if (seconds[k] > 0 && length > 0) v[k] = length / seconds[k];
    }
    return v;
}

SideKerfs kerfsAtSpeeds(const Material& m, const std::vector<double>& speedMmS,
                        double cutSpeedMmS) {
    SideKerfs s;
    s.speedMmS = speedMmS;
    const std::size_t n = speedMmS.size();
    s.kerfMm.assign(n, kerfAt(m, cutSpeedMmS).kerfMm);
    std::vector<bool> moves(n, false);
    for (std::size_t k = 0; k < n; ++k) {
        if (speedMmS[k] <= 0) continue;
        const KerfAtSpeed at = kerfAt(m, speedMmS[k]);
        s.kerfMm[k] = at.kerfMm;
        s.outside = s.outside || at.outside;
        moves[k] = true;
    }
    // A still segment takes the nearest moving one's kerf (the earlier on a tie).
    for (std::size_t k = 0; k < n; ++k) {
        if (moves[k]) continue;
        for (std::size_t step = 1; step < n; ++step) {
            if (k >= step && moves[k - step]) {
                s.kerfMm[k] = s.kerfMm[k - step];
                break;
            }
            if (k + step < n && moves[k + step]) {
                s.kerfMm[k] = s.kerfMm[k + step];
                break;
            }
        }
    }
    return s;
}

std::vector<double> pointOffsets(const std::vector<double>& kerf, bool closed) {
    const std::size_t segments = kerf.size();
    std::vector<double> half(segments + 1, 0);
    if (segments == 0) return half;
    for (std::size_t i = 0; i <= segments; ++i) {
        const bool hasBefore = i > 0, hasAfter = i < segments;
        if (hasBefore && hasAfter) {
            half[i] = (kerf[i - 1] + kerf[i]) / 4;
        } else if (closed) {
            half[i] = (kerf.front() + kerf.back()) / 4;
        } else {
            half[i] = (hasBefore ? kerf[i - 1] : kerf[i]) / 2;
        }
    }
    return half;
}

void cutFaces(FaceGeometry& g, const FaceDesign& d) {
    const double d2 = d.rightGapMm();
    auto project = [&] {
        g.leftTower = projectBeyond(g.leftCut, g.rightCut, d.leftGapMm, d.spanMm);
        g.rightTower = projectBeyond(g.rightCut, g.leftCut, d2, d.spanMm);
    };
    if (!d.kerfBySpeed) {
        g.leftCut = offsetOutline(g.leftFace, d.leftKerfMm / 2);
        g.rightCut = offsetOutline(g.rightFace, d.rightKerfMm / 2);
        project();
        return;
    }
    const Material& m = d.kerfBySpeed->material;
    const double v = d.kerfBySpeed->cutSpeedMmS;
    g.leftCut = g.leftFace;
    g.rightCut = g.rightFace;
    for (int pass = 0; pass < 3; ++pass) {
        project();
        const std::vector<double> seconds = segmentSeconds(g.leftTower, g.rightTower, v);
        g.leftKerfs = kerfsAtSpeeds(m, faceSpeeds(g.leftCut, seconds), v);
        g.rightKerfs = kerfsAtSpeeds(m, faceSpeeds(g.rightCut, seconds), v);
        g.leftCut = offsetOutlineVarying(
            g.leftFace, pointOffsets(g.leftKerfs->kerfMm, closedOutline(g.leftFace)));
        g.rightCut = offsetOutlineVarying(
            g.rightFace, pointOffsets(g.rightKerfs->kerfMm, closedOutline(g.rightFace)));
    }
    project();
}

}  // namespace corvane
