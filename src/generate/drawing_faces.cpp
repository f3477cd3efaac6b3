// Placing a drawing part on the faces and handing it to the face geometry.
#include "generate/drawing_faces.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace corvane {

namespace {

DrawingPoint boxCorner(const std::vector<DrawingPoint>& points) {
    DrawingPoint c = points.empty() ? DrawingPoint{} : points.front();
    for (const DrawingPoint& p : points) {
        c.x = std::min(c.x, p.x);
        c.y = std::min(c.y, p.y);
    }
    return c;
}

Outline moved(const std::vector<DrawingPoint>& points, double dx, double dy) {
    Outline o;
    o.x.reserve(points.size());
    o.y.reserve(points.size());
    for (const DrawingPoint& p : points) {
        o.x.push_back(p.x + dx);
        o.y.push_back(p.y + dy);
    }
    return o;
}

std::size_t leastXIndex(const Outline& o) {
    return static_cast<std::size_t>(std::min_element(o.x.begin(), o.x.end()) - o.x.begin());
}

}  // namespace

DrawingPoint drawnTipOffset(const PreparedDrawing& p) {
    const DrawingPoint root = boxCorner(p.shape.root), tip = boxCorner(p.shape.tip);
    return {tip.x - root.x, tip.y - root.y};
}

FaceDesign drawingFaceDesign(const PreparedDrawing& p, FaceDesign design) {
    const DrawingPoint drawn = drawnTipOffset(p);
    design.leftChordMm = p.leftSize;
    design.rightChordMm = p.rightSize;
    design.sweepMm += drawn.x;
    design.riseMm += drawn.y;
    // A drawn shape is placed as it is drawn: no turn.
    design.leftWashoutDeg = design.rightWashoutDeg = design.washoutPivot = 0;
    return design;
}

DrawingFaces placeDrawingOnFaces(const PreparedDrawing& p, const FaceDesign& design) {
    const DrawingPoint root = boxCorner(p.shape.root), tip = boxCorner(p.shape.tip);
    return {moved(p.shape.root, -root.x, -root.y),
            moved(p.shape.tip, design.sweepMm - tip.x, design.riseMm - tip.y)};
}

double towerHorizontalSize(const Outline& near, const Outline& far, double gapMm, double spanMm) {
    const Outline t = projectBeyond(near, far, gapMm, spanMm);
    if (t.size() == 0) return 0;
    const auto [lo, hi] = std::minmax_element(t.x.begin(), t.x.end());
    return *hi - *lo;
}

FaceGeometryResult drawingFaceGeometry(const PreparedDrawing& p, const FaceDesign& design,
                                       const std::optional<FaceBlank>& blank) {
    DrawingFaces f = placeDrawingOnFaces(p, design);
    const std::size_t rootLe = leastXIndex(f.root), tipLe = leastXIndex(f.tip);
    return faceGeometryFromOutlines(std::move(f.root), std::move(f.tip), rootLe, tipLe, design,
                                    blank);
}

}  // namespace corvane
