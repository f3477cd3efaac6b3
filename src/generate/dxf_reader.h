// DXF drawings for foam parts: every LINE, ARC, CIRCLE, LWPOLYLINE, POLYLINE (with bulges),
// SPLINE and ELLIPSE of the model space, flattened to polylines in millimetres and kept with
// its layer, so the outline chaining (drawing_outline.h) works on plain points. The file is
// parsed by dxflib (Debian libdxflib-dev); this side only turns its entities into points.
#pragma once

#include <cstddef>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Curves become chords that stay this close to the curve (millimetres, after the units).
inline constexpr double kDrawingFlattenToleranceMm = 0.01;
// No single entity is flattened into more points than this; beyond it the drawing is refused.
inline constexpr std::size_t kDrawingMaxPiecePoints = 200000;

struct DrawingPoint {
    double x = 0, y = 0;
};

// One entity as points. `joint` marks the points where the drawing itself has a vertex (the
// entity's ends, a polyline's vertices): only there can an outline have a corner.
struct DrawingPiece {
    std::string layer;
    std::string kind;  // "LINE", "ARC", ...
    std::vector<DrawingPoint> points;
    std::vector<char> joint;
};

struct Drawing {
    std::string unitsName;  // "mm", "cm", "inch", or "mm (no units given)"
    double mmPerUnit = 1;
    std::vector<std::string> layers;             // every layer named, in the file's order
    std::vector<DrawingPiece> pieces;            // model-space entities that draw a line
    std::map<std::string, std::size_t> skipped;  // entity kinds not read (TEXT, INSERT...)
};

// A drawing that cannot be read or used: the text says what and, where it can, where.
class DrawingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the bytes of a DXF file; `displayName` names it in messages. DrawingError for a file
// that is not DXF, for units other than mm, cm and inches, and for an entity that cannot be
// flattened within kDrawingMaxPiecePoints.
Drawing parseDrawing(std::string_view bytes, const std::string& displayName);

// Reads and parses a file: DrawingError when it cannot be read.
Drawing readDrawing(const std::filesystem::path& path);

// Flattening of the curve kinds, exposed for the tests. Angles in radians; every result holds
// both ends. `sweep` is signed: positive runs counter-clockwise.
std::vector<DrawingPoint> flattenArc(DrawingPoint centre, double radius, double startAngle,
                                     double sweep, double tolerance);
// The arc of a polyline segment from a to b with the DXF bulge (tan of a quarter of the sweep).
std::vector<DrawingPoint> flattenBulge(DrawingPoint a, DrawingPoint b, double bulge,
                                       double tolerance);
// A B-spline of the given degree from its control points, weights (empty: all 1) and knots
// (empty or not fitting: clamped uniform knots).
std::vector<DrawingPoint> flattenSpline(int degree, const std::vector<DrawingPoint>& control,
                                        const std::vector<double>& weights,
                                        const std::vector<double>& knots, double tolerance);
// A curve through the fit points (centripetal Catmull-Rom), for splines given by fit points.
std::vector<DrawingPoint> flattenFitPoints(const std::vector<DrawingPoint>& fit, double tolerance);

}  // namespace corvane
