// The check at the foam faces: where the decoded wire crosses each face plane, tick by tick, and
// how far that lies from the face's designed outline offset by half its kerf. A face set names
// its faces itself; a tower set is checked at faces the caller places, against each airfoil at
// the chord the towers give there, which shows in numbers what the straight wire blends.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "generate/face_geometry.h"
#include "simulate/profile_check.h"

namespace corvane {

struct Simulation;

// Where the faces of a tower set lie along the wire.
struct FacePlacement {
    double leftGapMm = 0, spanMm = 0, towersMm = 0;
};

struct FaceTarget {
    Outline designed;  // the section as designed, in the frame of both faces
    Outline cut;       // offset by half the kerf: where the wire should cross the face
    double kerfMm = 0;
    double startX = 0, startY = 0;  // where this side's carriage starts, in the same frame
    Outline finished;  // with wing features: the section before them (sheeted, sanded); else empty
};

struct FaceTargets {
    bool faceSet = false;  // false: a tower set placed by the caller
    double leftGapMm = 0, spanMm = 0, towersMm = 0;
    FaceTarget left, right;
};

// A face set's faces from its DAT-information fields: nullopt for a set without the face mark;
// nullopt with `why` set when it has one that cannot be used. `towers` (when given) receives
// the tower outlines as the tower check compares them: mm from each first point.
[[nodiscard]] std::optional<FaceTargets> faceSetTargets(
    const std::vector<std::string>& datInfoFields, std::string& why,
    IntendedProfiles* towers = nullptr);

// A tower set's faces: each face takes its side's airfoil and washout (a turn about the leading
// edge) at the chord the two tower chords give at that face, offset by half the kerf. Both
// carriages start at one point, so each outline is anchored at the wire's start there.
[[nodiscard]] std::optional<FaceTargets> towerSetTargets(const IntendedProfiles& towers,
                                                         const FacePlacement& placement,
                                                         double kerfMm, std::string& why);

// Chord, largest thickness and camber (percent of the chord) and the chord line's angle
// (degrees, the trailing edge raised positive) of a section, after moving it `insetMm` inward.
struct SectionFigures {
    double chordMm = 0, thicknessPct = 0, camberPct = 0, chordAngleDeg = 0;
};
SectionFigures measureSection(const Outline& section, double insetMm);

struct FaceSideCheck {
    double maxDistanceMm = 0;
    int atSegment = 0;
    Outline path;  // the wire at the face at the start and at every profile segment's end
    SectionFigures designed, measured;
};

struct FaceCheck {
    FaceSideCheck left, right;
    double boundMm = 0;
    bool withinBound() const {
        return left.maxDistanceMm <= boundMm && right.maxDistanceMm <= boundMm;
    }
};

// What rounding explains at a face: each carriage axis ends within half a step of its rounded
// point and lags the straight segment by less than one step between them, so a carriage strays
// at most 1.5 steps per axis. A face lies between the towers: the wire's point there is a mean
// of the two carriages weighted (D - d) / D and d / D, so the face's magnification d / w, which
// enlarges the outline at the towers, never enlarges the error at a face.
double faceBoundMm(int32_t stepsPerMm);

FaceCheck checkAtFaces(const Simulation& sim, const FaceTargets& faces);

// How fast the wire moves along each face, segment by segment, at `tickMs` a tick: the slowest
// and the fastest segment (segments without ticks left out). The smaller face moves slower in
// the same time, and a slower wire melts a wider kerf.
struct SpeedRange {
    double minMmS = 0, maxMmS = 0;
};
std::array<SpeedRange, 2> faceSpeedRanges(const Simulation& sim, const FaceCheck& check,
                                          double tickMs);

}  // namespace corvane
