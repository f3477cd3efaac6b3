#include "generate/gui/planform_diagram.h"

#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <cmath>

namespace corvane {

namespace {

constexpr double kLeftTower = 0.06, kRightTower = 0.94;
constexpr double kWire = 0.70;  // the trailing edge lies on the wire
constexpr double kTowerTop = 0.06, kTowerFoot = 0.78;
constexpr double kBelow = 0.81;  // dimension lines under the panel
constexpr int kBoxWidth = 64, kBoxHeight = 22;

void arrowHead(QPainter& p, QPointF tip, QPointF from) {
    QPointF d = tip - from;
    double len = std::hypot(d.x(), d.y());
    if (len < 1) return;
    d /= len;
    QPointF n(-d.y(), d.x());
    QPolygonF head{tip, tip - d * 8 + n * 3.5, tip - d * 8 - n * 3.5};
    p.drawPolygon(head);
}

}  // namespace

PlanformDiagram::PlanformDiagram(const PlanformWindowInfo& window, QWidget* parent)
    : QWidget(parent), window_(window) {
    setObjectName(QStringLiteral("Picture1"));
    setMinimumSize(minimumSizeHint());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    buildDrawing();
}

QPointF PlanformDiagram::mirrored(QPointF p) const {
    return window_.leftHand ? QPointF(1.0 - p.x(), p.y()) : p;
}

// Every shape is laid out with the root (or left side) at the left tower, then mirrored for a
// left panel, whose root stands at the right tower.
void PlanformDiagram::buildDrawing() {
    using K = PlanformKind;
    const bool foam = window_.foam;
    const QString rootWord = foam ? QStringLiteral("left side") : QStringLiteral("root");
    const QString tipWord = foam ? QStringLiteral("right side") : QStringLiteral("tip");
    const QString gapBox = QString::fromLatin1(window_.gapBox.data(), window_.gapBox.size());
    const QString towerGapBox =
        QString::fromLatin1(window_.towerGapBox.data(), window_.towerGapBox.size());
    const QString span = foam ? QStringLiteral("Width") : QStringLiteral("Span");
    const double xl = kLeftTower, xr = kRightTower;

    auto horizontal = [](QString box, QString caption, double x1, double x2, double y, QPointF e1,
                         QPointF e2, double boxDy) {
        return Dimension{box, caption, {x1, y}, {x2, y}, e1, e2, {0, boxDy}};
    };

    switch (window_.kind) {
        case K::Taper:
        case K::Concentric:
        case K::TrailingEdgeTaper: {
            panel_ = {{0.30, 0.22}, {0.24, kWire}, {0.76, 0.47}, {0.70, kWire}};
            const Panel& s = panel_;
            dims_.push_back(horizontal(towerGapBox, "Gap to tower", xl, s.rootTE.x(), kBelow,
                                       {xl, kTowerFoot}, s.rootTE, 0.07));
            dims_.push_back(horizontal(gapBox, "Gap to tower", s.tipLE.x(), xr, kBelow, s.tipLE,
                                       {xr, kTowerFoot}, 0.07));
            dims_.push_back(horizontal(window_.kind == K::TrailingEdgeTaper ? "Text4" : "Text5",
                                       rootWord + " overhang", s.rootTE.x(), s.rootLE.x(), 0.15,
                                       s.rootTE, s.rootLE, -0.0));
            dims_.push_back(horizontal(window_.kind == K::TrailingEdgeTaper ? "Text5" : "Text4",
                                       tipWord + " overhang", s.tipTE.x(), s.tipLE.x(), 0.41,
                                       s.tipTE, s.tipLE, -0.0));
            dims_.push_back(Dimension{"Text6",
                                      rootWord + " depth",
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      {0.07, 0}});
            if (window_.kind == K::TrailingEdgeTaper) {
                // The span runs along the straight leading edge, drawn just inside the panel.
                QPointF off(0.0, 0.07);
                dims_.push_back(Dimension{
                    "Text1", span, s.rootLE + off, s.tipLE + off, s.rootLE, s.tipLE, {0.0, 0.05}});
            } else {
                dims_.push_back(horizontal("Text1", span, s.rootTE.x(), s.tipTE.x(), 0.92, s.rootTE,
                                           s.tipTE, -0.0));
            }
            break;
        }
        case K::LeadingEdgeTaper:
        case K::Eccentric: {
            panel_ = {{0.26, 0.22}, {0.26, kWire}, {0.72, 0.47}, {0.72, kWire}};
            const Panel& s = panel_;
            dims_.push_back(horizontal(towerGapBox, "Gap to tower", xl, s.rootTE.x(), kBelow,
                                       {xl, kTowerFoot}, s.rootTE, 0.07));
            dims_.push_back(horizontal(gapBox, "Gap to tower", s.tipTE.x(), xr, kBelow, s.tipTE,
                                       {xr, kTowerFoot}, 0.07));
            dims_.push_back(horizontal("Text1", span, s.rootTE.x(), s.tipTE.x(), 0.92, s.rootTE,
                                       s.tipTE, -0.0));
            dims_.push_back(Dimension{"Text6",
                                      rootWord + " depth",
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      {0.07, 0}});
            break;
        }
        case K::Swept: {
            panel_ = {{0.22, 0.22}, {0.32, kWire}, {0.72, 0.47}, {0.80, kWire}};
            const Panel& s = panel_;
            dims_.push_back(horizontal(towerGapBox, "Gap to tower", xl, s.rootLE.x(), kBelow,
                                       {xl, kTowerFoot}, s.rootLE, 0.07));
            dims_.push_back(horizontal(gapBox, "Gap to tower", s.tipTE.x(), xr, kBelow, s.tipTE,
                                       {xr, kTowerFoot}, 0.07));
            dims_.push_back(horizontal("Text4", "root overhang", s.rootLE.x(), s.rootTE.x(), 0.15,
                                       s.rootLE, s.rootTE, -0.0));
            dims_.push_back(horizontal("Text5", "tip overhang", s.tipLE.x(), s.tipTE.x(), 0.41,
                                       s.tipLE, s.tipTE, -0.0));
            dims_.push_back(horizontal("Text1", span, s.rootTE.x(), s.tipTE.x(), 0.92, s.rootTE,
                                       s.tipTE, -0.0));
            dims_.push_back(Dimension{"Text6",
                                      "root depth",
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      s.rootLE,
                                      {s.rootLE.x(), kWire},
                                      {0.07, 0}});
            break;
        }
    }
    // Box positions relative to the line's middle: a zero offset means just above the line.
    for (Dimension& d : dims_) {
        if (d.boxOffset.isNull()) d.boxOffset = {0, -0.055};
    }
}

std::vector<std::string_view> PlanformDiagram::boxNames() const {
    static const std::vector<std::string_view> all{"Text1", "Text2", "Text3",
                                                   "Text4", "Text5", "Text6"};
    std::vector<std::string_view> out;
    for (auto name : all)
        for (const Dimension& d : dims_)
            if (d.box == QLatin1String(name.data(), static_cast<int>(name.size())))
                out.push_back(name);
    return out;
}

void PlanformDiagram::placeBox(std::string_view name, QLineEdit* box) {
    box->setParent(this);
    box->setFixedSize(kBoxWidth, kBoxHeight);
    boxes_.emplace_back(QString::fromLatin1(name.data(), static_cast<int>(name.size())), box);
    connect(box, &QLineEdit::textChanged, this, qOverload<>(&QWidget::update));
    layoutBoxes();
}

void PlanformDiagram::setChordBoxes(QLineEdit* left, QLineEdit* right) {
    leftChord_ = left;
    rightChord_ = right;
    for (QLineEdit* b : {left, right})
        connect(b, &QLineEdit::textChanged, this, qOverload<>(&QWidget::update));
}

QPointF PlanformDiagram::toWidget(QPointF unit) const {
    const double mx = 12, my = 22;  // room for the title line
    QPointF m = mirrored(unit);
    return {mx + m.x() * (width() - 2 * mx), my + m.y() * (height() - my - 8)};
}

QPointF PlanformDiagram::leadingEdgeAt(double x) const {
    const QPointF a = panel_.rootLE, b = panel_.tipLE;
    return {x, a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x())};
}

