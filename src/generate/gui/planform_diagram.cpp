#include "generate/gui/planform_diagram.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

#include "platform/gui/placement.h"

namespace corvane {

namespace {

constexpr int kBoxWidth = 72, kBoxHeight = 22;
constexpr int kCaptionHeight = 15;
constexpr double kTitleRoom = 24, kMargin = 10;
// Model millimetres: the chain of horizontal distances under the wire, the span below it, the
// depth beside the root, how far the towers reach past the panel.
constexpr double kChainY = -55, kSpanY = -150, kDepthGap = 45, kTowerOver = 60;

// A sample panel for each kind of window, in millimetres: big enough angles to be seen.
constexpr double kRoot = 300, kTip = 150, kSpan = 600, kGap = 110;

void arrowHead(QPainter& p, QPointF tip, QPointF from) {
    QPointF d = tip - from;
    double len = std::hypot(d.x(), d.y());
    if (len < 1) return;
    d /= len;
    QPointF n(-d.y(), d.x());
    QPolygonF head{tip, tip - d * 8 + n * 3.5, tip - d * 8 - n * 3.5};
    p.drawPolygon(head);
}

QString spanCaption(const PlanformWindowInfo& w) {
    switch (w.kind) {
        case PlanformKind::TrailingEdgeTaper:
            return QStringLiteral("Wing Span");
        case PlanformKind::Concentric:
            return QStringLiteral("Desired Cut Width");
        case PlanformKind::Eccentric:
            return QStringLiteral("成品宽度");
        default:
            return QStringLiteral("成品翼展");
    }
}

}  // namespace

bool segmentHitsRect(const QLineF& line, const QRectF& r) {
    if (r.contains(line.p1()) || r.contains(line.p2())) return true;
    const QLineF edges[4] = {{r.topLeft(), r.topRight()},
                             {r.topRight(), r.bottomRight()},
                             {r.bottomRight(), r.bottomLeft()},
                             {r.bottomLeft(), r.topLeft()}};
    for (const QLineF& e : edges)
        if (line.intersects(e, nullptr) == QLineF::BoundedIntersection) return true;
    return false;
}

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

// The panel is laid out as the window's calculation places it, root at the left tower (x = 0),
// the wire along y = 0; a left panel is mirrored when drawn, its root at the right tower.
void PlanformDiagram::buildDrawing() {
    using K = PlanformKind;
    const bool foam = window_.foam;
    const QString rootWord = foam ? QStringLiteral("left side") : QStringLiteral("root");
    const QString tipWord = foam ? QStringLiteral("right side") : QStringLiteral("tip");
    const QString gapBox = QString::fromLatin1(window_.gapBox.data(), window_.gapBox.size());
    const QString towerGapBox =
        QString::fromLatin1(window_.towerGapBox.data(), window_.towerGapBox.size());
    const QString span = spanCaption(window_);
    const QString gapCaption = QStringLiteral("Gap to tower");
    auto along = [](QString box, QString caption, double x1, double x2, double y, QPointF e1,
                    QPointF e2) {
        return Dimension{box, caption, {x1, y}, {x2, y}, e1, e2};
    };
    Corners& m = model_;
    double depthX = 0;

    switch (window_.kind) {
        case K::Taper:
        case K::Concentric:
        case K::TrailingEdgeTaper: {
            // Turned so that the trailing edge lies on the wire: both chords lean by theta.
            const bool edge = window_.kind == K::TrailingEdgeTaper;
            const double offset = edge ? 0 : 40;
            const double e = kRoot - offset - kTip;
            const double theta = std::atan(e / kSpan);
            const double t = e / std::sin(theta);
            const double s = std::sin(theta), c = std::cos(theta);
            m.rootTE = {kGap, 0};
            m.rootLE = {kGap + kRoot * s, kRoot * c};
            m.tipTE = {kGap + t, 0};
            m.tipLE = {kGap + t + kTip * s, kTip * c};
            towerDistance_ = m.tipLE.x() + kGap;
            const QString rootOverhang = edge ? QStringLiteral("Text4") : QStringLiteral("Text5");
            const QString tipOverhang = edge ? QStringLiteral("Text5") : QStringLiteral("Text4");
            dims_.push_back(
                along(towerGapBox, gapCaption, 0, m.rootTE.x(), kChainY, {0, 0}, m.rootTE));
            dims_.push_back(along(rootOverhang, rootWord + " overhang", m.rootTE.x(), m.rootLE.x(),
                                  kChainY, m.rootTE, m.rootLE));
            dims_.push_back(along(tipOverhang, tipWord + " overhang", m.tipTE.x(), m.tipLE.x(),
                                  kChainY, m.tipTE, m.tipLE));
            dims_.push_back(along(gapBox, gapCaption, m.tipLE.x(), towerDistance_, kChainY, m.tipLE,
                                  {towerDistance_, 0}));
            // The span is measured square to the chords: from the root chord line to the tip
            // chord line, drawn beyond the leading edge (along it when that edge is straight).
            const QPointF out(s, c), square(c, -s);
            const QPointF a = m.rootLE + out * 70;
            dims_.push_back(Dimension{"Text1", span, a, a + square * kSpan, m.rootLE, m.tipLE});
            depthX = m.rootTE.x() - kDepthGap;
            break;
        }
        case K::LeadingEdgeTaper:
        case K::Eccentric: {
            m.rootTE = {kGap, 0};
            m.rootLE = {kGap, kRoot};
            m.tipTE = {kGap + kSpan, 0};
            m.tipLE = {kGap + kSpan, kTip};
            towerDistance_ = m.tipTE.x() + kGap;
            dims_.push_back(
                along(towerGapBox, gapCaption, 0, m.rootTE.x(), kChainY, {0, 0}, m.rootTE));
            dims_.push_back(
                along("Text1", span, m.rootTE.x(), m.tipTE.x(), kChainY, m.rootTE, m.tipTE));
            dims_.push_back(along(gapBox, gapCaption, m.tipTE.x(), towerDistance_, kChainY, m.tipTE,
                                  {towerDistance_, 0}));
            depthX = m.rootTE.x() - kDepthGap;
            break;
        }
        case K::Swept: {
            // Trailing edge on the wire, both chords leaning back by the sweep angle.
            const double sweep = 20.0 * kPlanformTwoPi / 360.0;
            const double s = std::sin(sweep), c = std::cos(sweep);
            m.rootLE = {kGap, kRoot * c};
            m.rootTE = {kGap + kRoot * s, 0};
            m.tipTE = {m.rootTE.x() + kSpan, 0};
            m.tipLE = {m.tipTE.x() - kTip * s, kTip * c};
            towerDistance_ = m.tipTE.x() + kGap;
            dims_.push_back(
                along(towerGapBox, gapCaption, 0, m.rootLE.x(), kChainY, {0, 0}, m.rootLE));
            dims_.push_back(along("Text4", "root overhang", m.rootLE.x(), m.rootTE.x(), kChainY,
                                  m.rootLE, m.rootTE));
            dims_.push_back(along("Text5", "tip overhang", m.tipLE.x(), m.tipTE.x(), kChainY,
                                  m.tipLE, m.tipTE));
            dims_.push_back(along(gapBox, gapCaption, m.tipTE.x(), towerDistance_, kChainY, m.tipTE,
                                  {towerDistance_, 0}));
            // The span runs along the trailing edge on the wire.
            dims_.push_back(
                along("Text1", span, m.rootTE.x(), m.tipTE.x(), kSpanY, m.rootTE, m.tipTE));
            depthX = m.rootLE.x() - kDepthGap;
            break;
        }
    }
    // The root depth, square to the wire, beside the panel.
    dims_.push_back(Dimension{"Text6",
                              rootWord + " depth",
                              {depthX, m.rootLE.y()},
                              {depthX, 0},
                              m.rootLE,
                              {m.rootTE.x(), 0}});

    // What must be in view: towers, panel, every dimension, and room for the boxes below.
    bounds_ = QRectF(QPointF(0, std::max(leadingEdgeAt(0), m.rootLE.y()) + kTowerOver),
                     QPointF(towerDistance_, 0))
                  .normalized();
    for (const Dimension& d : dims_)
        bounds_ = bounds_.united(QRectF(d.from, d.to).normalized().adjusted(-10, -150, 10, 40));
}

QString PlanformDiagram::captionOf(std::string_view box) const {
    for (const Dimension& d : dims_)
        if (d.box == QLatin1String(box.data(), static_cast<int>(box.size()))) return d.caption;
    return {};
}

std::vector<std::string_view> PlanformDiagram::boxNames() const {
    static const std::vector<std::string_view> all{"Text1", "Text2", "Text3",
                                                   "Text4", "Text5", "Text6"};
    std::vector<std::string_view> out;
    for (auto name : all)
        if (!captionOf(name).isEmpty()) out.push_back(name);
    return out;
}

void PlanformDiagram::placeBox(std::string_view name, QLineEdit* box) {
    box->setParent(this);
    box->setFixedSize(std::max(kBoxWidth, widthToShow(*box, QStringLiteral("1234.56"))),
                      kBoxHeight);
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

QPointF PlanformDiagram::toWidget(QPointF model) const {
    const double w = width() - 2 * kMargin, h = height() - kTitleRoom - kMargin;
    const double scale = std::min(w / bounds_.width(), h / bounds_.height());
    const double x0 = kMargin + (w - bounds_.width() * scale) / 2;
    const double y0 = kTitleRoom + (h - bounds_.height() * scale) / 2;
    double x = model.x();
    if (window_.leftHand) x = towerDistance_ - x;
    return {x0 + (x - bounds_.left()) * scale, y0 + (bounds_.bottom() - model.y()) * scale};
}

double PlanformDiagram::leadingEdgeAt(double x) const {
    const QPointF a = model_.rootLE, b = model_.tipLE;
    return a.y() + (b.y() - a.y()) * (x - a.x()) / (b.x() - a.x());
}

std::vector<QLineF> PlanformDiagram::modelLines() const {
    const Corners& m = model_;
    const double top = bounds_.bottom();
    std::vector<QLineF> out{
        {{0, kChainY - 20}, {0, top}},                               // towers
        {{towerDistance_, kChainY - 20}, {towerDistance_, top}},     //
        {{0, 0}, {towerDistance_, 0}},                               // wire
        {{0, leadingEdgeAt(0)}, m.rootLE},                           // leading edge carried on
        {m.tipLE, {towerDistance_, leadingEdgeAt(towerDistance_)}},  //
        {m.rootTE, m.rootLE},                                        // panel
        {m.rootLE, m.tipLE},
        {m.tipLE, m.tipTE},
        {m.tipTE, m.rootTE},
    };
    for (const Dimension& d : dims_) {
        out.emplace_back(d.from, d.to);
        out.emplace_back(d.fromEdge, d.from);
        out.emplace_back(d.toEdge, d.to);
    }
    return out;
}

std::vector<QLineF> PlanformDiagram::drawnLines() const {
    std::vector<QLineF> out;
    for (const QLineF& l : modelLines()) out.emplace_back(toWidget(l.p1()), toWidget(l.p2()));
    // The tower chords, drawn just inside each tower.
    for (bool left : {true, false}) {
        const double x = left ? 0 : towerDistance_;
        QPointF top = toWidget({x, leadingEdgeAt(x)}), foot = toWidget({x, 0});
        const double shift = top.x() < width() / 2.0 ? 10 : -10;
        out.emplace_back(top + QPointF(shift, 0), foot + QPointF(shift, 0));
    }
    return out;
}

QRectF PlanformDiagram::chordTextRect(bool left) const {
    const double x = left ? 0 : towerDistance_;
    QPointF top = toWidget({x, leadingEdgeAt(x)}), foot = toWidget({x, 0});
    const bool inside = top.x() < width() / 2.0;
    const double mid = (top.y() + foot.y()) / 2;
    return inside ? QRectF(top.x() + 14, mid - 18, 110, 36)
                  : QRectF(top.x() - 124, mid - 18, 110, 36);
}

PlanformDiagram::Corners PlanformDiagram::corners() const {
    return {toWidget(model_.rootLE), toWidget(model_.rootTE), toWidget(model_.tipLE),
            toWidget(model_.tipTE)};
}

QLineF PlanformDiagram::dimensionOf(std::string_view box) const {
    for (const Dimension& d : dims_)
        if (d.box == QLatin1String(box.data(), static_cast<int>(box.size())))
            return {toWidget(d.from), toWidget(d.to)};
    return {};
}

void PlanformDiagram::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutBoxes();
}

// Each box goes beside the middle of its dimension line, at the first place where neither the
// box nor its caption above it touches a drawn line, a chord text or a box placed before it.
void PlanformDiagram::layoutBoxes() {
    const std::vector<QLineF> lines = drawnLines();
    std::vector<QRectF> taken{chordTextRect(true), chordTextRect(false)};
    const QRectF area = rect();
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    const QFontMetrics metrics(small);
    int boxWidth = kBoxWidth;
    for (auto& [name, b] : boxes_) boxWidth = std::max(boxWidth, b->width());
    // The box with its caption over it.
    auto footprint = [&](QPointF centre, const QString& caption) {
        const double w = std::max(boxWidth, metrics.horizontalAdvance(caption) + 4);
        return QRectF(centre.x() - w / 2.0, centre.y() - kBoxHeight / 2.0 - kCaptionHeight, w,
                      kBoxHeight + kCaptionHeight)
            .adjusted(-2, -2, 2, 2);
    };
    auto free = [&](const QRectF& r) {
        if (!area.contains(r)) return false;
        for (const QLineF& l : lines)
            if (segmentHitsRect(l, r)) return false;
        for (const QRectF& t : taken)
            if (t.intersects(r)) return false;
        return true;
    };
    for (const Dimension& d : dims_) {
        QLineEdit* box = nullptr;
        for (auto& [name, b] : boxes_)
            if (name == d.box) box = b;
        if (box == nullptr) continue;
        const QPointF a = toWidget(d.from), b = toWidget(d.to), mid = (a + b) / 2;
        QPointF dir = b - a;
        const double len = std::hypot(dir.x(), dir.y());
        dir = len > 0 ? dir / len : QPointF(1, 0);
        QPointF normal(-dir.y(), dir.x());
        if (normal.y() < 0 || (normal.y() == 0 && normal.x() < 0)) normal = -normal;
        QPointF best = mid + normal * 26 + QPointF(0, kCaptionHeight / 2.0);
        bool found = false;
        for (int step = 1; step <= 14 && !found; ++step) {
            const double away = 6 + step * 8 + kBoxHeight / 2.0;
            for (double slide : {0.0, -30.0, 30.0, -60.0, 60.0, -90.0, 90.0}) {
                for (double side : {1.0, -1.0}) {
                    const QPointF c = mid + normal * side * away + dir * slide;
                    // The caption sits above the box, so push down by half of it below a line.
                    const QPointF centre = c + QPointF(0, kCaptionHeight / 2.0);
                    if (free(footprint(centre, d.caption))) {
                        best = centre;
                        found = true;
                        break;
                    }
                }
                if (found) break;
            }
        }
        // Crowded near its line: the nearest free spot anywhere on the drawing.
        double nearest = -1;
        for (int y = 0; !found && y < height(); y += 6) {
            for (int x = 0; x < width(); x += 6) {
                const QPointF centre(x, y);
                const QPointF off = centre - mid;
                const double distance = off.x() * off.x() + off.y() * off.y();
                if ((nearest < 0 || distance < nearest) && free(footprint(centre, d.caption))) {
                    nearest = distance;
                    best = centre;
                }
            }
        }
        box->move(static_cast<int>(std::lround(best.x() - box->width() / 2.0)),
                  static_cast<int>(std::lround(best.y() - kBoxHeight / 2.0)));
        taken.push_back(footprint(best, d.caption));
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

    const std::vector<QLineF> lines = modelLines();
    auto w = [this](QPointF m) { return toWidget(m); };
    // Towers and wire.
    p.setPen(QPen(QColor(60, 60, 60), 5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(w(lines[0].p1()), w(lines[0].p2()));
    p.drawLine(w(lines[1].p1()), w(lines[1].p2()));
    p.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    p.drawLine(w(lines[2].p1()), w(lines[2].p2()));
    // Leading edge carried on to both towers: the tower chords are cut there.
    p.setPen(QPen(QColor(120, 120, 220), 1.2, Qt::DashLine));
    p.drawLine(w(lines[3].p1()), w(lines[3].p2()));
    p.drawLine(w(lines[4].p1()), w(lines[4].p2()));

    // The panel.
    QPolygonF outline{w(model_.rootTE), w(model_.rootLE), w(model_.tipLE), w(model_.tipTE)};
    p.setPen(QPen(QColor(30, 60, 140), 2));
    p.setBrush(QColor(200, 220, 250));
    p.drawPolygon(outline);
    p.setBrush(Qt::NoBrush);

    // Tower chords, red like their boxes.
    const bool foam = window_.foam;
    const std::vector<QLineF> all = drawnLines();
    for (bool left : {true, false}) {
        const QLineF chord = all[all.size() - (left ? 2 : 1)];
        p.setPen(QPen(QColor(200, 0, 0), 1.5));
        p.setBrush(QColor(200, 0, 0));
        p.drawLine(chord);
        arrowHead(p, chord.p1(), chord.p2());
        arrowHead(p, chord.p2(), chord.p1());
        p.setBrush(Qt::NoBrush);
        QLineEdit* box = left ? leftChord_ : rightChord_;
        const QString what =
            left ? (foam ? QStringLiteral("Left size") : QStringLiteral("Root cord"))
                 : (foam ? QStringLiteral("Right size") : QStringLiteral("Tip cord"));
        const QString value = box && !box->text().isEmpty() ? box->text() : QStringLiteral("?");
        const QRectF r = chordTextRect(left);
        const bool inside = r.left() > chord.p1().x();
        p.drawText(r, (inside ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                   what + QStringLiteral("\n") + value);
    }

    // Dimension lines, each with its caption over its box.
    for (const Dimension& d : dims_) {
        const bool entered = std::find(window_.inputs.begin(), window_.inputs.end(),
                                       d.box.toStdString()) != window_.inputs.end();
        QColor colour = entered ? QColor(40, 40, 40) : QColor(200, 0, 0);
        QPointF a = w(d.from), b = w(d.to);
        p.setPen(QPen(QColor(160, 160, 160), 1, Qt::DotLine));
        p.drawLine(w(d.fromEdge), a);
        p.drawLine(w(d.toEdge), b);
        p.setPen(QPen(colour, 1.2));
        p.setBrush(colour);
        p.drawLine(a, b);
        arrowHead(p, a, b);
        arrowHead(p, b, a);
        p.setBrush(Qt::NoBrush);
        for (auto& [name, box] : boxes_) {
            if (name != d.box) continue;
            const QRect g = box->geometry();
            p.setPen(colour);
            p.drawText(
                QRectF(g.center().x() - 70, g.top() - kCaptionHeight - 1, 140, kCaptionHeight),
                Qt::AlignCenter, d.caption);
        }
    }
}

}  // namespace corvane
