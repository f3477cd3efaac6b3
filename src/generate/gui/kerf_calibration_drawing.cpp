#include "generate/gui/kerf_calibration_drawing.h"

#include <QPainter>
#include <QPainterPath>

#include "common/number_format.h"
#include "platform/gui/ui_language.h"

namespace corvane {

namespace {

QString u(const char* text) {
    return translatedText(QString::fromUtf8(text));
}
QString number(double v) {
    return QString::fromStdString(formatDouble(v));
}

}  // namespace

KerfCalibrationDrawing::KerfCalibrationDrawing(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(360, 160);
}

void KerfCalibrationDrawing::setCut(std::optional<KerfCalibrationCut> cut) {
    cut_ = std::move(cut);
    update();
}

void KerfCalibrationDrawing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!cut_ || cut_->path.size() < 2 || !(cut_->lengthMm > 0)) return;
    const KerfCalibrationCut& c = *cut_;
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm = p.fontMetrics();
    // Room for a line of text above the teeth and two below the comb.
    const double top = fm.height() * 2 + 8, bottom = fm.height() * 2 + 10, side = 16;
    const double scale =
        std::min((width() - 2 * side) / c.lengthMm, (height() - top - bottom) / c.heightMm);
    const double left = (width() - c.lengthMm * scale) / 2;
    const double spare = height() - top - bottom - c.heightMm * scale;
    const double base = top + spare / 2 + c.heightMm * scale;  // y of the comb's bottom
    auto at = [&](double x, double y) { return QPointF(left + x * scale, base - y * scale); };

    QPainterPath outline;
    outline.moveTo(at(c.path.x[0], c.path.y[0]));
    for (std::size_t k = 1; k < c.path.size(); ++k) outline.lineTo(at(c.path.x[k], c.path.y[k]));
    p.setPen(QPen(QColor(30, 60, 140), 1.5));
    p.setBrush(QColor(220, 232, 250));
    p.drawPath(outline);

    // Each tooth: its speed over it, its nominal width across the middle of its height.
    const double toothTop = c.heightMm;
    double toothBase = 0;
    for (std::size_t k = 0; k < c.path.size(); ++k)
        if (c.path.y[k] < toothTop && c.path.y[k] > toothBase) toothBase = c.path.y[k];
    const double middle = (toothBase + toothTop) / 2;
    p.setBrush(Qt::NoBrush);
    for (const CalibrationTooth& t : c.teeth) {
        const QPointF a = at(t.leftXMm, middle), b = at(t.rightXMm, middle);
        p.setPen(QPen(QColor(200, 40, 40), 1.2, Qt::DashLine));
        p.drawLine(a, b);
        p.setPen(QColor(200, 40, 40));
        const QString width = number(t.nominalMm());
        p.drawText(QRectF(a.x(), a.y() - fm.height() - 2, b.x() - a.x(), fm.height()),
                   Qt::AlignCenter, width);
        p.setPen(Qt::black);
        const QPointF over = at((t.leftXMm + t.rightXMm) / 2, toothTop);
        const QString speed = number(t.speedMmS) + QStringLiteral(" ") + u("毫米/秒");
        const double w = fm.horizontalAdvance(speed) + 4;
        p.drawText(QRectF(over.x() - w / 2, over.y() - fm.height() - 4, w, fm.height()),
                   Qt::AlignCenter, speed);
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(side, base + 4, width() - 2 * side, fm.height()), Qt::AlignLeft,
               u("红色虚线: 在齿高一半处用卡尺测量齿宽; 红色数字为名义宽度 (毫米)。"));
    p.drawText(QRectF(side, base + 6 + fm.height(), width() - 2 * side, fm.height()), Qt::AlignLeft,
               u("梳子 %1 x %2 毫米, 按 %3 毫米/秒 生成")
                   .arg(number(c.lengthMm), number(c.heightMm), number(c.cutSpeedMmS)));
}

}  // namespace corvane