void PlanformDiagram::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBoxes();
}

void PlanformDiagram::layoutBoxes() {
    for (auto& [name, box] : boxes_)
        for (const Dimension& d : dims_)
            if (d.box == name) {
                QPointF mid = toWidget((d.from + d.to) / 2 + d.boxOffset);
                box->move(static_cast<int>(mid.x() - kBoxWidth / 2.0),
                          static_cast<int>(mid.y() - kBoxHeight / 2.0));
            }
}

void PlanformDiagram::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    p.setFont(small);

    const QString title = window_.foam ? QStringLiteral("Part between the towers, seen from above")
                                       : QStringLiteral(
                                             "Panel between the towers, seen from "
                                             "above (trailing edge on the wire)");
    p.setPen(Qt::darkGray);
    p.drawText(QRectF(0, 4, width(), 18), Qt::AlignHCenter, title);

    // Towers and wire.
    p.setPen(QPen(QColor(60, 60, 60), 5, Qt::SolidLine, Qt::FlatCap));
    for (double x : {kLeftTower, kRightTower})
        p.drawLine(toWidget({x, kTowerTop}), toWidget({x, kTowerFoot}));
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.drawLine(toWidget({kLeftTower, kWire}), toWidget({kRightTower, kWire}));

    // Leading edge carried on to both towers: the tower chords are cut there.
    p.setPen(QPen(QColor(120, 120, 220), 1.2, Qt::DashLine));
    p.drawLine(toWidget(leadingEdgeAt(kLeftTower)), toWidget(panel_.rootLE));
    p.drawLine(toWidget(panel_.tipLE), toWidget(leadingEdgeAt(kRightTower)));

    // The panel.
    QPolygonF outline{toWidget(panel_.rootTE), toWidget(panel_.rootLE), toWidget(panel_.tipLE),
                      toWidget(panel_.tipTE)};
    p.setPen(QPen(QColor(30, 60, 140), 2));
    p.setBrush(QColor(200, 220, 250));
    p.drawPolygon(outline);
    p.setBrush(Qt::NoBrush);

    // Tower chords, red like their boxes.
    const bool foam = window_.foam;
    auto towerChord = [&](double x, QLineEdit* box, const QString& what) {
        QPointF top = toWidget(leadingEdgeAt(x)), foot = toWidget({x, kWire});
        double shift = (mirrored({x, 0}).x() < 0.5 ? 10 : -10);
        top.rx() += shift;
        foot.rx() += shift;
        p.setPen(QPen(QColor(200, 0, 0), 1.5));
        p.setBrush(QColor(200, 0, 0));
        p.drawLine(top, foot);
        arrowHead(p, top, foot);
        arrowHead(p, foot, top);
        p.setBrush(Qt::NoBrush);
        QString value = box && !box->text().isEmpty() ? box->text() : QStringLiteral("?");
        QRectF r(top.x() + (shift > 0 ? 4 : -150), (top.y() + foot.y()) / 2 - 18, 146, 36);
        p.drawText(r, (shift > 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                   what + QStringLiteral("\n") + value);
    };
    towerChord(kLeftTower, leftChord_,
               foam ? QStringLiteral("Left size") : QStringLiteral("Root cord"));
    towerChord(kRightTower, rightChord_,
               foam ? QStringLiteral("Right size") : QStringLiteral("Tip cord"));

    // Dimension lines.
    for (const Dimension& d : dims_) {
        const bool entered = std::find(window_.inputs.begin(), window_.inputs.end(),
                                       d.box.toStdString()) != window_.inputs.end();
        QColor colour = entered ? QColor(40, 40, 40) : QColor(200, 0, 0);
        QPointF a = toWidget(d.from), b = toWidget(d.to);
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
        p.drawLine(toWidget(d.fromEdge), a);
        p.drawLine(toWidget(d.toEdge), b);
        p.setPen(QPen(colour, 1.2));
        p.setBrush(colour);
        p.drawLine(a, b);
        arrowHead(p, a, b);
        arrowHead(p, b, a);
        p.setBrush(Qt::NoBrush);
        QPointF mid = toWidget((d.from + d.to) / 2 + d.boxOffset);
        QRectF captionRect(mid.x() - 70, mid.y() - kBoxHeight / 2.0 - 16, 140, 15);
        if (d.boxOffset.x() != 0) captionRect.translate(0, kBoxHeight + 16);
        p.setPen(colour);
        p.drawText(captionRect, Qt::AlignCenter, d.caption);
    }
}

}  // namespace corvane
