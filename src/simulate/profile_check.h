// The profiles a set is meant to cut, from its DAT-information line (each airfoil scaled by its
// tower chord or foam size plus the kerf, washout applied), and how far the decoded wire path
// strays from them: the step-exact check of a set before it touches foam.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "simulate/set_decoder.h"

namespace corvane {

struct IntendedSide {
    std::string path;
    double size = 0;                       // tower chord (wing) or horizontal size (foam), mm
    std::optional<double> washoutDegrees;  // wing sets with the side's washout ticked
    std::vector<double> x, y;              // mm from the profile's first point, back and up
};

struct IntendedProfiles {
    bool wing = false;  // eight fields; a foam set has four
    IntendedSide left, right;
    std::size_t points() const { return left.x.size(); }
};

// Nullopt, with the reason in `why`, when the line holds fewer than four fields, a profile file
// cannot be read, a size or washout angle is too large to read, or the two profiles differ in
// their number of points.
[[nodiscard]] std::optional<IntendedProfiles> intendedProfiles(
    const std::vector<std::string>& datInfoFields, double kerfMm, std::string& why);

struct SideCheck {
    double maxDistanceMm = 0;  // largest distance of a tick's position from its segment's line
    int atSegment = 0;         // the profile segment where it lies
    std::vector<double> segmentMaxMm;  // [k - 1]: the largest distance within segment k
    double closingMm[2] = {0, 0};      // X, Y of the cut's last position less the intended one
    int closingPoint = 0;              // the profile point the closing error is measured against
};

struct ProfileCheck {
    SideCheck left, right;
    int segmentsCompared = 0;
    int segmentsBeyondProfile = 0;  // segments of the set past the profiles' last point
    // Segments in which one end of the wire runs on an upper surface and the other on a lower
    // one, away from the edges: the wire cuts through the core there.
    int segmentsAcross = 0;
    int firstAcross = 0;  // the first such segment, 0 when none
};

// Positions are rounded to whole steps at every profile point (half a step on each axis) and
// the ticks of a segment stay within a step of its line on each axis: together no tick lies
// further than this from the profile, in steps.
inline constexpr double kRoundingBoundSteps = 1.5 * 1.4142135623730951;

// What makes the set unfit to cut, one line each: a tower size of 0 or less on its
// DAT-information line, a distance from a profile beyond the rounding bound, a closing error of
// more than a step, segments across the core. Empty when fit.
std::vector<std::string> profileCheckFaults(const IntendedProfiles& profiles,
                                            const ProfileCheck& check, int32_t stepsPerMm);

// The segments (1-based) in which the two sides run on different surfaces away from the edges.
std::vector<int> segmentsAcrossSurfaces(const IntendedProfiles& profiles);

// Distance from (px, py) to the segment from (ax, ay) to (bx, by).
double distanceToSegment(double px, double py, double ax, double ay, double bx, double by);

// Compares every tick of the profile segments, measured from where the profile begins (the end of
// the lead-in), with the line of its segment; lead moves are not part of a profile.
ProfileCheck checkAgainstProfiles(const LoadedSet& set, const StepDecoder& decoder,
                                  const std::optional<LeadMoves>& lead, const DecodedSet& decoded,
                                  const IntendedProfiles& profiles, int32_t stepsPerMm);

// The start of the first profile segment (the end of the lead-in), or the end when there is none.
AxisSteps profileStart(const DecodedSet& decoded);

}  // namespace corvane
