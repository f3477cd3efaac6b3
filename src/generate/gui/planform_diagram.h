// The drawing of a planform window: a sample panel lying between the two towers as the window's
// calculation places it, drawn true to its angles (chords parallel, overhangs in proportion),
// with a dimension line for every distance the window asks for or works out and its box beside
// the line, never on one.
#pragma once

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <vector>

#include "generate/planform.h"

class QLineEdit;

namespace corvane {

class PlanformDiagram : public QWidget {
    Q_OBJECT
public:
    PlanformDiagram(const PlanformWindowInfo& window, QWidget* parent = nullptr);

    // The boxes that sit on the drawing (in the order the window makes them).
    std::vector<std::string_view> boxNames() const;
    // Puts the box beside its dimension line (the box becomes the drawing's child).
    void placeBox(std::string_view name, QLineEdit* box);
    // The tower chord boxes whose values are written beside the towers.
    void setChordBoxes(QLineEdit* left, QLineEdit* right);

    // The caption of the distance a box holds ("成品翼展" for the span of left_taper).
    QString captionOf(std::string_view box) const;
    // Every line drawn, in widget coordinates: no box may sit on one.
    std::vector<QLineF> drawnLines() const;
    // The panel's corners in widget coordinates: root leading and trailing edge, tip leading and
    // trailing edge.
    struct Corners {
        QPointF rootLE, rootTE, tipLE, tipTE;
    };
    Corners corners() const;
    // A dimension line in widget coordinates (empty when the box has none).
    QLineF dimensionOf(std::string_view box) const;

    QSize sizeHint() const override { return {660, 420}; }
    QSize minimumSizeHint() const override { return {560, 360}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Dimension {
        QString box;               // the box on this dimension
        QString caption;           // what the distance is
        QPointF from, to;          // the dimension line (model millimetres, y up from the wire)
        QPointF fromEdge, toEdge;  // where its extension lines start on the panel
    };

    QPointF toWidget(QPointF model) const;
    void layoutBoxes();
    void buildDrawing();
    // The leading-edge line's height above tower x (model).
    double leadingEdgeAt(double x) const;
    std::vector<QLineF> modelLines() const;
    QRectF chordTextRect(bool left) const;

    const PlanformWindowInfo& window_;
    Corners model_;  // the sample panel, model millimetres
    double towerDistance_ = 1000;
    QRectF bounds_;  // what the drawing must show, model millimetres
    std::vector<Dimension> dims_;
    std::vector<std::pair<QString, QLineEdit*>> boxes_;
    QLineEdit* leftChord_ = nullptr;
    QLineEdit* rightChord_ = nullptr;
};

// True when the segment touches the rectangle: a value box may never sit on a drawn line.
bool segmentHitsRect(const QLineF& line, const QRectF& r);

}  // namespace corvane
