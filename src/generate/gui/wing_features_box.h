// The wing generation window's features cut into the core, in a box of their own: sheeting on
// the upper and lower surface, the trailing edge's least thickness, stock ahead of the leading
// and behind the trailing edge (each at the left and at the right face), a small table of spar
// slots, and "both halves" (the mirrored panel saved as a second set). The box only reads and
// shows the figures; whether they can be cut is the core's word (applyWingFeatures).
#pragma once

#include <QGroupBox>

#include "generate/wing_features.h"

class QCheckBox;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace corvane {

class WingFeaturesBox : public QGroupBox {
    Q_OBJECT
public:
    // objectName "FrameFeatures". Boxes, each "_left" and "_right" (the faces): "sheeting_upper",
    // "sheeting_lower", "te_thickness", "le_stock", "te_stock"; the table "spar_slots" with the
    // buttons "spar_add" and "spar_remove"; the check box "both_halves".
    explicit WingFeaturesBox(QWidget* parent = nullptr);

    // The figures as typed (leading numbers, blank = 0); mirror from "both_halves".
    WingFeatures features() const;
    // Fills every box and the table from `f` (a set's record read back, or a test).
    void setFeatures(const WingFeatures& f);

    // The table's columns.
    enum Column {
        Surface,   // combo: upper / lower
        Position,  // from the leading edge
        Unit,      // combo: mm / chord fraction
        Width,     // mm
        Depth,     // mm
        Scaling,   // combo: same / proportional / per face
        RightPosition,
        RightWidth,
        RightDepth,  // the right face's figures, read only for a slot given per face
        ColumnCount
    };
    // A new row: upper surface, 25 % of the chord, 6 mm wide, 3 mm deep, the same at both faces;
    // none beyond kMaxSparSlots.
    void addSlot();
    // Removes the current row, or the last when none is current.
    void removeSlot();
    QTableWidget* slotTable() const { return table_; }
    // A picture beside the boxes (the window's faces), above the table; the box takes it.
    void setPicture(QWidget* picture);

signals:
    void changed();

private:
    struct FaceBoxes {
        QLineEdit* left = nullptr;
        QLineEdit* right = nullptr;
    };
    FacePair pair(const FaceBoxes& b) const;
    void setPair(const FaceBoxes& b, const FacePair& p);
    void addRow(const SparSlot& slot);
    // The right face's cells are typed into only for a slot given per face.
    void showRightCells(int row);

    FaceBoxes sheetingUpper_, sheetingLower_, teThickness_, leStock_, teStock_;
    QTableWidget* table_ = nullptr;
    QHBoxLayout* top_ = nullptr;
    QPushButton* add_ = nullptr;  // off at the most slots a set's line holds
    QCheckBox* bothHalves_ = nullptr;
};

}  // namespace corvane
