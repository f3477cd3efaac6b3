// The drawing view's navigation: the view window and its zooms and pans, the mapping between
// drawing and widget coordinates, picking, and the mouse and wheel. Painting and the overlays are
// in drawing_view.cpp.
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/gui/drawing_view.h"

namespace corvane {

namespace {

// Rectangles here hold drawing coordinates with y growing upwards: left/top are the minimum x/y.
QRectF box(double x0, double y0, double x1, double y1) {
    return QRectF(QPointF(std::min(x0, x1), std::min(y0, y1)),
                  QPointF(std::max(x0, x1), std::max(y0, y1)));
}

double distanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b) {
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    const double len2 = dx * dx + dy * dy;
    double t = 0;
    if (len2 > 0) t = std::clamp(((p.x() - a.x()) * dx + (p.y() - a.y()) * dy) / len2, 0.0, 1.0);
    return std::hypot(p.x() - (a.x() + t * dx), p.y() - (a.y() + t * dy));
}

int buttonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int buttonsNumber(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

// The smallest view the view accepts, so a zoom never divides by zero.
constexpr double kMinViewSize = 1e-9;
constexpr int kMaxPreviousViews = 50;

}  // namespace

void DrawingView::setViewWindow(double x0, double y0, double x1, double y1) {
    setView(box(x0, y0, x1, y1), false);
}

void DrawingView::setView(const QRectF& view, bool remember) {
    QRectF v = view;
    if (!std::isfinite(v.left()) || !std::isfinite(v.top()) || !std::isfinite(v.width()) ||
        !std::isfinite(v.height()))
        return;
    // A window with no extent at all keeps the current size, centred on its point.
    if (v.width() < kMinViewSize && v.height() < kMinViewSize) {
        QRectF c = view_;
        c.moveCenter(v.center());
        v = c;
    }
    if (remember) {
        previousViews_.push_back(view_);
        if (previousViews_.size() > kMaxPreviousViews) previousViews_.erase(previousViews_.begin());
    }
    view_ = v;
    invalidate();
    emit viewChanged();
}

QRectF DrawingView::visibleArea() const {
    const double w = std::max(1, width());
    const double h = std::max(1, height());
    const double vw = std::max(view_.width(), kMinViewSize);
    const double vh = std::max(view_.height(), kMinViewSize);
    // The view fits the widget with equal scale on both axes; the spare direction widens.
    const double scale = std::min(w / vw, h / vh);
    QRectF area(0, 0, w / scale, h / scale);
    area.moveCenter(view_.center());
    return area;
}

double DrawingView::pixelsPerUnit() const {
    const QRectF area = visibleArea();
    return std::max(1, width()) / area.width();
}

QPointF DrawingView::toDrawing(const QPointF& pixel) const {
    const QRectF area = visibleArea();
    const double s = pixelsPerUnit();
    return {area.left() + pixel.x() / s, area.bottom() - pixel.y() / s};
}

QPointF DrawingView::toPixel(const QPointF& drawing) const {
    const QRectF area = visibleArea();
    const double s = pixelsPerUnit();
    return {(drawing.x() - area.left()) * s, (area.bottom() - drawing.y()) * s};
}

void DrawingView::zoomIn() {
    QRectF v(0, 0, view_.width() / 2, view_.height() / 2);
    v.moveCenter(view_.center());
    setView(v, true);
}

void DrawingView::zoomOut() {
    QRectF v(0, 0, view_.width() * 2, view_.height() * 2);
    v.moveCenter(view_.center());
    setView(v, true);
}

void DrawingView::zoomPrevious() {
    if (previousViews_.empty()) return;
    const QRectF v = previousViews_.back();
    previousViews_.pop_back();
    setView(v, false);
}

void DrawingView::zoomLimits() {
    setView(limits_, true);
}

void DrawingView::zoomWindow(double x1, double y1, double x2, double y2) {
    QRectF v = box(x1, y1, x2, y2);
    // Two clicks on one spot zoom in about that spot rather than to nothing.
    if (v.width() < kMinViewSize && v.height() < kMinViewSize) {
        QRectF c(0, 0, view_.width() / 2, view_.height() / 2);
        c.moveCenter(v.center());
        v = c;
    }
    setView(v, true);
}

void DrawingView::pan(double fromX, double fromY, double toX, double toY) {
    setView(view_.translated(toX - fromX, toY - fromY), false);
}

void DrawingView::setPointerMode(int mode) {
    pointerMode_ = mode;
    setCursor(mode == 2 ? Qt::CrossCursor : Qt::ArrowCursor);
}

int DrawingView::pick(double x, double y) const {
    const double tolerance = pickTolerancePixels() / pixelsPerUnit();
    const QPointF p(x, y);
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < entities_.size(); ++i) {
        const DrawingEntity& e = entities_[i];
        const double d = distanceToSegment(p, {e.X0, e.Y0}, {e.x1, e.y1});
        if (d <= tolerance && d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i) + 1;
        }
    }
    return best;
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
    const QPointF p = toDrawing(event->position());
    emit mouseDown(buttonNumber(event->button()), p.x(), p.y());
    if (event->button() == Qt::LeftButton) emit pointClicked(p.x(), p.y());
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = toDrawing(event->position());
    emit mouseMove(buttonsNumber(event->buttons()), p.x(), p.y());
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = toDrawing(event->position());
    emit mouseUp(buttonNumber(event->button()), p.x(), p.y());
}

void DrawingView::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0) return;
    // The wheel zooms about the pointer, so the point under it stays put.
    const QPointF anchor = toDrawing(event->position());
    const double factor = std::pow(0.8, steps);
    QRectF v(0, 0, view_.width() * factor, view_.height() * factor);
    const QPointF c = view_.center();
    v.moveCenter(anchor + (c - anchor) * factor);
    setView(v, false);
    event->accept();
}

}  // namespace corvane
