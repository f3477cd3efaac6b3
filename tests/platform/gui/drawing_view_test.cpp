// The drawing view: entity collection, view window and zooms, pan, forgiving pick, overlays that a
// regeneration removes, mouse events in drawing coordinates, and what ends up on screen.
#include "platform/gui/drawing_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

using namespace corvane;

namespace {

constexpr double kEps = 1e-9;

void expectRect(const QRectF& r, double x0, double y0, double x1, double y1) {
    EXPECT_NEAR(r.left(), x0, kEps);
    EXPECT_NEAR(r.top(), y0, kEps);
    EXPECT_NEAR(r.right(), x1, kEps);
    EXPECT_NEAR(r.bottom(), y1, kEps);
}

// A view set up like the editor's: limits (-0.1,-0.5)-(1.1,0.5), view (-0.1,-0.5)-(1.0,0.5).
struct ViewFixture : ::testing::Test {
    DrawingView view;
    void SetUp() override {
        view.resize(600, 400);
        view.setLimits(-0.1, -0.5, 1.1, 0.5);
        view.zoomLimits();
        view.setViewWindow(-0.1, -0.5, 1.0, 0.5);
    }
    // A zig-zag of n points across the unit chord.
    void addZigZag(int points) {
        for (int k = 1; k < points; ++k) {
            const double x0 = double(k - 1) / (points - 1);
            const double x1 = double(k) / (points - 1);
            view.addLine(x0, (k % 2) * 0.05, x1, ((k + 1) % 2) * 0.05);
        }
    }
};

}  // namespace

TEST_F(ViewFixture, EntitiesFormAOneBasedCollectionWithLayerAndColour) {
    view.setCurrentLayer("0");
    view.setCurrentColor(drawing_color::kForeground);
    EXPECT_EQ(view.addLine(0, 0, 0.5, 0.1), 1);
    view.setCurrentColor(3);
    EXPECT_EQ(view.addLine(0.5, 0.1, 1.0, 0.0), 2);
    DrawingEntity e;
    e.X0 = 1;
    e.Y0 = 0;
    e.x1 = 0.9;
    e.y1 = -0.02;
    e.LayerName = "cut";
    EXPECT_EQ(view.appendEntity(e), 3);
    ASSERT_EQ(view.entityCount(), 3);

    EXPECT_EQ(view.entity(1)->EntityType, "LINE");
    EXPECT_EQ(view.entity(1)->Color, drawing_color::kForeground);
    EXPECT_EQ(view.entity(2)->Color, 3u);
    EXPECT_EQ(view.entity(3)->LayerName, "cut");
    EXPECT_EQ(view.entityEndPoint(2), QPointF(1.0, 0.0));
    EXPECT_EQ(view.entity(0), nullptr);
    EXPECT_EQ(view.entity(4), nullptr);
    EXPECT_FALSE(view.entityEndPoint(4).has_value());

    view.regenerate();
    EXPECT_EQ(view.entityCount(), 3) << "regeneration keeps the entities";
    view.clear();
    EXPECT_EQ(view.entityCount(), 0);
}

TEST_F(ViewFixture, ViewIsAspectCorrectAndCoordinatesRoundTrip) {
    // 600 x 400 pixels showing a 1.1 x 1.0 window: the height limits, the width widens.
    const QRectF area = view.visibleArea();
    EXPECT_NEAR(area.height(), 1.0, kEps);
    EXPECT_NEAR(area.width(), 1.5, kEps);
    EXPECT_NEAR(area.center().x(), 0.45, kEps);
    EXPECT_NEAR(view.pixelsPerUnit(), 400.0, kEps);

    // y grows upwards on the drawing and downwards on the screen.
    const QPointF top = view.toPixel({0.45, 0.5});
    EXPECT_NEAR(top.x(), 300, kEps);
    EXPECT_NEAR(top.y(), 0, kEps);
    const QPointF p = view.toDrawing(view.toPixel({0.123, -0.321}));
    EXPECT_NEAR(p.x(), 0.123, kEps);
    EXPECT_NEAR(p.y(), -0.321, kEps);

    // A square stays square after a resize to another shape.
    view.resize(300, 500);
    const QPointF a = view.toPixel({0, 0});
    const QPointF b = view.toPixel({0.1, 0.1});
    EXPECT_NEAR(b.x() - a.x(), a.y() - b.y(), kEps);
}

