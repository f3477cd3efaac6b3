// The cut-file generation windows: wing (Form14, "机翼切割 - 生成切割文件") and foam (Form1,
// "泡沫切割 - 生成切割文件", the same window without washout and sized by horizontal distance).
// Two profile files, the tower sizes (and washout) become the working cut-file set through the
// core CutGenerator, with progress per segment, Stop at the next segment, and the save step.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "generate/cut_generator.h"
#include "platform/gui/activation_tracker.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace corvane {

class AirfoilPrepareWindow;
class DrawingChoiceWindow;
class FaceGeometryBox;
class FaceOutlinePreview;
class WingFeaturesBox;
class Dialogs;
class Toolbar;
class Workspace;

class WingGenerationWindow : public QWidget {
    Q_OBJECT
public:
    // objectName "Form14" (wing) or "Form1" (foam); created hidden. The frame writes the tower
    // chords (foam: sizes) into Text6/Text7.
    WingGenerationWindow(Workspace& ws, Dialogs& dialogs, QWidget* parent = nullptr,
                         CutSetKind kind = CutSetKind::Wing);
    ~WingGenerationWindow() override;

    // Shows modeless and runs the activation steps (placement, delay-point status in panel 3).
    void showAndActivate();
    void activated();

    // The toolbar's buttons: 1 Generate, 2 Reset, 3 Stop, 5 Add Delay Points, 7 Done,
    // 8 Prepare Airfoils (its Save puts the prepared files into Text1 and Text2).
    // Generate runs inside the call, letting events through once per segment; it returns the
    // core's outcome (status Refused when nothing was started).
    GenerationStatus generate();
    void reset();
    void stop();
    void addDelayPoints();
    void done();
    void prepareAirfoils();
    // Foam only, the button "DXF..." (drawing_choice_button): the drawing choice window, whose
    // "Use" fills Text1, Text2, Text6 and Text7 with the drawing's profile files and sizes.
    void chooseDrawing();

    // The browse buttons "浏览" (Command2 left, Command3 right): the Open dialog of DAT files.
    void browse(bool left);

    bool isGenerating() const { return generating_; }
    CutSetKind kind() const { return kind_; }

signals:
    // Add Delay Points: the main window opens its one delay editor on the two files, over
    // `owner` (the window the editor belongs to).
    void delayPointsRequested(QWidget* owner, const QString& leftPath, const QString& rightPath);

protected:
    // The close box hides the window (fields kept); a running generation is stopped first.
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void onToolbar(int index);
    // True (after naming the box and the setup window that fills it) when a size is not set.
    [[nodiscard]] bool refuseUnsetSize();
    void showProgress(int segment, int points);
    void endProgress();
    void refreshFaceChords();
    // The core's generation with progress, the wait cursor and its messages.
    GenerationStatus runGeneration(const GenerationRequest& request);
    // "Both halves": the mirrored panel generated after `request`'s set was saved as
    // `firstSet`, and its own save step.
    GenerationStatus generateOtherHalf(const GenerationRequest& request, const QString& firstSet);
    // True (after the box with the core's reasons) when the features cannot be cut.
    bool refuseFeatures(const FaceDesign& design);
    // Label13: the kerf each side of the new set was made with, and where it came from.
    void showKerfSummary(const GenerationSummary& summary);

    const CutSetKind kind_;
    const char* errorLabel_;  // "Module 14, GCF" or "Module 1, GCF"
    Workspace& ws_;
    Dialogs& dialogs_;
    CutGenerator generator_;
    Toolbar* toolbar_ = nullptr;
    QLineEdit* leftPath_ = nullptr;    // Text1
    QLineEdit* rightPath_ = nullptr;   // Text2
    QLineEdit* step_ = nullptr;        // Text5
    QLineEdit* leftChord_ = nullptr;   // Text6
    QLineEdit* rightChord_ = nullptr;  // Text7
    // Wing only (null in the foam window).
    QCheckBox* leftCheck_ = nullptr;
    QCheckBox* rightCheck_ = nullptr;
    QLineEdit* leftAmount_ = nullptr;
    QLineEdit* rightAmount_ = nullptr;
    FaceGeometryBox* faces_ = nullptr;  // wing only: the face geometry's choice and panel
    // Wing only, shown with the face geometry: the features with both faces' outlines in them.
    WingFeaturesBox* features_ = nullptr;
    FaceOutlinePreview* preview_ = nullptr;
    QLabel* segments_ = nullptr;     // Label6
    QLabel* building_ = nullptr;     // Label12
    QLabel* kerfSummary_ = nullptr;  // Label13
    QProgressBar* progress_ = nullptr;
    QPointer<AirfoilPrepareWindow> prepareWindow_;
    QPointer<DrawingChoiceWindow> drawingWindow_;
    bool generating_ = false;
    bool waitCursor_ = false;
    // The common dialog's starting folder: none of its own until a save step gives it one.
    QString dialogFolder_;
    ActivationTracker activation_;
};

}  // namespace corvane
