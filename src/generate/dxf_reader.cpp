// dxflib's callbacks gathered into pieces: polylines and splines arrive as a header and then
// their vertices, so each is kept open until the next entity (or the sequence end) closes it.
// Entities inside block definitions are not drawn (block references are not expanded).
#include "generate/dxf_reader.h"

#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <sstream>

#include "common/file_io.h"
#include "common/run_error.h"

namespace corvane {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

struct UnitName {
    int code;
    const char* name;
};
constexpr UnitName kOtherUnits[] = {
    {2, "feet"},         {3, "miles"},       {6, "metres"},
    {7, "kilometres"},   {8, "microinches"}, {9, "mils"},
    {10, "yards"},       {11, "angstroms"},  {12, "nanometres"},
    {13, "microns"},     {14, "decimetres"}, {15, "decametres"},
    {16, "hectometres"}, {17, "gigametres"}, {18, "astronomical units"},
    {19, "light years"}, {20, "parsecs"}};

class Collector : public DL_CreationAdapter {
public:
    explicit Collector(Drawing& d) : d_(d) {}

    int insunits = 0;

    void setVariableInt(const std::string& key, int value, int code) override {
        DL_CreationAdapter::setVariableInt(key, value, code);
        if (key == "$INSUNITS") insunits = value;
    }

    void addLayer(const DL_LayerData& data) override { d_.layers.push_back(data.name); }
    void addBlock(const DL_BlockData&) override {
        finish();
        inBlock_ = true;
    }
    void endBlock() override {
        finish();
        inBlock_ = false;
    }

    void addLine(const DL_LineData& l) override {
        if (!begin()) return;
        add("LINE", {{l.x1, l.y1}, {l.x2, l.y2}}, false);
    }
    void addArc(const DL_ArcData& a) override {
        if (!begin()) return;
        double sweep = a.angle2 - a.angle1;
        while (sweep <= 0) sweep += 360;
        if (!std::isfinite(sweep)) sweep = 0;
        add("ARC", flattenArc({a.cx, a.cy}, a.radius, a.angle1 * kDegree, sweep * kDegree, tol()),
            mirrored());
    }
    void addCircle(const DL_CircleData& c) override {
        if (!begin()) return;
        std::vector<DrawingPoint> pts =
            flattenArc({c.cx, c.cy}, c.radius, 0, 2 * std::numbers::pi, tol());
        pts.back() = pts.front();
        add("CIRCLE", std::move(pts), mirrored());
    }
    void addEllipse(const DL_EllipseData& e) override {
        if (!begin()) return;
        const double a0 = e.angle1;
        double a1 = e.angle2;
        if (!std::isfinite(a0) || !std::isfinite(a1) || !std::isfinite(e.ratio))
            throw DrawingError("an ellipse with an angle or ratio that is not a number");
        while (a1 <= a0) a1 += 2 * std::numbers::pi;
        // Stepping the parameter by dt strays from the curve by at most a dt^2 / 8 (a: the
        // major radius), as a unit circle does by dt^2 / 8: the tolerance scales by 1 / a.
        const double major = std::hypot(e.mx, e.my);
        const std::vector<DrawingPoint> unit =
            flattenArc({0, 0}, 1, a0, a1 - a0, major > 0 ? tol() / major : 1);
        std::vector<DrawingPoint> pts;
        pts.reserve(unit.size());
        for (const DrawingPoint& u : unit) {
            pts.push_back({e.cx + e.mx * u.x - e.ratio * e.my * u.y,
                           e.cy + e.my * u.x + e.ratio * e.mx * u.y});
        }
        add("ELLIPSE", std::move(pts), false);
    }
    void addPolyline(const DL_PolylineData& p) override {
        if (!begin()) return;
        poly_ = Poly{};
        poly_.open = true;
        poly_.closed = (p.flags & 1) != 0;
        poly_.mesh = (p.flags & (16 | 64)) != 0;
        poly_.layer = layer();
        poly_.mirror = mirrored();
    }
    void addVertex(const DL_VertexData& v) override {
        if (!poly_.open || inBlock_) return;
        poly_.vertices.push_back({v.x * scale_, v.y * scale_});
        poly_.bulges.push_back(v.bulge);
    }
    void endSequence() override { finish(); }

    void addSpline(const DL_SplineData& s) override {
        if (!begin()) return;
        spline_ = Spline{};
        spline_.open = true;
        spline_.degree = static_cast<int>(std::min(s.degree, 64u));
        spline_.layer = layer();
    }
    void addControlPoint(const DL_ControlPointData& c) override {
        if (!spline_.open) return;
        spline_.control.push_back({c.x * scale_, c.y * scale_});
        spline_.weights.push_back(c.w);
    }
    void addFitPoint(const DL_FitPointData& f) override {
        if (spline_.open) spline_.fit.push_back({f.x * scale_, f.y * scale_});
    }
    void addKnot(const DL_KnotData& k) override {
        if (spline_.open) spline_.knots.push_back(k.k);
    }