TEST_F(ViewFixture, ZoomsChangeTheViewWindowAndPreviousStepsBack) {
    expectRect(view.viewWindow(), -0.1, -0.5, 1.0, 0.5);
    view.zoomIn();
    expectRect(view.viewWindow(), 0.175, -0.25, 0.725, 0.25);
    view.zoomOut();
    view.zoomOut();
    expectRect(view.viewWindow(), -0.65, -1.0, 1.55, 1.0);
    view.zoomWindow(0.6, 0.1, 0.2, -0.1);  // corners in any order
    expectRect(view.viewWindow(), 0.2, -0.1, 0.6, 0.1);
    view.zoomLimits();
    expectRect(view.viewWindow(), -0.1, -0.5, 1.1, 0.5);

    view.zoomPrevious();
    expectRect(view.viewWindow(), 0.2, -0.1, 0.6, 0.1);
    view.zoomPrevious();
    expectRect(view.viewWindow(), -0.65, -1.0, 1.55, 1.0);
    view.zoomPrevious();
    view.zoomPrevious();
    view.zoomPrevious();
    expectRect(view.viewWindow(), -0.1, -0.5, 1.0, 0.5);

    DrawingView fresh;
    fresh.setViewWindow(0, 0, 2, 1);
    fresh.zoomPrevious();  // nothing to go back to: stays
    expectRect(fresh.viewWindow(), 0, 0, 2, 1);

    // Two clicks on one spot: a zoom in about it, never a window of no size.
    view.zoomWindow(0.3, 0.2, 0.3, 0.2);
    EXPECT_NEAR(view.viewWindow().center().x(), 0.3, kEps);
    EXPECT_NEAR(view.viewWindow().center().y(), 0.2, kEps);
    EXPECT_NEAR(view.viewWindow().width(), 0.55, kEps);
    EXPECT_TRUE(std::isfinite(view.pixelsPerUnit()));
}

TEST_F(ViewFixture, PanMovesTheWindowByTheDisplacementAndBack) {
    QSignalSpy changed(&view, &DrawingView::viewChanged);
    view.pan(1.0, 0.0, 1.0, -0.1);
    expectRect(view.viewWindow(), -0.1, -0.6, 1.0, 0.4);
    view.pan(1.0, -0.1, 1.0, 0.0);
    expectRect(view.viewWindow(), -0.1, -0.5, 1.0, 0.5);
    EXPECT_EQ(changed.count(), 2) << "each pan tells the window";
    // A pan is not a zoom step: Zoom Previous after zoom and pan goes back to before the zoom.
    view.zoomIn();
    view.pan(0, 0, 0.2, 0);
    view.zoomPrevious();
    expectRect(view.viewWindow(), -0.1, -0.5, 1.0, 0.5);
}

TEST_F(ViewFixture, PickIsForgivingByPixelsAtAnyZoomAndTakesTheNearest) {
    addZigZag(11);
    // Segment 4 runs from (0.3, 0.05) to (0.4, 0.0); its middle is (0.35, 0.025).
    EXPECT_EQ(view.pick(0.35, 0.025), 4);
    const double px = 1.0 / view.pixelsPerUnit();
    EXPECT_EQ(view.pick(0.35, 0.025 + 4 * px), 4) << "four pixels off still picks";
    EXPECT_EQ(view.pick(0.35, 0.025 + 12 * px), 0) << "twelve pixels off is empty space";
    EXPECT_EQ(view.pick(0.5, 0.4), 0);

    // Zoomed in a long way the same few pixels still pick, and the tolerance shrinks with them.
    view.zoomWindow(0.34, 0.02, 0.36, 0.03);
    const double zpx = 1.0 / view.pixelsPerUnit();
    EXPECT_LT(zpx, px / 20);
    EXPECT_EQ(view.pick(0.35, 0.025 + 4 * zpx), 4);
    EXPECT_EQ(view.pick(0.35, 0.025 + 12 * zpx), 0);

    // Zoomed out, neighbours crowd: the nearest one wins.
    view.zoomLimits();
    view.zoomOut();
    view.zoomOut();
    EXPECT_EQ(view.pick(0.26, 0.045), 3);  // segment 3: (0.2,0)-(0.3,0.05)
    EXPECT_EQ(view.pick(0.34, 0.045), 4);
}

TEST_F(ViewFixture, OverlaysLiveUntilTheNextRegeneration) {
    addZigZag(5);
    view.drawMarker(0.25, 0.0, 0.01, drawing_color::kRed);
    view.drawMarker(0.5, 0.05, 0.01, drawing_color::kRed);
    view.drawLine(0, 0.05, 0.25, 0, drawing_color::kRed);
    view.setRubberBand(0.1, 0.1, 0.3, -0.2);
    EXPECT_EQ(view.markerCount(), 2);
    EXPECT_EQ(view.directLineCount(), 1);
    ASSERT_TRUE(view.rubberBand().has_value());
    expectRect(*view.rubberBand(), 0.1, -0.2, 0.3, 0.1);

    view.drawMarker(0.25, 0.0, 0.01, drawing_color::kWindowBackground);
    EXPECT_EQ(view.markerCount(), 1) << "a background marker erases the one at its point";
    ASSERT_EQ(view.markerPoints(), std::vector<QPointF>{QPointF(0.5, 0.05)});
    view.zoomIn();
    EXPECT_EQ(view.markerCount(), 1) << "zooming keeps markers";
    view.clearMarkers();
    EXPECT_EQ(view.markerCount(), 0);
    EXPECT_EQ(view.directLineCount(), 1) << "clearing the markers keeps the direct lines";

    view.regenerate();
    EXPECT_EQ(view.markerCount(), 0);
    EXPECT_EQ(view.directLineCount(), 0);
    EXPECT_FALSE(view.rubberBand().has_value());
    EXPECT_EQ(view.entityCount(), 4);
}

