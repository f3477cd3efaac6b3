// The face geometry of a wing set: the designed profiles placed on the two foam faces (chord,
// washout as a rotation about a chord fraction, sweep, rise), each offset outward by half its
// side's kerf, and the line through every pair of corresponding face points extended to the
// tower planes. The wire is straight, so only this puts the designed sections on the foam; the
// tower outlines then go through the same tick scheme and rounding as the tower geometry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "generate/airfoil_input.h"
#include "generate/materials.h"
#include "generate/wing_features.h"

namespace corvane {

// An outline in mm: x along the chord (back), y up. Point k of one face pairs with point k of
// the other and of both tower outlines.
struct Outline {
    std::vector<double> x, y;
    std::size_t size() const { return x.size(); }
};

// The finished panel as it lies between the towers. Distances along the wire: left tower, left
// gap, left face, span, right face, right gap, right tower.
struct FaceDesign {
    double leftChordMm = 0, rightChordMm = 0;
    double towersMm = 0, leftGapMm = 0, spanMm = 0;
    double sweepMm = 0;  // the right face's leading edge behind the left's, along the chord
    double riseMm = 0;   // the right face's leading edge above the left's (dihedral)
    double leftWashoutDeg = 0, rightWashoutDeg = 0;  // positive raises the trailing edge
    double washoutPivot = 0;                         // chord fraction the washout turns about
    double leftKerfMm = 0, rightKerfMm = 0;          // the wire melts half of it on each side
    WingFeatures features;  // cut into both sections before the kerf offset
    // With a material: each segment's kerf on each side from that face's own speed when the set
    // runs at the material's cut speed; the two kerfs above are then not used.
    std::optional<KerfBySpeed> kerfBySpeed;
    double rightGapMm() const { return towersMm - leftGapMm - spanMm; }
};

// A unit-chord profile on a face: scaled to `chordMm`, turned by `washoutDeg` about the chord
// point at `pivot` (the turn keeps the chord length), then moved by (dx, dy).
Outline placeOnFace(const Profile& unit, double chordMm, double washoutDeg, double pivot, double dx,
                    double dy);

// The last point lies on the first (and there are at least 3).
bool closedOutline(const Outline& o);

// Twice the signed area of the outline closed from its last point to its first: positive when
// it runs counter-clockwise.
double signedArea2(const Outline& o);

// The outline moved outward by `distance` along its normals, with mitred joins (a mitre longer
// than kMitreLimit times the distance is cut back along the bisector). A closed outline (last
// point on the first) stays closed; an open one keeps its ends square. Where the result crosses
// itself, the loop is clipped: its points collapse onto the crossing, so the point count and the
// pairing with the other face stay.
inline constexpr double kMitreLimit = 10;
Outline offsetOutline(const Outline& o, double distance);
// The same with each point moved by its own distance (one per point), the mitres as above.
Outline offsetOutlineVarying(const Outline& o, const std::vector<double>& distance);

// Two non-adjacent segments that cross properly: segment i runs from point i to point i + 1.
struct Crossing {
    std::size_t first = 0, second = 0;  // first < second
    double x = 0, y = 0;
};
std::vector<Crossing> selfCrossings(const Outline& o, std::size_t limit = SIZE_MAX);

// The outward unit normal of the segment from point i to i + 1 (`side` +1 on a counter-clockwise
// outline, -1 on a clockwise one); nullopt for a repeated point.
struct Normal {
    double x = 0, y = 0;
};
std::optional<Normal> outwardNormal(const Outline& o, std::size_t i, double side);

// The loop a crossing closes, inside or (closed) round the ends, the smaller collapsed onto the
// crossing so the point count stays; and the number of points that loop holds.
void clipLoop(Outline& o, const Crossing& c, bool closed);
std::size_t loopSize(const Crossing& c, std::size_t n, bool closed);

// The line through each pair of points extended beyond `near` by `distance`:
// T = P + (P - Q) * distance / span.
Outline projectBeyond(const Outline& near, const Outline& far, double distance, double span);

// Kerf by speed on one face, segment by segment (segment k from point k to k + 1): the face's
// speed at the set's cut speed and the kerf the material melts there. A segment in which the
// face does not move has speed 0 and its neighbour's kerf.
struct SideKerfs {
    std::vector<double> speedMmS, kerfMm;
    bool outside = false;  // some speed lies beyond the material's measured range
};

struct FaceGeometry {
    Outline leftFace, rightFace;    // the designed sections, one frame (left leading edge 0, 0)
    Outline leftCut, rightCut;      // offset by half the kerf: the wire's path at the faces
    Outline leftTower, rightTower;  // the wire's path at the towers
    double leftTowerChordMm = 0, rightTowerChordMm = 0;  // leading to trailing edge, no kerf
    std::optional<SideKerfs> leftKerfs, rightKerfs;      // with kerf by speed only
};

// The blank the settings give (oversize foam ticked): the block runs `widthMm` / 2 beyond each
// face along the wire and is `depthMm` deeper than the faces' outlines along the chord.
struct FaceBlank {
    double depthMm = 0, widthMm = 0;
};

struct [[nodiscard]] FaceGeometryResult {
    std::optional<FaceGeometry> geometry;
    std::vector<std::string> refusals;  // each with its reason and the numbers
};

// The whole face geometry from the two unit-chord profiles (equal point counts). Refused: faces
// outside the towers or overlapping, a chord not above 0, a negative kerf, a tower outline that
// crosses itself or turns over (the wire's cone has its apex between a face and its tower: judged
// on the designed sections, so the kerf's corners at a sharp trailing edge do not count), and
// with a blank, an outline at the blank's ends deeper than the blank or a blank past a tower.
FaceGeometryResult buildFaceGeometry(const Profile& leftUnit, const Profile& rightUnit,
                                     const FaceDesign& design,
                                     const std::optional<FaceBlank>& blank = std::nullopt);

// The same from two face outlines already placed in mm, one frame for both (equal point counts;
// point k of one pairs with point k of the other): offset, projected and refused as above.
// `leftLe`, `rightLe`: each outline's leading edge, where its chord line starts (it ends at the
// middle of the first and last points).
FaceGeometryResult faceGeometryFromOutlines(Outline leftFace, Outline rightFace, std::size_t leftLe,
                                            std::size_t rightLe, const FaceDesign& design,
                                            const std::optional<FaceBlank>& blank = std::nullopt);

// The leading edge (least x) and trailing edge (middle of the first and last points) of a
// unit-chord profile, as indices and fractions for the chords shown beside each other.
std::size_t leadingEdgeIndex(const Profile& unit);

}  // namespace corvane
