// DXF drawings as foam parts: every entity kind flattened onto its curve, units, chaining and
// its refusals naming where, start and direction, and root/tip correspondence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "generate/airfoil_input.h"
#include "generate/drawing_shape.h"
#include "generate/dxf_test_writer.h"
#include "support/test_support.h"

namespace corvane {
namespace {

using test::DxfText;
using test::Vertex;
constexpr double kPi = std::numbers::pi;

DrawingOutline outlineOf(const DxfText& d, const std::string& layer = "CUT") {
    return partOutline(parseDrawing(d.str(), "t.dxf"), layer);
}

std::string refusalOf(const DxfText& d, const std::string& layer = "CUT") {
    try {
        outlineOf(d, layer);
    } catch (const DrawingError& e) {
        return e.what();
    }
    return "";
}

// Every point lies on the curve and every chord's middle within the flattening tolerance.
template <class Distance>
void expectOnCurve(const DrawingOutline& o, const Distance& distance) {
    for (std::size_t i = 0; i < o.points.size(); ++i) {
        ASSERT_LT(distance(o.points[i]), 1e-6) << "point " << i;
        if (i == 0) continue;
        const DrawingPoint m{(o.points[i - 1].x + o.points[i].x) / 2,
                             (o.points[i - 1].y + o.points[i].y) / 2};
        ASSERT_LE(distance(m), kDrawingFlattenToleranceMm + 1e-9) << "chord " << i;
    }
}

TEST(DrawingEntities, EachKindBecomesAClosedOutlineOnItsCurve) {
    const auto circle = [](double cx, double cy, double r) {
        return [=](DrawingPoint p) { return std::abs(std::hypot(p.x - cx, p.y - cy) - r); };
    };
    {  // CIRCLE
        const DrawingOutline o = outlineOf(DxfText().circle("CUT", 5, 5, 20));
        EXPECT_TRUE(o.closed);
        EXPECT_EQ(o.corners(), 0);
        EXPECT_NEAR(o.maxX - o.minX, 40, 1e-9);
        expectOnCurve(o, circle(5, 5, 20));
    }
    {  // LINE and ARC: a half disc, two corners where the line meets the arc
        const DrawingOutline o =
            outlineOf(DxfText().arc("CUT", 0, 0, 10, 0, 180).line("CUT", -10, 0, 10, 0));
        EXPECT_EQ(o.corners(), 2);
        EXPECT_NEAR(o.length, 20 + 10 * kPi, 0.01);
        EXPECT_NEAR(o.maxY, 10, 1e-9);
    }
    // A stadium from bulges: two lines and two half circles (bulge 1), tangent, no corner.
    // Counter-clockwise as LWPOLYLINE and POLYLINE; clockwise (negative bulges) as LWPOLYLINE.
    const std::vector<Vertex> stadium = {{0, 0}, {30, 0, 1}, {30, 10}, {0, 10, 1}};
    const std::vector<Vertex> clockwise = {{0, 10}, {30, 10, -1}, {30, 0}, {0, 0, -1}};
    for (int variant : {0, 1, 2}) {
        const bool lw = variant != 1;
        DxfText d;
        if (lw) {
            d.lwpolyline("CUT", variant == 2 ? clockwise : stadium, true);
        } else {
            d.polyline("CUT", stadium, true);
        }
        const DrawingOutline o = outlineOf(d);
        EXPECT_EQ(o.corners(), 0) << variant;
        // Chords fall a little short of the curve in length; the quarter points keep the extent.
        EXPECT_NEAR(o.length, 60 + 10 * kPi, 0.05) << variant;
        EXPECT_NEAR(o.maxX, 35, 1e-9) << variant;
        EXPECT_NEAR(o.minX, -5, 1e-9) << variant;
        expectOnCurve(o, [](DrawingPoint p) {
            if (p.x >= 30) return std::abs(std::hypot(p.x - 30, p.y - 5) - 5);
            if (p.x <= 0) return std::abs(std::hypot(p.x, p.y - 5) - 5);
            return std::min(std::abs(p.y), std::abs(p.y - 10));
        });
    }
    {  // SPLINE by control points: the quadratic from (0,0) over (10,20) to (20,0), closed by a
       // LINE: y = 2x(1 - x/20)
        const DrawingOutline o =
            outlineOf(DxfText()
                          .spline("CUT", 2, {0, 0, 0, 1, 1, 1}, {{0, 0}, {10, 20}, {20, 0}})
                          .line("CUT", 20, 0, 0, 0));
        EXPECT_NEAR(o.maxY, 10, 1e-9);
        EXPECT_EQ(o.corners(), 2);
        expectOnCurve(o, [](DrawingPoint p) {
            return std::min(std::abs(p.y), std::abs(p.y - 2 * p.x * (1 - p.x / 20)));
        });
    }
    {  // SPLINE by fit points: the curve passes through each of them
        const std::vector<std::pair<double, double>> fit = {{0, 0}, {10, 8}, {20, 9}, {30, 0}};
        const DrawingOutline o =
            outlineOf(DxfText().fitSpline("CUT", fit).line("CUT", 30, 0, 0, 0));
        for (const auto& [x, y] : fit) {
            double nearest = 1e9;
            for (DrawingPoint p : o.points)
                nearest = std::min(nearest, std::hypot(p.x - x, p.y - y));
            EXPECT_LT(nearest, 1e-9) << x << "," << y;
        }
    }
    {  // ELLIPSE, whole, major axis along y
        const DrawingOutline o = outlineOf(DxfText().ellipse("CUT", 0, 0, 0, 20, 0.5, 0, 2 * kPi));
        EXPECT_NEAR(o.maxY - o.minY, 40, 1e-9);
        EXPECT_NEAR(o.maxX - o.minX, 20, 1e-9);
        // On the curve, and each chord's middle within the tolerance (measured along the normal
        // of the implicit form, good to first order at these distances).
        expectOnCurve(o, [](DrawingPoint p) {
            const double f = std::pow(p.x / 10, 2) + std::pow(p.y / 20, 2) - 1;
            const double g = std::hypot(2 * p.x / 100, 2 * p.y / 400);
            return std::abs(f) / g;
        });
    }
}

TEST(DrawingUnits, InsunitsScaleToMillimetresAndOthersAreRefusedByName) {
    struct Case {
        int units;
        double width;
        const char* name;
    };
    for (const Case& c :
         {Case{4, 10, "mm"}, Case{5, 100, "cm"}, Case{1, 254, "inch"},
          Case{0, 10, "mm (no units given)"}, Case{-1, 10, "mm (no units given)"}}) {
        DxfText d(c.units);
        test::rectangle(d, "CUT", 0, 0, 10, 5);
        const Drawing drawing = parseDrawing(d.str(), "u.dxf");
        EXPECT_EQ(drawing.unitsName, c.name) << c.units;
        const DrawingOutline o = partOutline(drawing, "CUT");
        EXPECT_NEAR(o.maxX - o.minX, c.width, 1e-9) << c.units;
    }
    for (const auto& [units, word] : {std::pair{6, "metres"}, std::pair{2, "feet"}}) {
        DxfText d(units);
        test::rectangle(d, "CUT", 0, 0, 10, 5);
        try {
            parseDrawing(d.str(), "u.dxf");
            ADD_FAILURE() << units;
        } catch (const DrawingError& e) {
            EXPECT_NE(std::string(e.what()).find(word), std::string::npos) << e.what();
        }
    }
}

TEST(DrawingChain, RefusalsNameWhere) {
    struct Case {
        const char* what;
        DxfText drawing;
        const char* expected;
    };
    std::vector<Case> cases;
    {
        DxfText d;
        d.line("CUT", 0, 0, 10, 0).line("CUT", 10, 0, 10, 10).line("CUT", 10, 10, 0, 10);
        cases.push_back({"open chain", d, "from (0, 0) to (0, 10) is open"});
    }
    {
        DxfText d;
        test::rectangle(d, "CUT", 0, 0, 10, 10).line("CUT", 10, 10, 20, 20);
        cases.push_back({"branch", d, "meet at (10, 10)"});
    }
    {  // a bow tie: crosses itself at (5, 5)
        DxfText d;
        d.line("CUT", 0, 0, 10, 10)
            .line("CUT", 10, 10, 10, 0)
            .line("CUT", 10, 0, 0, 10)
            .line("CUT", 0, 10, 0, 0);
        cases.push_back({"crossing", d, "crosses itself at (5, 5)"});
    }
    {
        DxfText d;
        test::rectangle(test::rectangle(d, "CUT", 0, 0, 50, 50), "CUT", 10, 10, 5, 5);
        cases.push_back({"hole", d, "hole) at (15, 10)"});
    }
    {
        DxfText d;
        test::rectangle(test::rectangle(d, "CUT", 0, 0, 10, 10), "CUT", 5, 5, 10, 10);
        cases.push_back({"two outlines crossing", d, "two outlines cross at (10, 5)"});
    }
    {
        DxfText d;
        test::rectangle(test::rectangle(d, "CUT", 0, 0, 10, 10), "CUT", 20, 0, 10, 10);
        cases.push_back({"two parts", d, "2 separate outlines"});
    }
    {  // a gap beyond the chain tolerance
        DxfText d;
        d.line("CUT", 0, 0, 10, 0).line("CUT", 10, 0, 5, 8).line("CUT", 5, 8, 0, 0.05);
        cases.push_back({"gap", d, "is open"});
    }
    {  // there and back along one line
        DxfText d;
        d.line("CUT", 0, 0, 10, 0).line("CUT", 10, 0, 0, 0);
        cases.push_back({"no area", d, "outline at (10, 0) encloses no area"});
    }
    for (const Case& c : cases) {
        const std::string refusal = refusalOf(c.drawing);
        EXPECT_NE(refusal.find(c.expected), std::string::npos) << c.what << ": " << refusal;
    }
    // Within the tolerance the ends are one point, and other layers do not count.
    DxfText d;
    d.line("CUT", 0, 0, 10, 0).line("CUT", 10, 0.004, 5, 8).line("CUT", 5, 8, 0, 0.006);
    d.line("OTHER", 0, 0, 99, 99).text("NOTES").line("CUT", 3, 3, 3, 3);  // a zero-length line
    EXPECT_EQ(refusalOf(d), "");
    const Drawing drawing = parseDrawing(d.str(), "t.dxf");
    EXPECT_EQ(drawing.skipped.at("TEXT"), 1u);
    EXPECT_EQ(chooseLayer(drawing, "CUT"), "CUT");
    EXPECT_THROW(chooseLayer(drawing, ""), DrawingError);
    EXPECT_THROW(chooseLayer(drawing, "NOTES"), DrawingError);
}

TEST(DrawingShape, StartDirectionAndCorrespondence) {
    DxfText square;
    test::rectangle(square, "CUT", 0, 0, 20, 20);
    const DrawingOutline o = outlineOf(square);
    const auto area = [](const DrawingOutline& s) {
        double a = 0;
        for (std::size_t i = 0; i + 1 < s.points.size(); ++i)
            a += s.points[i].x * s.points[i + 1].y - s.points[i + 1].x * s.points[i].y;
        return a / 2;
    };
    const DrawingOutline ccw = orientOutline(o, {});
    EXPECT_EQ(placeText(ccw.points.front()), "(20, 0)");  // rightmost, lowest of the tie
    EXPECT_EQ(placeText(ccw.points.back()), "(20, 0)");
    EXPECT_GT(area(ccw), 0);
    ShapeChoice choice;
    choice.reverse = true;
    choice.start = DrawingPoint{7, 21};  // nearest the top edge: a new point at (7, 20)
    const DrawingOutline cw = orientOutline(o, choice);
    EXPECT_LT(area(cw), 0);
    EXPECT_EQ(placeText(cw.points.front()), "(7, 20)");
    EXPECT_EQ(cw.points.size(), ccw.points.size() + 1);
    EXPECT_EQ(placeText(cw.points[1]), "(20, 20)");  // clockwise along the top to the right

    // The runner's lead-in comes from the right: it cuts into the part from a start on the left
    // side, not from the rightmost point nor along the bottom edge from a bottom corner.
    EXPECT_FALSE(leadInCrossesPart(ccw));
    EXPECT_FALSE(leadInCrossesPart(orientOutline(o, {DrawingPoint{0, 0}, false})));
    EXPECT_FALSE(leadInCrossesPart(orientOutline(o, {DrawingPoint{0, 20}, true})));
    EXPECT_TRUE(leadInCrossesPart(orientOutline(o, {DrawingPoint{0, 7}, false})));
    EXPECT_FALSE(leadInCrossesPart(orientOutline(o, {DrawingPoint{12, 20}, true})));

    // A square root and a tapered quadrilateral tip with a point more on one edge: corners are
    // reached together and each side keeps its own points.
    DxfText tipDrawing;
    tipDrawing.lwpolyline("CUT", {{0, 0}, {10, 0}, {10, 4}, {8, 8}, {0, 8}}, true);
    const DrawingOutline tip = orientOutline(outlineOf(tipDrawing), {});
    const DrawingShape s = correspondOutlines(ccw, tip);
    ASSERT_EQ(s.root.size(), s.tip.size());
    EXPECT_TRUE(s.cornersMatched);
    EXPECT_EQ(s.rootCorners, 4);
    EXPECT_EQ(s.tipCorners, 4);
    for (const DrawingPoint& p : tip.points) {
        bool kept = false;
        for (const DrawingPoint& q : s.tip) kept = kept || std::hypot(p.x - q.x, p.y - q.y) < 1e-9;
        EXPECT_TRUE(kept) << placeText(p);
    }
    // The root's corner (20, 20) and the tip's (8, 8) at the same index.
    std::size_t rootCorner = 0, tipCorner = 0;
    for (std::size_t i = 0; i < s.root.size(); ++i) {
        if (placeText(s.root[i]) == "(20, 20)") rootCorner = i;
        if (placeText(s.tip[i]) == "(8, 8)") tipCorner = i;
    }
    EXPECT_GT(rootCorner, 0u);
    EXPECT_EQ(rootCorner, tipCorner);

    // A triangle tip: corner counts differ, the outlines still pair point for point.
    DxfText tri;
    tri.lwpolyline("CUT", {{0, 0}, {10, 0}, {5, 8}}, true);
    const DrawingShape t = correspondOutlines(ccw, orientOutline(outlineOf(tri), {}));
    EXPECT_FALSE(t.cornersMatched);
    EXPECT_EQ(t.root.size(), t.tip.size());
}

// The profile files handed to the foam generation: every point, at the tower's size, lies on
// that side's outline, both sides pair point for point, and a different shape gets other files.
TEST(DrawingProfiles, PointsLieOnTheOutlineAtTheTowerSize) {
    test::TempDir dir;
    DxfText root, tip;
    root.lwpolyline("0", {{0, 0}, {100, 0}, {80, 40, 0.4}, {20, 40}}, true);
    tip.fitSpline("0", {{0, 0}, {20, 12}, {40, 10}, {60, 0}}).line("0", 60, 0, 0, 0);
    test::writeFile(dir / "r.dxf", root.str());
    test::writeFile(dir / "t.dxf", tip.str());
    DrawingJob job;
    job.rootFile = dir / "r.dxf";
    job.tipFile = dir / "t.dxf";
    job.size = 50;  // the root at half size; the tip keeps the ratio
    const PreparedDrawing p = prepareDrawing(job);
    EXPECT_DOUBLE_EQ(p.leftSize, 50);
    EXPECT_DOUBLE_EQ(p.rightSize, 30);
    const auto [left, right] = writeDrawingProfiles(p, dir / "drawings", "r", "t");
    const Profile l = readProfile(left), r = readProfile(right);
    ASSERT_EQ(l.size(), r.size());
    EXPECT_EQ(l.size(), p.shape.root.size());
    const auto onOutline = [](const DrawingOutline& o, double f, DrawingPoint q) {
        double best = 1e9;
        for (std::size_t i = 0; i + 1 < o.points.size(); ++i) {
            const DrawingPoint a{o.points[i].x * f, o.points[i].y * f};
            const DrawingPoint b{o.points[i + 1].x * f, o.points[i + 1].y * f};
            const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
            const double t =
                len2 > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / len2, 0.0, 1.0) : 0;
            best = std::min(best, std::hypot(q.x - a.x - t * dx, q.y - a.y - t * dy));
        }
        return best;
    };
    for (std::size_t i = 0; i < l.size(); ++i) {
        // Back in the drawing's place: the files start at the smallest x and y.
        const DrawingPoint lp{l.x[i] * 50 + p.rootOutline.minX * 0.5,
                              l.y[i] * 50 + p.rootOutline.minY * 0.5};
        const DrawingPoint rp{r.x[i] * 30 + p.tipOutline.minX * 0.5,
                              r.y[i] * 30 + p.tipOutline.minY * 0.5};
        ASSERT_LT(onOutline(p.rootOutline, 0.5, lp), 1e-6) << i;
        ASSERT_LT(onOutline(p.tipOutline, 0.5, rp), 1e-6) << i;
    }
    // Another start gives other files beside these, so a saved set keeps its own shape.
    job.choice.start = DrawingPoint{0, 0};
    const auto [left2, right2] =
        writeDrawingProfiles(prepareDrawing(job), dir / "drawings", "r", "t");
    EXPECT_NE(left2, left);
    EXPECT_TRUE(std::filesystem::exists(left));
}

TEST(DrawingReader, NotADrawingAndImpossibleCountsAreRefused) {
    EXPECT_THROW(parseDrawing("hello world\n", "x.dxf"), DrawingError);
    EXPECT_THROW(parseDrawing(std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), "b.dxf"),
                 DrawingError);
    EXPECT_THROW(
        parseDrawing("0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\n0\n90\n2000000000\n", "big.dxf"),
        DrawingError);
    EXPECT_THROW(readDrawing("/nonexistent/part.dxf"), DrawingError);
}