    void addPoint(const DL_PointData&) override { skip("POINT"); }
    void addXLine(const DL_XLineData&) override { skip("XLINE"); }
    void addRay(const DL_RayData&) override { skip("RAY"); }
    void addInsert(const DL_InsertData&) override { skip("INSERT"); }
    void addMText(const DL_MTextData&) override { skip("MTEXT"); }
    void addText(const DL_TextData&) override { skip("TEXT"); }
    void addLeader(const DL_LeaderData&) override { skip("LEADER"); }
    void addHatch(const DL_HatchData&) override { skip("HATCH"); }
    void addTrace(const DL_TraceData&) override { skip("TRACE"); }
    void add3dFace(const DL_3dFaceData&) override { skip("3DFACE"); }
    void addSolid(const DL_SolidData&) override { skip("SOLID"); }
    void addImage(const DL_ImageData&) override { skip("IMAGE"); }

    // Called once the header is read: the units scale every later coordinate.
    void setScale(double s) { scale_ = s; }

    // Closes a pending polyline or spline.
    void finish() {
        if (poly_.open) {
            poly_.open = false;
            if (poly_.mesh) {
                skip("POLYLINE (mesh)");
            } else {
                finishPolyline();
            }
        }
        if (spline_.open) {
            spline_.open = false;
            std::vector<DrawingPoint> pts;
            if (spline_.control.size() >= 2) {
                pts = flattenSpline(spline_.degree, spline_.control, spline_.weights, spline_.knots,
                                    kDrawingFlattenToleranceMm);
            } else if (spline_.fit.size() >= 2) {
                pts = flattenFitPoints(spline_.fit, kDrawingFlattenToleranceMm);
            }
            if (pts.size() >= 2) pushPiece(spline_.layer, "SPLINE", std::move(pts), false, true);
        }
    }

private:
    struct Poly {
        bool open = false, closed = false, mesh = false, mirror = false;
        std::string layer;
        std::vector<DrawingPoint> vertices;
        std::vector<double> bulges;
    };
    struct Spline {
        bool open = false;
        int degree = 3;
        std::string layer;
        std::vector<DrawingPoint> control, fit;
        std::vector<double> weights, knots;
    };

    double tol() const { return kDrawingFlattenToleranceMm / scale_; }

    // Every new entity ends the pending one; false inside a block definition.
    bool begin() {
        finish();
        return !inBlock_;
    }
    void skip(const char* kind) {
        finish();
        if (!inBlock_) ++d_.skipped[kind];
    }
    std::string layer() {
        std::string name = getAttributes().getLayer();
        return name.empty() ? "0" : name;
    }
    // An extrusion pointing down mirrors an entity's own plane in x.
    bool mirrored() {
        const DL_Extrusion* e = getExtrusion();
        return e != nullptr && e->getDirection() != nullptr && e->getDirection()[2] < 0;
    }

    void add(const char* kind, std::vector<DrawingPoint> pts, bool mirror) {
        for (DrawingPoint& p : pts) {
            p.x *= scale_;
            p.y *= scale_;
        }
        pushPiece(layer(), kind, std::move(pts), mirror, true);
    }

    void finishPolyline() {
        const std::size_t n = poly_.vertices.size();
        if (n < 2) return;
        DrawingPiece piece;
        const std::size_t segments = poly_.closed ? n : n - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            const DrawingPoint a = poly_.vertices[i];
            const DrawingPoint b = poly_.vertices[(i + 1) % n];
            std::vector<DrawingPoint> arc =
                flattenBulge(a, b, poly_.bulges[i], kDrawingFlattenToleranceMm);
            if (piece.points.empty()) {
                piece.points.push_back(arc.front());
                piece.joint.push_back(1);
            }
            for (std::size_t j = 1; j < arc.size(); ++j) {
                piece.points.push_back(arc[j]);
                piece.joint.push_back(j + 1 == arc.size() ? 1 : 0);
            }
            if (piece.points.size() > kDrawingMaxPiecePoints)
                throw DrawingError("a polyline needs more than " +
                                   std::to_string(kDrawingMaxPiecePoints) + " points");
        }
        if (poly_.mirror)
            for (DrawingPoint& p : piece.points) p.x = -p.x;
        piece.layer = poly_.layer;
        piece.kind = "POLYLINE";
        store(std::move(piece));
    }

    void pushPiece(std::string layerName, const char* kind, std::vector<DrawingPoint> pts,
                   bool mirror, bool endsAreJoints) {
        if (pts.size() > kDrawingMaxPiecePoints)
            throw DrawingError(std::string("a ") + kind + " needs too many points");
        DrawingPiece piece;
        piece.layer = std::move(layerName);
        piece.kind = kind;
        if (mirror)
            for (DrawingPoint& p : pts) p.x = -p.x;
        piece.joint.assign(pts.size(), 0);
        if (endsAreJoints && !pts.empty()) piece.joint.front() = piece.joint.back() = 1;
        piece.points = std::move(pts);
        store(std::move(piece));
    }

