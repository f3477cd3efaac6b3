#include "troubleshoot/gui/pin_connector.h"

#include <QPainter>
#include <QPainterPath>

namespace corvane {

namespace {

constexpr int kPitch = 30;    // between two pins of a row
constexpr int kLamp = 18;     // lamp diameter
constexpr int kMargin = 14;   // shell around the pins
constexpr int kRowGap = 34;   // between the two rows
constexpr int kNumberH = 14;  // the pin numbers above and below

// Centre of pin 1..25 in widget coordinates.
QPointF pinCentre(int pin) {
    const double left = kMargin + kLamp / 2.0;
    const double top = kNumberH + kMargin + kLamp / 2.0;
    if (pin <= 13) return {left + (pin - 1) * kPitch, top};
    return {left + kPitch / 2.0 + (pin - 14) * kPitch, top + kRowGap};
}

}  // namespace

PinConnector::PinConnector(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Shape1"));
    levels_.fill(PinLevel::Uncoloured);
}

void PinConnector::setLevels(const PinLevels& levels) {
    levels_ = levels;
    update();
}

QColor PinConnector::pinColor(int pin) const {
    if (pin < 1 || pin > 25) return {};
    switch (levels_[static_cast<size_t>(pin)]) {
        case PinLevel::One:
            return QColor::fromRgb(kRed);
        case PinLevel::Zero:
            return QColor::fromRgb(kGreen);
        case PinLevel::Uncoloured:
            break;
    }
    return {};
}

QSize PinConnector::sizeHint() const {
    return {2 * kMargin + 12 * kPitch + kLamp + 2, 2 * kNumberH + 2 * kMargin + kRowGap + kLamp};
}

void PinConnector::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // The D-shaped shell: wide at the top row, narrow at the bottom.
    const double top = kNumberH + 2;
    const double bottom = kNumberH + 2 * kMargin + kRowGap + kLamp - 2;
    const double wideLeft = 2, wideRight = 2 * kMargin + 12 * kPitch + kLamp;
    const double inset = kPitch / 2.0 + 6;
    QPainterPath shell;
    shell.moveTo(wideLeft + 6, top);
    shell.lineTo(wideRight - 6, top);
    shell.quadTo(wideRight, top, wideRight - 2, top + 8);
    shell.lineTo(wideRight - inset, bottom - 6);
    shell.quadTo(wideRight - inset - 2, bottom, wideRight - inset - 10, bottom);
    shell.lineTo(wideLeft + inset + 10, bottom);
    shell.quadTo(wideLeft + inset + 2, bottom, wideLeft + inset, bottom - 6);
    shell.lineTo(wideLeft + 2, top + 8);
    shell.quadTo(wideLeft, top, wideLeft + 6, top);
    p.setPen(QPen(QColor(70, 70, 70), 2));
    p.setBrush(QColor(200, 200, 205));
    p.drawPath(shell);

    QFont small = font();
    small.setPointSizeF(7.5);
    p.setFont(small);
    for (int pin = 1; pin <= 25; ++pin) {
        const QPointF c = pinCentre(pin);
        const QColor colour = pinColor(pin);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colour.isValid() ? colour : QColor(150, 150, 150));
        p.drawEllipse(c, kLamp / 2.0, kLamp / 2.0);
        // Numbers above the wide row and below the narrow one.
        const double y = pin <= 13 ? c.y() - kLamp / 2.0 - kMargin - 2
                                   : c.y() + kLamp / 2.0 + kMargin - kNumberH + 2;
        p.setPen(palette().color(QPalette::WindowText));
        QFont number = small;
        number.setOverline(invertedByThePort(pin));
        p.setFont(number);
        p.drawText(QRectF(c.x() - kPitch / 2.0, y, kPitch, kNumberH), Qt::AlignCenter,
                   QString::number(pin));
    }
}

}  // namespace corvane
