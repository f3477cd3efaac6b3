// The drawing view: a retained 2-D drawing of line entities in drawing units with limits, a view
// window, zooms, pan, pick, markers, a rubber band and direct lines that the next regeneration
// removes. The delay-point editor and the cut progress view draw profiles with it.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QLineF>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane {

// Colour numbers as the drawings use them: 7 is the drawing's foreground colour, a number with
// the top bit set is a system colour (kWindowBackground erases), anything else is a red-green-blue
// value with red in the low byte (255 = pure red).
namespace drawing_color {
inline constexpr std::uint32_t kForeground = 7;
inline constexpr std::uint32_t kRed = 255;
inline constexpr std::uint32_t kWindowBackground = 0x80000005u;
}  // namespace drawing_color

// One entity of the collection; fields named as the drawings name them.
struct DrawingEntity {
    QString EntityType = QStringLiteral("LINE");
    double X0 = 0;  // start point
    double Y0 = 0;
    double x1 = 0;  // end point
    double y1 = 0;
    QString LayerName = QStringLiteral("0");
    std::uint32_t Color = drawing_color::kForeground;
};

class DrawingView : public QWidget {
    Q_OBJECT
public:
    explicit DrawingView(QWidget* parent = nullptr);

    // --- the drawing -------------------------------------------------------------------------
    // Removes every entity, marker, direct line and the rubber band; limits and view stay.
    void clear();
    void setCurrentLayer(const QString& name) { currentLayer_ = name; }
    QString currentLayer() const { return currentLayer_; }
    void setCurrentColor(std::uint32_t color) { currentColor_ = color; }
    std::uint32_t currentColor() const { return currentColor_; }
    void setDates(const QDateTime& created, const QDateTime& updated);
    QDateTime creationDate() const { return created_; }
    QDateTime updateDate() const { return updated_; }

    // Appends an entity; returns its number (1-based, in order of appending).
    int appendEntity(const DrawingEntity& entity);
    // A LINE on the current layer in the current colour; returns its number.
    int addLine(double x0, double y0, double x1, double y1);
    int entityCount() const { return static_cast<int>(entities_.size()); }
    // Entity n (1-based); null when there is none.
    const DrawingEntity* entity(int n) const;
    // End point (x1, y1) of entity n; nullopt when there is none.
    std::optional<QPointF> entityEndPoint(int n) const;

    // --- limits and view ---------------------------------------------------------------------
    void setLimits(double minX, double minY, double maxX, double maxY);
    QRectF limits() const { return limits_; }
    // The area asked to be shown; the widget shows at least this, widened to its own aspect.
    void setViewWindow(double x0, double y0, double x1, double y1);
    QRectF viewWindow() const { return view_; }
    QRectF visibleArea() const;

    // Drops markers, direct lines and the rubber band and redraws the entities.
    void regenerate();

    void zoomIn();   // halves the view about its centre
    void zoomOut();  // doubles it
    void zoomPrevious();
    void zoomLimits();
    void zoomWindow(double x1, double y1, double x2, double y2);
    // Moves the view window by the displacement from (fromX, fromY) to (toX, toY).
    void pan(double fromX, double fromY, double toX, double toY);

    // --- picking and pointer -----------------------------------------------------------------
    // 2 while a point is to be picked (cross cursor), 0 otherwise.
    void setPointerMode(int mode);
    int pointerMode() const { return pointerMode_; }
    // The entity at the drawing point: the nearest one within pickTolerancePixels() on screen,
    // else 0.
    int pick(double x, double y) const;
    static constexpr double pickTolerancePixels() { return 6.0; }

    // --- overlays, removed by the next regeneration ----------------------------------------
    // A marker of `size` drawing units centred on (x, y). A marker in kWindowBackground erases
    // the markers at that point instead.
    void drawMarker(double x, double y, double size, std::uint32_t color);
    int markerCount() const { return static_cast<int>(markers_.size()); }
    // Removes every marker (the window then draws its current set again), nothing else.
    void clearMarkers();
    // Centres of the markers drawn since the last regeneration, in order.
    std::vector<QPointF> markerPoints() const;
    // A line straight onto the view, not an entity.
    void drawLine(double x0, double y0, double x1, double y1, std::uint32_t color);
    int directLineCount() const { return static_cast<int>(directLines_.size()); }
    // True while additions wait for the coalesced repaint.
    bool repaintPending() const;
    void setRubberBand(double fixedX, double fixedY, double currentX, double currentY);
    void clearRubberBand();
    std::optional<QRectF> rubberBand() const { return rubberBand_; }

    // --- coordinates -------------------------------------------------------------------------
    QPointF toDrawing(const QPointF& pixel) const;
    QPointF toPixel(const QPointF& drawing) const;
    double pixelsPerUnit() const;

    static QColor colorFor(std::uint32_t color, const QPalette& palette);

    QSize sizeHint() const override { return {400, 300}; }

signals:
    // Mouse events in drawing coordinates; button 1 = left, 2 = right, 4 = middle.
    void mouseDown(int button, double x, double y);
    void mouseMove(int buttons, double x, double y);
    void mouseUp(int button, double x, double y);
    // A left click at a drawing point.
    void pointClicked(double x, double y);
    // The view window changed (zoom, pan, resize).
    void viewChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Marker {
        QPointF at;
        double size;
        std::uint32_t color;
    };
    struct DirectLine {
        QLineF line;
        std::uint32_t color;
    };

    void setView(const QRectF& view, bool remember);
    void invalidate();
    void scheduleUpdate();
    // Whether a drawing-unit box, grown by `marginPixels`, touches the visible area.
    bool onScreen(const QRectF& drawingBox, double marginPixels) const;
    QPen entityPen(std::uint32_t color) const;
    void renderBase();
    void paintMarker(class QPainter& painter, const Marker& marker) const;
    void paintDirectLine(class QPainter& painter, const DirectLine& line) const;
    QPen directPen(std::uint32_t color) const;

    std::vector<DrawingEntity> entities_;
    std::vector<Marker> markers_;
    std::vector<DirectLine> directLines_;
    std::optional<QRectF> rubberBand_;
    std::vector<QRectF> previousViews_;
    QRectF limits_{0, 0, 1, 1};
    QRectF view_{0, 0, 1, 1};
    QString currentLayer_ = QStringLiteral("0");
    std::uint32_t currentColor_ = drawing_color::kForeground;
    QDateTime created_;
    QDateTime updated_;
    int pointerMode_ = 0;

    // Entities, direct lines and markers rendered once; the rubber band is painted over it.
    QImage base_;
    bool baseValid_ = false;
    class QTimer* repaintTimer_ = nullptr;
};

}  // namespace corvane
