#include "generate/gui/face_outline_preview.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <limits>

#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

struct Bounds {
    double x0 = std::numeric_limits<double>::max(), y0 = x0;
    double x1 = std::numeric_limits<double>::lowest(), y1 = x1;
    void take(const Outline& o) {
        for (std::size_t k = 0; k < o.size(); ++k) {
            x0 = std::min(x0, o.x[k]);
            x1 = std::max(x1, o.x[k]);
            y0 = std::min(y0, o.y[k]);
            y1 = std::max(y1, o.y[k]);
        }
    }
    bool empty() const { return x1 < x0; }
};

Bounds boundsOf(const FaceOutlinePreview::Face& f) {
    Bounds b;
    b.take(f.designed);
    b.take(f.featured);
    b.take(f.cut);
    return b;
}

}  // namespace

FaceOutlinePreview::FaceOutlinePreview(QWidget* parent) : QWidget(parent) {
    setObjectName("face_preview");
    setMinimumSize(300, 170);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void FaceOutlinePreview::showFaces(const Face& left, const Face& right) {
    left_ = left;
    right_ = right;
    refusal_.clear();
    update();
}

void FaceOutlinePreview::showRefusal(const Face& left, const Face& right, const QString& why) {
    left_ = {left.designed, {}, {}};
    right_ = {right.designed, {}, {}};
    refusal_ = why;
    update();
}

void FaceOutlinePreview::clear() {
    left_ = right_ = Face{};
    refusal_.clear();
    update();
}

void FaceOutlinePreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    const Bounds bl = boundsOf(left_), br = boundsOf(right_);
    const int textHeight = fontMetrics().height();
    const int bottom = refusal_.isEmpty() ? 0 : 3 * textHeight;
    if (bl.empty() && br.empty()) {
        p.setPen(Qt::darkGray);
        p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                   translatedText("选择两个DAT文件并输入侧面尺寸"));
        return;
    }
    // One scale for both faces, so the smaller face looks smaller; one above the other, as the
    // sections are long and thin.
    const double margin = 6;
    const double panelW = width() - 2 * margin;
    const double panelH = (height() - bottom) / 2.0 - 2 * margin - textHeight;
    double scale = std::numeric_limits<double>::max();
    for (const Bounds& b : {bl, br}) {
        if (b.empty()) continue;
        scale = std::min(scale, panelW / std::max(b.x1 - b.x0, 1e-9));
        scale = std::min(scale, panelH / std::max(b.y1 - b.y0, 1e-9));
    }
    auto drawFace = [&](const Face& f, const Bounds& b, double top, const char* caption) {
        p.setPen(Qt::black);
        p.drawText(QPointF(margin, top + margin + textHeight - 2),
                   translatedText(QString::fromUtf8(caption)));
        if (b.empty()) return;
        const double cx = width() / 2.0, cy = top + margin + textHeight + panelH / 2 + margin;
        auto at = [&](double x, double y) {
            return QPointF(cx + (x - (b.x0 + b.x1) / 2) * scale,
                           cy - (y - (b.y0 + b.y1) / 2) * scale);
        };
        auto path = [&](const Outline& o) {
            QPainterPath pp;
            for (std::size_t k = 0; k < o.size(); ++k) {
                if (k == 0)
                    pp.moveTo(at(o.x[k], o.y[k]));
                else
                    pp.lineTo(at(o.x[k], o.y[k]));
            }
            return pp;
        };
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(170, 170, 170), 1));
        p.drawPath(path(f.designed));
        p.setPen(QPen(QColor(20, 50, 150), 1.6));
        p.drawPath(path(f.featured));
        p.setPen(QPen(QColor(200, 40, 40), 1, Qt::DashLine));
        p.drawPath(path(f.cut));
    };
    drawFace(left_, bl, 0, "左侧面");
    drawFace(right_, br, (height() - bottom) / 2.0, "右侧面");
    if (!refusal_.isEmpty()) {
        p.setPen(QColor(190, 0, 0));
        p.drawText(QRectF(margin, height() - bottom - margin, width() - 2 * margin, bottom),
                   Qt::AlignLeft | Qt::TextWordWrap, refusal_);
    }
}

}  // namespace corvane