TEST_F(ViewFixture, MouseEventsArriveInDrawingCoordinates) {
    view.show();
    QSignalSpy down(&view, &DrawingView::mouseDown);
    QSignalSpy clicked(&view, &DrawingView::pointClicked);
    QSignalSpy moved(&view, &DrawingView::mouseMove);
    const QPoint at = view.toPixel({0.2, 0.1}).toPoint();

    QTest::mouseClick(&view, Qt::LeftButton, {}, at);
    ASSERT_EQ(clicked.count(), 1);
    const double tol = 1.0 / view.pixelsPerUnit();
    EXPECT_NEAR(clicked[0][0].toDouble(), 0.2, tol);
    EXPECT_NEAR(clicked[0][1].toDouble(), 0.1, tol);
    EXPECT_EQ(down[0][0].toInt(), 1);

    QTest::mouseClick(&view, Qt::RightButton, {}, at);
    EXPECT_EQ(down.count(), 2);
    EXPECT_EQ(down[1][0].toInt(), 2);
    EXPECT_EQ(clicked.count(), 1) << "a right click is not a point click";

    QTest::mouseMove(&view, view.toPixel({0.6, -0.2}).toPoint());
    ASSERT_GE(moved.count(), 1);
    EXPECT_NEAR(moved.last()[1].toDouble(), 0.6, tol);
    EXPECT_NEAR(moved.last()[2].toDouble(), -0.2, tol);

    view.setPointerMode(2);
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
    view.setPointerMode(0);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ViewFixture, ScreenShowsLinesInForegroundAndMarkersInRed) {
    view.addLine(0, 0, 1, 0);
    const QColor background = view.palette().color(QPalette::Base);
    const QColor foreground = DrawingView::colorFor(drawing_color::kForeground, view.palette());

    QImage shot = view.grab().toImage();
    const QPoint onLine = view.toPixel({0.3, 0}).toPoint();
    const QPoint offLine = view.toPixel({0.3, 0.2}).toPoint();
    EXPECT_NE(shot.pixelColor(onLine), background);
    EXPECT_LT(std::abs(shot.pixelColor(onLine).lightness() - foreground.lightness()),
              std::abs(background.lightness() - foreground.lightness()));
    EXPECT_EQ(shot.pixelColor(offLine), background);

    // An entity appended after the first picture shows on the next one.
    view.addLine(0, -0.2, 1, -0.2);
    shot = view.grab().toImage();
    EXPECT_NE(shot.pixelColor(view.toPixel({0.3, -0.2}).toPoint()), background);

    view.drawMarker(0.5, 0, 0.01, drawing_color::kRed);
    view.drawLine(0, 0.2, 1, 0.2, drawing_color::kRed);
    shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(view.toPixel({0.5, 0}).toPoint()), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(view.toPixel({0.3, 0.2}).toPoint()).red(), 255);

    view.regenerate();
    shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(view.toPixel({0.3, 0.2}).toPoint()), background);
    EXPECT_NE(shot.pixelColor(view.toPixel({0.5, 0}).toPoint()), QColor(255, 0, 0));
}

TEST_F(ViewFixture, MarksOffTheScreenWaitForThePanThatShowsThem) {
    view.addLine(0, 0, 1, 0);
    (void)view.grab();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view.repaintPending(); }, 1000));
    // View (-0.1,-0.5)-(1.0,0.5) widened to 600x400: x = 2 lies well to the right.
    view.drawLine(2.0, 0.1, 2.3, 0.1, drawing_color::kRed);
    view.drawMarker(2.1, 0.1, 0.01, drawing_color::kRed);
    EXPECT_FALSE(view.repaintPending()) << "nothing on screen changed";
    EXPECT_EQ(view.directLineCount(), 1);
    EXPECT_EQ(view.markerCount(), 1);
    // A line that only crosses the screen (both ends outside) is on it.
    view.drawLine(-5, -0.3, 5, -0.3, drawing_color::kRed);
    EXPECT_TRUE(view.repaintPending());

    view.pan(0, 0, 1.6, 0);
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(view.toPixel({2.2, 0.1}).toPoint()).red(), 255);
    EXPECT_EQ(shot.pixelColor(view.toPixel({2.1, 0.1}).toPoint()), QColor(255, 0, 0));
}

TEST(DrawingColor, NumbersMapAsTheDrawingsUseThem) {
    QPalette palette;
    EXPECT_EQ(DrawingView::colorFor(drawing_color::kRed, palette), QColor(255, 0, 0));
    EXPECT_EQ(DrawingView::colorFor(0xFF0000u, palette), QColor(0, 0, 255));
    EXPECT_EQ(DrawingView::colorFor(drawing_color::kWindowBackground, palette),
              palette.color(QPalette::Base));
    EXPECT_EQ(DrawingView::colorFor(drawing_color::kForeground, palette),
              palette.color(QPalette::Text));
}
