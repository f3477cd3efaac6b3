// Kerf by speed at the foam faces. A segment lasts as long as its ticks: the axis with the most
// steps makes one step a tick, so at cut speed V a segment whose longest axis move at the towers
// is A mm takes A / V seconds. In that time each face's wire point runs its own path length, so
// the short (slow) face of a tapered panel melts the wider kerf. Without a material the settings'
// kerf of each side is offset as it always was.
#pragma once

#include <vector>

#include "generate/face_geometry.h"

namespace corvane {

// Each segment's seconds at `cutSpeedMmS` from the tower outlines (the longest of the four axis
// moves over the speed); 0 for a segment without a move.
std::vector<double> segmentSeconds(const Outline& leftTower, const Outline& rightTower,
                                   double cutSpeedMmS);

// A face's speed in each segment: its path length over the segment's seconds (0 where either
// is 0).
std::vector<double> faceSpeeds(const Outline& face, const std::vector<double>& seconds);

// The material's kerf at each segment's speed; a segment of speed 0 takes the kerf of the
// nearest segment that moves (the settings' nothing: the kerf at the cut speed when none moves).
SideKerfs kerfsAtSpeeds(const Material& m, const std::vector<double>& speedMmS, double cutSpeedMmS);

// Each point's offset (half the kerf) from the kerfs of the segments either side of it; the
// ends of a closed outline share the first and last segments.
std::vector<double> pointOffsets(const std::vector<double>& segmentKerfMm, bool closed);

// The kerf step of the face geometry: fills `g`'s cut outlines (the faces offset outward) and
// tower outlines from its placed faces. With kerf by speed the speeds are taken from the
// designed sections first, then twice more from the cut that gives, since the kerf itself
// lengthens the path round the leading edge (round a sharp trailing edge the mitre's length
// follows the kerf, and nothing settles on its first and last two segments).
void cutFaces(FaceGeometry& g, const FaceDesign& d);

}  // namespace corvane
