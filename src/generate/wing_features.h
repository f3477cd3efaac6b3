// What a wing builder cuts into the core besides the designed section: room for the sheeting
// (upper and lower surface moved inward), rectangular spar slots, a trailing edge no thinner
// than asked, stock to be sanded ahead of the leading and behind the trailing edge, and the
// mirrored half. The features are applied to both unit-chord sections at their face chords
// before the kerf offset and the projection, so the towers follow and both faces keep equal
// point counts with corresponding points (a slot's corners pair with the other face's corners).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "generate/airfoil_input.h"

namespace corvane {

// A figure at the left (root) face and at the right (tip) face of the panel.
struct FacePair {
    double left = 0, right = 0;
    bool operator==(const FacePair&) const = default;
};

enum class SlotSurface { Upper, Lower };

// How a slot's figures at the right face follow from those at the left: the same millimetres,
// scaled by the ratio of the chords, or both faces given.
enum class SlotScaling { Same, Proportional, PerFace };

// A rectangular notch: walls square to the chord line, floor parallel to it at `depth` below the
// surface at the slot's centre. Centre, width and depth are measured on the finished section
// (before the kerf offset, which makes the wire's path narrower and leaves the asked width).
struct SparSlot {
    SlotSurface surface = SlotSurface::Upper;
    FacePair centre;  // mm from the leading edge along the chord, or a chord fraction
    bool centreIsFraction = false;
    FacePair widthMm, depthMm;
    SlotScaling scaling = SlotScaling::Same;  // Same/Proportional read only the left figures
    bool operator==(const SparSlot&) const = default;
};

struct WingFeatures {
    FacePair sheetingUpperMm, sheetingLowerMm;  // the surfaces move inward by these
    std::vector<SparSlot> sparSlots;
    FacePair teThicknessMm;         // the cut outline's trailing edge is at least this thick
    FacePair leStockMm, teStockMm;  // extra foam ahead of the leading / behind the trailing edge
    bool mirror = false;            // also save the other half (left and right faces swapped)
    bool any() const;               // anything beyond the plain section (mirror aside)
    bool operator==(const WingFeatures&) const = default;
};

// A slot's figures at one face, in mm, after its scaling and (for a fraction) the chord.
struct SlotAtFace {
    SlotSurface surface = SlotSurface::Upper;
    double centreMm = 0, widthMm = 0, depthMm = 0;
};
SlotAtFace slotAtFace(const SparSlot& slot, bool rightFace, double leftChordMm,
                      double rightChordMm);

// Where a slot landed in the featured sections: the indices of its four corners (lip, floor,
// floor, lip in the outline's order), the same on both faces.
struct SlotCorners {
    std::size_t lipA = 0, floorA = 0, floorB = 0, lipB = 0;
};

struct FeaturedSections {
    Profile left, right;  // unit chord again (divided by the face chords), equal point counts
    std::vector<SlotCorners> sparSlots;  // in the order of WingFeatures::sparSlots
    std::size_t leadingEdge = 0;         // the index of the leading edge in both
    std::vector<std::string> refusals;   // each with its reason and the numbers
};

// Every feature applied to the two unit-chord sections at their face chords, in this order:
// sheeting, trailing-edge thickness (of the core the wire cuts, so a sheeted core whose surfaces
// meet ends in a blunt edge of that thickness), stock, spar slots (placed from the designed
// leading edge, cut into the core's surface). Refused with the numbers: a slot deeper than the
// section at its position, out of the chord, not wider than the side's kerf, slots overlapping on
// one surface or changing order between the faces, sheeting thicker than half the section, a
// trailing edge as thick as the core, a negative figure.
FeaturedSections applyWingFeatures(const Profile& leftUnit, const Profile& rightUnit,
                                   double leftChordMm, double rightChordMm,
                                   const WingFeatures& features, double leftKerfMm = 0,
                                   double rightKerfMm = 0);

// The features of the mirrored half, whose left face is this one's right: each left figure
// swapped with its right one; a proportional slot becomes one given per face (its figures
// follow the chords, which swap too).
WingFeatures mirroredFeatures(const WingFeatures& features, double leftChordMm,
                              double rightChordMm);

// The other half of the wing from the same description ("Right Wing Panel" / "左机翼面板"): the
// root that lay at the left tower lies at the right one. Chords, washouts, kerfs and features
// swap sides, the gaps swap so the panel keeps its place between the towers, and the sweep and
// rise change sign (measured from the new left face). Cut with the two airfoils swapped, every
// face and tower outline is the first half's at the other end of the wire.
struct FaceDesign;
FaceDesign mirroredDesign(const FaceDesign& design);

}  // namespace corvane
