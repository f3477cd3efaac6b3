// A part from drawings: the outline from its start point in its direction, the root and tip
// outlines made to correspond point for point (by arc-length fraction, corners matched), and
// the pair written as two profile files so the foam generation makes the set as for any other
// pair of profiles: kerf, lead moves, ticks, delay points, simulation and export unchanged.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "generate/drawing_outline.h"

namespace corvane {

// Where the cut starts and which way it runs.
struct ShapeChoice {
    std::optional<DrawingPoint> start;  // default: the rightmost point (lowest of a tie)
    bool reverse = false;               // default counter-clockwise, clockwise when reversed
};

// The outline from its start (inserted where it falls between two points) in its direction,
// closed (last point = first).
DrawingOutline orientOutline(const DrawingOutline& outline, const ShapeChoice& choice);

// Whether the horizontal lead-in (the runner's, from the block's edge on the right: x growing)
// crosses the oriented outline before it reaches the start: then it cuts into the part.
bool leadInCrossesPart(const DrawingOutline& oriented);

// Corresponding root and tip points in millimetres, one pair per segment end: the clean form
// that either geometry (towers or faces) takes.
struct DrawingShape {
    std::vector<DrawingPoint> root, tip;
    std::vector<char> corner;  // a corner of the root (and, when matched, of the tip)
    int rootCorners = 0, tipCorners = 0;
    bool cornersMatched = false;  // both have as many corners, reached together
};

// Both outlines oriented. Sections between corresponding corners (the whole outline when the
// corner counts differ) are resampled at the union of both sides' arc-length fractions, so
// each side keeps every point of its own outline.
DrawingShape correspondOutlines(const DrawingOutline& root, const DrawingOutline& tip);

// What the operator asks for: the drawings and how to size them.
struct DrawingJob {
    std::filesystem::path rootFile;
    std::optional<std::filesystem::path> tipFile;  // none: the root drawing on both towers
    std::string layer;                             // empty: the only layer that draws
    ShapeChoice choice;
    std::optional<double> size;   // horizontal size of the root, mm (the tip keeps the ratio)
    std::optional<double> scale;  // factor on the drawn sizes
    std::optional<double> leftSize, rightSize;  // each tower's horizontal size, mm
};

struct PreparedDrawing {
    DrawingShape shape;                      // scaled
    DrawingOutline rootOutline, tipOutline;  // oriented, as drawn (before scaling)
    std::string rootLayer, tipLayer;
    double leftSize = 0, rightSize = 0;  // horizontal size at each tower, mm
};

// Reads, chains, orients, sizes and pairs the drawings: DrawingError with the reason.
PreparedDrawing prepareDrawing(const DrawingJob& job);

// The warning for either side of a prepared drawing when the settings' lead moves are on; empty
// when there is nothing to say.
std::string leadInWarning(const PreparedDrawing& prepared, bool leadMovesOn);

// Writes the two sides as profile files (each scaled to its horizontal size 1) under
// `folder`, named after each side's drawing and their content (so a saved set keeps its own);
// returns the left and right paths.
std::pair<std::filesystem::path, std::filesystem::path> writeDrawingProfiles(
    const PreparedDrawing& prepared, const std::filesystem::path& folder,
    const std::string& rootStem, const std::string& tipStem);

// A size as the generation's size fields take it: plain decimals, no exponent.
std::string sizeText(double mm);

}  // namespace corvane