// A file written by another program from Debian's packages, when it is there.
TEST(DrawingReader, ReadsADrawingWrittenByEzdxf) {
    if (std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-ezdxf is not installed: the DXF written by another program is "
                        "not tried";
    test::TempDir dir;
    const auto file = dir / "ez.dxf";
    const std::string script =
        "import ezdxf, sys\n"
        "doc = ezdxf.new('R2010'); doc.header['$INSUNITS'] = 5\n"
        "m = doc.modelspace()\n"
        "m.add_lwpolyline([(0,0,0),(12,0,0),(12,4,0.5),(0,4,0)], format='xyb', close=True,"
        " dxfattribs={'layer': 'PART'})\n"
        "m.add_circle((50,50), 3, dxfattribs={'layer': 'OTHER'})\n"
        "doc.saveas(sys.argv[1])\n";
    test::writeFile(dir / "ez.py", script);
    ASSERT_EQ(
        std::system(("/usr/bin/python3 '" + (dir / "ez.py").string() + "' '" + file.string() + "'")
                        .c_str()),
        0);
    const Drawing d = readDrawing(file);
    EXPECT_EQ(d.unitsName, "cm");
    const DrawingOutline o = partOutline(d, chooseLayer(d, "PART"));
    EXPECT_NEAR(o.maxX - o.minX, 120, 1e-9);
    // bulge 0.5 over the 120 mm top edge, run leftwards: 0.5 * 60 = 30 mm above y = 40
    EXPECT_NEAR(o.maxY, 70, 1e-9);
    EXPECT_NEAR(o.minY, 0, 1e-9);
    EXPECT_EQ(o.corners(), 4);
    EXPECT_EQ(partOutline(d, "OTHER").corners(), 0);
}

}  // namespace
}  // namespace corvane
