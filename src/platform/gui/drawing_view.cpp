// The drawing view: its entities, their painting and the overlays drawn straight onto it (markers,
// direct lines, the rubber band). The view window and the mouse are in drawing_view_navigation.cpp.
#include "platform/gui/drawing_view.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane {

namespace {

// Rectangles here hold drawing coordinates with y growing upwards: left/top are the minimum x/y.
QRectF box(double x0, double y0, double x1, double y1) {
    return QRectF(QPointF(std::min(x0, x1), std::min(y0, y1)),
                  QPointF(std::max(x0, x1), std::max(y0, y1)));
}

// Markers stay visible far out and never hide the segments around them far in.
constexpr double kMinMarkerPixels = 7.0;
constexpr double kMaxMarkerPixels = 14.0;

}  // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DXFReader1"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(40, 40);
    repaintTimer_ = new QTimer(this);
    repaintTimer_->setSingleShot(true);
    repaintTimer_->setInterval(15);
    connect(repaintTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

QColor DrawingView::colorFor(std::uint32_t color, const QPalette& palette) {
    if (color == drawing_color::kForeground) return palette.color(QPalette::Text);
    if (color & 0x80000000u) {
        if ((color & 0xFFu) == 5) return palette.color(QPalette::Base);
        return palette.color(QPalette::Text);
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

void DrawingView::clear() {
    entities_.clear();
    markers_.clear();
    directLines_.clear();
    rubberBand_.reset();
    invalidate();
}

void DrawingView::setDates(const QDateTime& created, const QDateTime& updated) {
    created_ = created;
    updated_ = updated;
}

int DrawingView::appendEntity(const DrawingEntity& entity) {
    entities_.push_back(entity);
    // A drawing built in a loop that yields after each entity adds it to the cached picture
    // rather than rendering everything again on every yield.
    if (baseValid_ && markers_.empty() && directLines_.empty()) {
        QPainter painter(&base_);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(entityPen(entity.Color));
        painter.drawLine(QLineF(toPixel({entity.X0, entity.Y0}), toPixel({entity.x1, entity.y1})));
    } else {
        baseValid_ = false;
    }
    scheduleUpdate();
    return entityCount();
}

int DrawingView::addLine(double x0, double y0, double x1, double y1) {
    DrawingEntity e;
    e.X0 = x0;
    e.Y0 = y0;
    e.x1 = x1;
    e.y1 = y1;
    e.LayerName = currentLayer_;
    e.Color = currentColor_;
    return appendEntity(e);
}

const DrawingEntity* DrawingView::entity(int n) const {
    if (n < 1 || n > entityCount()) return nullptr;
    return &entities_[static_cast<size_t>(n - 1)];
}

std::optional<QPointF> DrawingView::entityEndPoint(int n) const {
    const DrawingEntity* e = entity(n);
    if (!e) return std::nullopt;
    return QPointF(e->x1, e->y1);
}

void DrawingView::setLimits(double minX, double minY, double maxX, double maxY) {
    limits_ = box(minX, minY, maxX, maxY);
}

void DrawingView::regenerate() {
    markers_.clear();
    directLines_.clear();
    rubberBand_.reset();
    invalidate();
}

void DrawingView::drawMarker(double x, double y, double size, std::uint32_t color) {
    if (color == drawing_color::kWindowBackground) {
        const double eps = 1e-9 * std::max(1.0, std::max(std::abs(x), std::abs(y)));
        const auto before = markers_.size();
        std::erase_if(markers_, [&](const Marker& m) {
            return std::abs(m.at.x() - x) <= eps && std::abs(m.at.y() - y) <= eps;
        });
        if (markers_.size() != before) invalidate();
        return;
    }
    markers_.push_back({{x, y}, size, color});
    // Off the screen it waits for the next full render (a pan or zoom): nothing to paint now.
    if (!onScreen(box(x, y, x, y), kMaxMarkerPixels)) return;
    if (baseValid_) {
        QPainter painter(&base_);
        painter.setRenderHint(QPainter::Antialiasing);
        paintMarker(painter, markers_.back());
    } else {
        baseValid_ = false;
    }
    scheduleUpdate();
}

void DrawingView::clearMarkers() {
    if (markers_.empty()) return;
    markers_.clear();
    invalidate();
}

std::vector<QPointF> DrawingView::markerPoints() const {
    std::vector<QPointF> out;
    for (const Marker& m : markers_) out.push_back(m.at);
    return out;
}

void DrawingView::drawLine(double x0, double y0, double x1, double y1, std::uint32_t color) {
    directLines_.push_back({QLineF(x0, y0, x1, y1), color});
    // A running cut marks a segment per tick: those off the screen cost no painting or repaint.
    if (!onScreen(box(x0, y0, x1, y1), 1.0)) return;
    if (baseValid_) {
        QPainter painter(&base_);
        painter.setRenderHint(QPainter::Antialiasing);
        paintDirectLine(painter, directLines_.back());
    } else {
        baseValid_ = false;
    }
    scheduleUpdate();
}

void DrawingView::setRubberBand(double fixedX, double fixedY, double currentX, double currentY) {
    rubberBand_ = box(fixedX, fixedY, currentX, currentY);
    update();
}

void DrawingView::clearRubberBand() {
    rubberBand_.reset();
    update();
}

bool DrawingView::onScreen(const QRectF& drawingBox, double marginPixels) const {
    // Closed intervals: a line of no width or height on the edge still counts.
    const QRectF area = visibleArea();
    const double margin = marginPixels / pixelsPerUnit();
    return drawingBox.right() + margin >= area.left() &&
           drawingBox.left() - margin <= area.right() &&
           drawingBox.bottom() + margin >= area.top() && drawingBox.top() - margin <= area.bottom();
}

bool DrawingView::repaintPending() const {
    return repaintTimer_->isActive();
}

void DrawingView::invalidate() {
    baseValid_ = false;
    update();
}

void DrawingView::scheduleUpdate() {
    // Additions come in bursts (loading, a running cut): the screen follows at most every 15 ms,
    // so a loop that yields per addition does not repaint per addition.
    if (!repaintTimer_->isActive()) repaintTimer_->start();
}

QPen DrawingView::entityPen(std::uint32_t color) const {
    QPen pen(colorFor(color, palette()), 1.0);
    pen.setCosmetic(true);
    return pen;
}

void DrawingView::paintMarker(QPainter& painter, const Marker& marker) const {
    const double diameter =
        std::clamp(marker.size * pixelsPerUnit(), kMinMarkerPixels, kMaxMarkerPixels);
    const QColor c = colorFor(marker.color, palette());
    QRectF r(0, 0, diameter, diameter);
    r.moveCenter(toPixel(marker.at));
    painter.setPen(QPen(c.darker(140), 1.0));
    painter.setBrush(c);
    painter.drawEllipse(r);
}

QPen DrawingView::directPen(std::uint32_t color) const {
    // A cosmetic one-pixel pen takes the raster engine's fast antialiased path.
    QPen pen(colorFor(color, palette()), 1.0);
    pen.setCosmetic(true);
    return pen;
}

void DrawingView::paintDirectLine(QPainter& painter, const DirectLine& line) const {
    painter.setPen(directPen(line.color));
    painter.drawLine(QLineF(toPixel(line.line.p1()), toPixel(line.line.p2())));
}

void DrawingView::renderBase() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = size() * dpr;
    if (base_.size() != pixels) {
        base_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        base_.setDevicePixelRatio(dpr);
    }
    base_.fill(palette().color(QPalette::Base));
    QPainter painter(&base_);
    painter.setRenderHint(QPainter::Antialiasing);

    // Entities are batched per colour: one drawLines call each keeps a few thousand segments fast.
    const QRectF area = visibleArea();
    const double s = pixelsPerUnit();
    const double left = area.left();
    const double bottom = area.bottom();
    std::vector<std::pair<std::uint32_t, std::vector<QLineF>>> batches;
    for (const DrawingEntity& e : entities_) {
        if (!onScreen(box(e.X0, e.Y0, e.x1, e.y1), 1.0)) continue;
        auto it = std::find_if(batches.begin(), batches.end(),
                               [&](const auto& b) { return b.first == e.Color; });
        if (it == batches.end()) {
            batches.push_back({e.Color, {}});
            it = batches.end() - 1;
        }
        it->second.emplace_back((e.X0 - left) * s, (bottom - e.Y0) * s, (e.x1 - left) * s,
                                (bottom - e.y1) * s);
    }
    for (const auto& [color, lines] : batches) {
        painter.setPen(entityPen(color));
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    std::vector<QLineF> marks;
    for (size_t i = 0; i < directLines_.size(); ++i) {
        const DirectLine& d = directLines_[i];
        const QLineF& l = d.line;
        if (onScreen(box(l.x1(), l.y1(), l.x2(), l.y2()), 1.0))
            marks.emplace_back(toPixel(l.p1()), toPixel(l.p2()));
        if (i + 1 == directLines_.size() || directLines_[i + 1].color != d.color) {
            painter.setPen(directPen(d.color));
            painter.drawLines(marks.data(), static_cast<int>(marks.size()));
            marks.clear();
        }
    }
    for (const Marker& marker : markers_)
        if (onScreen(box(marker.at.x(), marker.at.y(), marker.at.x(), marker.at.y()),
                     kMaxMarkerPixels))
            paintMarker(painter, marker);
    baseValid_ = true;
}

void DrawingView::paintEvent(QPaintEvent*) {
    if (!baseValid_ || base_.size() != size() * devicePixelRatioF()) renderBase();
    QPainter painter(this);
    painter.drawImage(0, 0, base_);
    if (rubberBand_) {
        const QRectF r =
            QRectF(toPixel(rubberBand_->topLeft()), toPixel(rubberBand_->bottomRight()))
                .normalized();
        QColor fill = palette().color(QPalette::Highlight);
        fill.setAlpha(40);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0, Qt::DashLine));
        painter.setBrush(fill);
        painter.drawRect(r);
    }
}

void DrawingView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    invalidate();
}

void DrawingView::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        invalidate();
}

}  // namespace corvane
