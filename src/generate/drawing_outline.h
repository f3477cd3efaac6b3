// The pieces of one layer chained end to end into outlines, and the part outline of a layer:
// the one closed outline a hot wire can follow. Open chains, branching points, crossings,
// holes and several separate outlines are refused with where they are (x, y).
#pragma once

#include <string>
#include <vector>

#include "generate/dxf_reader.h"

namespace corvane {

// Piece ends closer than this are one point (millimetres).
inline constexpr double kDrawingChainToleranceMm = 0.01;
// At a vertex of the drawing, a turn sharper than this is a corner (degrees).
inline constexpr double kDrawingCornerDegrees = 30;

struct DrawingOutline {
    std::vector<DrawingPoint> points;  // closed: the last point repeats the first
    std::vector<char> corner;          // one flag a point
    bool closed = false;
    double length = 0;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    int corners() const;
};

struct LayerOutlines {
    std::string layer;
    int pieces = 0;
    std::vector<DrawingOutline> outlines;  // closed and open chains
    std::vector<std::string> problems;     // what would be refused, each naming (x, y)
};

// "(12.5, -3)": the way every message names a place of the drawing.
std::string placeText(DrawingPoint p);

// Layers that draw something, in the file's order (layers named only in the table last).
std::vector<std::string> drawnLayers(const Drawing& drawing);

// Chains the pieces of `layer` and lists every problem: loose ends, branching points,
// outlines that cross themselves or each other, holes, more than one outer outline.
LayerOutlines chainLayer(const Drawing& drawing, const std::string& layer);

// The layer to use: `wanted` when given (DrawingError when it draws nothing), else the only
// layer that draws something (DrawingError listing them when there are several or none).
std::string chooseLayer(const Drawing& drawing, const std::string& wanted);

// The one outline of a part: DrawingError with the first problem of the layer.
DrawingOutline partOutline(const Drawing& drawing, const std::string& layer);

}  // namespace corvane