    // A drawing as a whole is held to ten times what one entity may need.
    void store(DrawingPiece piece) {
        total_ += piece.points.size();
        if (total_ > 10 * kDrawingMaxPiecePoints)
            throw DrawingError("the drawing needs more than " +
                               std::to_string(10 * kDrawingMaxPiecePoints) +
                               " points at the flattening tolerance");
        d_.pieces.push_back(std::move(piece));
    }

    Drawing& d_;
    std::size_t total_ = 0;
    bool inBlock_ = false;
    double scale_ = 1;
    Poly poly_;
    Spline spline_;
};

// dxflib allocates the vertex, knot and point counts an entity announces before reading them:
// a count beyond what the file could hold is refused before dxflib sees it.
void refuseImpossibleCounts(std::string_view bytes, const std::string& name) {
    std::istringstream in{std::string(bytes)};
    std::string code, value, entity;
    const double limit = static_cast<double>(bytes.size()) / 2 + 16;
    while (std::getline(in, code) && std::getline(in, value)) {
        const auto trim = [](std::string& s) {
            const auto b = s.find_first_not_of(" \t\r");
            const auto e = s.find_last_not_of(" \t\r");
            s = b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
        };
        trim(code);
        trim(value);
        if (code == "0") {
            entity = value;
            continue;
        }
        const bool counted =
            (entity == "LWPOLYLINE" && code == "90") ||
            (entity == "SPLINE" && (code == "72" || code == "73" || code == "74")) ||
            (entity == "LEADER" && code == "76") ||
            (entity == "HATCH" && (code == "91" || code == "93"));
        if (!counted) continue;
        const double v = std::atof(value.c_str());
        if (!(v >= 0 && v <= limit))
            throw DrawingError(name + ": a " + entity + " announces " + value +
                               " items, more than the file holds");
    }
}

}  // namespace

Drawing parseDrawing(std::string_view bytes, const std::string& name) {
    if (bytes.substr(0, 18) == "AutoCAD Binary DXF")
        throw DrawingError(name + ": binary DXF is not read; save the drawing as ASCII DXF");
    refuseImpossibleCounts(bytes, name);
    Drawing d;
    int insunits = 0;
    // The header comes first: read it alone for the units, then the whole file with them.
    bool read = false;
    try {
        {
            Drawing headerOnly;
            Collector header(headerOnly);
            const std::size_t end = bytes.find("ENDSEC");
            std::istringstream in{std::string(bytes.substr(0, end))};
            DL_Dxf dxf;
            dxf.in(in, &header);
            insunits = header.insunits;
        }
        const int u = insunits;
        if (u == 0) {
            d.unitsName = "mm (no units given)";
        } else if (u == 4) {
            d.unitsName = "mm";
        } else if (u == 5) {
            d.unitsName = "cm";
            d.mmPerUnit = 10;
        } else if (u == 1) {
            d.unitsName = "inch";
            d.mmPerUnit = 25.4;
        } else {
            std::string what = "code " + std::to_string(u);
            for (const UnitName& n : kOtherUnits)
                if (n.code == u) what = n.name;
            throw DrawingError(name + ": the drawing's units are " + what + " ($INSUNITS " +
                               std::to_string(u) +
                               "); only millimetres, centimetres and inches are read: save it "
                               "in one of them");
        }
        Collector all(d);
        all.setScale(d.mmPerUnit);
        std::istringstream in{std::string(bytes)};
        DL_Dxf dxf;
        read = dxf.in(in, &all);
        all.finish();
        // Layers drawn on but missing from the layer table are layers all the same.
        for (const DrawingPiece& p : d.pieces)
            if (std::find(d.layers.begin(), d.layers.end(), p.layer) == d.layers.end())
                d.layers.push_back(p.layer);
    } catch (const DrawingError& e) {
        const std::string what = e.what();
        if (what.rfind(name + ":", 0) == 0) throw;
        throw DrawingError(name + ": " + what);
    } catch (const std::bad_alloc&) {
        throw DrawingError(name + ": the drawing is too large to read");
    } catch (const std::length_error&) {
        throw DrawingError(name + ": the drawing is too large to read");
    }
    if (!read || (d.pieces.empty() && d.layers.empty() && d.skipped.empty() &&
                  bytes.find("SECTION") == std::string_view::npos))
        throw DrawingError(name + ": not a DXF drawing");
    return d;
}

Drawing readDrawing(const std::filesystem::path& path) {
    std::string bytes;
    try {
        bytes = readFileBytes(path);
    } catch (const RunError&) {
        throw DrawingError(path.string() + ": the file cannot be read");
    }
    return parseDrawing(bytes, path.filename().string());
}

}  // namespace corvane
