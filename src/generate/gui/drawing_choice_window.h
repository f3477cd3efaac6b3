// The drawing choice of the foam generation window: a DXF drawing (and a tip drawing for a
// tapered part), its layer, start point, direction and size, with a preview of the chained
// outline, the start point and the direction. "Use" writes the pair of profile files the foam
// generation reads and hands their paths and the tower sizes to the window's fields. With the
// face choice the sizes are the faces', the preview shows both faces' outlines as placed, and the
// face design goes with the paths, so Generate cuts the part as `generate foam --geometry faces`.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "generate/drawing_shape.h"
#include "generate/face_geometry.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class Dialogs;
class FaceGeometryBox;
class Workspace;

// Paints the outlines as they will be cut: root solid, tip dashed, corners as dots, the start
// as a ring and the direction as an arrow along the first stretch.
class DrawingPreview : public QWidget {
    Q_OBJECT
public:
    explicit DrawingPreview(QWidget* parent = nullptr);
    void setOutlines(std::vector<DrawingOutline> outlines, bool oriented);
    const std::vector<DrawingOutline>& outlines() const { return outlines_; }
    bool oriented() const { return oriented_; }
    QSize sizeHint() const override { return {360, 240}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<DrawingOutline> outlines_;
    bool oriented_ = false;  // a start and a direction to show
};

class DrawingChoiceWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "drawing_choice"; created hidden.
    DrawingChoiceWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr);

    // Reads the fields, chains and pairs the drawings and shows the result; true when the
    // drawings make a part (the preview then shows its start and direction).
    bool refresh();
    // "Use": refresh, write the profile files, emit chosen(); false (with the reason in the
    // status line) when the drawings do not make a part.
    bool use();
    void browse(bool tip);

    QString statusText() const;
    const std::optional<PreparedDrawing>& prepared() const { return prepared_; }
    // The face design of the last "Use" on the faces, while the foam window still holds the
    // paths it gave (a DAT file browsed since is cut on the towers).
    std::optional<FaceDesign> facesFor(const QString& leftPath, const QString& rightPath) const;

signals:
    void chosen(const QString& leftPath, const QString& rightPath, const QString& leftSize,
                const QString& rightSize);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillLayers();
    // With the face choice: the design for the prepared drawing and its geometry, shown in the
    // preview and under the face boxes.
    FaceGeometryResult showFaces(const PreparedDrawing& p, FaceDesign& design);
    std::optional<DrawingJob> job(QString& why) const;

    Workspace& ws_;
    Dialogs& dialogs_;
    QLineEdit* file_ = nullptr;     // drawing_file
    QLineEdit* tipFile_ = nullptr;  // tip_drawing_file
    QComboBox* layer_ = nullptr;    // drawing_layer
    QLineEdit* start_ = nullptr;    // drawing_start, "X,Y" or empty
    QCheckBox* reverse_ = nullptr;  // drawing_reverse
    QLineEdit* size_ = nullptr;     // drawing_size: the root's horizontal size, empty: as drawn
    DrawingPreview* preview_ = nullptr;  // drawing_preview
    QLabel* status_ = nullptr;           // drawing_status
    FaceGeometryBox* faces_ = nullptr;   // FrameFaces
    std::optional<PreparedDrawing> prepared_;
    std::optional<FaceDesign> usedFaces_;
    QString usedLeft_, usedRight_;
};

}  // namespace corvane
