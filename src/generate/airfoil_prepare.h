// Preparing a root and a tip airfoil for one tapered wing: both resampled to the same number of
// points in the same cutting order with the leading edge at the same index, so both towers
// reach their leading and trailing edges on the same segment. The shape is kept: each surface
// is a smooth spline of its arc length, sampled densely where the profile bends most.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "generate/airfoil_check.h"

namespace corvane {

struct PrepareOptions {
    std::size_t points = 101;  // per profile, at least 5
    bool lowerFirst = false;   // trailing edge, lower surface, leading edge, upper surface
};

struct PreparedProfile {
    AirfoilPoints points;          // cutting order, starting and ending at the trailing edge
    std::size_t leadingEdgeIndex;  // 0-based
};

// One profile from its surfaces: the first surface sampled from the trailing edge to the leading
// edge, the second on from there; cosine spacing along each surface's arc length. The same
// options give the same leading-edge index for any profile. std::invalid_argument below 5 points.
PreparedProfile prepareProfile(const AirfoilSurfaces& surfaces, const PrepareOptions& options);

// What preparing cannot mend, each a message naming the file and the fix: too few points, a
// chord other than 1, an outline cut short. Order and start it mends.
std::vector<std::string> preparationProblems(const AirfoilFile& file,
                                             const AirfoilSurfaces& surfaces,
                                             const std::string& displayName);

// What the generator would still refuse in a prepared profile, each a message naming the file:
// empty for every outline preparing accepts, and a prepared file is written only when it is.
std::vector<std::string> preparedProblems(const PreparedProfile& prepared,
                                          const std::string& displayName);

// The file the generator reads: one point a line, numbers only, CR LF.
std::string plainAirfoilText(const AirfoilPoints& points);

// The largest distance of the prepared points from the surfaces read in (chord units).
double largestDeviation(const PreparedProfile& prepared, const AirfoilSurfaces& original);

}  // namespace corvane
