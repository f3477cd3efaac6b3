// The wing generation window's choice of geometry: "Cut the designed profiles at the foam faces"
// (off by default) with the finished panel as it lies between the towers (face chords, tower
// distance, gaps, sweep, rise, washout pivot, each side's kerf), and the face and tower chords
// side by side as the projection gives them for the files chosen. The drawing choice takes the
// same box for a drawn part: without the chords (the drawing's sizes) and the washout pivot.
#pragma once

#include <QGroupBox>

#include "generate/cut_generator.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace corvane {

class Workspace;

class FaceGeometryBox : public QGroupBox {
    Q_OBJECT
public:
    // objectName "FrameFaces"; the check box "face_geometry", the boxes "face_left_chord",
    // "face_right_chord", "face_towers", "face_left_gap", "face_span", "face_sweep",
    // "face_rise", "face_pivot", "face_left_kerf", "face_right_kerf" (both start at KerfMm),
    // and the label "face_chords".
    // For a drawn part (`Use::Drawing`) the chord and pivot boxes are left out, and sweep and
    // rise move the tip beyond where the drawings put it.
    enum class Use { Profiles, Drawing };
    FaceGeometryBox(Workspace& ws, QWidget* parent = nullptr, Use use = Use::Profiles);

    bool chosen() const;
    // The panel from the boxes (leading numbers); the washout angles are the window's.
    FaceDesign design(double leftWashoutDeg, double rightWashoutDeg) const;
    // What the files and the boxes give: the sections read (`read` false when a file cannot be),
    // the design with the features, and its projection.
    struct Projection {
        bool read = false;
        Profile left, right;
        FaceDesign design;
        FaceGeometryResult result;
    };
    // Shows the face and tower chords for these files, or why the projection is refused.
    Projection showChords(const std::string& leftPath, const std::string& rightPath,
                          double leftWashoutDeg, double rightWashoutDeg,
                          const WingFeatures& features);
    // The settings' kerf into both kerf boxes (on activation, when the settings may differ).
    void takeSettingsKerf();
    // The line under the boxes: the tower sizes, or why the projection is refused.
    void showText(const QString& text);

signals:
    void changed();

private:
    Workspace& ws_;
    QCheckBox* check_ = nullptr;
    QLineEdit* leftChord_ = nullptr;
    QLineEdit* rightChord_ = nullptr;
    QLineEdit* towers_ = nullptr;
    QLineEdit* leftGap_ = nullptr;
    QLineEdit* span_ = nullptr;
    QLineEdit* sweep_ = nullptr;
    QLineEdit* rise_ = nullptr;
    QLineEdit* pivot_ = nullptr;
    QLineEdit* leftKerf_ = nullptr;
    QLineEdit* rightKerf_ = nullptr;
    QLabel* chords_ = nullptr;
    QWidget* fields_ = nullptr;
    bool kerfTyped_ = false;
};

}  // namespace corvane
