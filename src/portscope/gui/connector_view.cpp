// The connector picture: pins sit on two rows of a trapezoid shell, numbered beneath.
#include "portscope/gui/connector_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "portscope/display_tables.h"

namespace portscope {

namespace {
constexpr int kPin = 22;     // pin diameter
constexpr int kPitch = 34;   // distance between pins of a row
constexpr int kMargin = 26;  // shell edge to the first pin of the top row
constexpr int kRowTop = 30;  // top of the first row's pins
constexpr int kRowGap = 44;  // top of row 1 to top of row 2
}  // namespace

PinShape::PinShape(int pin, QWidget* parent) : QWidget(parent), pin_(pin) {
    const PinInfo& info = pinInfo(pin);
    setObjectName(QString::fromLatin1(info.shape));
    setToolTip(QString::fromStdString(pinHint(info)));
    setProperty("tag", static_cast<uint>(pinTag(info)));
    setFixedSize(kPin, kPin);
    if (info.clickable) setCursor(Qt::PointingHandCursor);
}

void PinShape::setColour(const QColor& colour) {
    if (colour == colour_) return;
    colour_ = colour;
    update();
}

void PinShape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(colour_);
    p.drawEllipse(QRectF(1, 1, width() - 2, height() - 2));
}

void PinShape::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(pin_);
}

ConnectorView::ConnectorView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Connector"));
    for (int pin = 1; pin <= 25; ++pin) {
        auto* shape = new PinShape(pin, this);
        connect(shape, &PinShape::clicked, this, &ConnectorView::pinClicked);
        shapes_[static_cast<size_t>(pin - 1)] = shape;
    }
    setMinimumSize(sizeHint());
    placePins();
}

QSize ConnectorView::sizeHint() const {
    return {2 * kMargin + 12 * kPitch + kPin, kRowTop + kRowGap + kPin + 40};
}

void ConnectorView::setMale(bool male) {
    if (male == male_) return;
    male_ = male;
    placePins();
    update();
}

void ConnectorView::resizeEvent(QResizeEvent*) {
    placePins();
}

void ConnectorView::placePins() {
    const int left = (width() - (12 * kPitch + kPin)) / 2;
    for (PinShape* shape : shapes_) {
        const int row = pinRow(shape->pin());
        const int x = left + pinColumn(shape->pin(), male_) * kPitch + row * kPitch / 2;
        shape->move(x, kRowTop + row * kRowGap);
    }
}

void ConnectorView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int left = (width() - (12 * kPitch + kPin)) / 2;
    const double top = kRowTop - 18, bottom = kRowTop + kRowGap + kPin + 18;
    const double wide = left - kMargin + 8, narrow = left + kPitch / 2 - kMargin + 8;
    const double right = width() - wide, rightNarrow = width() - narrow;
    QPainterPath shell;
    shell.moveTo(wide, top);
    shell.lineTo(right, top);
    shell.lineTo(rightNarrow, bottom);
    shell.lineTo(narrow, bottom);
    shell.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(215, 215, 215));
    p.drawPath(shell);

    QFont font = p.font();
    font.setPixelSize(10);
    p.setFont(font);
    p.setPen(Qt::black);
    for (const PinShape* shape : shapes_) {
        const QRect g = shape->geometry();
        // Top row numbers above the pins, bottom row numbers below them.
        const QRect label = pinRow(shape->pin()) == 0
                                ? QRect(g.left() - 6, g.top() - 14, g.width() + 12, 12)
                                : QRect(g.left() - 6, g.bottom() + 3, g.width() + 12, 12);
        p.drawText(label, Qt::AlignCenter, QString::number(shape->pin()));
    }
    p.drawText(QRect(0, static_cast<int>(bottom) + 2, width(), 14), Qt::AlignCenter,
               male_ ? QStringLiteral("male") : QStringLiteral("female"));
}

}  // namespace portscope
