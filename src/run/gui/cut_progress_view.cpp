#include "run/gui/cut_progress_view.h"

#include <QDateTime>
#include <QGroupBox>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWidget>
#include <algorithm>

#include "common/run_error.h"
#include "machine/workspace.h"
#include "platform/gui/drawing_view.h"
#include "platform/gui/placement.h"

namespace corvane {

namespace {
constexpr double kMarkerSize = 0.01;

int twipsX(const QWidget& w, double twips) {
    return twipsToPixels(twips, w.logicalDpiX());
}
int twipsY(const QWidget& w, double twips) {
    return twipsToPixels(twips, w.logicalDpiY());
}
}  // namespace

CutProgressView::CutProgressView(QWidget& window, const ProgressViewNumbers& numbers)
    : QObject(&window), window_(window), numbers_(numbers) {
    const char* captions[2] = {"左侧切割文件", "右侧切割文件"};
    for (int i = 0; i < 2; ++i) {
        frames_[i] = new QGroupBox(QString::fromUtf8(captions[i]), &window);
        frames_[i]->setObjectName(QStringLiteral("Frame%1").arg(i + 1));
        views_[i] = new DrawingView(frames_[i]);
        views_[i]->setObjectName(QStringLiteral("DXFReader%1").arg(i + 1));
        bars_[i] = new QScrollBar(Qt::Vertical, frames_[i]);
        bars_[i]->setObjectName(QStringLiteral("VScroll%1").arg(i + 1));
        bars_[i]->setRange(-100, 100);
        bars_[i]->setValue(0);
        connect(bars_[i], &QScrollBar::valueChanged, this, [this, i](int v) { onScroll(i, v); });
    }
}

void CutProgressView::setUp() {
    const QDateTime now = QDateTime::currentDateTime();
    for (DrawingView* view : views_) {
        view->clear();
        view->setCurrentLayer(QStringLiteral("0"));
        view->setCurrentColor(drawing_color::kForeground);
        const double* l = numbers_.limits;
        const double* v = numbers_.viewWindow;
        view->setLimits(l[0], l[1], l[2], l[3]);
        view->setViewWindow(v[0], v[1], v[2], v[3]);
        view->setDates(now, now);
        view->regenerate();
    }
    for (int i = 0; i < 2; ++i) {
        const QSignalBlocker quiet(bars_[i]);
        bars_[i]->setValue(0);
        previous_[i] = 0;
        viewChosen_ = false;
    }
    left_ = {};
    right_ = {};
}

void CutProgressView::clearDrawings() {
    for (DrawingView* view : views_) {
        view->clear();
        view->regenerate();
    }
    left_ = {};
    right_ = {};
}

void CutProgressView::build(const Profile& left, const Profile& right, ScaleFactors scale,
                            const std::function<void(int, int)>& progress) {
    // Each build starts from empty views, so a newly loaded set never draws over an old one.
    for (DrawingView* view : views_) view->clear();
    left_ = left;
    right_ = right;
    scale_ = scale;
    const int p = static_cast<int>(left.size());
    const Profile* profiles[2] = {&left_, &right_};
    const float scales[2] = {scale.left, scale.right};
    for (int side = 0; side < 2; ++side) {
        DrawingView& view = *views_[side];
        const Profile& profile = *profiles[side];
        for (int k = 2; k <= static_cast<int>(profile.size()); ++k) {
            if (progress) progress(side * p + k, 2 * p);
            const ProgressLine line = *segmentLine(profile, scales[side], k - 1);
            DrawingEntity entity;
            entity.X0 = line.x0;
            entity.Y0 = line.y0;
            entity.x1 = line.x1;
            entity.y1 = line.y1;
            entity.LayerName = view.currentLayer();
            entity.Color = drawing_color::kForeground;
            view.appendEntity(entity);
        }
        view.regenerate();
    }
    if (!viewChosen_) fitToProfiles();
}

void CutProgressView::addFaceOutlines(const Profile& left, const Profile& right) {
    constexpr std::uint32_t kLightGrey = 0xC8C8C8;
    const Profile* faces[2] = {&left, &right};
    for (int side = 0; side < 2; ++side) {
        DrawingView& view = *views_[side];
        const Profile& face = *faces[side];
        for (std::size_t k = 1; k < face.size(); ++k) {
            DrawingEntity entity;
            entity.X0 = face.x[k - 1];
            entity.Y0 = face.y[k - 1];
            entity.x1 = face.x[k];
            entity.y1 = face.y[k];
            entity.LayerName = QStringLiteral("faces");
            entity.Color = kLightGrey;
            view.appendEntity(entity);
        }
        view.regenerate();
    }
}

void CutProgressView::fitToProfiles() {
    QRectF box;
    for (const DrawingView* view : views_)
        for (int n = 1; n <= view->entityCount(); ++n) {
            const DrawingEntity* e = view->entity(n);
            box = box.united(QRectF(QPointF(e->X0, e->Y0), QPointF(e->x1, e->y1)).normalized());
        }
    if (box.isNull()) return;
    // One window for both views, round the larger profile with a margin, so the smaller one
    // still shows the taper.
    const double margin = 0.08 * std::max(box.width(), box.height());
    box.adjust(-margin, -margin, margin, margin);
    for (DrawingView* view : views_) {
        view->zoomWindow(box.left(), box.top(), box.right(), box.bottom());
        view->regenerate();
    }
    viewChosen_ = true;
}

void CutProgressView::markSegment(int g) {
    if (!hasProfiles()) return;
    const Profile* profiles[2] = {&left_, &right_};
    const float scales[2] = {scale_.left, scale_.right};
    for (int side = 0; side < 2; ++side) {
        const std::optional<ProgressLine> line = segmentLine(*profiles[side], scales[side], g - 1);
        if (!line) throw RunError(ErrorNumber::SubscriptOutOfRange);
        views_[side]->drawLine(line->x0, line->y0, line->x1, line->y1, drawing_color::kRed);
    }
}

void CutProgressView::markDelayPoints(const ActiveDelaySet& delays) {
    const int n = std::min<int>(delays.ActiveDelayPointCount,
                                static_cast<int>(delays.ActiveDelayPoints.size()));
    for (int i = 0; i < n; ++i) {
        const int m = delays.ActiveDelayPoints[static_cast<size_t>(i)];
        for (DrawingView* view : views_) {
            const std::optional<QPointF> at = view->entityEndPoint(m);
            if (!at) continue;  // a point beyond this drawing has nothing to mark
            // Marking again (after a zoom or a scroll) replaces the marker rather than piling
            // a second one on it.
            view->drawMarker(at->x(), at->y(), kMarkerSize, drawing_color::kWindowBackground);
            view->drawMarker(at->x(), at->y(), kMarkerSize, drawing_color::kRed);
        }
    }
}

void CutProgressView::markPoint(double point, std::uint32_t color, double size) {
    if (!hasProfiles()) return;
    const int k = static_cast<int>(point);
    const double f = point - k;
    const Profile* profiles[2] = {&left_, &right_};
    const float scales[2] = {scale_.left, scale_.right};
    for (int side = 0; side < 2; ++side) {
        // The last point has no segment after it: the wire stands on the segment's far end.
        std::optional<ProgressLine> line = segmentLine(*profiles[side], scales[side], k);
        double at = f;
        if (!line) {
            line = segmentLine(*profiles[side], scales[side], k - 1);
            at = 1.0;
        }
        if (!line) continue;
        views_[side]->drawMarker(line->x0 + at * (line->x1 - line->x0),
                                 line->y0 + at * (line->y1 - line->y0), size, color);
    }
}

void CutProgressView::redraw() {
    for (DrawingView* view : views_) view->regenerate();
}

void CutProgressView::zoomIn() {
    viewChosen_ = true;
    for (DrawingView* view : views_) view->zoomIn();
}

void CutProgressView::zoomOut() {
    viewChosen_ = true;
    for (DrawingView* view : views_) view->zoomOut();
}

void CutProgressView::onScroll(int bar, int value) {
    const double p = previous_[bar];
    viewChosen_ = true;
    views_[bar]->pan(1.0, -p / 100.0, 1.0, -value / 100.0);
    previous_[bar] = value;
    // The other bar follows; at the same value it raises no event and its view stays put.
    bars_[1 - bar]->setValue(value);
    emit scrolled();
}

void CutProgressView::layOut(QSize windowSize, int top, bool sideBySide) {
    const int frameW = sideBySide ? static_cast<int>(0.48 * windowSize.width())
                                  : static_cast<int>(0.97 * windowSize.width());
    int frameH = sideBySide ? static_cast<int>(0.88 * windowSize.height())
                            : static_cast<int>(0.42 * windowSize.height());
    const int left = twipsX(window_, 100);
    const int gap = sideBySide ? twipsX(window_, 200) : twipsY(window_, 150);
    // A short window (a small screen, or controls taller than planned) keeps both frames whole.
    const int room = windowSize.height() - top - twipsY(window_, 60);
    frameH = std::max(40, std::min(frameH, sideBySide ? room : (room - gap) / 2));
    const int barW = twipsX(window_, 200);
    for (int i = 0; i < 2; ++i) {
        const int x = sideBySide ? left + i * (frameW + gap) : left;
        const int y = sideBySide ? top : top + i * (frameH + gap);
        frames_[i]->setGeometry(x, y, frameW, frameH);
        const int viewW = static_cast<int>((sideBySide ? 0.96 : 0.98) * frameW);
        const int viewH = static_cast<int>((sideBySide ? 0.96 : 0.9) * frameH);
        const int viewX = (frameW - viewW) / 2;
        // The view keeps the frame's caption clear above it.
        const int viewY = frameH - viewH - std::min((frameW - viewW) / 2, (frameH - viewH) / 4);
        views_[i]->setGeometry(viewX, viewY, viewW, viewH);
        // The bar stands over the view's right border, as tall as the view.
        bars_[i]->setGeometry(viewX + viewW - barW, viewY, barW, viewH);
        bars_[i]->raise();
    }
}

}  // namespace corvane
