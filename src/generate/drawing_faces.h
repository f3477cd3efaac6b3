// A part from drawings cut with the face geometry: the root and tip shapes sized at the two foam
// faces, placed there as the drawings place them, and projected to the towers by the face
// geometry's own steps (offset by half each side's kerf, projection, refusals). The set records
// the placement like a wing face set, so simulate and the runner rebuild the same faces.
#pragma once

#include <optional>

#include "generate/drawing_shape.h"
#include "generate/face_geometry.h"

namespace corvane {

// Where the drawings put the tip against the root: the tip's box corner (least x, least y) less
// the root's, in mm after sizing (each shape is scaled about its drawing's origin).
DrawingPoint drawnTipOffset(const PreparedDrawing& prepared);

// The design a drawing part takes on the faces: the chords are the horizontal sizes at the faces,
// and sweep and rise place the tip's box corner against the root's: as drawn, moved further by
// the `sweepMm` and `riseMm` the operator gave in `design`. Towers, gap, span and kerfs stay.
FaceDesign drawingFaceDesign(const PreparedDrawing& prepared, FaceDesign design);

// The two shapes on the faces in mm, in the frame of the root's box corner (the frame the profile
// files give them through buildFaceGeometry), taken straight from the corresponding points.
struct DrawingFaces {
    Outline root, tip;
};
DrawingFaces placeDrawingOnFaces(const PreparedDrawing& prepared, const FaceDesign& design);

// A foam face set's size at a tower: the horizontal size of the designed shapes projected there
// from `near` (no kerf), as a foam set's sizes have always been.
double towerHorizontalSize(const Outline& near, const Outline& far, double gapMm, double spanMm);

// The face geometry of the placed shapes (`design` from drawingFaceDesign).
FaceGeometryResult drawingFaceGeometry(const PreparedDrawing& prepared, const FaceDesign& design,
                                       const std::optional<FaceBlank>& blank = std::nullopt);

}  // namespace corvane
