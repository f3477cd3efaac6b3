// The cut windows' offer to go on with a stopped cut: shown while the working set has a record
// (after Stop, or at the next start after a crash), it lets the operator choose where from (where
// it stopped, the last delay point passed, or a segment picked on the drawing), marks that point
// and the stop on both drawings, and before anything moves says what it will do and what must be
// true, refusing a set whose files changed.
#pragma once

#include <QGroupBox>

#include "run/resume_plan.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace corvane {

class CutProgressView;
class Dialogs;
class Workspace;

class ResumeOffer : public QGroupBox {
    Q_OBJECT
public:
    ResumeOffer(Workspace& ws, Dialogs& dialogs, CutProgressView& view, QWidget* parent);

    // Reads the working set's record: shown with the stop and the chosen point marked when there
    // is one, hidden when there is none or it cannot be resumed (it then says why).
    void refresh();
    // Marks where the carriages stand and where the cut would go on from (again after the
    // drawings were rebuilt or redrawn).
    void markPoints();
    // The choice of segment `segment` on the drawing.
    void pickSegment(int segment);

signals:
    // The operator confirmed the plan.
    void resumeRequested(const ResumePlan& plan);

private:
    ResumeRequest request() const;
    void resume();

    Workspace& ws_;
    Dialogs& dialogs_;
    CutProgressView& view_;
    QComboBox* from_ = nullptr;
    QSpinBox* heat_ = nullptr;
    QLabel* state_ = nullptr;
    QPushButton* button_ = nullptr;
    int segment_ = 0;         // picked on the drawing
    double shownPoint_ = -1;  // the resume point marked now (a profile point), -1 for none
    std::optional<CutRecord> record_;
};

}  // namespace corvane
