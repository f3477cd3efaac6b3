// The drawing of a planform window: the panel lying between the two towers with its trailing
// edge on the wire, and a dimension line for every distance the window asks for or works out,
// with that distance's box sitting on it. Schematic, not to scale.
#pragma once

#include <QPointF>
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
    // Puts the box on its dimension line (the box becomes the drawing's child).
    void placeBox(std::string_view name, QLineEdit* box);
    // The tower chord boxes whose values are written beside the towers.
    void setChordBoxes(QLineEdit* left, QLineEdit* right);

    QSize sizeHint() const override { return {640, 400}; }
    QSize minimumSizeHint() const override { return {520, 340}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Dimension {
        QString box;               // the box on this dimension
        QString caption;           // what the distance is
        QPointF from, to;          // the dimension line (unit square)
        QPointF fromEdge, toEdge;  // where its extension lines start on the panel
        QPointF boxOffset;         // where the box sits, from the line's middle (unit square)
    };
    struct Panel {
        QPointF rootLE, rootTE, tipLE, tipTE;
    };

    QPointF toWidget(QPointF unit) const;
    void layoutBoxes();
    void buildDrawing();
    QPointF mirrored(QPointF p) const;
    // The leading-edge line's point above tower x (unit square).
    QPointF leadingEdgeAt(double x) const;

    const PlanformWindowInfo& window_;
    Panel panel_;
    std::vector<Dimension> dims_;
    std::vector<std::pair<QString, QLineEdit*>> boxes_;
    QLineEdit* leftChord_ = nullptr;
    QLineEdit* rightChord_ = nullptr;
};

}  // namespace corvane
